// Rich views: the archive's captions expanded, measured, written and drawn (recording
// metafile and a 600-dpi PDF read back), bracket expansion keeping each run's format, the
// height search, splitting by character position across pages, fill, frame and bad text.

#include "DrawingSupport.h"
#include "RichTextSupport.h"
#include "TemplateBuilder.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/layout/RMRichDocument.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/model/RMVariables.h"
#include "tests/report/engine/ArchiveCaptions.h"

#include <QPicture>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>
#include <thread>

using namespace report;
using platform::TMetafile;
using platform::TMetaRecordKind;
using testdraw::OnePage;

namespace {

class RichView : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalVariables().Clear();
        GlobalVariables().SetVariable("Title", "核算单位档案");
        GlobalVariables().SetVariable("Oper", "张三");
        report().State.StartDateTime = encodeDate(2026, 12, 9) + encodeTime(8, 30, 0);
        report().State.PageNo = 1;
        report().State.TotalPages = 3;
    }
    void TearDown() override { GlobalVariables().Clear(); }

    TRMReport& report() { return doc.report; }
    RMStream& stream(int page = 0) { return report().EMFPages[page]->Stream; }

    // A caption view across the printable width of the A4 page (38-pixel margins), without
    // a frame, as tall as its prepared text needs, written into page 0 as preparation does.
    TRMRichView& caption(std::string_view rtf, int top) {
        auto view = std::make_unique<TRMRichView>();
        view->Name = "Rich" + std::to_string(top);
        view->SetBounds(38, top, 718, 0);
        view->RichText = std::string(rtf);
        view->Height = view->CalcHeight(report());
        EXPECT_TRUE(view->PrintToStream(report(), stream()));
        views.push_back(std::move(view));
        return *views.back();
    }

    // The rich views written on a page, in stream order.
    std::vector<const TRMRichView*> written(int page = 0) {
        decoded = report().EMFPages.pageViews(page);
        std::vector<const TRMRichView*> out;
        for (const auto& v : decoded->Objects())
            if (const auto* rich = dynamic_cast<const TRMRichView*>(v.get()))
                out.push_back(rich);
        return out;
    }

    TMetafile paint(int page, double scale = 1.0) {
        const TRMPageInfo info = report().EMFPages.pageInfo(page);
        const int w = static_cast<int>(info.Width * scale),
                  h = static_cast<int>(info.Height * scale);
        TMetafile m(w, h);
        {
            platform::TMetafileCanvas canvas(m);
            report().EMFPages.paintPage(page, canvas, platform::Bounds(0, 0, w, h), {});
        }
        return m;
    }

    OnePage doc;
    std::vector<std::unique_ptr<TRMRichView>> views;
    std::shared_ptr<const TRMPage> decoded;
};

std::vector<const platform::TMetaRecord*> lines(const TMetafile& m) {
    return m.recordsOf(TMetaRecordKind::Raw);
}

std::vector<std::string> texts(const TMetafile& m) {
    std::vector<std::string> out;
    for (const auto* r : lines(m))
        out.push_back(r->Text);
    return out;
}

// UTF-8 text as RTF text: other than ASCII as \\uN escapes.
std::string rtfText(const char* utf8) {
    std::string out;
    for (QChar c : QString::fromUtf8(utf8)) {
        if (c.unicode() < 0x80)
            out += static_cast<char>(c.unicode());
        else
            out += "\\u" + std::to_string(static_cast<std::int16_t>(c.unicode())) + "?";
    }
    return out;
}

std::string describe(const TRMRichView& v) {
    return testrich::describe(v.Document().document());
}

