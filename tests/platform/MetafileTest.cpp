// Recording metafile: records in drawing order with their geometry and state, the text walk,
// and replay at scale 1 and 2 against drawing directly.

#include "platform/Metafile.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A scene that uses most kinds of call.
void drawScene(TCanvas& c) {
    c.Brush.Color = clInfoBk;
    c.fillRect({0, 0, 100, 60});
    c.Pen.Color = clGreen;
    const std::vector<QPoint> pts{{0, 20}, {100, 20}, {0, 40}, {100, 40}};
    const std::vector<int> counts{2, 2};
    c.polyPolyline(pts, counts);
    c.Brush.Color = clWhite;
    c.Pen.Color = clNavy;
    c.rectangle(5, 5, 40, 18);
    c.Font.Name = "宋体";
    c.Font.Height = -12;
    c.Font.Color = clRed;
    c.textRect({6, 22, 50, 38}, 8, 24, "核算单位");
    c.setBkMode(TBkMode::Transparent);
    c.textOut(55, 44, "Code");
    c.Brush.Style = bsClear;
    c.drawText("中间", TRect{50, 0, 100, 20}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    c.Brush = TBrush::pattern({0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0});
    c.Font.Color = clBlack;
    c.patBlt({80, 50, 100, 60}, PATAND);
    c.Pen = TPen{};
    c.Pen.Mode = pmNotXor;
    c.moveTo(70, 0);
    c.lineTo(70, 60);
    c.drawFocusRect({60, 22, 90, 38});
}

QImage direct(double scale) {
    QImage img(int(100 * scale), int(60 * scale), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    TCanvas c(painter);
    c.setViewport(scale, scale);
    drawScene(c);
    return img;
}

TMetafile record() {
    TMetafile mf(100, 60);
    TMetafileCanvas c(mf);
    drawScene(c);
    return mf;
}

} // namespace

TEST(Metafile, RecordsEveryCallInOrderWithItsState) {
    const TMetafile mf = record();
    std::vector<TMetaRecordKind> kinds;
    for (const TMetaRecord& r : mf.records())
        kinds.push_back(r.Kind);
    using K = TMetaRecordKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::FillRect, K::PolyPolyline, K::Rectangle, K::TextRect,
                                     K::TextOut, K::DrawText, K::PatBlt, K::Line, K::FocusRect}));

    const auto polys = mf.recordsOf(K::PolyPolyline);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0]->Counts, (std::vector<int>{2, 2}));
    EXPECT_EQ(polys[0]->Points[2], QPoint(0, 40));
    EXPECT_EQ(polys[0]->Pen.Color, clGreen);

    const TMetaRecord& fill = mf.records()[0];
    EXPECT_EQ(fill.Rect, (TRect{0, 0, 100, 60}));
    EXPECT_EQ(fill.Brush.Color, clInfoBk);

    const TMetaRecord& rect = mf.records()[2];
    EXPECT_EQ(rect.Pen.Color, clNavy);
    EXPECT_EQ(rect.Brush.Color, clWhite);
    EXPECT_EQ(rect.Rect, (TRect{5, 5, 40, 18}));

    const TMetaRecord& line = mf.records()[7];
    EXPECT_EQ(line.Pen.Mode, pmNotXor);
    EXPECT_EQ(line.Points, (std::vector<QPoint>{{70, 0}, {70, 60}}));
    EXPECT_EQ(mf.records()[6].Flags, PATAND);
    EXPECT_EQ(mf.records()[6].Brush.Style, bsPattern);
    // Line bounds hold both end points.
    EXPECT_EQ(mf.bounds(), (TRect{0, 0, 101, 61}));
}

TEST(Metafile, TextRecordsCarryTextFontAndBounds) {
    const TMetafile mf = record();
    EXPECT_EQ(mf.texts(), (std::vector<std::string>{"核算单位", "Code", "中间"}));
    const auto texts = mf.textRecords();
    ASSERT_EQ(texts.size(), 3u);

    // Measure with a canvas in the same state to know the expected extents.
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter painter(&img);
    TCanvas c(painter);
    c.Font.Height = -12;
    const int h = c.textHeight("A");

    const TMetaRecord& clipped = *texts[0];
    EXPECT_EQ(clipped.Kind, TMetaRecordKind::TextRect);
    EXPECT_EQ(clipped.Font.Name, "宋体");
    EXPECT_EQ(clipped.Font.Height, -12);
    EXPECT_EQ(clipped.Font.Color, clRed);
    EXPECT_EQ(clipped.Points[0], QPoint(8, 24));
    EXPECT_EQ(clipped.Flags, ETO_CLIPPED | ETO_OPAQUE);
    EXPECT_EQ(clipped.Rect, (TRect{6, 22, 50, 38}));
    EXPECT_EQ(clipped.Bounds, (TRect{6, 22, 50, 38})); // opaque: the whole rectangle

    const TMetaRecord& out = *texts[1];
    EXPECT_EQ(out.BkMode, TBkMode::Transparent);
    EXPECT_EQ(out.Bounds, (TRect{55, 44, 55 + c.textWidth("Code"), 44 + h}));

    const TMetaRecord& centred = *texts[2];
    const int w = c.textWidth("中间");
    EXPECT_EQ(centred.Bounds.Left, 50 + (50 - w) / 2);
    EXPECT_EQ(centred.Bounds.Top, (20 - h) / 2);
    EXPECT_EQ(centred.Bounds.width(), w);
}

