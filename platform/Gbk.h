#pragma once

// GBK (code page 936) text. Inside the program every string is UTF-8; GBK appears only
// where behaviour depends on it: file formats, the host's operator code, byte-counted
// limits and double-byte rules.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 → GBK. Characters GBK cannot hold (and malformed UTF-8 bytes) become '?'.
std::string toGbk(std::string_view utf8);

// GBK → UTF-8. Invalid or truncated byte sequences become U+FFFD; never fails.
std::string fromGbk(std::string_view gbk);

// Number of bytes `utf8` takes once encoded as GBK.
std::size_t gbkLength(std::string_view utf8);

// True for a GBK lead byte (0x81–0xFE): the byte starts a double-byte character.
constexpr bool isGbkLeadByte(std::uint8_t byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Removes characters ≤ U+0020 (blanks and controls) at both ends.
std::string trimBlanks(std::string_view text);
// Removes characters ≤ U+0020 at the end only.
std::string trimRightBlanks(std::string_view text);

} // namespace platform
