#include "report/engine/layout/RMRichDocument.h"

#include "platform/EngineTexts.h"
#include "report/engine/layout/RMRtfReader.h"
#include "report/engine/layout/RMRtfWriter.h"
#include "report/engine/model/RMTextScan.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace report {

namespace {

// A device that is never painted on: fonts resolved for it get their pixel size for that
// many dots per inch (1440 for the layout in twips, the painter's units when drawing).
class FontDevice : public QPaintDevice {
public:
    FontDevice(int dpiX, int dpiY)
        : dpiX_(dpiX)
        , dpiY_(dpiY) {}
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return dpiX_;
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return dpiY_;
        case PdmWidth:
        case PdmHeight:
            return 1 << 30;
        case PdmWidthMM:
        case PdmHeightMM:
            return static_cast<int>((1 << 30) / static_cast<double>(dpiX_) * 25.4);
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    int dpiX_, dpiY_;
};

QPaintDevice& twipsDevice() {
    static FontDevice device(static_cast<int>(TRMRichDocument::TwipsPerInch),
                             static_cast<int>(TRMRichDocument::TwipsPerInch));
    return device;
}

// Default tab stops every half inch.
constexpr double tabStopTwips = 720;

bool isBlank(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// The block's fragments clipped to [start, end): (fragment, first, count) in block text.
template <class Visit>
void forFragments(const QTextBlock& block, int start, int end, Visit visit) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (!f.isValid())
            continue;
        const int from = std::max(start, f.position()),
                  to = std::min(end, f.position() + f.length());
        if (from < to && !visit(f, from - f.position(), to - from))
            return;
    }
}

} // namespace

struct TRMRichDocument::ShapedLine {
    ShapedLine(int dpiX, int dpiY, const QString& text, const QFont& font)
        : device(dpiX, dpiY)
        , layout(text, font, &device) {}
    FontDevice device; // the layout's fonts are resolved for it
    QTextLayout layout;
    int from = 0, length = 0; // in the paragraph's text
    double width = 0;
    double ascent = 0;
};

TRMRichDocument::TRMRichDocument()
    : doc_(std::make_unique<QTextDocument>()) {
    QFont font(QString::fromStdString(platform::engineText(47444, "宋体")));
    font.setPointSize(11);
    doc_->setDefaultFont(font);
    setUp();
}

TRMRichDocument::~TRMRichDocument() = default;

TRMRichDocument::TRMRichDocument(const TRMRichDocument& other)
    : doc_(other.doc_->clone()) {
    setUp();
}

TRMRichDocument& TRMRichDocument::operator=(const TRMRichDocument& other) {
    if (this != &other) {
        doc_.reset(other.doc_->clone());
        setUp();
        changed();
    }
    return *this;
}

// The document layout is created only when the text is first laid out, so that reading
// and expanding the text do not lay it out again after every change.
void TRMRichDocument::setUp() {
    doc_->setUndoRedoEnabled(false);
    doc_->setDocumentMargin(0);
    doc_->setUseDesignMetrics(true);
    QTextOption option = doc_->defaultTextOption();
    option.setTabStopDistance(tabStopTwips);
    doc_->setDefaultTextOption(option);
}

void TRMRichDocument::changed() {
    linesWidth_ = -1;
    laidOutWidth_ = -1;
    shaped_.clear();
    lines_.clear();
}

namespace {

// Qt lays a document out in fixed-point units that run out somewhere past ten million twips
// (a few hundred metres of text), and a layout beyond that can take minutes. No caption or
// letter comes near this; a rich text whose paragraphs alone, one line each, would reach it
// is cut at the paragraph that passes it.
constexpr double tallestTextTwips = 4'000'000;

double lineTwips(const QTextBlock& block, const QFont& documentFont) {
    double points = std::max(block.charFormat().fontPointSize(), 0.0);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        points = std::max(points, it.fragment().charFormat().fontPointSize());
    if (points <= 0)
        points = documentFont.pointSizeF();
    return points * (TRMRichDocument::TwipsPerInch / 72.0);
}

// Removes the paragraphs from the one whose top passes the tallest text on; true when any.
bool cutTooTall(QTextDocument& doc) {
    double top = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        top += lineTwips(block, doc.defaultFont());
        if (top > tallestTextTwips) {
            QTextCursor cursor(&doc);
            cursor.setPosition(std::max(0, block.position() - 1));
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            return true;
        }
    }
    return false;
}

} // namespace

namespace {
std::size_t read = 0;
} // namespace

std::size_t TRMRichDocument::textsRead() {
    return read;
}

bool TRMRichDocument::loadRtf(std::string_view rtf, std::string* error) {
    ++read;
    bool ok = rtf::readRtf(rtf, *doc_, error);
    if (cutTooTall(*doc_)) {
        if (ok && error)
            *error = "富文本太高，无法排版：第" + std::to_string(doc_->blockCount()) +
                     "段之后的内容未读入";
        ok = false;
    }
    changed();
    return ok;
}