TEST(Metafile, ReplayMatchesDirectDrawingAtScaleOneAndTwo) {
    const TMetafile mf = record();
    EXPECT_EQ(mf.toImage(1.0), direct(1.0));
    const QImage twice = mf.toImage(2.0);
    EXPECT_EQ(twice.size(), QSize(200, 120));
    EXPECT_EQ(twice, direct(2.0));

    // Geometry at scale 2: the two-pixel outline of (5,5)-(40,18) runs along (10,10).
    EXPECT_EQ(twice.pixel(10, 10) & 0xFFFFFF, 0x000080u);
    EXPECT_EQ(twice.pixel(8, 8) & 0xFFFFFF, 0xFFFFE1u);
    EXPECT_EQ(twice.pixel(12, 12) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(twice.pixel(30, 20) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Metafile, StretchesOntoADestinationAndKeepsTheTargetClip) {
    TMetafile mf(10, 10);
    {
        TMetafileCanvas c(mf);
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 10, 10});
    }
    QImage img(60, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        TCanvas c(painter);
        c.setClipRect({0, 0, 60, 30});
        c.stretchDraw({10, 10, 50, 50}, mf);
        EXPECT_EQ(c.clipRect(), (TRect{0, 0, 60, 30}));
        EXPECT_EQ(c.scaleX(), 1.0);
    }
    EXPECT_EQ(img.pixel(10, 10) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(49, 29) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(9, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(30, 30) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(50, 20) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Metafile, RecordedClipAppliesOnReplay) {
    TMetafile mf(20, 20);
    {
        TMetafileCanvas c(mf);
        c.setClipRect({0, 0, 10, 20});
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 20, 20});
    }
    ASSERT_TRUE(mf.records()[0].Clip.has_value());
    const QImage img = mf.toImage(2.0);
    EXPECT_EQ(img.pixel(19, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(20, 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Metafile, RecordingThroughAViewportStoresMetafileCoordinates) {
    TMetafile mf(200, 200);
    TMetafileCanvas c(mf);
    c.setViewport(2.0, 2.0, QPointF(5, 5));
    c.Font.Height = -12;
    c.Pen.Width = 2;
    c.textOut(10, 10, "x");
    c.moveTo(0, 0);
    c.lineTo(10, 0);
    const TMetaRecord& t = mf.records()[0];
    EXPECT_EQ(t.Points[0], QPoint(25, 25));
    EXPECT_EQ(t.Font.Height, -24);
    const TMetaRecord& l = mf.records()[1];
    EXPECT_EQ(l.Points, (std::vector<QPoint>{{5, 5}, {25, 5}}));
    EXPECT_EQ(l.Pen.Width, 4);
}

TEST(Metafile, NestedPlayAndRawDrawingStaySearchable) {
    TMetafile inner(50, 20);
    {
        TMetafileCanvas c(inner);
        c.textOut(0, 0, "内层");
        c.paintRaw(
            {0, 10, 50, 20}, [](QPainter& p) { p.fillRect(0, 10, 50, 10, Qt::blue); }, "rich text");
    }
    TMetafile outer(100, 40);
    {
        TMetafileCanvas c(outer);
        c.textOut(0, 0, "外层");
        c.stretchDraw({0, 0, 100, 40}, inner);
    }
    EXPECT_EQ(outer.texts(), (std::vector<std::string>{"外层", "内层", "rich text"}));
    EXPECT_EQ(outer.records()[1].Font.Height, -24); // scaled by 2 when flattened
    const QImage img = outer.toImage();
    EXPECT_EQ(img.pixel(50, 30) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(50, 19) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Metafile, DumpListsRecords) {
    const TMetafile mf = record();
    const std::string dump = mf.dump();
    EXPECT_NE(dump.find("TextRect [6,22,50,38] (8,24) \"核算单位\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("PolyPolyline (0,20) (100,20) (0,40) (100,40)"), std::string::npos) << dump;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), std::ptrdiff_t(mf.records().size()));
}
