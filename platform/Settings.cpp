#include "platform/Settings.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <charconv>
#include <cstdlib>
#include <optional>

namespace platform {

namespace detail {
namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Characters that would change a line's meaning are written as %XX, as are blanks at the
// ends (a reader trims those).
std::string escape(std::string_view text, std::string_view special) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool atEnd = i == 0 || i + 1 == text.size();
        if (c == '%' || c == '\r' || c == '\n' || special.find(c) != std::string_view::npos ||
            (atEnd && isSpace(c))) {
            out += '%';
            out += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
            out += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A "%" not followed by two hexadecimal digits stays as it is (hand-written files).
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

constexpr std::string_view kSectionSpecial = "[]";
constexpr std::string_view kKeySpecial = "=[];#";

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

using Document = std::vector<Section>;

Document load(const std::filesystem::path& path) {
    Document doc;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return doc;
    const QByteArray bytes = file.readAll();
    std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    Section* current = nullptr;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trimSpaces(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            auto close = line.rfind(']');
            if (close == std::string_view::npos || close == 0) {
                current = nullptr; // damaged header: its values are skipped
                continue;
            }
            std::string name = unescape(line.substr(1, close - 1));
            current = nullptr;
            for (auto& section : doc) {
                if (sameName(section.name, name))
                    current = &section;
            }
            if (!current) {
                doc.push_back(Section{std::move(name), {}});
                current = &doc.back();
            }
            continue;
        }
        auto equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string key = unescape(trimSpaces(line.substr(0, equals)));
        std::string value = unescape(trimSpaces(line.substr(equals + 1)));
        bool replaced = false;
        for (auto& [k, v] : current->values) {
            if (sameName(k, key)) {
                v = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.emplace_back(std::move(key), std::move(value));
    }
    return doc;
}

void save(const std::filesystem::path& path, const Document& doc) {
    std::string text;
    for (const auto& section : doc) {
        if (!text.empty())
            text += '\n';
        text += '[' + escape(section.name, kSectionSpecial) + "]\n";
        for (const auto& [key, value] : section.values)
            text += escape(key, kKeySpecial) + '=' + escape(value, {}) + '\n';
    }
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    QSaveFile file(QString::fromStdString(path.string()));
    bool ok = file.open(QIODevice::WriteOnly) &&
              file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    if (!ok)
        throw ESettingsError("无法保存设置文件 " + path.string() + "：" +
                             file.errorString().toStdString());
}

Section* findSection(Document& doc, std::string_view name) {
    for (auto& section : doc) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

std::optional<std::string> findValue(const Document& doc, std::string_view section,
                                     std::string_view key) {
    for (const auto& s : doc) {
        if (!sameName(s.name, section))
            continue;
        for (const auto& [k, v] : s.values) {
            if (sameName(k, key))
                return v;
        }
    }
    return std::nullopt;
}

void put(const std::filesystem::path& path, std::string_view section, std::string_view key,
         std::string value) {
    Document doc = load(path);
    Section* target = findSection(doc, section);
    if (!target) {
        doc.push_back(Section{std::string(section), {}});
        target = &doc.back();
    }
    bool replaced = false;
    for (auto& [k, v] : target->values) {
        if (sameName(k, key)) {
            v = value;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        target->values.emplace_back(std::string(key), std::move(value));
    save(path, doc);
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimSpaces(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 1 && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (base == 10) {
        if (magnitude > std::uint64_t(INT64_MAX) + (negative ? 1 : 0))
            return std::nullopt;
    }
    auto value = static_cast<std::int64_t>(magnitude);
    return negative ? std::int64_t(0 - std::uint64_t(value)) : value;
}

} // namespace
} // namespace detail

using namespace detail;

Settings::Settings(std::string_view root)
    : root_(root)
    , path_(fileFor(root)) {}

std::filesystem::path Settings::configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return std::filesystem::path(xdg);
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config";
}

std::filesystem::path Settings::fileFor(std::string_view root) {
    std::string name(root);
    bool isIni =
        name.size() > 4 && sameName(std::string_view(name).substr(name.size() - 4), ".ini");
    if (isIni && !name.empty() && name.front() == '/')
        return std::filesystem::path(name);
    // Key path components become folders; ".." and "." never climb out of the config home.
    std::filesystem::path path = configHome();
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    if (parts.empty())
        throw ESettingsError("设置位置不能为空");
    for (auto& p : parts) {
        if (p == "." || p == "..")
            p = "_";
    }
    if (!isIni)
        parts.back() += ".ini";
    for (const auto& p : parts)
        path /= p;
    return path;
}

std::string Settings::readString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    auto value = findValue(load(path_), section, key);
    return value ? *value : std::string(defaultValue);
}

std::int64_t Settings::readInteger(std::string_view section, std::string_view key,
                                   std::int64_t defaultValue) const {
    auto value = findValue(load(path_), section, key);
    if (!value)
        return defaultValue;
    return parseInteger(*value).value_or(defaultValue);
}

bool Settings::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    auto value = findValue(load(path_), section, key);
    if (!value)
        return defaultValue;
    std::string_view text = trimSpaces(*value);
    if (sameName(text, "true"))
        return true;
    if (sameName(text, "false"))
        return false;
    if (auto number = parseInteger(text))
        return *number != 0;
    return defaultValue;
}

ByteArray Settings::readBinary(std::string_view section, std::string_view key,
                               const ByteArray& defaultValue) const {
    auto value = findValue(load(path_), section, key);
    if (!value)
        return defaultValue;
    std::string_view text = trimSpaces(*value);
    if (text.size() % 2 != 0)
        return defaultValue;
    ByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return defaultValue;
        bytes.push_back(std::uint8_t(high * 16 + low));
    }
    return bytes;
}

void Settings::writeString(std::string_view section, std::string_view key, std::string_view value) {
    put(path_, section, key, std::string(value));
}

void Settings::writeInteger(std::string_view section, std::string_view key, std::int64_t value) {
    put(path_, section, key, std::to_string(value));
}

void Settings::writeBool(std::string_view section, std::string_view key, bool value) {
    put(path_, section, key, value ? "1" : "0");
}

void Settings::writeBinary(std::string_view section, std::string_view key, const ByteArray& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(value.size() * 2);
    for (std::uint8_t byte : value) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0xF];
    }
    put(path_, section, key, std::move(text));
}

bool Settings::sectionExists(std::string_view section) const {
    Document doc = load(path_);
    return findSection(doc, section) != nullptr;
}

bool Settings::valueExists(std::string_view section, std::string_view key) const {
    return findValue(load(path_), section, key).has_value();
}

std::vector<std::string> Settings::sections() const {
    std::vector<std::string> names;
    for (const auto& section : load(path_))
        names.push_back(section.name);
    return names;
}

std::vector<std::string> Settings::keys(std::string_view section) const {
    std::vector<std::string> names;
    Document doc = load(path_);
    if (Section* s = findSection(doc, section)) {
        for (const auto& [key, value] : s->values)
            names.push_back(key);
    }
    return names;
}

void Settings::deleteKey(std::string_view section, std::string_view key) {
    Document doc = load(path_);
    Section* s = findSection(doc, section);
    if (!s)
        return;
    auto removed =
        std::erase_if(s->values, [&](const auto& entry) { return sameName(entry.first, key); });
    if (removed != 0)
        save(path_, doc);
}

void Settings::eraseSection(std::string_view section) {
    Document doc = load(path_);
    auto removed = std::erase_if(doc, [&](const Section& s) { return sameName(s.name, section); });
    if (removed != 0)
        save(path_, doc);
}

} // namespace platform