std::string TRMRichDocument::saveRtf() const {
    return rtf::writeRtf(*doc_);
}

void TRMRichDocument::clear() {
    doc_->clear();
    changed();
}

int TRMRichDocument::length() const {
    return doc_->characterCount() - 1;
}

int TRMRichDocument::paragraphCount() const {
    return doc_->blockCount();
}

std::string TRMRichDocument::plainText(int start, int end) const {
    const QString raw = doc_->toRawText();
    start = std::clamp(start, 0, static_cast<int>(raw.size()));
    end = end < 0 ? static_cast<int>(raw.size())
                  : std::clamp(end, start, static_cast<int>(raw.size()));
    QString text = raw.mid(start, end - start);
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text.toStdString();
}

void TRMRichDocument::expandBrackets(
    const std::function<std::string(std::string_view content)>& evaluate,
    std::vector<Expanded>* expanded) {
    QString text = doc_->toRawText();
    qsizetype pos = text.indexOf(u'[');
    while (pos >= 0 && pos + 1 < text.size()) {
        // The group scan looks at ASCII only; other characters keep their positions.
        std::string scan(static_cast<std::size_t>(text.size()), ' ');
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i].unicode() < 0x80)
                scan[static_cast<std::size_t>(i)] = static_cast<char>(text[i].unicode());
        std::size_t end = detail::matchGroup(scan, static_cast<std::size_t>(pos), '[', ']');
        QString content;
        if (end == std::string::npos) {
            end = static_cast<std::size_t>(text.size());
            content = text.mid(pos + 1);
        } else {
            content = text.mid(pos + 1, static_cast<qsizetype>(end) - pos - 2);
        }
        content.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        std::string contentBytes = content.toStdString();
        std::string result = evaluate(contentBytes);
        QString value = QString::fromStdString(result);
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (expanded != nullptr)
            expanded->push_back({std::move(contentBytes), std::move(result), static_cast<int>(pos),
                                 static_cast<int>(value.size())});

        QTextCursor cursor(doc_.get());
        cursor.setPosition(static_cast<int>(pos) + 1);
        const QTextCharFormat format = cursor.charFormat(); // the "[" itself
        cursor.setPosition(static_cast<int>(pos));
        cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
        cursor.insertText(value, format);
        text = doc_->toRawText();
        pos = text.indexOf(u'[', pos + value.size());
    }
    changed();
}

TRMRichDocument TRMRichDocument::part(int start, int end) const {
    TRMRichDocument out;
    out.doc_->setDefaultFont(doc_->defaultFont());
    start = std::clamp(start, 0, length());
    end = std::clamp(end, start, length());
    QTextCursor cursor(out.doc_.get());
    bool first = true;
    for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
        const int begin = block.position(), blockEnd = begin + block.length() - 1;
        if (begin >= end)
            break;
        if (begin < start && start >= blockEnd)
            continue; // ends before the part
        if (first)
            cursor.setBlockFormat(block.blockFormat());
        else
            cursor.insertBlock(block.blockFormat());
        cursor.setBlockCharFormat(block.charFormat());
        first = false;
        forFragments(block, start, end, [&](const QTextFragment& f, int from, int count) {
            cursor.insertText(f.text().mid(from, count), f.charFormat());
            return true;
        });
    }
    out.changed();
    return out;
}

void TRMRichDocument::replaceText(int start, int count, const QString& text) {
    QTextCursor cursor(doc_.get());
    cursor.setPosition(start + 1);
    const QTextCharFormat format = cursor.charFormat(); // the first character replaced
    cursor.setPosition(start);
    cursor.setPosition(start + count, QTextCursor::KeepAnchor);
    cursor.insertText(text, format);
    // The document layout lays out the changed paragraph again by itself, and the lines of
    // the other paragraphs draw as they did.
    const double width = laidOutWidth_;
    auto shaped = std::move(shaped_);
    const int block = doc_->findBlock(start).blockNumber();
    std::erase_if(shaped, [block](const auto& entry) { return entry.first.first == block; });
    changed();
    laidOutWidth_ = width;
    shaped_ = std::move(shaped);
}