// Runs a poppler tool on `pdf` and returns its output.
QString poppler(const QString& tool, QStringList args, const QString& pdf) {
    QProcess process;
    args << pdf;
    if (tool == QStringLiteral("pdftotext"))
        args << "-";
    process.start(tool, args);
    EXPECT_TRUE(process.waitForFinished(20000)) << tool.toStdString() << " did not finish";
    EXPECT_EQ(process.exitCode(), 0) << tool.toStdString() << " failed (poppler-utils installed?)";
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A word of `pdftotext -bbox` output: its box in points.
struct PdfWord {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool found = false;
};

PdfWord findWord(const QString& bbox, const QString& word) {
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = re.globalMatch(bbox); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(5) == word)
            return {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                    m.captured(4).toDouble(), true};
    }
    return {};
}

constexpr double pointsPerPixel = 72.0 / 96.0;

} // namespace

TEST_F(RichView, ArchiveHeaderShowsTheTitleCentredIn22PointHei) {
    const TRMRichView& header = caption(ArchivePageHeaderCaption, 38);
    EXPECT_EQ(header.RichText, ArchivePageHeaderCaption); // the template keeps its brackets
    const auto record = written();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(describe(*record[0]), "C \"核算单位档案\"<黑体 22> |黑体 22\n"
                                    "R \"" +
                                        std::string(32, ' ') +
                                        "\"<黑体 8 fg#000000> |黑体 8 fg#000000\n");
    EXPECT_EQ(record[0]->Left, 38);
    EXPECT_EQ(record[0]->Top, 38);
    EXPECT_EQ(record[0]->Height, header.Height);
    // A 22-point line and an 8-point line (29 and 11 pixels of characters) with 2 × GapY.
    EXPECT_GE(header.Height, 29 + 11 + 4);
    EXPECT_LE(header.Height, 80);

    // The height search gives the least height at which everything fits: one pixel less
    // and the blank line no longer does.
    const TRMRichDocument& text = *header.Prepared();
    const double width = header.TextWidthTwips();
    EXPECT_EQ(text.firstUnfit(width, 0, (header.Height - 4) * 15.0), text.length());
    EXPECT_EQ(text.firstUnfit(width, 0, (header.Height - 5) * 15.0), 7);

    const TMetafile m = paint(0);
    const auto drawn = lines(m);
    ASSERT_EQ(drawn.size(), 1u) << m.dump(); // the blank line shows nothing
    EXPECT_EQ(drawn[0]->Text, "核算单位档案");
    EXPECT_EQ(drawn[0]->Font.Name, "黑体");
    EXPECT_EQ(drawn[0]->Font.Height, -29);
    EXPECT_NEAR((drawn[0]->Rect.Left + drawn[0]->Rect.Right) / 2.0, 38 + 718 / 2.0, 1.0);
    EXPECT_GE(drawn[0]->Rect.Top, 38 + 2);
    EXPECT_LE(drawn[0]->Rect.Bottom, 38 + header.Height - 2);
    EXPECT_TRUE(m.recordsOf(TMetaRecordKind::FillRect).empty());    // FillColor none: transparent
    EXPECT_EQ(m.texts(), std::vector<std::string>{"核算单位档案"}); // found by a text search
}

TEST_F(RichView, ArchiveFootersExpandDateOperatorAndPageNumbers) {
    const TRMRichView& footer = caption(ArchivePageFooterCaption, 38);
    EXPECT_EQ(footer.Height, 8 + 4); // one empty paragraph: the search's smallest answer
    const TRMRichView& columnFooter = caption(ArchiveColumnFooterCaption, 100);
    const auto record = written();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(describe(*record[1]),
              "L \"打印日期:2026-12-09  打印时间:8:30:00          \"<宋体 9> |宋体 9\n"
              "L \"操 作 员:张三  \"<宋体 9> |宋体 9\n"
              "L \"页    数:第2页/共3页\"<宋体 9> |MS Sans Serif 8.5\n");

    const TMetafile m = paint(0);
    const auto drawn = lines(m);
    ASSERT_EQ(drawn.size(), 3u) << m.dump();
    EXPECT_EQ(texts(m), (std::vector<std::string>{"打印日期:2026-12-09  打印时间:8:30:00          ",
                                                  "操 作 员:张三  ", "页    数:第2页/共3页"}));
    int previousBottom = columnFooter.Top + 2;
    for (const auto* line : drawn) {
        EXPECT_EQ(line->Font.Name, "宋体");
        EXPECT_EQ(line->Font.Height, -12);
        EXPECT_NEAR(line->Rect.Left, 38 + 2, 1); // left-aligned after GapX
        EXPECT_GE(line->Rect.Top, previousBottom - 1);
        previousBottom = line->Rect.Bottom;
    }
    EXPECT_LE(previousBottom, columnFooter.Top + columnFooter.Height - 2 + 1);
}

