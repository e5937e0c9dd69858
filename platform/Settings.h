#pragma once

// Per-user settings, replacing the registry and ini files. A Settings object opens one
// root — a registry key path under the current user's key such as
// "Software\Brantmoor\Quarvel Inthos" or "Quarvelinthos\ReportSettings", or an ini file
// name ending in ".ini" — and reads and writes values in sections below it, like an
// ini-style registry access. Each root is one INI file:
//   registry root "A\B\C"   → $XDG_CONFIG_HOME/A/B/C.ini  (default ~/.config)
//   ini file "x.ini"         → $XDG_CONFIG_HOME/x.ini; an absolute path is used as is.
// Sections and keys are written as the system names them (backslashes included) and
// compared without regard to ASCII case, like the registry. Every write reaches the file
// at once (written to a temporary file and renamed); every read sees the file as it is.
// Unreadable values read as the default; a missing or unreadable file reads as empty.

#include "platform/Variant.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A write that could not be stored (Chinese text with the file name).
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Settings {
public:
    explicit Settings(std::string_view root);

    // $XDG_CONFIG_HOME, or ~/.config.
    static std::filesystem::path configHome();
    // File that stores `root` (see above).
    static std::filesystem::path fileFor(std::string_view root);

    const std::string& root() const { return root_; }
    const std::filesystem::path& filePath() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const;
    // Integers: decimal text; a value that is not a whole 32/64-bit number reads as default.
    std::int64_t readInteger(std::string_view section, std::string_view key,
                             std::int64_t defaultValue = 0) const;
    // Booleans: stored as "1" / "0"; any integer other than 0 reads as true, "True" /
    // "False" are accepted too.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue = false) const;
    // Binary: stored as hexadecimal text; unreadable text reads as default.
    ByteArray readBinary(std::string_view section, std::string_view key,
                         const ByteArray& defaultValue = {}) const;

    // Writes raise ESettingsError when the file cannot be written.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void writeBinary(std::string_view section, std::string_view key, const ByteArray& value);

    bool sectionExists(std::string_view section) const;
    bool valueExists(std::string_view section, std::string_view key) const;
    // Section names in file order.
    std::vector<std::string> sections() const;
    // Key names of one section in file order.
    std::vector<std::string> keys(std::string_view section) const;

    void deleteKey(std::string_view section, std::string_view key);
    // Removes the section and all its values; nothing happens when it does not exist.
    void eraseSection(std::string_view section);

private:
    std::string root_;
    std::filesystem::path path_;
};

} // namespace platform
