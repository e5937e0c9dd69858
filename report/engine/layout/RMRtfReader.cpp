#include "report/engine/layout/RMRtfReader.h"

#include "report/engine/layout/RMRtfCodePage.h"
#include "report/engine/layout/RMRtfControlWords.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>
#include <climits>
#include <map>
#include <vector>

namespace report::rtf {
namespace {

using detail::hexValue;
using detail::isDigit;
using detail::isLetter;
using detail::Word;

enum class Destination : std::uint8_t { Text, FontTable, ColorTable, Skip };

// Character properties of a group; indexes refer to the font and colour tables.
struct CharState {
    int font = -1; // -1: the default font (\deff)
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int color = 0; // 0: automatic
    int highlight = 0;
    int vertical = 0; // 0 baseline, 1 superscript, 2 subscript
    bool operator==(const CharState&) const = default;
};

struct GroupState {
    CharState chr;
    Qt::Alignment alignment = Qt::AlignLeft;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // \ucN: fallback characters after each \uN
};

struct Font {
    QString face;
    int charset = 1;  // default character set: the document's code page
    int codePage = 0; // \cpgN, 0 when not given
};

// An entry without components is the automatic colour (the first entry, by custom).
struct TableColor {
    int red = 0, green = 0, blue = 0;
    bool automatic = true;
    QColor color() const { return QColor(red, green, blue); }
};

class Reader {
public:
    Reader(std::string_view input, QTextDocument& doc)
        : input_(input)
        , cursor_(&doc) {}

    bool run(std::string* error);

private:
    GroupState& state() { return stack_.back(); }
    bool openGroup();
    void closeGroup();
    void control();
    void controlWord(std::string_view name, bool hasParam, int param);
    void controlSymbol(char c);
    void hexByte();
    void textByte(unsigned char byte);
    void skipBinary(int count);

    int codePageOf(const CharState& chr) const;
    QTextCharFormat formatOf(const CharState& chr) const;
    void appendByte(unsigned char byte);
    void appendText(QStringView text);
    void flushBytes();
    void flushText();
    void startBlockIfPending();
    void endBlock();
    void paragraph();
    void finishDocument();

    void finishFontName();
    void addFontNameBytes();

    std::string_view input_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    bool finished_ = false;
    int pendingSkip_ = 0; // fallback characters of the last \uN still to drop

    int documentCodePage_ = detail::kSystemCodePage;
    int defaultFont_ = 0;
    std::map<int, Font> fonts_;
    int currentFont_ = INT_MIN; // font table entry being read
    std::string fontNameBytes_;
    std::vector<TableColor> colors_;
    TableColor nextColor_;

