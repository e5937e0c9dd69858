// Rich views: stream record, text area and height search, drawing.
#include "report/engine/model/RMRichView.h"

#include "platform/Canvas.h"
#include "report/engine/layout/RMRichDocument.h"
#include "report/engine/layout/RMRtfControlWords.h"
#include "report/engine/layout/RMViewPainter.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMUnits.h"

#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace report {

using platform::TCanvas;
using platform::TRect;

struct TRMRichView::Cache {
    std::string rtf;
    TRMRichDocument doc;
};

namespace {

double twipsPerPixelX() {
    return TRMRichDocument::TwipsPerInch / screenPixelsPerInchX();
}

double twipsPerPixelY() {
    return TRMRichDocument::TwipsPerInch / screenPixelsPerInchY();
}

} // namespace

TRMRichView::TRMRichView() {
    ObjectType = gtAddIn;
    BaseName = "Rich";
}

void TRMRichView::saveExtra(RMStream& stream) const {
    stream.writeByte(RichText.empty() ? 0 : 1);
    const std::size_t slot = stream.beginEndOffset();
    stream.writeBytes(RichText);
    stream.patchEndOffset(slot);
}

void TRMRichView::loadExtra(RMStream& stream) {
    const bool hasText = stream.readByte() == 1;
    const std::size_t end = stream.readEndOffset(0);
    RichText = hasText ? stream.readBytes(end - stream.position()) : std::string();
    stream.seek(end);
}

namespace {

// The documents read on this thread that some view still holds, by their text: a caption that
// is the same on every page (a page header) is read and laid out once however many pages
// draw it, as long as the pages keep it (the decoded-page cache does while a run draws).
// Documents are never shared across threads (their layout is computed on first use).
template <typename Cache>
std::shared_ptr<const Cache> sharedDocument(const std::string& rtf) {
    thread_local std::unordered_map<std::string, std::weak_ptr<const Cache>> read;
    if (auto it = read.find(rtf); it != read.end())
        if (auto alive = it->second.lock())
            return alive;
    if (read.size() >= 64)
        std::erase_if(read, [](const auto& entry) { return entry.second.expired(); });
    auto cache = std::make_shared<Cache>();
    cache->rtf = rtf;
    if (!rtf.empty())
        cache->doc.loadRtf(rtf);
    read[rtf] = cache;
    return cache;
}

} // namespace

const TRMRichDocument& TRMRichView::Document() const {
    if (!cache_ || cache_->rtf != RichText)
        cache_ = sharedDocument<Cache>(RichText);
    return cache_->doc;
}

namespace {

// The numbers of a rich text: its runs of digits in text (not in control words), as byte
// ranges of the RTF, and the RTF with each run replaced by a NUL (texts that differ only in
// their numbers have the same key).
struct NumberRuns {
    std::string key;
    std::vector<std::string_view> runs;
};

using rtf::detail::hexValue;
using rtf::detail::isDigit;
using rtf::detail::isLetter;

// False when the text holds digits the scan cannot tell apart from other bytes: digits
// written as escapes or as a \u fallback, binary data, NUL bytes.
bool scanNumbers(std::string_view rtf, NumberRuns& out) {
    out.key.clear();
    out.runs.clear();
    out.key.reserve(rtf.size());
    std::size_t i = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '\0')
            return false;
        if (isDigit(c)) {
            const std::size_t from = i;
            while (i < rtf.size() && isDigit(rtf[i]))
                ++i;
            out.runs.push_back(rtf.substr(from, i - from));
            out.key += '\0';
            continue;
        }
        if (c != '\\' || i + 1 >= rtf.size()) {
            out.key += c;
            ++i;
            continue;
        }
        const std::size_t from = i++;
        if (isLetter(rtf[i])) {
            const std::size_t word = i;
            while (i < rtf.size() && isLetter(rtf[i]))
                ++i;
            const std::string_view name = rtf.substr(word, i - word);
            if (name == "bin")
                return false;
            if (i < rtf.size() && rtf[i] == '-')
                ++i;
            const std::size_t number = i;
            while (i < rtf.size() && isDigit(rtf[i]))
                ++i;
            if (name == "u" && i > number) {
                const int code = std::atoi(std::string(rtf.substr(number, i - number)).c_str());
                if (code >= '0' && code <= '9')
                    return false;
                if (i < rtf.size() && rtf[i] == ' ')
                    ++i;
                if (i < rtf.size() && isDigit(rtf[i]))
                    return false; // a digit the reader skips
            } else if (i < rtf.size() && rtf[i] == ' ') {
                ++i;
            }
        } else if (rtf[i] == '\'' && i + 2 < rtf.size()) {
            const int high = hexValue(rtf[i + 1]), low = hexValue(rtf[i + 2]);
            if (high == 3 && low >= 0 && low <= 9)
                return false;
            i += 3;
        } else {
            ++i;
        }
        out.key.append(rtf.substr(from, i - from));
    }
    return true;
}

