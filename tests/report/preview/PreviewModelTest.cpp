// The preview's layout and paging model: zoom modes, page rectangles and scroll ranges,
// the current page while scrolling, painting through the recording metafile, and pages
// far from the view giving their rendered image up.

#include "PreviewTestSupport.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Metafile.h"
#include "report/preview/RMPreviewModel.h"

#include <QPainter>

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace report;
using platform::TRect;

int scaled(int v, double s) {
    return static_cast<int>(std::lround(v * s));
}

struct Model {
    explicit Model(int pages, int width = 1000, int height = 700)
        : doc(pages) {
        model.setViewSize(width, height);
        model.setPages(&doc.report.EMFPages);
    }
    TRMPageInfo page(int i = 0) const { return doc.report.EMFPages.pageInfo(i); }
    void expectConsistent() const {
        std::string why;
        EXPECT_TRUE(model.consistent(&why)) << why;
    }
    previewtest::Document doc;
    TRMPreviewModel model;
};

TEST(PreviewLayout, OnePageNarrowerThanTheViewIsCentredTenBelowTheTop) {
    Model m(1);
    m.model.setZoomPercent(50);
    const TRMPageInfo p = m.page();
    const int w = scaled(p.Width, 0.5), h = scaled(p.Height, 0.5);
    EXPECT_EQ(m.model.pageRect(0), platform::Bounds((1000 - w) / 2, 10, w, h));
    EXPECT_EQ(m.model.maxX(), 0);
    EXPECT_EQ(m.model.maxY(), 0);
    EXPECT_EQ(m.model.offsetY(), 0);
    m.expectConsistent();
}

TEST(PreviewLayout, PagesPerRowTenApartAndScrollRanges) {
    Model m(7, 1000, 500);
    m.model.setZoomPercent(25);
    const TRMPageInfo p = m.page();
    const int w = scaled(p.Width, 0.25), h = scaled(p.Height, 0.25);
    // As many pages as fit with 10 pixels before each and after the last.
    const int perRow = (1000 - 10) / (w + 10);
    ASSERT_EQ(m.model.pagesPerRow(), perRow);
    for (int i = 0; i < 7; ++i) {
        const int row = i / perRow, col = i % perRow;
        EXPECT_EQ(m.model.pageRect(i),
                  platform::Bounds(10 + col * (w + 10), 10 + row * (h + 10), w, h))
            << "page " << i;
    }
    const int rows = (7 + perRow - 1) / perRow;
    EXPECT_EQ(m.model.maxY(), std::max(10 + rows * (h + 10) - 10 - 500 + 10, 0));
    EXPECT_EQ(m.model.maxX(), 0);

    // At 200 % one page per row, wider than the view: centring stops, scrolling starts.
    m.model.setZoomPercent(200);
    EXPECT_EQ(m.model.pagesPerRow(), 1);
    EXPECT_EQ(m.model.pageRect(0).Left, 10);
    EXPECT_EQ(m.model.maxX(), scaled(p.Width, 2) + 10 - 1000 + 10);
    m.expectConsistent();
}

TEST(PreviewLayout, FittedZoomModes) {
    Model m(3, 900, 600);
    const TRMPageInfo p = m.page();
    m.model.setMode(TRMScaleMode::PageWidth);
    EXPECT_DOUBLE_EQ(m.model.scale(), (900.0 - 20) / p.Width);
    EXPECT_EQ(m.model.pageRect(0).width(), scaled(p.Width, m.model.scale()));

    m.model.setMode(TRMScaleMode::OnePage);
    EXPECT_DOUBLE_EQ(m.model.scale(), (600.0 - 20) / p.Height);
    EXPECT_EQ(m.model.pagesPerRow(), 1);

    m.model.setMode(TRMScaleMode::TwoPages);
    EXPECT_DOUBLE_EQ(m.model.scale(), (900.0 - 30) / (2.0 * p.Width));
    EXPECT_EQ(m.model.pagesPerRow(), 2);
    EXPECT_EQ(m.model.pageRect(1).Left, m.model.pageRect(0).Right + 10);
    EXPECT_EQ(m.model.pageRect(1).Top, 10);

    // Printer resolution: the printer's ratio, or page width when it cannot say.
    m.model.PrinterRatio = [] { return std::optional<double>(); };
    m.model.setMode(TRMScaleMode::PrinterResolution);
    EXPECT_DOUBLE_EQ(m.model.scale(), (900.0 - 20) / p.Width);
    m.model.PrinterRatio = [] { return std::optional<double>(6.25); };
    m.model.setMode(TRMScaleMode::PrinterResolution);
    EXPECT_DOUBLE_EQ(m.model.scale(), 6.25);

    // A resize refits.
    m.model.setMode(TRMScaleMode::PageWidth);
    m.model.setViewSize(500, 600);
    EXPECT_DOUBLE_EQ(m.model.scale(), (500.0 - 20) / p.Width);
    m.expectConsistent();
}