void TRMRichDocument::layoutAt(double width) const {
    if (width == linesWidth_)
        return;
    if (doc_->documentLayout()->paintDevice() != &twipsDevice())
        doc_->documentLayout()->setPaintDevice(&twipsDevice());
    // Setting the width, even the same one, lays the whole document out again; replaceText
    // has laid out only the paragraph it changed.
    if (laidOutWidth_ != width) {
        doc_->setTextWidth(width);
        laidOutWidth_ = width;
    }
    static_cast<void>(doc_->size()); // lays out what is not laid out yet
    lines_.clear();
    for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QPointF origin = layout->position();
        const bool justify = (block.blockFormat().alignment() & Qt::AlignJustify) != 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const QRectF natural = line.naturalTextRect();
            lines_.push_back({block.blockNumber(), i, block.position() + line.textStart(),
                              line.textLength(), origin.x() + natural.left(),
                              origin.x() + natural.right(), origin.y() + line.y(),
                              origin.y() + line.y() + line.height(), line.ascent(),
                              justify && i + 1 < layout->lineCount()});
        }
    }
    linesWidth_ = width;
}

const std::vector<TRMRichLine>& TRMRichDocument::lines(double width) const {
    layoutAt(width);
    return lines_;
}

int TRMRichDocument::firstUnfit(double width, int start, double height) const {
    const std::vector<TRMRichLine>& all = lines(width);
    if (all.empty() || start >= length())
        return length();
    // The line holding `start`: the last one starting at or before it.
    auto first = std::upper_bound(all.begin(), all.end(), start,
                                  [](int p, const TRMRichLine& l) { return p < l.Start; });
    if (first != all.begin())
        --first;
    const double top = first->Top;
    for (auto it = first; it != all.end(); ++it)
        if (it->Bottom - top > height)
            return it == first ? start : it->Start;
    return length();
}

void TRMRichDocument::drawLine(QPainter& painter, double width, int index, QPointF origin,
                               double scaleX, double scaleY, const QColor& color) const {
    const std::vector<TRMRichLine>& all = lines(width);
    if (index < 0 || index >= static_cast<int>(all.size()))
        return;
    const TRMRichLine& line = all[static_cast<std::size_t>(index)];
    const QTextBlock block = doc_->findBlockByNumber(line.Block);
    // A justified line is followed by one character of the next, which it never takes in:
    // only a line that does not end its text is spread.
    const int extra = line.Justified ? 1 : 0;
    const int from = line.Start - block.position(), length = line.Length + extra;
    const int dpiX = std::max(1, static_cast<int>(std::lround(TwipsPerInch * scaleX))),
              dpiY = std::max(1, static_cast<int>(std::lround(TwipsPerInch * scaleY)));
    std::unique_ptr<ShapedLine>& kept = shaped_[{line.Block, line.Index}];
    if (!kept || kept->device.logicalDpiX() != dpiX || kept->device.logicalDpiY() != dpiY ||
        kept->from != from || kept->length != length || kept->width != width * scaleX) {
        kept = std::make_unique<ShapedLine>(dpiX, dpiY, block.text().mid(from, length),
                                            doc_->defaultFont());
        kept->from = from;
        kept->length = length;
        kept->width = width * scaleX;
        QTextLayout& layout = kept->layout;
        QList<QTextLayout::FormatRange> formats;
        forFragments(block, line.Start, line.Start + length,
                     [&](const QTextFragment& f, int first, int count) {
                         formats.append({f.position() + first - line.Start, count, f.charFormat()});
                         return true;
                     });
        layout.setFormats(formats);
        QTextOption option(block.blockFormat().alignment());
        option.setUseDesignMetrics(true);
        option.setTabStopDistance(tabStopTwips * scaleX);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine shaped = layout.createLine();
        shaped.setNumColumns(line.Length, width * scaleX);
        layout.endLayout();
        kept->ascent = shaped.ascent();
    }
    painter.setPen(color);
    kept->layout.draw(&painter,
                      {origin.x(), origin.y() + (line.Top + line.Ascent) * scaleY - kept->ascent});
}

QTextCharFormat TRMRichDocument::lineFormat(const TRMRichLine& line) const {
    const QTextBlock block = doc_->findBlockByNumber(line.Block);
    QTextCharFormat found = block.charFormat();
    bool any = false;
    forFragments(block, line.Start, line.Start + line.Length,
                 [&](const QTextFragment& f, int from, int count) {
                     if (!any) {
                         found = f.charFormat();
                         any = true;
                     }
                     if (isBlank(QStringView(f.text()).mid(from, count)))
                         return true;
                     found = f.charFormat();
                     return false;
                 });
    return found;
}

bool TRMRichDocument::lineShows(const TRMRichLine& line) const {
    bool shows = false;
    forFragments(doc_->findBlockByNumber(line.Block), line.Start, line.Start + line.Length,
                 [&](const QTextFragment& f, int from, int count) {
                     const QTextCharFormat format = f.charFormat();
                     shows = !isBlank(QStringView(f.text()).mid(from, count)) ||
                             format.fontUnderline() || format.fontStrikeOut() ||
                             format.hasProperty(QTextFormat::BackgroundBrush);
                     return !shows;
                 });
    return shows;
}

} // namespace report
