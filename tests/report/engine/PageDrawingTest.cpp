// Drawing prepared pages: placement and scale, fill and frame rules, the context switches,
// and that drawing leaves the shared pages as they were.
#include "DrawingSupport.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using platform::TMetaRecordKind;
using testdraw::OnePage;

namespace {

std::vector<const platform::TMetaRecord*> of(const platform::TMetafile& m, TMetaRecordKind k) {
    return m.recordsOf(k);
}

} // namespace

TEST(PageDrawing, ViewsLandAtTheTargetScaleWithFillFrameAndText) {
    OnePage doc;
    auto memo = testdraw::framedMemo(40, 60, 200, 30, {"核算单位"});
    memo->FillColor = 0x00FFFF;
    doc.add(*memo);

    const platform::TMetafile m1 = doc.paint(1.0);
    ASSERT_EQ(of(m1, TMetaRecordKind::FillRect).size(), 1u) << m1.dump();
    EXPECT_EQ(of(m1, TMetaRecordKind::FillRect)[0]->Rect, platform::Rect(40, 60, 240, 90));
    // Four equal sides: one rectangle over the scaled edges.
    ASSERT_EQ(of(m1, TMetaRecordKind::Rectangle).size(), 1u);
    EXPECT_EQ(of(m1, TMetaRecordKind::Rectangle)[0]->Rect, platform::Rect(40, 60, 241, 91));
    const auto texts = m1.textRecords();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->Text, "核算单位");
    EXPECT_EQ(texts[0]->Points[0], QPoint(42, 62)); // GapX, GapY = 2
    EXPECT_EQ(texts[0]->Font.Height, -12);

    const platform::TMetafile m2 = doc.paint(2.0);
    EXPECT_EQ(of(m2, TMetaRecordKind::FillRect)[0]->Rect, platform::Rect(80, 120, 480, 180));
    EXPECT_EQ(m2.textRecords()[0]->Points[0], QPoint(84, 124));
    EXPECT_EQ(m2.textRecords()[0]->Font.Height, -24);
    EXPECT_EQ(of(m2, TMetaRecordKind::Rectangle)[0]->Pen.Width, 2);
}

