#pragma once

// Schema of the host's database and the demo data the reference host starts with.

#include <string>

namespace host {

class Database;

// Name of the system-parameter table (rows f_Csmc = name, f_csz = value).
inline constexpr const char* kSysParamTable = "tbxtcs";
// One row per schema change applied; the highest is the schema's version.
inline constexpr const char* kSchemaVersionTable = "hsdw_schema_version";
inline constexpr int kSchemaVersion = 1;

// Creates the archive, operator and system-parameter tables and the schema-version table
// when they are missing (in the current schema of the connection); EDatabaseError when
// the database's schema is newer than this host knows.
void createSchema(Database& db);

// Fills an empty schema with the demo data: the head office "0001", a few operators and
// about thirty accounting units; parameters dwlx "00", zbbm "0001", dchy "0". One
// transaction: all of it or nothing.
void seedDemoData(Database& db);

// Writes a complete demo database to `path` (built next to it, then renamed into place,
// so an interrupted run never leaves half a database). EDatabaseError on failure.
void createDemoDatabase(const std::string& path);

// Where the reference host keeps its embedded demo database:
// $XDG_DATA_HOME/hsdwhost/demo.sqlite (default ~/.local/share/...).
std::string defaultDemoDatabasePath();

} // namespace host
