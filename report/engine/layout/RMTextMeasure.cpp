#include "report/engine/layout/RMTextMeasure.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <map>
#include <tuple>

namespace report {

namespace {
// Advances are read at this pixel size without hinting; they scale linearly from there.
constexpr int referencePixels = 512;
} // namespace

struct TRMFontMetrics::Face {
    QFont font;
    QFontMetricsF metrics;
    explicit Face(const QFont& f)
        : font(f)
        , metrics(f) {}
};

const TRMFontMetrics& TRMFontMetrics::of(const std::string& face, bool bold, bool italic) {
    // Per thread: Qt's fonts are not shared between threads (a print draws on its own).
    thread_local std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<TRMFontMetrics>>
        cache;
    auto key = std::make_tuple(face, bold, italic);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, std::make_unique<TRMFontMetrics>(face, bold, italic)).first;
    return *it->second;
}

TRMFontMetrics::TRMFontMetrics(const std::string& name, bool bold, bool italic) {
    QFont f(QString::fromStdString(name));
    f.setPixelSize(referencePixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    face_ = std::make_unique<Face>(f);
    for (char32_t c = 0; c < 128; ++c)
        ascii_[c] =
            c < 32
                ? 0.0f
                : static_cast<float>(face_->metrics.horizontalAdvance(QChar(c)) / referencePixels);
    averageWidth_ = face_->metrics.averageCharWidth() / referencePixels;
    if (averageWidth_ <= 0)
        averageWidth_ = 0.5;
}

TRMFontMetrics::~TRMFontMetrics() = default;

double TRMFontMetrics::advanceSlow(char32_t c) const {
    if (auto it = others_.find(c); it != others_.end())
        return it->second;
    const char32_t text[1] = {c};
    const double a = face_->metrics.horizontalAdvance(QString::fromUcs4(text, 1)) / referencePixels;
    others_.emplace(c, static_cast<float>(a));
    return a;
}

char32_t nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    const int len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (len == 0 || pos + static_cast<std::size_t>(len) > s.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t c = b0 & (0x7F >> len);
    for (int i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(len);
    return c;
}

double TRMTextFont::width(std::string_view utf8) const {
    double w = 0;
    int count = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        w += Metrics->advance(nextCodePoint(utf8, pos));
        ++count;
    }
    return w * Em * Stretch + Spacing * count;
}

} // namespace report