TEST(PreviewLayout, FittedScaleFollowsTheCurrentPage) {
    previewtest::Document doc(1);
    doc.addLandscapePage("横向");
    TRMPreviewModel model;
    model.setViewSize(1000, 700);
    model.setPages(&doc.report.EMFPages);
    model.setMode(TRMScaleMode::PageWidth);
    const double portrait = model.scale();
    model.goToPage(2);
    model.setMode(TRMScaleMode::PageWidth);
    EXPECT_DOUBLE_EQ(model.scale(), 980.0 / doc.report.EMFPages.pageInfo(1).Width);
    EXPECT_LT(model.scale(), portrait);
}

TEST(PreviewPaging, GoToPageClampsAndPutsThePageTopTenBelowTheView) {
    Model m(6, 1000, 700);
    int changes = 0;
    m.model.OnPageChanged = [&] { ++changes; };
    m.model.goToPage(3);
    EXPECT_EQ(m.model.currentPage(), 3);
    EXPECT_EQ(m.model.offsetY(), m.model.pageRect(2).Top - 10);
    m.model.goToPage(0);
    EXPECT_EQ(m.model.currentPage(), 1);
    EXPECT_EQ(m.model.offsetY(), 0);
    m.model.goToPage(999);
    EXPECT_EQ(m.model.currentPage(), 6);
    EXPECT_EQ(m.model.offsetY(), m.model.pageRect(5).Top - 10);
    EXPECT_EQ(changes, 3);
    m.model.priorPage();
    EXPECT_EQ(m.model.currentPage(), 5);
    EXPECT_EQ(m.model.statusText(), "页 5/6");

    // A zoom keeps the current page and scrolls to it again.
    m.model.setZoomPercent(50);
    EXPECT_EQ(m.model.currentPage(), 5);
    EXPECT_EQ(m.model.offsetY(), std::min(m.model.pageRect(4).Top - 10, m.model.maxY()));
    m.expectConsistent();
}

TEST(PreviewPaging, CurrentPageFollowsTheLineElevenBelowTheTop) {
    Model m(5, 1000, 700);
    std::vector<int> seen;
    m.model.OnPageChanged = [&] { seen.push_back(m.model.currentPage()); };
    const TRect third = m.model.pageRect(2);
    m.model.scrollTo(0, third.Top - 11); // the line is the page's top row
    EXPECT_EQ(m.model.currentPage(), 3);
    m.model.scrollTo(0, third.Top - 12); // the line is in the gap above: unchanged
    EXPECT_EQ(m.model.currentPage(), 3);
    m.model.scrollTo(0, third.Top - 30); // the line is on page 2's last rows
    EXPECT_EQ(m.model.currentPage(), 2);
    m.model.scrollBy(0, -100000);
    EXPECT_EQ(m.model.offsetY(), 0);
    EXPECT_EQ(m.model.currentPage(), 1);
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
}

TEST(PreviewPaging, PointsMapBetweenViewAndPage) {
    Model m(2, 1000, 700);
    m.model.setZoomPercent(50);
    const TRect r = m.model.pageRect(0);
    QPoint pagePoint;
    EXPECT_EQ(m.model.pageAt(r.Left + 50, r.Top + 100, &pagePoint), 0);
    EXPECT_EQ(pagePoint, QPoint(100, 200));
    EXPECT_EQ(m.model.pageAt(r.Left - 2, r.Top + 5), -1); // grey area
    EXPECT_EQ(m.model.viewPointOf(0, QPointF(100, 200)), QPoint(r.Left + 50, r.Top + 100));

    // Zooming while keeping that spot under the pointer.
    m.model.setZoomPercent(200);
    m.model.keepAt(0, QPointF(400, 300), QPoint(300, 300));
    const QPoint after = m.model.viewPointOf(0, QPointF(400, 300));
    EXPECT_NEAR(after.x(), 300, 1);
    EXPECT_NEAR(after.y(), 300, 1);
}

