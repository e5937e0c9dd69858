#pragma once

// Command line of the reference host.

#include <QStringList>

#include <optional>
#include <string>

namespace host {

enum class StartMode {
    Embedded, // GetFormOne into the main window's container (default)
    Dialog,   // GetFormOne_Hsdw
    None,     // open nothing at start-up
};

struct HostOptions {
    // A SQLite file, or a PostgreSQL connection URI (postgresql://...); empty: the embedded
    // demo database.
    std::string databasePath;
    std::string pluginPath; // empty: PluginLibrary::defaultPath()
    std::string operatorCode = "0001";
    std::optional<std::string> jobFlag; // published in "MorvexMapName" when set
    StartMode startMode = StartMode::Embedded;
    std::optional<std::string> dbType; // unset: by the database (SQLSERVER, POSTGRESQL)
    bool dbTypeRaises = false;
    std::string screenshotPath; // save a PNG of the host window and exit
    // Run the archive's print command into this file (PDF printer / Excel filter) and exit.
    std::string printPdfPath;
    std::string exportXlsxPath;
    bool createDatabase = false;     // --db FILE is created with the demo data when missing
    bool initDatabase = false;       // create schema (and roles) in --db, then exit
    bool demo = false;               // with initDatabase: seed the demo data into an empty archive
    std::string rolePrefix = "hsdw"; // PostgreSQL roles <prefix>_owner, <prefix>_operator
};

struct ParsedOptions {
    HostOptions options;
    std::string error; // non-empty: bad command line (Chinese text); with helpShown: the help
    bool helpShown = false;
    bool versionShown = false; // --version: only options.pluginPath is read
};

// Whether the --db text names a PostgreSQL database rather than a SQLite file.
bool isPostgresLocation(const std::string& databasePath);

// Parses `arguments` (including the program name).
ParsedOptions parseHostOptions(const QStringList& arguments);

// The operator code as entry argument 3: one length byte + GBK bytes. std::nullopt when
// the GBK form is longer than 255 bytes.
std::optional<std::string> lengthPrefixedGbk(const std::string& utf8);

} // namespace host