TEST_F(RichView, ExpansionKeepsTheFormatOfEachBracket) {
    GlobalVariables().SetVariable("Lines", "一\r\n二");
    GlobalVariables().SetVariable("Loop", "[Title]");
    TRMRichView view;
    view.SetBounds(0, 0, 400, 0);
    view.RichText = "{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                    "{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs18 "
                    "A{\\b\\cf1 [Title]}B\\par\\qc [Lines]\\par\\pard [Loop] ['x]y' ]{\\i [Oper}}";
    view.PrepareText(report());
    // The value takes the format of its "[", line breaks in it start paragraphs (with the
    // paragraph's alignment), results are not expanded again, quoted brackets do not close
    // a group, and an unclosed group runs to the end.
    EXPECT_EQ(testrich::describe(view.Prepared()->document()),
              "L \"A\"<宋体 9> \"核算单位档案\"<宋体 9 b fg#ff0000> \"B\"<宋体 9> |宋体 9\n"
              "C \"一\"<宋体 9> |宋体 9\n"
              "C \"二\"<宋体 9> |宋体 9\n"
              "L \"[Title] x]y\"<宋体 9> \"张三\"<宋体 9 i> |宋体 9\n");

    view.setFlag(flag::TextOnly, true);
    view.PrepareText(report());
    EXPECT_EQ(view.Prepared()->plainText(), view.Document().plainText());

    // Blank rows of a data band print nothing, unless the view prints on appended rows.
    view.setFlag(flag::TextOnly, false);
    TRMBand band;
    band.BandType = rmbtMasterData;
    view.ParentBand = &band;
    report().State.BlankRowMode = true;
    view.PrepareText(report());
    EXPECT_EQ(view.Prepared()->length(), 0);
    view.setFlag2(flag2::PrintAtAppendBlank, true);
    view.PrepareText(report());
    EXPECT_NE(view.Prepared()->plainText().find("核算单位档案"), std::string::npos);
    EXPECT_TRUE(report().State.BlankRowMode); // restored after the expansion
    EXPECT_EQ(report().CurrentView, nullptr);
}

TEST_F(RichView, PreparedAgainWithOtherResultsReadsAsAFreshExpansion) {
    const std::string rtf = "{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs18 "
                            "第{\\b\\cf1 [N]}页 [Title]\\par\\qc [Oper] [N]";
    TRMRichView view;
    view.SetBounds(0, 0, 400, 0);
    view.RichText = rtf;
    const TRMRichDocument* kept = nullptr;
    // Results that stay in their paragraph change the document prepared before; an empty
    // or several-line result expands anew; either way it reads as a fresh expansion.
    for (const char* n : {"9", "10", "100", "99999", "", "7", "一\r\n二", "12", "12"}) {
        GlobalVariables().SetVariable("N", n);
        view.PrepareText(report());
        TRMRichView fresh;
        fresh.SetBounds(0, 0, 400, 0);
        fresh.RichText = rtf;
        fresh.PrepareText(report());
        EXPECT_EQ(view.Prepared()->saveRtf(), fresh.Prepared()->saveRtf()) << n;
        EXPECT_EQ(testrich::describe(view.Prepared()->document()),
                  testrich::describe(fresh.Prepared()->document()))
            << n;
        EXPECT_EQ(view.HeightOf(*view.Prepared()), fresh.HeightOf(*fresh.Prepared())) << n;
        if (std::string_view(n) == "99999") {
            EXPECT_EQ(view.Prepared(), kept) << "changed in place";
        }
        kept = view.Prepared();
    }
}

TEST_F(RichView, HeightSearchWithGapsFramesWrappingAndEmptyText) {
    TRMRichView view;
    view.SetBounds(0, 0, 200, 0);
    EXPECT_EQ(view.CalcHeight(report()), 8 + 4); // no text at all
    view.RichText = "{\\rtf1\\fs18 A}";
    const int oneLine = view.CalcHeight(report());
    // A line that fits is measured, not taken for "nothing to show" (a 9-point line).
    EXPECT_GE(oneLine, 12 + 4);
    EXPECT_LE(oneLine, 16 + 4);
    view.GapY = 5;
    EXPECT_EQ(view.CalcHeight(report()), oneLine + 6);
    view.GapY = 2;
    view.setFrameTyp(15); // 1-pixel sides: half of 1, rounded, on each side
    EXPECT_EQ(view.CalcHeight(report()), oneLine + 2);
    view.setFrameStyle(0x10); // double: half the width plus twice the width
    EXPECT_EQ(view.CalcHeight(report()), oneLine + 6);
    view.setFrameTyp(0);

    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "核算单位 unit ";
    view.RichText = "{\\rtf1\\ansi\\ansicpg936\\fs18 " + words + "}";
    const int wide = view.CalcHeight(report());
    view.Width = 100;
    const int narrow = view.CalcHeight(report());
    EXPECT_GT(wide, oneLine);
    EXPECT_GT(narrow, wide + oneLine); // at least one more line at half the width
    view.Visible = false;
    EXPECT_EQ(view.CalcHeight(report()), 0);
    EXPECT_FALSE(view.PrintToStream(report(), stream()));
    EXPECT_EQ(stream().size(), 1u); // nothing but the version byte
}

TEST_F(RichView, SplitsByCharacterPositionAcrossPages) {
    // A paragraph of a few lines, a right-aligned one of many, a centred bold one.
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
        "\\f0\\fs18 ";
    for (int i = 0; i < 3; ++i)
        rtf += "[Title]" + rtfText("第") + std::to_string(i) + rtfText("行") + " account ";
    rtf += "\\par\\qr ";
    for (int i = 0; i < 16; ++i)
        rtf += rtfText("右对齐段落") + " right " + std::to_string(i) + " ";
    rtf += "\\par\\qc\\b " + rtfText("居中") + " [Oper]}";
    TRMRichView view;
    view.Name = "Split";
    view.SetBounds(40, 100, 200, 0);
    view.setFrameTyp(15);
    view.RichText = rtf;
    const int full = view.CalcHeight(report());
    const TRMRichDocument whole = *view.Prepared();
    const auto& layout = whole.lines(view.TextWidthTwips());
    ASSERT_GE(layout.size(), 12u);

    // Drawn in one piece on page 0 ...
    view.Height = full;
    ASSERT_TRUE(view.PrintToStream(report(), stream(0)));
    EXPECT_EQ(view.RemainHeight(), 0);
    // ... and split over pages 1 to 3: half of it, one line (MinHeight), the rest.
    for (int i = 0; i < 3; ++i)
        report().EMFPages.AddPage(doc.templatePage);
    view.CalcHeight(report());
    std::vector<int> cuts{0};
    for (int page = 1; page <= 3; ++page) {
        view.Height = page == 1 ? full / 2 : page == 2 ? view.MinHeight() : view.RemainHeight();
        view.DrawStatus = rmsPrinting;
        ASSERT_TRUE(view.PrintToStream(report(), stream(page)));
        cuts.push_back(view.SplitPosition);
        EXPECT_EQ(view.DrawStatus, rmsNormal);
    }
    EXPECT_EQ(view.RemainHeight(), 0);
    EXPECT_EQ(cuts.back(), whole.length());
    // Each part ends where a line of the whole text starts, and the one-line part holds
    // exactly one line.
    for (std::size_t i = 1; i + 1 < cuts.size(); ++i)
        EXPECT_TRUE(std::any_of(layout.begin(), layout.end(),
                                [&](const TRMRichLine& l) { return l.Start == cuts[i]; }))
            << "cut " << cuts[i];
    const auto second = std::find_if(layout.begin(), layout.end(),
                                     [&](const TRMRichLine& l) { return l.Start == cuts[1]; });
    ASSERT_NE(second, layout.end());
    ASSERT_NE(second + 1, layout.end());
    EXPECT_EQ(cuts[2], (second + 1)->Start);

    std::vector<std::string> pieces;
    for (int page = 1; page <= 3; ++page) {
        const auto part = written(page);
        ASSERT_EQ(part.size(), 1u);
        // Nothing lost, nothing twice: each record holds the text between its cuts.
        std::string expected = whole.plainText(cuts[page - 1], cuts[page]);
        if (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
            expected.resize(expected.size() - 2); // a part ending with its paragraph
        EXPECT_EQ(part[0]->Document().plainText(), expected) << "page " << page;
        EXPECT_LE(part[0]->HeightOf(part[0]->Document()), part[0]->Height) << "page " << page;
        for (const std::string& t : texts(paint(page)))
            pieces.push_back(t);
    }
    // The parts draw the lines of the whole, in order.
    EXPECT_EQ(pieces, texts(paint(0)));
    // A paragraph continued on the next page keeps its alignment.
    EXPECT_EQ(describe(*written(2)[0]).substr(0, 2), "R ");
    const auto last = written(3);
    EXPECT_EQ(describe(*last[0]).substr(0, 2), "R ");
    EXPECT_NE(describe(*last[0]).find("C \"居中 张三\"<宋体 9 b>"), std::string::npos)
        << describe(*last[0]);
}

TEST_F(RichView, FillTextThenFrameAndTheSameLinesAtEveryScale) {
    TRMRichView& box = *views.emplace_back(std::make_unique<TRMRichView>());
    box.SetBounds(100, 300, 300, 0);
    box.FillColor = 0xE0FFFF;
    box.setFrameTyp(15);
    box.setFrameWidth(2);
    box.RichText = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                   "\\f0\\fs20 " +
                   rtfText("左对齐的一段文字，足够长，可以在这个框里折成好几行。") +
                   "Mixed Latin words wrap too.\\par\\qr RIGHT}";
    box.Height = box.CalcHeight(report());
    ASSERT_TRUE(box.PrintToStream(report(), stream()));
    caption(ArchivePageHeaderCaption, 38);

    const TMetafile m1 = paint(0, 1.0);
    const auto& records = m1.records();
    auto indexOf = [&](TMetaRecordKind kind) {
        return std::find_if(records.begin(), records.end(),
                            [&](const platform::TMetaRecord& r) { return r.Kind == kind; }) -
               records.begin();
    };
    EXPECT_LT(indexOf(TMetaRecordKind::FillRect), indexOf(TMetaRecordKind::Raw));
    EXPECT_LT(indexOf(TMetaRecordKind::Raw), indexOf(TMetaRecordKind::Rectangle));
    ASSERT_EQ(m1.recordsOf(TMetaRecordKind::FillRect).size(), 1u);
    EXPECT_EQ(m1.recordsOf(TMetaRecordKind::FillRect)[0]->Rect,
              platform::Rect(100, 300, 400, 300 + box.Height));
    const auto right = lines(m1)[lines(m1).size() - 2];
    EXPECT_EQ(right->Text, "RIGHT");
    EXPECT_NEAR(right->Rect.Right, 400 - 2 - 1, 1.5); // GapX and half the 2-pixel frame
    EXPECT_GE(lines(m1).size(), 4u);

    // Zoomed: the same lines, at twice the place.
    const TMetafile m2 = paint(0, 2.0);
    ASSERT_EQ(texts(m2), texts(m1));
    for (std::size_t i = 0; i < lines(m1).size(); ++i) {
        const platform::TRect a = lines(m1)[i]->Rect, b = lines(m2)[i]->Rect;
        EXPECT_NEAR(b.Left, 2 * a.Left, 2) << i;
        EXPECT_NEAR(b.Top, 2 * a.Top, 2) << i;
        EXPECT_NEAR(b.Right, 2 * a.Right, 2) << i;
        EXPECT_NEAR(b.Bottom, 2 * a.Bottom, 2) << i;
    }

    // A 600-dpi PDF holds the same texts at the same places.
    QTemporaryDir dir;
    const QString path = dir.filePath("rich.pdf");
    testdraw::paintPdf(report(), path);
    const QString bbox = poppler("pdftotext", {"-bbox"}, path);
    const PdfWord title = findWord(bbox, QStringLiteral("核算单位档案"));
    ASSERT_TRUE(title.found) << bbox.toStdString();
    EXPECT_NEAR((title.xMin + title.xMax) / 2, (38 + 718 / 2.0) * pointsPerPixel, 2.0);
    const PdfWord rightWord = findWord(bbox, QStringLiteral("RIGHT"));
    ASSERT_TRUE(rightWord.found) << bbox.toStdString();
    EXPECT_NEAR(rightWord.xMax, right->Rect.Right * pointsPerPixel, 2.0);
    EXPECT_NEAR(rightWord.yMin, right->Rect.Top * pointsPerPixel, 4.0);
    // 22-point title, 10-point body.
    const PdfWord body = findWord(bbox, QStringLiteral("Latin"));
    ASSERT_TRUE(body.found);
    EXPECT_GT(title.yMax - title.yMin, 1.8 * (body.yMax - body.yMin));
    const QString layout = poppler("pdftotext", {"-layout"}, path);
    EXPECT_TRUE(layout.contains(QStringLiteral("左对齐的一段文字"))) << layout.toStdString();
    EXPECT_TRUE(poppler("pdffonts", {}, path).contains(QStringLiteral("WenQuanYi")));
}

TEST_F(RichView, UnreadableTextDrawsFillAndFrameOnly) {
    for (const std::string& bad :
         {std::string("plain words"), "{\\rtf1 " + std::string(300, '{') + "x",
          std::string("{\\rtf1 \\bin99999999")}) {
        OnePage page;
        TRMRichView view;
        view.SetBounds(10, 10, 100, 0);
        view.FillColor = 0x00FF00;
        view.setFrameTyp(15);
        view.RichText = bad;
        EXPECT_EQ(view.CalcHeight(page.report), 8 + 4 + 2);
        view.Height = 30;
        ASSERT_TRUE(view.PrintToStream(page.report, page.report.EMFPages[0]->Stream));
        const TMetafile m = page.paint();
        EXPECT_TRUE(lines(m).empty()) << m.dump();
        EXPECT_EQ(m.recordsOf(TMetaRecordKind::FillRect).size(), 1u);
        EXPECT_EQ(m.recordsOf(TMetaRecordKind::Rectangle).size(), 1u);
    }
    // A text cut short shows what it holds; a first line taller than the view shows clipped.
    TRMRichView cut;
    cut.SetBounds(10, 10, 200, 10);
    cut.RichText = "{\\rtf1 {\\b\\fs40 open groups";
    doc.add(cut);
    const TMetafile m = doc.paint();
    ASSERT_EQ(lines(m).size(), 1u) << m.dump();
    EXPECT_EQ(lines(m)[0]->Text, "open groups");
    ASSERT_TRUE(lines(m)[0]->Clip.has_value());
    EXPECT_LE(lines(m)[0]->Clip->boundingRect().bottom(), 20);
}

// A caption repeated on every page is read and laid out once (per thread); a changed text
// gets its own document.
TEST_F(RichView, ViewsWithTheSameTextShareOneDocument) {
    TRMRichView header, again, footer;
    header.RichText = again.RichText = std::string(ArchivePageHeaderCaption);
    footer.RichText = std::string(ArchiveColumnFooterCaption);
    const TRMRichDocument* shared = &header.Document();
    EXPECT_EQ(&again.Document(), shared);
    EXPECT_NE(&footer.Document(), shared);
    again.RichText = footer.RichText;
    EXPECT_EQ(&again.Document(), &footer.Document());
    EXPECT_EQ(&header.Document(), shared);
    std::thread([&] {
        TRMRichView elsewhere;
        elsewhere.RichText = header.RichText;
        EXPECT_NE(&elsewhere.Document(), shared);
        EXPECT_EQ(elsewhere.Document().plainText(), shared->plainText());
    }).join();
}

namespace {

// The lines a view draws onto a recording canvas: place, text, font, clip and the drawing.
std::string drawnLines(const TRMRichView& v) {
    TMetafile m(800, 300);
    {
        platform::TMetafileCanvas canvas(m);
        v.Draw(canvas, {}, {});
    }
    std::string out;
    for (const auto* r : lines(m)) {
        const QByteArray drawing(r->Drawing->data(), static_cast<qsizetype>(r->Drawing->size()));
        out += std::to_string(r->Rect.Left) + "," + std::to_string(r->Rect.Top) + "," +
               std::to_string(r->Rect.Right) + "," + std::to_string(r->Rect.Bottom) + " " +
               r->Font.Name + " " + std::to_string(r->Font.Height) + " " +
               std::to_string(r->Clip.has_value()) + " " + std::to_string(qHash(drawing)) + " " +
               r->Text + "\n";
    }
    return out;
}

} // namespace

// A caption whose page number changes from page to page is read once per thread and its
// number changed in place; every page draws what the text read anew would draw, also where
// the number's width moves the rest of its line or breaks a centred line differently.
TEST_F(RichView, PageNumberChangedInPlaceDrawsAsTheTextReadAnew) {
    std::string footer(ArchiveColumnFooterCaption);
    for (const auto& [field, value] : {std::pair{"[Date]", "2026-12-09"},
                                       {"[Time]", "08:30:00"},
                                       {"[Oper]", "Zhang"},
                                       {"[TotalPages#]", "120"}})
        footer.replace(footer.find(field), std::string_view(field).size(), value);
    const std::string centred = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 "
                                "\\'cb\\'ce\\'cc\\'e5;}}\\pard\\qc\\f0\\fs18 \\'b5\\'da [Page#] "
                                "\\'d2\\'b3 of 120\\par 2026\\par}";
    for (const auto& [rtf, width] : {std::pair{footer, 718}, {centred, 70}}) {
        std::size_t reads = 0;
        for (const std::string page : {"9", "10", "100", "99999", "12345", "7"}) {
            std::string text = rtf;
            text.replace(text.find("[Page#]"), 7, page);
            TRMRichView inPlace, read;
            for (TRMRichView* v : {&inPlace, &read}) {
                v->SetBounds(38, 10, width, 80);
                v->RichText = text;
            }
            static_cast<void>(read.Document()); // a view that has read its text draws it
            const std::size_t before = TRMRichDocument::textsRead();
            const std::string drawn = drawnLines(inPlace);
            reads += TRMRichDocument::textsRead() - before;
            EXPECT_EQ(drawn, drawnLines(read)) << "page " << page;
            EXPECT_NE(drawn.find(page), std::string::npos) << drawn;
        }
        EXPECT_LE(reads, 1u) << rtf;
    }
}

namespace {

// A rich view in a template band, at (x, y) from the band's top and the left margin.
TRMRichView& richIn(testreport::TemplateBuilder& t, TRMBandView& band, int x, int y, int width,
                    int height, std::string rtf, const std::string& name) {
    auto view = std::make_unique<TRMRichView>();
    view->Name = name;
    view->SetBounds(t.leftMargin() + x, band.Top + y, width, height);
    view->setFlag(flag::Stretched, true);
    view->RichText = std::move(rtf);
    return static_cast<TRMRichView&>(*t.page().addView(std::move(view)));
}

// The rich views a prepared page holds whose name starts with `prefix`.
std::vector<const TRMRichView*> richOn(const std::shared_ptr<const TRMPage>& page,
                                       const std::string& prefix) {
    std::vector<const TRMRichView*> out;
    for (const auto& v : page->Objects())
        if (const auto* rich = dynamic_cast<const TRMRichView*>(v.get());
            rich != nullptr && rich->Name.rfind(prefix, 0) == 0)
            out.push_back(rich);
    return out;
}

} // namespace

TEST_F(RichView, PreparationExpandsCaptionsAndSplitsTallTextOverPages) {
    TRMReport report;
    report.DoublePass = true;
    std::string value;
    for (int i = 0; i < 400; ++i)
        value += "核算单位档案 " + std::to_string(i) + " ";
    testreport::RowsDataset data("Rows", {"v"}, {{platform::Variant(value)}});
    data.attachTo(report);
    testreport::TemplateBuilder t(report);
    TRMBandView& title = t.band(rmbtReportTitle, 10, "Title1");
    title.setBandFlag(bandflag::Stretched, true);
    richIn(t, title, 0, 0, 600, 10, std::string(ArchivePageHeaderCaption), "Header");
    TRMBandView& master = t.band(rmbtMasterData, 20, "MasterData1");
    master.DisplayFormatText = "RMDialogForm." + data.Name;
    master.setBandFlag(bandflag::Stretched, true);
    master.setBandFlag(bandflag::Breaked, true);
    richIn(t, master, 0, 0, 600, 20, "{\\rtf1\\ansi\\ansicpg936\\fs18 " + data.ref("v") + "}",
           "Text");
    TRMBandView& footer = t.band(rmbtPageFooter, 60, "PageFooter1");
    footer.setBandFlag(bandflag::OnFirstPage, true);
    footer.setBandFlag(bandflag::OnLastPage, true);
    richIn(t, footer, 0, 0, 600, 56, std::string(ArchiveColumnFooterCaption), "Footer");
    ASSERT_TRUE(report.PrepareReport());
    const int pages = report.EMFPages.Count();
    ASSERT_GE(pages, 2);

    const auto first = report.EMFPages.pageViews(0);
    const auto header = richOn(first, "Header");
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0]->Document().plainText(), "核算单位档案\r\n" + std::string(32, ' '));
    // The title band grew to the caption's measured height.
    EXPECT_EQ(header[0]->Height, header[0]->MeasureHeight());
    std::string joined;
    for (int p = 0; p < pages; ++p) {
        const auto views = report.EMFPages.pageViews(p);
        const auto parts = richOn(views, "Text");
        ASSERT_EQ(parts.size(), 1u) << "page " << p;
        joined += parts[0]->Document().plainText();
        EXPECT_LE(parts[0]->HeightOf(parts[0]->Document()), parts[0]->Height) << "page " << p;
        const auto footers = richOn(views, "Footer");
        ASSERT_EQ(footers.size(), 1u) << "page " << p;
        const std::string pageText =
            "第" + std::to_string(p + 1) + "页/共" + std::to_string(pages) + "页";
        EXPECT_NE(footers[0]->Document().plainText().find(pageText), std::string::npos)
            << footers[0]->Document().plainText();
        EXPECT_NE(footers[0]->Document().plainText().find("张三"), std::string::npos);
    }
    EXPECT_EQ(joined, value) << "every character printed once";
}