// The document's own runs of digits: where they start and their text.
std::vector<std::pair<int, QString>> documentNumbers(const TRMRichDocument& doc) {
    const QString text = doc.document().toRawText();
    std::vector<std::pair<int, QString>> out;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] < u'0' || text[i] > u'9') {
            ++i;
            continue;
        }
        const qsizetype from = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        out.emplace_back(static_cast<int>(from), text.mid(from, i - from));
    }
    return out;
}

// A document drawn on this thread and where its numbers are.
struct DrawnText {
    TRMRichDocument doc;
    std::vector<std::pair<int, QString>> numbers; // as in the RTF, in order
};

// The documents drawn on this thread by the key of their text. Nullptr when `rtf` cannot
// be matched with its document's numbers (the caller reads it the usual way).
TRMRichDocument* drawnDocument(const std::string& rtf) {
    thread_local std::unordered_map<std::string, std::unique_ptr<DrawnText>> drawn;
    thread_local NumberRuns scan;
    if (!scanNumbers(rtf, scan))
        return nullptr;
    auto it = drawn.find(scan.key);
    if (it != drawn.end()) {
        DrawnText& known = *it->second;
        std::size_t changed = 0, which = 0;
        for (std::size_t i = 0; i < scan.runs.size(); ++i)
            if (known.numbers[i].second != QLatin1StringView(scan.runs[i])) {
                ++changed;
                which = i;
            }
        if (changed == 0)
            return &known.doc;
        if (changed == 1) {
            auto& [start, digits] = known.numbers[which];
            const QString now = QString::fromLatin1(scan.runs[which]);
            known.doc.replaceText(start, static_cast<int>(digits.size()), now);
            const int shift = static_cast<int>(now.size() - digits.size());
            digits = now;
            for (std::size_t i = which + 1; i < known.numbers.size(); ++i)
                known.numbers[i].first += shift;
            return &known.doc;
        }
        drawn.erase(it);
    }
    auto text = std::make_unique<DrawnText>();
    text->doc.loadRtf(rtf);
    text->numbers = documentNumbers(text->doc);
    if (text->numbers.size() != scan.runs.size())
        return nullptr;
    for (std::size_t i = 0; i < scan.runs.size(); ++i)
        if (text->numbers[i].second != QLatin1StringView(scan.runs[i]))
            return nullptr;
    if (drawn.size() >= 32)
        drawn.clear();
    return &drawn.emplace(scan.key, std::move(text)).first->second->doc;
}

} // namespace

const TRMRichDocument& TRMRichView::DrawnDocument() const {
    if (cache_ && cache_->rtf == RichText)
        return cache_->doc;
    if (const TRMRichDocument* doc = drawnDocument(RichText))
        return *doc;
    return Document();
}

double TRMRichView::TextWidthTwips() const {
    const int pixels =
        Width - 2 * GapX - detail::frameAllowance(LeftFrame) - detail::frameAllowance(RightFrame);
    return std::max(1, pixels) * twipsPerPixelX();
}

double TRMRichView::TextHeightTwips() const {
    const int pixels =
        Height - 2 * GapY - detail::frameAllowance(TopFrame) - detail::frameAllowance(BottomFrame);
    return std::max(0, pixels) * twipsPerPixelY();
}

