#include "report/engine/layout/RMRtfWriter.h"

#include "report/engine/layout/RMRtfCodePage.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextFragment>

#include <algorithm>
#include <optional>
#include <vector>

namespace report::rtf {
namespace {

// What a run looks like in RTF; indexes refer to the writer's tables (colours 1-based,
// 0 for none).
struct RunFormat {
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    int highlight = 0;
    int vertical = 0;
    bool operator==(const RunFormat&) const = default;
};

struct TableFont {
    QString face;
    bool gbk = false; // named or written in GBK: \fcharset134
};

void appendNumber(std::string& out, long long value) {
    out += std::to_string(value);
}

void appendHexByte(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc)
        : doc_(doc) {}

    std::string run();

private:
    int fontIndex(const QString& face);
    int colorIndex(const QBrush& brush);
    RunFormat runFormat(const QTextCharFormat& format);
    void emitFormat(const RunFormat& format);
    // Appends `text` escaped; returns whether it used GBK bytes. A font table entry has no
    // words for tabs, line breaks and hard blanks.
    bool appendText(std::string& out, const QString& text, bool tableEntry = false);
    std::string header();

    const QTextDocument& doc_;
    std::vector<TableFont> fonts_;
    std::vector<QRgb> colors_;
    std::string body_;
    std::optional<RunFormat> current_;
};

int Writer::fontIndex(const QString& face) {
    QString clean = detail::cleanFaceName(face);
    if (clean.isEmpty())
        clean = detail::cleanFaceName(doc_.defaultFont().family());
    const auto it = std::find_if(fonts_.begin(), fonts_.end(),
                                 [&](const TableFont& f) { return f.face == clean; });
    if (it != fonts_.end())
        return static_cast<int>(it - fonts_.begin());
    const bool ascii =
        std::all_of(clean.begin(), clean.end(), [](QChar c) { return c.unicode() < 0x80; });
    fonts_.push_back({clean, !ascii});
    return static_cast<int>(fonts_.size()) - 1;
}

int Writer::colorIndex(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush)
        return 0;
    const QRgb rgb = brush.color().rgb() & 0xFFFFFFu;
    const auto it = std::find(colors_.begin(), colors_.end(), rgb);
    if (it != colors_.end())
        return static_cast<int>(it - colors_.begin()) + 1;
    colors_.push_back(rgb);
    return static_cast<int>(colors_.size());
}

RunFormat Writer::runFormat(const QTextCharFormat& format) {
    RunFormat run;
    QString face;
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty())
        face = families.front();
    else if (format.hasProperty(QTextFormat::FontFamily))
        face = format.stringProperty(QTextFormat::FontFamily);
    run.font = fontIndex(face);
    double points = format.fontPointSize();
    if (points <= 0)
        points = doc_.defaultFont().pointSizeF();
    if (points <= 0)
        points = 12;
    run.halfPoints = std::clamp(static_cast<int>(points * 2 + 0.5), 2, 3276);
    run.bold = format.fontWeight() >= QFont::DemiBold;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    run.strike = format.fontStrikeOut();
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        run.color = colorIndex(format.foreground());
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        run.highlight = colorIndex(format.background());
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        run.vertical = 1;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        run.vertical = 2;
    return run;
}

void Writer::emitFormat(const RunFormat& format) {
    if (current_ == format)
        return;
    current_ = format;
    std::string& out = body_;
    out += "\\plain\\f";
    appendNumber(out, format.font);
    out += "\\fs";
    appendNumber(out, format.halfPoints);
    if (format.bold)
        out += "\\b";
    if (format.italic)
        out += "\\i";
    if (format.underline)
        out += "\\ul";
    if (format.strike)
        out += "\\strike";
    if (format.color > 0) {
        out += "\\cf";
        appendNumber(out, format.color);
    }
    if (format.highlight > 0) {
        out += "\\highlight";
        appendNumber(out, format.highlight);
    }
    if (format.vertical == 1)
        out += "\\super";
    else if (format.vertical == 2)
        out += "\\sub";
    out += ' ';
}

bool Writer::appendText(std::string& out, const QString& text, bool tableEntry) {
    bool usedGbk = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t' && !tableEntry) {
            out += "\\tab ";
        } else if (c == 0x2028 && !tableEntry) {
            out += "\\line ";
        } else if (c == 0x00A0 && !tableEntry) {
            out += "\\~";
        } else if (!detail::isDocumentText(c)) {
            continue;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                              QChar::isLowSurrogate(text[i + 1].unicode());
            const QString character = text.mid(i, pair ? 2 : 1);
            const bool lone = !pair && QChar::isSurrogate(c);
            const std::string gbk = lone ? std::string() : detail::gbkBytesOf(character);
            if (!gbk.empty()) {
                for (char byte : gbk)
                    appendHexByte(out, static_cast<unsigned char>(byte));
                usedGbk = true;
            } else {
                for (QChar unit : character) {
                    out += "\\u";
                    appendNumber(out, static_cast<std::int16_t>(unit.unicode()));
                    out += '?';
                }
            }
            if (pair)
                ++i;
        }
    }
    return usedGbk;
}

std::string Writer::run() {
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        body_ += "\\pard";
        switch (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignRight:
            body_ += "\\qr";
            break;
        case Qt::AlignHCenter:
            body_ += "\\qc";
            break;
        case Qt::AlignJustify:
            body_ += "\\qj";
            break;
        default:
            break;
        }
        body_ += ' ';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            std::string text;
            const bool gbk = appendText(text, fragment.text());
            if (text.empty())
                continue;
            const RunFormat format = runFormat(fragment.charFormat());
            fonts_[format.font].gbk = fonts_[format.font].gbk || gbk;
            emitFormat(format);
            body_ += text;
        }
        emitFormat(runFormat(block.charFormat()));
        body_ += "\\par\r\n";
    }
    return header() + body_ + "}";
}

std::string Writer::header() {
    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl";
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        out += "{\\f";
        appendNumber(out, static_cast<long long>(i));
        out += fonts_[i].gbk ? "\\fnil\\fcharset134 " : "\\fnil\\fcharset0 ";
        appendText(out, fonts_[i].face, true);
        out += ";}";
    }
    out += "}";
    if (!colors_.empty()) {
        out += "{\\colortbl ;";
        for (QRgb rgb : colors_) {
            out += "\\red";
            appendNumber(out, qRed(rgb));
            out += "\\green";
            appendNumber(out, qGreen(rgb));
            out += "\\blue";
            appendNumber(out, qBlue(rgb));
            out += ';';
        }
        out += "}";
    }
    out += "\r\n";
    return out;
}

} // namespace

std::string writeRtf(const QTextDocument& doc) {
    return Writer(doc).run();
}

} // namespace report::rtf