TEST(PreviewPainting, GreyAroundWhitePagesWithOutlineShadowAndContent) {
    Model m(3, 600, 500);
    m.model.setZoomPercent(50);
    platform::TMetafile meta(600, 500);
    {
        platform::TMetafileCanvas canvas(meta);
        m.model.paint(canvas, platform::Bounds(0, 0, 600, 500), false);
    }
    const auto fills = meta.recordsOf(platform::TMetaRecordKind::FillRect);
    ASSERT_FALSE(fills.empty()) << meta.dump();
    EXPECT_EQ(fills.front()->Brush.Color, platform::RGB(128, 128, 128));
    EXPECT_EQ(fills.front()->Rect, platform::Bounds(0, 0, 600, 500));
    ASSERT_TRUE(fills.front()->Clip.has_value());
    const TRect page = m.model.pageRect(0);
    // The grey does not cover the page or its shadow.
    EXPECT_FALSE(fills.front()->Clip->contains(QPoint(page.Left + 5, page.Top + 5)));
    EXPECT_FALSE(fills.front()->Clip->contains(QPoint(page.Right, page.Bottom)));
    EXPECT_TRUE(fills.front()->Clip->contains(QPoint(page.Left - 3, page.Top)));

    const auto rects = meta.recordsOf(platform::TMetaRecordKind::Rectangle);
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects.front()->Rect, page);
    EXPECT_EQ(rects.front()->Brush.Color, platform::clWhite);
    EXPECT_EQ(rects.front()->Pen.Color, platform::clBlack);
    bool right = false, bottom = false;
    for (const auto* line : meta.recordsOf(platform::TMetaRecordKind::Line)) {
        right = right || (line->Points[0] == QPoint(page.Right, page.Top + 1) &&
                          line->Points[1] == QPoint(page.Right, page.Bottom + 1));
        bottom = bottom || (line->Points[0] == QPoint(page.Left + 1, page.Bottom) &&
                            line->Points[1] == QPoint(page.Right + 1, page.Bottom));
    }
    EXPECT_TRUE(right && bottom) << meta.dump();
    // Content of the pages in the view, nothing of a page below it.
    const auto texts = meta.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "第1页"), texts.end()) << meta.dump();
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "第3页"), texts.end());
}

TEST(PreviewPainting, PagesFarFromTheViewReleaseTheirImages) {
    Model m(12, 900, 700);
    m.model.setZoomPercent(100);
    QImage screen(900, 700, QImage::Format_RGB32);
    auto paint = [&] {
        QPainter painter(&screen);
        platform::TCanvas canvas(painter);
        m.model.paint(canvas, platform::Bounds(0, 0, 900, 700), true);
    };
    paint();
    EXPECT_EQ(m.model.pagesWithImages(), std::vector<int>{0});
    // The page body is rendered, not left blank.
    const TRect r = m.model.pageRect(0);
    bool ink = false;
    for (int y = r.Top + 30; y < r.Top + 70 && !ink; ++y)
        for (int x = r.Left + 50; x < r.Left + 120 && !ink; ++x)
            ink = screen.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_TRUE(ink);

    m.model.goToPage(6);
    paint();
    EXPECT_EQ(m.model.pagesWithImages(), std::vector<int>{5});
    EXPECT_TRUE(m.model.pageVisible(6));  // starts within 2000 pixels below the top
    EXPECT_FALSE(m.model.pageVisible(4)); // ends above the view
    const int far = m.model.pageRect(8).Top - m.model.offsetY();
    EXPECT_EQ(m.model.pageVisible(8), far <= 2000);
    // A zoom renders anew.
    m.model.setZoomPercent(50);
    EXPECT_TRUE(m.model.pagesWithImages().empty());
}

TEST(PreviewPainting, MarkedRectangleIsInvertedWithWhiteXorLines) {
    Model m(1, 900, 700);
    m.model.setMarked(platform::Bounds(100, 50, 40, 3));
    platform::TMetafile meta(900, 700);
    {
        platform::TMetafileCanvas canvas(meta);
        m.model.paint(canvas, platform::Bounds(0, 0, 900, 700), false);
    }
    int xorLines = 0;
    for (const auto* line : meta.recordsOf(platform::TMetaRecordKind::Line))
        if (line->Pen.Mode == platform::pmXor) {
            EXPECT_EQ(line->Pen.Color, platform::clWhite);
            EXPECT_EQ(line->Points[0].x(), 100);
            EXPECT_EQ(line->Points[1].x(), 140);
            ++xorLines;
        }
    EXPECT_EQ(xorLines, 3);
}

TEST(PreviewLayout, EmptyDocumentHasNoPagesAndNoRange) {
    TRMPreviewModel model;
    model.setViewSize(500, 400);
    TRMEMFPages empty;
    model.setPages(&empty);
    EXPECT_EQ(model.currentPage(), 0);
    EXPECT_EQ(model.maxY(), 0);
    model.goToPage(3);
    model.setMode(TRMScaleMode::PageWidth);
    EXPECT_EQ(model.currentPage(), 0);
    platform::TMetafile meta(500, 400);
    {
        platform::TMetafileCanvas canvas(meta);
        model.paint(canvas, platform::Bounds(0, 0, 500, 400), true);
    }
    EXPECT_EQ(meta.recordsOf(platform::TMetaRecordKind::FillRect).size(), 1u);
}

} // namespace