TEST(PageDrawing, ContextSwitchesForFirstPassStationeryAndBackColour) {
    OnePage doc;
    auto framed = testdraw::framedMemo(10, 10, 100, 20, {"甲"});
    framed->FillColor = 0xFF0000;
    framed->setFlag(flag::PrintFrame, false);
    doc.add(*framed);
    auto hidden = testdraw::framedMemo(10, 40, 100, 20, {"乙"});
    hidden->setFlag(flag::PrintVisible, false);
    doc.add(*hidden);

    TRMDrawContext firstPass;
    firstPass.FirstPass = true;
    const platform::TMetafile fp = doc.paint(1.0, firstPass);
    EXPECT_TRUE(of(fp, TMetaRecordKind::FillRect).empty());
    EXPECT_TRUE(of(fp, TMetaRecordKind::Rectangle).empty());

    TRMPrintOptions options;
    options.Taoda = true;
    options.PrintBackColor = false;
    const platform::TMetafile printed = doc.paint(1.0, options.printContext(96, 96));
    EXPECT_EQ(printed.texts(), (std::vector<std::string>{"甲"})); // 乙 is not PrintVisible
    EXPECT_TRUE(of(printed, TMetaRecordKind::FillRect).empty());  // PrintBackColor off
    EXPECT_TRUE(of(printed, TMetaRecordKind::Rectangle).empty()); // no PrintFrame

    const platform::TMetafile screen = doc.paint(1.0);
    EXPECT_EQ(screen.texts(), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(of(screen, TMetaRecordKind::FillRect).size(), 1u);
    EXPECT_EQ(of(screen, TMetaRecordKind::Rectangle).size(), 2u);

    TRMDrawContext halfScale = options.printContext(96, 96, 50);
    halfScale.Taoda = false;
    const platform::TMetafile half = doc.paint(1.0, halfScale);
    EXPECT_EQ(half.textRecords()[1]->Points[0], QPoint(6, 21));
}

TEST(PageDrawing, SidesDoubleLinesDashStylesAndDiagonals) {
    OnePage doc;
    TRMView* views[3];
    auto sides = testdraw::framedMemo(10, 10, 100, 50, {});
    sides->setFrameTyp(8 | 4); // top and left
    sides->TopFrame.Style = 0x10 | psDash;
    sides->TopFrame.Width = 2;
    sides->LeftFrame.Color = 0x0000FF;
    views[0] = sides.get();
    auto dbl = testdraw::framedMemo(200, 10, 100, 50, {});
    dbl->setFrameStyle(psDouble); // the script value: a double solid line too
    views[1] = dbl.get();
    auto diag = testdraw::framedMemo(400, 10, 100, 50, {});
    diag->setFrameTyp(0);
    diag->BandType = 3;
    views[2] = diag.get();
    for (TRMView* v : views)
        doc.add(*v);
    const platform::TMetafile m = doc.paint();

    const auto lines = of(m, TMetaRecordKind::Line);
    // left, top, top's inner line (2 × width lower), then the three diagonal lines.
    ASSERT_EQ(lines.size(), 6u) << m.dump();
    EXPECT_EQ(lines[0]->Points, (std::vector<QPoint>{{10, 10}, {10, 60}}));
    EXPECT_EQ(lines[0]->Pen.Color, 0x0000FFu);
    EXPECT_EQ(lines[0]->Pen.Cap, platform::TPenCap::Square);
    EXPECT_EQ(lines[1]->Points, (std::vector<QPoint>{{10, 10}, {110, 10}}));
    EXPECT_EQ(lines[1]->Pen.Style, platform::psDash);
    EXPECT_EQ(lines[1]->Pen.Width, 2);
    EXPECT_EQ(lines[2]->Points, (std::vector<QPoint>{{10, 14}, {110, 14}}));
    EXPECT_EQ(lines[3]->Points, (std::vector<QPoint>{{400, 10}, {500, 60}}));
    EXPECT_EQ(lines[4]->Points, (std::vector<QPoint>{{400, 10}, {450, 60}}));
    EXPECT_EQ(lines[5]->Points, (std::vector<QPoint>{{400, 10}, {500, 35}}));
    const auto rects = of(m, TMetaRecordKind::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->Rect, platform::Rect(200, 10, 301, 61));
    EXPECT_EQ(rects[1]->Rect, platform::Rect(202, 12, 299, 59));
    EXPECT_EQ(rects[1]->Pen.Style, platform::psSolid);
}

TEST(PageDrawing, SharedPagesStayUnchangedWhileDrawersInterleave) {
    OnePage doc;
    for (int row = 0; row < 20; ++row) {
        auto memo =
            testdraw::framedMemo(20, 20 + row * 20, 120, 20, {"第" + std::to_string(row) + "行"});
        memo->setAutoWidth(row % 2 == 0);
        doc.add(*memo);
    }
    const std::string before = doc.report.EMFPages[0]->Stream.bytes();
    const auto views = doc.report.EMFPages.pageViews(0);
    const platform::TMetafile screen = doc.paint(1.0);
    const platform::TMetafile printer = doc.paint(6.25, TRMDrawContext::printer(600, 600));
    const platform::TMetafile again = doc.paint(1.0);
    EXPECT_EQ(doc.report.EMFPages.pageViews(0), views); // one decoded page served all three
    EXPECT_EQ(doc.report.EMFPages[0]->Stream.bytes(), before);
    EXPECT_EQ(screen.dump(), again.dump());
    EXPECT_EQ(screen.texts(), printer.texts());
    // AutoWidth memos got their width once, when decoded.
    EXPECT_LT(views->Objects()[0]->Width, 120);
    EXPECT_EQ(views->Objects()[1]->Width, 120);

    // A changed stream is decoded again; the old page lives on for whoever holds it.
    auto extra = testdraw::framedMemo(300, 20, 50, 20, {"新"});
    doc.add(*extra);
    EXPECT_NE(doc.report.EMFPages.pageViews(0), views);
    EXPECT_EQ(views->Objects().size(), 20u);
    EXPECT_EQ(doc.report.EMFPages.pageViews(0)->Objects().size(), 21u);
}

TEST(PageDrawing, ScreenCanvasSkipsViewsOutsideItsClip) {
    OnePage doc;
    auto top = testdraw::framedMemo(10, 10, 100, 20, {"上"});
    auto bottom = testdraw::framedMemo(10, 900, 100, 20, {"下"});
    doc.add(*top);
    doc.add(*bottom);
    QImage image(800, 1200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        platform::TCanvas canvas(painter);
        canvas.setClipRect(platform::Rect(0, 0, 800, 100));
        const TRMPageInfo info = doc.info();
        doc.report.EMFPages.paintPage(0, canvas, platform::Bounds(0, 0, info.Width, info.Height),
                                      {});
    }
    // Frame pixels of the top view are drawn, the region of the bottom one stays white.
    EXPECT_NE(image.pixel(10, 15), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(10, 905), QColor(Qt::white).rgb());
}

namespace {

struct RecordingFilter : TRMExportFilter {
    std::string description() const override { return "测试"; }
    std::string fileMask() const override { return "*.txt"; }
    bool beginDocument(const TRMExportDocument&, std::string*) override { return true; }
    void beginPage(int index, const TRMPageInfo&) override {
        log.push_back("page " + std::to_string(index));
    }
    void view(const TRMView& v, const platform::TRect& r) override {
        log.push_back("view " + v.Name + " " + std::to_string(r.Left) + "," +
                      std::to_string(r.Top));
    }
    void line(const TRMView&, int x, int y, int, std::string_view text) override {
        log.push_back("line " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::string(text));
    }
    void endPage() override { log.push_back("end"); }
    bool endDocument(std::string*) override { return true; }
    void abortDocument() override {}
    std::vector<std::string> log;
};

} // namespace

TEST(PageDrawing, ExportHandsViewsAndMemoLinesToTheFilter) {
    OnePage doc;
    auto memo = testdraw::framedMemo(10, 20, 100, 40, {"一", "二"});
    memo->Name = "M";
    doc.add(*memo);
    TRMCheckBoxView box;
    box.Name = "C";
    box.SetBounds(200, 20, 20, 20);
    box.Memo = {"1"};
    doc.add(box);
    TRMRichView rich; // rich text hands over its laid-out lines too
    rich.Name = "R";
    rich.SetBounds(10, 100, 300, 60);
    rich.RichText = "{\\rtf1\\fs18 Rich\\par\\qr text}";
    doc.add(rich);
    RecordingFilter filter;
    registerExportFilter(&filter);
    ASSERT_EQ(exportFilters().size(), 1u);
    doc.report.EMFPages.exportPage(0, filter);
    unregisterExportFilter(&filter);
    EXPECT_TRUE(exportFilters().empty());
    EXPECT_EQ(filter.log,
              (std::vector<std::string>{"page 0", "view M 10,20", "line 12,22 一", "line 12,36 二",
                                        "view C 200,20", "line 200,20 X", "view R 10,100",
                                        "line 12,102 Rich", "line 284,115 text", "end"}));
}

TEST(PageDrawing, PdfAtPrinterResolutionHoldsTheTexts) {
    OnePage doc;
    auto title = testdraw::framedMemo(40, 40, 400, 24, {"核算单位档案 Archive"});
    doc.add(*title);
    auto cell = testdraw::framedMemo(40, 64, 200, 20, {"第1页/共1页"});
    doc.add(*cell);
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    testdraw::paintPdf(doc.report, path);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", path, "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(20000)) << "pdftotext did not finish";
    ASSERT_EQ(pdftotext.exitCode(), 0) << "pdftotext failed (poppler-utils installed?)";
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("核算单位档案 Archive"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("第1页/共1页"))) << text.toStdString();
}
