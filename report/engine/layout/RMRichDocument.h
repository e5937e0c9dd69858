#pragma once

// Rich text as reports lay it out: a QTextDocument read from RTF and laid out on a reference
// device of 1440 dots per inch (one layout unit is one twip) with the fonts' design metrics.
// Line breaks, line heights and "the first character that did not fit" therefore do not
// depend on the device the text is drawn on later (screen at any zoom, PDF, printer,
// metafile): drawing scales the laid-out lines onto the target.
//
// Positions count the document's characters (a paragraph end counts one) from 0 to
// length(); the end of the last paragraph is not part of the text.

#include <QPointF>
#include <QTextCharFormat>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;
class QTextDocument;

namespace report {

// One laid-out line, in twips from the top-left of the text area.
struct TRMRichLine {
    int Block = 0;              // paragraph number
    int Index = 0;              // line number inside the paragraph
    int Start = 0;              // document position of its first character
    int Length = 0;             // characters, its paragraph end not counted
    double Left = 0, Right = 0; // extent of the text, alignment applied
    double Top = 0, Bottom = 0;
    double Ascent = 0;      // base line below Top
    bool Justified = false; // spread to the width (a justified paragraph's line but its last)
};

class TRMRichDocument {
public:
    static constexpr double TwipsPerInch = 1440;

    // An empty document in the rich view's default font ("宋体", 11 points).
    TRMRichDocument();
    ~TRMRichDocument();
    TRMRichDocument(const TRMRichDocument& other);
    TRMRichDocument& operator=(const TRMRichDocument& other);

    // Replaces the text by the rich text; false (document empty, `*error` set) for text
    // that is not RTF or nests too deeply.
    bool loadRtf(std::string_view rtf, std::string* error = nullptr);
    std::string saveRtf() const;
    void clear();

    int length() const;
    int paragraphCount() const;
    // Characters [start, end) as UTF-8, paragraphs joined with CR LF.
    std::string plainText(int start = 0, int end = -1) const;

    // Replaces each bracketed group ("[" to its matching "]", nested pairs counted, brackets
    // inside quotes ignored; an unclosed group runs to the end) by evaluate(content). The
    // result takes the character format of the "[", and the search goes on after it, so
    // brackets inside results stay as they are. Line breaks in a result start paragraphs.
    // With `expanded`, each group's content, result and where the result starts, in order.
    struct Expanded {
        std::string content, value;
        int start = 0, length = 0; // in the expanded document
    };
    void expandBrackets(const std::function<std::string(std::string_view content)>& evaluate,
                        std::vector<Expanded>* expanded = nullptr);

    // The characters [start, end) with their paragraph and character formats.
    TRMRichDocument part(int start, int end) const;
    // Replaces the characters [start, start + count) (count > 0, inside one paragraph) by
    // `text` in the format of the first of them. Only that paragraph is laid out again.
    void replaceText(int start, int count, const QString& text);
    // Documents read from RTF by every document of the process (benchmarks and tests count
    // reading with it).
    static std::size_t textsRead();

    // --- layout at `width` twips (kept until another width or a change of the text)
    const std::vector<TRMRichLine>& lines(double width) const;
    // Position of the first character whose line does not fit within `height` twips when
    // the text is laid out from `start` (the top of the line holding `start`); length()
    // when everything fits, `start` when not even that line does.
    int firstUnfit(double width, int start, double height) const;
    // Draws lines(width)[index] onto `painter`: `origin` is where the text area's top-left
    // lands, `scaleX` and `scaleY` are painter units per twip. The line's characters are
    // shaped anew at the painter's size, aligned and spread in the scaled width and put on
    // the laid-out base line, so glyphs render as that device renders them (hinting,
    // synthesized bold) while breaks and positions stay the layout's. Text without a colour
    // of its own is drawn in `color`.
    void drawLine(QPainter& painter, double width, int index, QPointF origin, double scaleX,
                  double scaleY, const QColor& color) const;
    // Format of the first visible character of a line (the paragraph's own format for an
    // empty line), and whether the line shows anything (text, or lines and backgrounds under
    // blanks).
    QTextCharFormat lineFormat(const TRMRichLine& line) const;
    bool lineShows(const TRMRichLine& line) const;

    const QTextDocument& document() const { return *doc_; }

private:
    void setUp();
    void changed();
    void layoutAt(double width) const;

    // A line shaped for drawing at one scale, kept by (paragraph, line in paragraph) for the
    // next draw while that paragraph stays as it is.
    struct ShapedLine;

    std::unique_ptr<QTextDocument> doc_;
    mutable std::map<std::pair<int, int>, std::unique_ptr<ShapedLine>> shaped_;
    mutable double linesWidth_ = -1;
    mutable double laidOutWidth_ = -1; // the document layout's width while it stands
    mutable std::vector<TRMRichLine> lines_;
};

} // namespace report