int TRMRichView::HeightOf(const TRMRichDocument& doc, int start) const {
    const double width = TextWidthTwips();
    const int end = doc.length();
    int lower = 0, upper = 1000000;
    while (upper - lower > 1) {
        const int candidate = lower + (upper - lower) / 2;
        if (doc.firstUnfit(width, start, candidate * twipsPerPixelY()) >= end)
            upper = candidate;
        else
            lower = candidate;
    }
    if (upper < 2)
        upper = 8;
    return upper + 2 * GapY + detail::frameAllowance(TopFrame) +
           detail::frameAllowance(BottomFrame);
}

namespace {

// The font a line is mostly drawn in, as the canvas describes fonts (the metafile keeps it
// with the line's record).
platform::TFont lineFont(const QTextCharFormat& format, const QTextDocument& doc, double scaleY) {
    platform::TFont font;
    const QStringList families = format.fontFamilies().toStringList();
    font.Name = (families.isEmpty() ? doc.defaultFont().family() : families.front()).toStdString();
    const double points =
        format.fontPointSize() > 0 ? format.fontPointSize() : doc.defaultFont().pointSizeF();
    font.Height = -std::max(
        1, static_cast<int>(std::lround(points * screenPixelsPerInchY() / 72.0 * scaleY)));
    platform::TFontStyles style = 0;
    if (format.fontWeight() >= QFont::DemiBold)
        style |= platform::fsBold;
    if (format.fontItalic())
        style |= platform::fsItalic;
    if (format.fontUnderline())
        style |= platform::fsUnderline;
    if (format.fontStrikeOut())
        style |= platform::fsStrikeOut;
    font.Style = style;
    font.Color = format.hasProperty(QTextFormat::ForegroundBrush)
                     ? platform::fromQColor(format.foreground().color())
                     : platform::clBlack;
    return font;
}

// The lines of the text area that fit, each as one laid-out line drawn through the canvas
// (a recording canvas keeps it with its text, for searching).
void drawText(const TRMRichView& v, TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& ctx, const TRect& rect) {
    const TRMRichDocument& doc = v.DrawnDocument();
    const double width = v.TextWidthTwips(), height = v.TextHeightTwips();
    const double pageLeft = v.Left + v.GapX + detail::frameAllowance(v.LeftFrame);
    const double pageTop = v.Top + v.GapY + detail::frameAllowance(v.TopFrame);
    const double originX = pageLeft * at.ScaleX + at.OffsetX;
    const double originY = pageTop * at.ScaleY + at.OffsetY;
    const double kx = at.ScaleX / twipsPerPixelX(), ky = at.ScaleY / twipsPerPixelY();
    const std::vector<TRMRichLine>& lines = doc.lines(width);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TRMRichLine& line = lines[i];
        const bool fits = line.Bottom <= height;
        if (!fits && i > 0)
            break;
        if (!doc.lineShows(line))
            continue;
        const std::string text = doc.plainText(line.Start, line.Start + line.Length);
        if (ctx.Export != nullptr) {
            ctx.Export->line(
                v, static_cast<int>(std::lround(pageLeft + line.Left / twipsPerPixelX())),
                static_cast<int>(std::lround(pageTop + line.Top / twipsPerPixelY())),
                static_cast<int>(std::lround((line.Right - line.Left) / twipsPerPixelX())), text);
            continue;
        }
        const TRect bounds{static_cast<int>(std::floor(originX + line.Left * kx)),
                           static_cast<int>(std::floor(originY + line.Top * ky)),
                           static_cast<int>(std::ceil(originX + line.Right * kx)),
                           static_cast<int>(std::ceil(originY + line.Bottom * ky))};
        canvas.Font = lineFont(doc.lineFormat(line), doc.document(), at.ScaleY);
        const int level = canvas.saveDC();
        if (!fits)
            canvas.intersectClipRect(rect); // a first line taller than the view
        canvas.paintRaw(
            bounds,
            [&](QPainter& painter) {
                doc.drawLine(painter, width, static_cast<int>(i), {originX, originY}, kx, ky,
                             Qt::black);
            },
            text);
        canvas.restoreDC(level);
    }
}

} // namespace

void TRMRichView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                       const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    drawText(*this, canvas, at, ctx, r);
    detail::drawFrame(canvas, *this, r, at, ctx);
    detail::drawDiagonals(canvas, BandType, r);
}

} // namespace report
