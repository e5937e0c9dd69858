#include "platform/Gbk.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>

namespace platform {
namespace {

// One converter per direction and thread; iconv_open is far too slow to call per string.
class Converter {
public:
    Converter(const char* to, const char* from)
        : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between GBK and UTF-8");
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much of `in` as possible and appends to `out`. Returns the number of
    // input bytes consumed; stops at the first sequence it cannot convert.
    std::size_t convert(std::string_view in, std::string& out) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
                break;
        }
        return in.size() - inLeft;
    }

private:
    iconv_t handle_;
};

Converter& encoder() {
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

Converter& decoder() {
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

// The two-byte GBK characters as UTF-8, as iconv reads each pair (read once per process):
// lead bytes 0x81 to 0xFE, trail bytes 0x40 to 0xFE; length 0 where iconv refuses the pair.
class PairTable {
public:
    PairTable() {
        Converter converter("UTF-8", "GBK");
        std::string out;
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                out.clear();
                if (converter.convert(std::string_view(pair, 2), out) != 2 || out.empty() ||
                    out.size() > 3)
                    continue;
                Entry& e = entries_[index(lead, trail)];
                e.length = static_cast<std::uint8_t>(out.size());
                std::copy(out.begin(), out.end(), e.bytes);
            }
    }

    // Appends `gbk` as UTF-8; false (leaving `out` partly written) at the first byte that is
    // not ASCII or a pair of the table, which iconv then reads.
    bool decode(std::string_view gbk, std::string& out) const {
        for (std::size_t i = 0; i < gbk.size();) {
            const auto lead = static_cast<unsigned char>(gbk[i]);
            if (lead < 0x80) {
                out.push_back(static_cast<char>(lead));
                ++i;
                continue;
            }
            if (lead == 0x80 || lead == 0xFF || i + 1 == gbk.size())
                return false;
            const auto trail = static_cast<unsigned char>(gbk[i + 1]);
            if (trail < 0x40 || trail == 0xFF)
                return false;
            const Entry& e = entries_[index(lead, trail)];
            if (e.length == 0)
                return false;
            out.append(e.bytes, e.length);
            i += 2;
        }
        return true;
    }

private:
    struct Entry {
        std::uint8_t length = 0;
        char bytes[3] = {};
    };
    static std::size_t index(int lead, int trail) {
        return static_cast<std::size_t>((lead - 0x81) * 191 + (trail - 0x40));
    }
    std::array<Entry, 126 * 191> entries_{};
};

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Length of the UTF-8 sequence starting with `lead`, or 1 for a stray byte.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

} // namespace

std::string toGbk(std::string_view utf8) {
    if (isAscii(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t used = encoder().convert(utf8, out);
        utf8.remove_prefix(used);
        if (utf8.empty())
            break;
        // The character at the front cannot be held by GBK (or is not valid UTF-8).
        out.push_back('?');
        const std::size_t skip =
            std::min(utf8SequenceLength(static_cast<unsigned char>(utf8.front())), utf8.size());
        utf8.remove_prefix(skip);
    }
    return out;
}

std::string fromGbk(std::string_view gbk) {
    if (isAscii(gbk))
        return std::string(gbk);
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    static const PairTable pairs; // iconv's own reading, without a call per string
    if (pairs.decode(gbk, out))
        return out;
    out.clear();
    while (!gbk.empty()) {
        const std::size_t used = decoder().convert(gbk, out);
        gbk.remove_prefix(used);
        if (gbk.empty())
            break;
        out.append(replacement);
        gbk.remove_prefix(1);
    }
    return out;
}

std::size_t gbkLength(std::string_view utf8) {
    if (isAscii(utf8))
        return utf8.size();
    return toGbk(utf8).size();
}

std::string trimBlanks(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string trimRightBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace platform
