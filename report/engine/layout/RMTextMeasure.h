#pragma once

// Resolution-independent text measuring for report layout. Advances come from the face's
// unhinted design metrics and are cached per face and style, so a memo measures the same
// for the screen, a PDF at 600 dpi and the recording metafile, and measuring a cell costs
// table look-ups instead of text shaping.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace report {

// Advances of one face and style in em units (a 1-pixel font).
class TRMFontMetrics {
public:
    // Shared metrics of a face ("宋体", "Arial", …; the platform's substitutions apply).
    static const TRMFontMetrics& of(const std::string& face, bool bold, bool italic);

    double advance(char32_t c) const {
        if (c < 128)
            return ascii_[c];
        return advanceSlow(c);
    }
    // Average character width in em units (for the FontScaleWidth stretch).
    double averageWidth() const { return averageWidth_; }

    TRMFontMetrics(const std::string& face, bool bold, bool italic);
    ~TRMFontMetrics();
    TRMFontMetrics(const TRMFontMetrics&) = delete;
    TRMFontMetrics& operator=(const TRMFontMetrics&) = delete;

private:
    double advanceSlow(char32_t c) const;

    struct Face;
    std::unique_ptr<Face> face_;
    float ascii_[128]{};
    double averageWidth_ = 0.5;
    mutable std::unordered_map<char32_t, float> others_;
};

// A font as layout uses it: metrics, the em size in page pixels, a horizontal stretch and
// the extra spacing added after every character.
struct TRMTextFont {
    const TRMFontMetrics* Metrics = nullptr;
    double Em = 13;       // pixels
    double Stretch = 1.0; // FontScaleWidth relative to the natural width
    double Spacing = 0;   // pixels after each character

    double charWidth(char32_t c) const { return Metrics->advance(c) * Em * Stretch + Spacing; }
    // Width of UTF-8 text.
    double width(std::string_view utf8) const;
};

// The next code point of UTF-8 text at `pos` (advanced past it); invalid bytes read as
// U+FFFD one byte at a time.
char32_t nextCodePoint(std::string_view text, std::size_t& pos);

} // namespace report