    QTextCursor cursor_;
    std::string pendingBytes_; // 8-bit text not yet decoded
    int pendingCodePage_ = 0;
    CharState pendingBytesChar_;
    QString pendingText_; // decoded text not yet inserted
    CharState pendingTextChar_;
    bool blockPending_ = false; // a \par ended the last block; the next text starts one
};

bool Reader::run(std::string* error) {
    auto fail = [&](const char* text) {
        if (error)
            *error = text;
        return false;
    };
    while (pos_ < input_.size() &&
           std::string_view(" \t\r\n").find(input_[pos_]) != std::string_view::npos)
        ++pos_;
    if (input_.substr(pos_).substr(0, 5) != "{\\rtf")
        return fail("不是RTF格式的文本");
    while (pos_ < input_.size() && !finished_) {
        const char c = input_[pos_++];
        switch (c) {
        case '{':
            if (!openGroup())
                return fail("RTF文本的分组嵌套过深");
            break;
        case '}':
            closeGroup();
            break;
        case '\\':
            control();
            break;
        case '\r':
        case '\n':
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20)
                textByte(static_cast<unsigned char>(c));
            break;
        }
    }
    if (!finished_ && !stack_.empty())
        finishDocument(); // cut short: keep what was read
    return true;
}

bool Reader::openGroup() {
    pendingSkip_ = 0;
    if (static_cast<int>(stack_.size()) >= kMaxGroupDepth)
        return false;
    stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
    return true;
}

void Reader::closeGroup() {
    pendingSkip_ = 0;
    if (stack_.empty())
        return;
    if (state().destination == Destination::FontTable)
        finishFontName();
    if (stack_.size() == 1) {
        finishDocument();
        finished_ = true;
        return;
    }
    stack_.pop_back();
}

void Reader::control() {
    if (pos_ >= input_.size())
        return;
    if (!isLetter(input_[pos_])) {
        controlSymbol(input_[pos_++]);
        return;
    }
    const std::size_t start = pos_;
    while (pos_ < input_.size() && isLetter(input_[pos_]))
        ++pos_;
    const std::string_view name = input_.substr(start, pos_ - start);
    bool hasParam = false;
    long long value = 0;
    bool negative = false;
    if (pos_ + 1 < input_.size() && input_[pos_] == '-' && isDigit(input_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < input_.size() && isDigit(input_[pos_])) {
        hasParam = true;
        if (value <= INT_MAX) // saturate; the digits are consumed all the same
            value = value * 10 + (input_[pos_] - '0');
        ++pos_;
    }
    if (value > INT_MAX)
        value = INT_MAX;
    const int param = static_cast<int>(negative ? -value : value);
    if (pos_ < input_.size() && input_[pos_] == ' ')
        ++pos_;
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        if (name == "bin")
            skipBinary(param);
        return;
    }
    controlWord(name, hasParam, param);
}

void Reader::controlSymbol(char c) {
    if (c == '\'') {
        hexByte();
        return;
    }
    if (pendingSkip_ > 0) {
        if (c != '*' && c != '\r' && c != '\n')
            --pendingSkip_;
        return;
    }
    switch (c) {
    case '*':
        state().destination = Destination::Skip;
        break;
    case '\\':
    case '{':
    case '}':
        textByte(static_cast<unsigned char>(c));
        break;
    case '~':
        if (state().destination == Destination::Text)
            appendText(u"\u00A0");
        break;
    case '_':
        if (state().destination == Destination::Text)
            appendText(u"\u2011");
        break;
    case '\r':
    case '\n':
        if (state().destination == Destination::Text)
            paragraph();
        break;
    default:
        break; // \- optional hyphen, \| \: and the like
    }
}

void Reader::hexByte() {
    int digits = 0;
    int byte = 0;
    while (digits < 2 && pos_ < input_.size() && hexValue(input_[pos_]) >= 0) {
        byte = byte * 16 + hexValue(input_[pos_]);
        ++pos_;
        ++digits;
    }
    if (digits < 2)
        return; // an escape without its two hex digits stands for nothing
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    textByte(static_cast<unsigned char>(byte));
}

void Reader::skipBinary(int count) {
    if (count <= 0)
        return;
    const std::size_t left = input_.size() - pos_;
    pos_ += std::min(static_cast<std::size_t>(count), left);
}

void Reader::textByte(unsigned char byte) {
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    switch (state().destination) {
    case Destination::Text:
        appendByte(byte);
        break;
    case Destination::FontTable:
        if (byte == ';')
            finishFontName();
        else if (currentFont_ != INT_MIN)
            fontNameBytes_.push_back(static_cast<char>(byte));
        break;
    case Destination::ColorTable:
        if (byte == ';') {
            colors_.push_back(nextColor_);
            nextColor_ = {};
        }
        break;
    case Destination::Skip:
        break;
    }
}

void Reader::controlWord(std::string_view name, bool hasParam, int param) {
    const auto& table = detail::controlWords();
    const auto it = table.find(name);
    if (it == table.end())
        return;
    const Word word = it->second.word;
    GroupState& s = state();
    const bool on = !hasParam || param != 0;

    // Binary data is skipped wherever it stands, and destinations may start anywhere.
    switch (word) {
    case Word::Bin:
        skipBinary(param);
        return;
    case Word::FontTable:
        s.destination = Destination::FontTable;
        return;
    case Word::ColorTable:
        s.destination = Destination::ColorTable;
        nextColor_ = {};
        return;
    case Word::SkippedDestination:
        s.destination = Destination::Skip;
        return;
    case Word::Uc:
        if (hasParam && param >= 0)
            s.unicodeSkip = param;
        return;
    case Word::AnsiCpg:
        if (hasParam && param > 0)
            documentCodePage_ = param;
        return;
    case Word::Mac:
        documentCodePage_ = 10000;
        return;
    case Word::Pc:
        documentCodePage_ = 437;
        return;
    case Word::Pca:
        documentCodePage_ = 850;
        return;
    case Word::Ansi:
        return;
    case Word::Deff:
        if (hasParam)
            defaultFont_ = param;
        return;
    default:
        break;
    }

    if (s.destination == Destination::FontTable) {
        if (word == Word::Font && hasParam) {
            finishFontName();
            currentFont_ = param;
            fonts_[param] = Font{};
        } else if (word == Word::FontCharset && hasParam && currentFont_ != INT_MIN) {
            addFontNameBytes(); // bytes before the set keep the set they were read in
            fonts_[currentFont_].charset = param;
        } else if (word == Word::CodePage && hasParam && currentFont_ != INT_MIN) {
            addFontNameBytes();
            fonts_[currentFont_].codePage = param > 0 ? param : 0;
        } else if (word == Word::Unicode && hasParam && currentFont_ != INT_MIN) {
            addFontNameBytes();
            const int code = param < 0 ? param + 65536 : param;
            if (code >= 0 && code <= 0xFFFF)
                fonts_[currentFont_].face.append(QChar(static_cast<char16_t>(code)));
            pendingSkip_ = s.unicodeSkip;
        }
        return;
    }
    if (s.destination == Destination::ColorTable) {
        const int component = std::clamp(param, 0, 255);
        if (word == Word::Red)
            nextColor_.red = component;
        else if (word == Word::Green)
            nextColor_.green = component;
        else if (word == Word::Blue)
            nextColor_.blue = component;
        else
            return;
        nextColor_.automatic = false;
        return;
    }
    if (s.destination != Destination::Text)
        return;

    CharState& chr = s.chr;
    switch (word) {
    case Word::Par:
        paragraph();
        break;
    case Word::Line:
        appendText(u"\u2028");
        break;
    case Word::Tab:
        appendText(u"\t");
        break;
    case Word::Special: {
        const char16_t c = it->second.special;
        appendText(QStringView(&c, 1));
        break;
    }
    case Word::Unicode: {
        if (!hasParam)
            break;
        long long code = param < 0 ? static_cast<long long>(param) + 65536 : param;
        if (code < 0 || code > 0x10FFFF)
            code = 0xFFFD;
        if (code <= 0xFFFF) {
            const auto unit = static_cast<char16_t>(code);
            appendText(QStringView(&unit, 1));
        } else {
            const char32_t c = static_cast<char32_t>(code);
            appendText(QString::fromUcs4(&c, 1));
        }
        pendingSkip_ = s.unicodeSkip;
        break;
    }
    case Word::Plain:
        chr = CharState{};
        break;
    case Word::Font:
        if (hasParam)
            chr.font = param;
        break;
    case Word::FontSize:
        if (!hasParam)
            chr.halfPoints = 24;
        else if (param > 0)
            chr.halfPoints = std::clamp(param, 2, 3276);
        break;
    case Word::Bold:
        chr.bold = on;
        break;
    case Word::Italic:
        chr.italic = on;
        break;
    case Word::Underline:
        chr.underline = on;
        break;
    case Word::NoUnderline:
        chr.underline = false;
        break;
    case Word::Strike:
        chr.strike = on;
        break;
    case Word::ForeColor:
        chr.color = hasParam ? param : 0;
        break;
    case Word::Highlight:
        chr.highlight = hasParam ? param : 0;
        break;
    case Word::Super:
        chr.vertical = on ? 1 : 0;
        break;
    case Word::Sub:
        chr.vertical = on ? 2 : 0;
        break;
    case Word::NoSuperSub:
        chr.vertical = 0;
        break;
    case Word::Hidden:
        chr.hidden = on;
        break;
    case Word::Pard:
        s.alignment = Qt::AlignLeft;
        break;
    case Word::AlignLeft:
        s.alignment = Qt::AlignLeft;
        break;
    case Word::AlignRight:
        s.alignment = Qt::AlignRight;
        break;
    case Word::AlignCenter:
        s.alignment = Qt::AlignHCenter;
        break;
    case Word::AlignJustify:
        s.alignment = Qt::AlignJustify;
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------ font table

void Reader::addFontNameBytes() {
    if (fontNameBytes_.empty() || currentFont_ == INT_MIN)
        return;
    Font& font = fonts_[currentFont_];
    const int codePage = font.codePage > 0
                             ? font.codePage
                             : detail::codePageOfCharset(font.charset, documentCodePage_);
    font.face += detail::decodeBytes(fontNameBytes_, codePage);
    fontNameBytes_.clear();
}

void Reader::finishFontName() {
    addFontNameBytes();
    if (currentFont_ != INT_MIN) {
        Font& font = fonts_[currentFont_];
        font.face = detail::cleanFaceName(font.face);
    }
    currentFont_ = INT_MIN;
}

// ------------------------------------------------------------------ document text

int Reader::codePageOf(const CharState& chr) const {
    const auto it = fonts_.find(chr.font == -1 ? defaultFont_ : chr.font);
    if (it == fonts_.end())
        return documentCodePage_;
    if (it->second.codePage > 0)
        return it->second.codePage;
    return detail::codePageOfCharset(it->second.charset, documentCodePage_);
}

QTextCharFormat Reader::formatOf(const CharState& chr) const {
    QTextCharFormat format;
    const auto font = fonts_.find(chr.font == -1 ? defaultFont_ : chr.font);
    if (font != fonts_.end()) {
        // A face is clean once its entry ends; an entry still open (a damaged table) not yet.
        const QString face = detail::cleanFaceName(font->second.face);
        if (!face.isEmpty())
            format.setFontFamilies({face});
    }
    format.setFontPointSize(chr.halfPoints / 2.0);
    format.setFontWeight(chr.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chr.italic);
    format.setFontUnderline(chr.underline);
    format.setFontStrikeOut(chr.strike);
    auto colorAt = [this](int index) -> const TableColor* {
        if (index <= 0 || index >= static_cast<int>(colors_.size()) || colors_[index].automatic)
            return nullptr;
        return &colors_[index];
    };
    if (const TableColor* c = colorAt(chr.color))
        format.setForeground(c->color());
    if (const TableColor* c = colorAt(chr.highlight))
        format.setBackground(c->color());
    if (chr.vertical == 1)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (chr.vertical == 2)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

void Reader::appendByte(unsigned char byte) {
    const CharState& chr = state().chr;
    if (chr.hidden)
        return;
    const int codePage = codePageOf(chr);
    if (!pendingBytes_.empty() && (codePage != pendingCodePage_ || !(chr == pendingBytesChar_)))
        flushBytes();
    if (pendingBytes_.empty()) {
        pendingCodePage_ = codePage;
        pendingBytesChar_ = chr;
    }
    pendingBytes_.push_back(static_cast<char>(byte));
}

void Reader::flushBytes() {
    if (pendingBytes_.empty())
        return;
    const QString text = detail::decodeBytes(pendingBytes_, pendingCodePage_);
    pendingBytes_.clear();
    if (!pendingText_.isEmpty() && !(pendingBytesChar_ == pendingTextChar_))
        flushText();
    if (pendingText_.isEmpty())
        pendingTextChar_ = pendingBytesChar_;
    for (QChar c : text)
        if (detail::isDocumentText(c.unicode()))
            pendingText_.append(c);
}

void Reader::appendText(QStringView text) {
    const CharState& chr = state().chr;
    if (chr.hidden)
        return;
    flushBytes();
    if (!pendingText_.isEmpty() && !(chr == pendingTextChar_))
        flushText();
    if (pendingText_.isEmpty())
        pendingTextChar_ = chr;
    for (QChar c : text)
        if (detail::isDocumentText(c.unicode()))
            pendingText_.append(c);
}

void Reader::flushText() {
    if (pendingText_.isEmpty())
        return;
    startBlockIfPending();
    cursor_.insertText(pendingText_, formatOf(pendingTextChar_));
    pendingText_.clear();
}

void Reader::startBlockIfPending() {
    if (!blockPending_)
        return;
    blockPending_ = false;
    cursor_.insertBlock();
}

void Reader::endBlock() {
    QTextBlockFormat block;
    block.setAlignment(state().alignment);
    cursor_.setBlockFormat(block);
    cursor_.setBlockCharFormat(formatOf(state().chr));
}

void Reader::paragraph() {
    flushBytes();
    flushText();
    startBlockIfPending(); // a \par right after another one: an empty paragraph
    endBlock();
    blockPending_ = true;
}

void Reader::finishDocument() {
    flushBytes();
    flushText();
    if (!blockPending_)
        endBlock(); // the last paragraph had no \par of its own
}

} // namespace

bool readRtf(std::string_view rtfBytes, QTextDocument& doc, std::string* error) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    bool ok = false;
    {
        Reader reader(rtfBytes, doc);
        QTextCursor batch(&doc);
        batch.beginEditBlock();
        ok = reader.run(error);
        batch.endEditBlock();
    }
    if (!ok)
        doc.clear();
    doc.setUndoRedoEnabled(undo);
    return ok;
}

} // namespace report::rtf
