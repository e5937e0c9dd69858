// Canvas drawing on images: font heights and extents with the substituted faces, pens and
// raster operations, pattern brushes, clipped and opaque text, edges, clipping and state.

#include "platform/Canvas.h"

#include "platform/BitmapCanvas.h"

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QImage blank(int w = 80, int h = 40, QColor fill = Qt::white) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

// Draws with a canvas on `img` and finishes the painter.
template <typename Fn>
void paint(QImage& img, Fn&& fn) {
    QPainter painter(&img);
    TCanvas canvas(painter);
    fn(canvas);
}

QRgb px(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

bool isDark(QRgb c) {
    return qGray(c) < 128;
}

// Bounding box of non-background pixels.
QRect inkBox(const QImage& img, QRgb background = 0xFFFFFF) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (px(img, x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(Colors, SystemColoursResolveThroughTheFixedTable) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000u);
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 0, 128));
    EXPECT_EQ(ColorToRGB(clHighlightText), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080u);
    EXPECT_EQ(ColorToRGB(systemColor(14)), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(0x00DEFEFB), 0x00DEFEFBu);
    // Byte order is 0x00BBGGRR.
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00008000), QColor(0, 128, 0));
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    EXPECT_EQ(fromQColor(QColor(1, 2, 3)), RGB(1, 2, 3));
}

TEST(CanvasFont, HeightSemanticsWithSubstitutedFaces) {
    TFont font;
    EXPECT_EQ(font.Name, "宋体");
    EXPECT_EQ(font.Charset, GB2312_CHARSET);
    EXPECT_TRUE(QFontInfo(toQFont(font)).family().contains("UMing"));
    font.setSize(9);
    EXPECT_EQ(font.Height, -12);
    EXPECT_EQ(font.size(), 9);
    font.Height = -16;
    EXPECT_EQ(font.size(), 12);

    QImage img = blank();
    paint(img, [](TCanvas& c) {
        // Negative: the character (em) height; the cell adds the internal leading.
        c.Font.Height = -12;
        EXPECT_EQ(toQFont(c.Font).pixelSize(), 12);
        const TTextMetric m = c.textMetrics();
        EXPECT_EQ(m.Height, m.Ascent + m.Descent);
        EXPECT_EQ(m.Height - m.InternalLeading, 12);
        EXPECT_EQ(c.textHeight("A"), m.Height);
        // A wide character of the song face is one em wide.
        EXPECT_EQ(c.textWidth("宋"), 12);

        // Positive: the cell height itself (the largest size whose cell fits).
        for (const char* face : {"宋体", "黑体", "Arial"})
            for (int cell : {12, 13, 16, 20, 33}) {
                c.Font.Name = face;
                c.Font.Height = cell;
                const int h = c.textHeight("A");
                EXPECT_LE(h, cell) << face << cell;
                EXPECT_GE(h, cell - 1) << face << cell;
            }
        // The bitmap sans serif face keeps its own cells: 8 points (-11) is 13 pixels high,
        // so a title row of TextHeight + 6 is 19.
        c.Font.Name = "MS Sans Serif";
        c.Font.Height = -11;
        EXPECT_EQ(c.textHeight("A"), 13);
        EXPECT_EQ(c.textMetrics().Ascent, 11);
        EXPECT_EQ(c.textMetrics().InternalLeading, 2);
        c.Font.Height = 13;
        EXPECT_EQ(c.textHeight("A"), 13);
        EXPECT_EQ(toQFont(c.Font).pixelSize(), 11);
    });
}

TEST(CanvasFont, ExtentsAddUpAndFollowStyleAndSpacing) {
    QImage img = blank();
    paint(img, [](TCanvas& c) {
        c.Font.Name = "Arial";
        c.Font.Height = -13;
        const int ab = c.textWidth("AV");
        EXPECT_EQ(ab, c.textWidth("A") + c.textWidth("V")); // no kerning
        EXPECT_EQ(c.textWidth(""), 0);
        EXPECT_EQ(c.textExtent("Hello"), QSize(c.textWidth("Hello"), c.textHeight("Hello")));
        const int plain = c.textWidth("Hello world");
        c.Font.Style = fsBold;
        EXPECT_GT(c.textWidth("Hello world"), plain);
        c.Font.Style = 0;
        c.setCharacterExtra(2);
        EXPECT_EQ(c.textWidth("Hello"), c.textWidth("Hell") + c.textWidth("o"));
        c.setCharacterExtra(0);
        // Mixed text: Chinese characters are one em each in the song face.
        c.Font.Name = "宋体";
        c.Font.Height = -12;
        EXPECT_EQ(c.textWidth("核算单位"), 48);
    });
}

TEST(CanvasPen, OnePixelLineLeavesOutItsEndPoint) {
    QImage img = blank(20, 10);
    paint(img, [](TCanvas& c) {
        c.moveTo(2, 5);
        c.lineTo(10, 5);
        EXPECT_EQ(c.penPos(), QPoint(10, 5));
    });
    for (int x = 2; x < 10; ++x)
        EXPECT_EQ(px(img, x, 5), 0u) << x;
    EXPECT_EQ(px(img, 10, 5), 0xFFFFFFu);
    EXPECT_EQ(px(img, 1, 5), 0xFFFFFFu);
    EXPECT_EQ(px(img, 5, 4), 0xFFFFFFu);
}

TEST(CanvasPen, WidthCapsAndStyles) {
    QImage img = blank(40, 30);
    paint(img, [](TCanvas& c) {
        c.Pen.Width = 3;
        c.Pen.Color = clRed;
        c.Pen.Cap = TPenCap::Flat;
        c.moveTo(5, 5);
        c.lineTo(20, 5);
        c.Pen = TPen{};
        c.Pen.Style = psDot;
        c.moveTo(0, 20);
        c.lineTo(40, 20);
    });
    // Three pixels thick, flat ends.
    EXPECT_EQ(px(img, 10, 4), 0xFF0000u);
    EXPECT_EQ(px(img, 10, 5), 0xFF0000u);
    EXPECT_EQ(px(img, 10, 6), 0xFF0000u);
    EXPECT_EQ(px(img, 10, 3), 0xFFFFFFu);
    EXPECT_EQ(px(img, 10, 7), 0xFFFFFFu);
    EXPECT_EQ(px(img, 3, 5), 0xFFFFFFu);
    EXPECT_EQ(px(img, 21, 5), 0xFFFFFFu);
    int on = 0;
    for (int x = 0; x < 40; ++x)
        on += px(img, x, 20) == 0 ? 1 : 0;
    EXPECT_GT(on, 10);
    EXPECT_LT(on, 30);
}

TEST(CanvasPen, NotXorLineErasesItselfAndXorInverts) {
    QImage img = blank(30, 20, QColor(0, 128, 0));
    const QImage before = img;
    const auto sizingLine = [](TCanvas& c) {
        c.Pen.Mode = pmNotXor;
        c.Pen.Color = clBlack;
        c.moveTo(5, 0);
        c.lineTo(5, 20);
    };
    paint(img, sizingLine);
    // not (black xor green) = not green.
    EXPECT_EQ(px(img, 5, 10), 0xFF7FFFu);
    EXPECT_EQ(px(img, 6, 10), 0x008000u);
    paint(img, sizingLine);
    EXPECT_EQ(img, before);

    paint(img, [](TCanvas& c) {
        c.Pen.Mode = pmXor;
        c.Pen.Color = clWhite;
        const std::vector<QPoint> pts{{0, 3}, {30, 3}};
        c.polyline(pts);
    });
    EXPECT_EQ(px(img, 12, 3), 0xFF7FFFu);
}

TEST(CanvasPen, PolyPolylineDrawsSeparateLinesInOneCall) {
    QImage img = blank(30, 30);
    paint(img, [](TCanvas& c) {
        const std::vector<QPoint> pts{{2, 2}, {2, 20}, {10, 2}, {10, 20}, {20, 2}, {20, 20}};
        const std::vector<int> counts{2, 2, 2};
        c.polyPolyline(pts, counts);
    });
    EXPECT_EQ(px(img, 2, 10), 0u);
    EXPECT_EQ(px(img, 10, 10), 0u);
    EXPECT_EQ(px(img, 20, 10), 0u);
    // Nothing joins one line's end to the next one's start.
    EXPECT_EQ(px(img, 6, 19), 0xFFFFFFu);
    EXPECT_EQ(px(img, 6, 2), 0xFFFFFFu);
    EXPECT_EQ(px(img, 15, 11), 0xFFFFFFu);
}

TEST(CanvasBrush, RectangleOutlineFillAndFrame) {
    QImage img = blank(40, 40);
    paint(img, [](TCanvas& c) {
        c.Brush.Color = clYellow;
        c.Pen.Color = clBlue;
        c.rectangle(10, 10, 20, 20);
        c.Brush.Color = clRed;
        c.fillRect({25, 25, 30, 30});
        c.Brush.Color = clLime;
        c.frameRect({0, 30, 10, 40});
    });
    EXPECT_EQ(px(img, 10, 10), 0x0000FFu);
    EXPECT_EQ(px(img, 19, 19), 0x0000FFu);
    EXPECT_EQ(px(img, 19, 15), 0x0000FFu);
    EXPECT_EQ(px(img, 20, 15), 0xFFFFFFu);
    EXPECT_EQ(px(img, 15, 20), 0xFFFFFFu);
    EXPECT_EQ(px(img, 15, 15), 0xFFFF00u);
    EXPECT_EQ(inkBox(img.copy(22, 22, 18, 10)), QRect(3, 3, 5, 5));
    EXPECT_EQ(px(img, 0, 30), 0x00FF00u);
    EXPECT_EQ(px(img, 9, 39), 0x00FF00u);
    EXPECT_EQ(px(img, 5, 35), 0xFFFFFFu);
}

TEST(CanvasBrush, MonochromePatternCombinedWithAnd) {
    // The popup note's shadow: rows AA 00 55 00 ..., 0 bits in the text colour (black),
    // 1 bits in the brush colour (white), ANDed with what is there.
    QImage img = blank(32, 16, QColor(255, 0, 0));
    paint(img, [](TCanvas& c) {
        c.Font.Color = clBlack;
        c.Brush = TBrush::pattern({0xAA, 0x00, 0x55, 0x00, 0xAA, 0x00, 0x55, 0x00}, clWhite);
        c.patBlt({0, 0, 16, 16}, PATAND);
    });
    EXPECT_EQ(px(img, 0, 0), 0xFF0000u); // bit 7 of 0xAA set: unchanged
    EXPECT_EQ(px(img, 1, 0), 0u);
    EXPECT_EQ(px(img, 3, 1), 0u); // row of zeros
    EXPECT_EQ(px(img, 0, 2), 0u);
    EXPECT_EQ(px(img, 1, 2), 0xFF0000u);
    EXPECT_EQ(px(img, 8, 0), 0xFF0000u); // the pattern repeats every 8 pixels
    EXPECT_EQ(px(img, 9, 8), 0u);
    EXPECT_EQ(px(img, 20, 3), 0xFF0000u); // outside the rectangle
    int dark = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            dark += px(img, x, y) == 0 ? 1 : 0;
    EXPECT_EQ(dark, 48);
}

TEST(CanvasText, TextRectClipsAndFillsItsRectangle) {
    QImage img = blank(80, 40);
    paint(img, [](TCanvas& c) {
        c.Font.Name = "Arial";
        c.Font.Height = -14;
        c.Brush.Color = clYellow;
        c.textRect({20, 10, 40, 30}, 5, 12, "WWWWWWWWWW");
    });
    const QRect ink = inkBox(img);
    EXPECT_EQ(ink, QRect(20, 10, 20, 20));
    EXPECT_EQ(px(img, 20, 10), 0xFFFF00u);
    EXPECT_EQ(px(img, 39, 29), 0xFFFF00u);
    int dark = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 20; x < 40; ++x)
            dark += isDark(px(img, x, y)) ? 1 : 0;
    EXPECT_GT(dark, 10);

    // A clear brush leaves the rectangle's background alone.
    QImage clear = blank(80, 40);
    paint(clear, [](TCanvas& c) {
        c.Brush.Style = bsClear;
        c.textRect({20, 10, 40, 30}, 22, 12, "W");
    });
    EXPECT_EQ(px(clear, 38, 28), 0xFFFFFFu);
    EXPECT_TRUE(inkBox(clear).intersects(QRect(20, 10, 20, 20)));
}

// Text after a wide frame pen (kept when its colour is the text's) is drawn as after none,
// and in its own colour when the pen's differs.
TEST(CanvasText, TextAfterAWideFramePenKeepsItsColourAndStrokes) {
    const auto draw = [](TColor frame, TColor text) {
        QImage img = blank(120, 40);
        paint(img, [&](TCanvas& c) {
            if (frame != clNone) {
                c.Pen.Width = 5;
                c.Pen.Color = frame;
                c.Brush.Style = bsClear;
                c.rectangle({90, 5, 115, 35});
            }
            c.Font.Name = "Arial";
            c.Font.Height = -16;
            c.Font.Color = text;
            c.Brush.Style = bsClear;
            c.textOut(4, 10, "Wide pens");
        });
        return img.copy(0, 0, 85, 40);
    };
    const QImage alone = draw(clNone, clBlack);
    ASSERT_FALSE(inkBox(alone).isEmpty());
    EXPECT_EQ(draw(clBlack, clBlack), alone);
    const QImage blue = draw(clRed, clBlue);
    EXPECT_EQ(inkBox(blue), inkBox(alone));
    bool red = false, anyBlue = false;
    for (int y = 0; y < blue.height(); ++y)
        for (int x = 0; x < blue.width(); ++x) {
            const QRgb c = px(blue, x, y);
            red = red || (qRed(c) > 128 && qBlue(c) < 128);
            anyBlue = anyBlue || c == 0x0000FFu;
        }
    EXPECT_FALSE(red);
    EXPECT_TRUE(anyBlue);
}

TEST(CanvasText, BackgroundModeFollowsTheBrushUntilSetExplicitly) {
    QImage img = blank(120, 40, QColor(255, 0, 0));
    paint(img, [](TCanvas& c) {
        c.Font.Height = -12;
        EXPECT_EQ(c.bkMode(), TBkMode::Opaque);
        c.textOut(0, 0, "a");
        c.setBkMode(TBkMode::Transparent);
        c.textOut(0, 20, "a");
        EXPECT_EQ(c.penPos(), QPoint(c.textWidth("a"), 20));
        c.Brush.Style = bsClear;
        EXPECT_EQ(c.bkMode(), TBkMode::Transparent);
        c.Brush.Style = bsSolid;
        c.Brush.Color = clAqua;
        EXPECT_EQ(c.bkMode(), TBkMode::Opaque);
        c.textOut(60, 0, "a");
    });
    EXPECT_EQ(px(img, 0, 0), 0xFFFFFFu);  // opaque white cell
    EXPECT_EQ(px(img, 0, 20), 0xFF0000u); // transparent
    EXPECT_EQ(px(img, 60, 0), 0x00FFFFu); // a brush change made it opaque again
}

TEST(CanvasText, DrawTextCentresSingleLinesAndMeasuresMultiLine) {
    QImage img = blank(200, 60);
    paint(img, [](TCanvas& c) {
        c.Font.Name = "Arial";
        c.Font.Height = -20;
        c.Brush.Style = bsClear;
        TRect r{0, 0, 200, 60};
        const int w = c.textWidth("HHHH");
        const TTextMetric m = c.textMetrics();
        c.drawText("HHHH", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        // Where the text cell went: horizontally and vertically centred.
        TRect calc{0, 0, 0, 0};
        c.drawText("HHHH", calc, DT_SINGLELINE | DT_CALCRECT);
        EXPECT_EQ(calc, (TRect{0, 0, w, m.Height}));

        TRect multi{10, 10, 10, 10};
        const int h = c.drawText("ab\r\nlonger line\nc", multi, DT_CALCRECT | DT_NOPREFIX);
        EXPECT_EQ(h, 3 * m.Height);
        EXPECT_EQ(multi.height(), 3 * m.Height);
        EXPECT_EQ(multi.width(), c.textWidth("longer line"));
        // Mnemonic ampersands vanish unless DT_NOPREFIX.
        TRect p1{0, 0, 0, 0}, p2{0, 0, 0, 0};
        c.drawText("&Print", p1, DT_CALCRECT | DT_SINGLELINE);
        c.drawText("Print", p2, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_EQ(p1, p2);
        // Word breaking wraps within the width.
        TRect wrap{0, 0, c.textWidth("aaa bbb") + 2, 0};
        EXPECT_EQ(c.drawText("aaa bbb ccc ddd", wrap, DT_CALCRECT | DT_WORDBREAK), 2 * m.Height);
        EXPECT_EQ(wrap.width(), c.textWidth("aaa bbb"));
    });
    const QRect ink = inkBox(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 100, 2);
    EXPECT_NEAR(ink.center().y(), 30, 4);
}

TEST(CanvasDecor, FocusRectIsDottedAndErasesItself) {
    QImage img = blank(30, 30);
    const QImage before = img;
    paint(img, [](TCanvas& c) { c.drawFocusRect({5, 5, 25, 25}); });
    EXPECT_NE(px(img, 5, 5), px(img, 6, 5));
    EXPECT_EQ(px(img, 5, 5), px(img, 7, 5));
    EXPECT_NE(px(img, 24, 6), px(img, 24, 7));
    EXPECT_EQ(px(img, 15, 15), 0xFFFFFFu);
    EXPECT_EQ(inkBox(img), QRect(5, 5, 20, 20));
    paint(img, [](TCanvas& c) { c.drawFocusRect({5, 5, 25, 25}); });
    EXPECT_EQ(img, before);
}

TEST(CanvasDecor, RaisedInnerEdge) {
    QImage img = blank(30, 30, QColor(0, 0, 255));
    TRect inner;
    paint(img, [&](TCanvas& c) { inner = c.drawEdge({0, 0, 20, 10}, BDR_RAISEDINNER, BF_RECT); });
    EXPECT_EQ(px(img, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(px(img, 10, 0), 0xFFFFFFu);
    EXPECT_EQ(px(img, 0, 5), 0xFFFFFFu);
    EXPECT_EQ(px(img, 19, 5), 0x808080u);
    EXPECT_EQ(px(img, 10, 9), 0x808080u);
    EXPECT_EQ(px(img, 19, 9), 0x808080u);
    EXPECT_EQ(px(img, 10, 5), 0x0000FFu);
    EXPECT_EQ(px(img, 20, 5), 0x0000FFu);
    EXPECT_EQ(inner, (TRect{1, 1, 19, 9}));
}

TEST(CanvasClip, RectanglesRegionsAndSavedState) {
    QImage img = blank(40, 40);
    paint(img, [](TCanvas& c) {
        EXPECT_FALSE(c.hasClip());
        EXPECT_EQ(c.clipRect(), (TRect{0, 0, 40, 40}));
        const int level = c.saveDC();
        EXPECT_EQ(level, 1);
        c.setClipRect({10, 10, 30, 30});
        c.excludeClipRect({15, 15, 25, 25});
        c.Font.Height = -30;
        EXPECT_TRUE(c.rectVisible({0, 0, 12, 12}));
        EXPECT_FALSE(c.rectVisible({0, 0, 10, 10}));
        EXPECT_FALSE(c.rectVisible({16, 16, 24, 24}));
        EXPECT_EQ(c.clipRect(), (TRect{10, 10, 30, 30}));
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 40, 40});
        EXPECT_TRUE(c.restoreDC(level));
        EXPECT_FALSE(c.restoreDC(level));
        EXPECT_FALSE(c.hasClip());
        EXPECT_EQ(c.Font.Height, -12);
        c.intersectClipRect({0, 0, 5, 5});
        c.fillRect({0, 0, 40, 40});
    });
    EXPECT_EQ(px(img, 10, 10), 0u);
    EXPECT_EQ(px(img, 29, 29), 0u);
    EXPECT_EQ(px(img, 20, 20), 0xFFFFFFu);
    EXPECT_EQ(px(img, 9, 20), 0xFFFFFFu);
    EXPECT_EQ(px(img, 30, 20), 0xFFFFFFu);
    EXPECT_EQ(px(img, 4, 4), 0xFFFFFFu); // brush restored to white
}

TEST(CanvasClip, PainterClipIsTheBaseClip) {
    QImage img = blank(40, 40);
    {
        QPainter painter(&img);
        painter.setClipRect(0, 0, 20, 40);
        TCanvas c(painter);
        EXPECT_EQ(c.clipRect(), (TRect{0, 0, 20, 40}));
        c.setClipRect({10, 0, 40, 40});
        c.clearClip();
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 40, 40});
    }
    EXPECT_EQ(px(img, 19, 5), 0u);
    EXPECT_EQ(px(img, 20, 5), 0xFFFFFFu);
}

TEST(CanvasViewport, ScalesGeometryFontsAndPens) {
    QImage img = blank(100, 100);
    paint(img, [](TCanvas& c) {
        const int h1 = c.textHeight("A");
        c.setViewport(2.0, 2.0, QPointF(10, 0));
        EXPECT_NEAR(c.textHeight("A"), h1, 1); // logical units
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 10, 10});
        c.moveTo(0, 30);
        c.lineTo(20, 30);
    });
    EXPECT_EQ(inkBox(img.copy(0, 0, 100, 40)), QRect(10, 0, 20, 20));
    // A one-pixel pen at scale 2 is two pixels wide.
    int dark = 0;
    for (int y = 50; y < 70; ++y)
        dark += px(img, 30, y) == 0 ? 1 : 0;
    EXPECT_EQ(dark, 2);
}

TEST(CanvasDevices, PdfWriterKeepsPixelHeightsAndText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("canvas.pdf");
    int imageHeight = 0;
    {
        QImage img = blank();
        paint(img, [&](TCanvas& c) {
            c.Font.Height = -40;
            imageHeight = c.textHeight("A");
        });
    }
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        QPainter painter(&pdf);
        TCanvas c(painter);
        EXPECT_EQ(c.pixelsPerInchX(), 600);
        c.Font.Height = -40;
        EXPECT_NEAR(c.textHeight("A"), imageHeight, 1);
        c.Brush.Style = bsClear;
        c.textOut(100, 100, "核算单位档案 Archive");
        c.Pen.Mode = pmNotXor; // no raster operations on PDF: drawn plainly
        c.moveTo(100, 300);
        c.lineTo(2000, 300);
        c.drawFocusRect({100, 400, 600, 500});
        c.Brush = TBrush::pattern({0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0});
        c.patBlt({100, 600, 600, 700}, PATAND);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
    QProcess pdftotext;
    pdftotext.start("pdftotext", {path, "-"});
    if (!pdftotext.waitForFinished(10000) || pdftotext.exitCode() != 0)
        GTEST_SKIP() << "pdftotext not available";
    EXPECT_TRUE(
        QString::fromUtf8(pdftotext.readAllStandardOutput()).contains("核算单位档案 Archive"));
}

TEST(CanvasText, EscapementRotatesAndWrapBreaksBetweenWideCharacters) {
    QImage img = blank(100, 100);
    paint(img, [](TCanvas& c) {
        c.Font.Name = "Arial";
        c.Font.Height = -16;
        c.Font.Escapement = 900; // base line upwards
        c.Brush.Style = bsClear;
        c.textOut(40, 90, "HHHHHH");
    });
    const QRect ink = inkBox(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 90);
    EXPECT_GE(ink.left(), 40);

    QImage scratch = blank();
    paint(scratch, [](TCanvas& c) {
        c.Font.Name = "宋体";
        c.Font.Height = -12;
        // Wide characters break anywhere; a surrogate pair is never split.
        TRect r{0, 0, 40, 0};
        EXPECT_EQ(c.drawText("核算单位档案", r, DT_CALCRECT | DT_WORDBREAK), 24);
        EXPECT_EQ(r.width(), 36);
        TRect narrow{0, 0, 1, 0};
        c.drawText("a\U0001F600b", narrow, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_EQ(narrow.height(), 36); // "a", the pair, "b"
        // A word wider than the rectangle stays whole on its own line.
        TRect word{0, 0, 10, 0};
        EXPECT_EQ(c.drawText("abcdefgh ij", word, DT_CALCRECT | DT_WORDBREAK), 24);
        EXPECT_EQ(word.width(), c.textWidth("abcdefgh"));
    });
}

TEST(CanvasClip, ExcludeWithoutAClipStartsFromTheDevice) {
    QImage img = blank(40, 40);
    paint(img, [](TCanvas& c) {
        c.excludeClipRect({10, 10, 20, 20});
        EXPECT_EQ(c.clipRect(), (TRect{0, 0, 40, 40}));
        c.Brush.Color = clBlack;
        c.fillRect({0, 0, 40, 40});
    });
    EXPECT_EQ(px(img, 5, 5), 0u);
    EXPECT_EQ(px(img, 15, 15), 0xFFFFFFu);
}

TEST(CanvasMisc, InvisiblePensBadCountsAndRawPainting) {
    QImage img = blank(40, 40);
    const QImage before = img;
    paint(img, [](TCanvas& c) {
        c.Pen.Style = psClear;
        c.moveTo(0, 0);
        c.lineTo(40, 40);
        c.Pen = TPen{};
        c.Pen.Color = clNone;
        c.moveTo(0, 5);
        c.lineTo(40, 5);
        c.Pen.Color = clBlack;
        c.Pen.Mode = pmNop;
        c.moveTo(0, 6);
        c.lineTo(40, 6);
        // Counts beyond the points are ignored, not read past the end.
        c.Pen.Mode = pmCopy;
        const std::vector<QPoint> pts{{0, 30}, {10, 30}};
        const std::vector<int> counts{2, 5, 7};
        c.polyPolyline(pts, counts);
    });
    EXPECT_EQ(px(img, 20, 20), 0xFFFFFFu);
    EXPECT_EQ(px(img, 20, 5), 0xFFFFFFu);
    EXPECT_EQ(px(img, 20, 6), 0xFFFFFFu);
    EXPECT_EQ(px(img, 5, 30), 0u);

    QImage raw = blank(40, 40);
    paint(raw, [](TCanvas& c) {
        c.setViewport(2, 2);
        c.setClipRect({0, 0, 10, 20});
        c.paintRaw({0, 0, 20, 20}, [](QPainter& p) { p.fillRect(0, 0, 20, 20, Qt::red); });
    });
    EXPECT_EQ(px(raw, 19, 39), 0xFF0000u);
    EXPECT_EQ(px(raw, 20, 5), 0xFFFFFFu);
}

TEST(CanvasBrush, EllipseRoundRectAndPenlessRectangle) {
    QImage img = blank(60, 60);
    paint(img, [](TCanvas& c) {
        c.Brush.Color = clRed;
        c.ellipse({0, 0, 20, 20});
        c.roundRect({30, 0, 60, 20}, 10, 10);
        c.Pen.Style = psClear;
        c.Brush.Color = clBlue;
        c.rectangle(0, 30, 10, 40);
    });
    EXPECT_EQ(px(img, 10, 10), 0xFF0000u); // red inside
    EXPECT_EQ(px(img, 1, 1), 0xFFFFFFu);   // corner outside the ellipse
    EXPECT_EQ(px(img, 10, 0), 0u);         // outline at the top
    EXPECT_EQ(px(img, 30, 0), 0xFFFFFFu);  // rounded corner
    EXPECT_EQ(px(img, 45, 0), 0u);
    EXPECT_EQ(px(img, 45, 10), 0xFF0000u);
    // Without a pen the fill ends one pixel short on the right and bottom.
    EXPECT_EQ(inkBox(img.copy(0, 25, 20, 20)), QRect(0, 5, 9, 9));
}

TEST(CanvasDevices, OffscreenBitmapCanvas) {
    TBitmapCanvas bitmap(30, 20, clSilver);
    EXPECT_EQ(bitmap.size(), QSize(30, 20));
    EXPECT_EQ(bitmap.pixelsPerInchX(), 96);
    EXPECT_EQ(bitmap.image().pixel(0, 0) & 0xFFFFFF, 0xC0C0C0u);
    bitmap.Brush.Color = clNavy;
    bitmap.fillRect({0, 0, 10, 10});
    EXPECT_EQ(bitmap.image().pixel(5, 5) & 0xFFFFFF, 0x000080u);
    bitmap.Font.Height = -12;
    EXPECT_EQ(bitmap.textWidth("核算"), 24);
}

TEST(CanvasPen, InsideFramePenStaysWithinTheRectangle) {
    QImage img = blank(40, 40);
    paint(img, [](TCanvas& c) {
        c.Pen.Style = psInsideFrame;
        c.Pen.Width = 4;
        c.Brush.Style = bsClear;
        c.rectangle(10, 10, 30, 30);
    });
    EXPECT_EQ(inkBox(img), QRect(10, 10, 20, 20));
    EXPECT_EQ(px(img, 13, 20), 0u);
    EXPECT_EQ(px(img, 14, 20), 0xFFFFFFu);
}

TEST(CanvasText, RightToLeftReadingMovesNeutralCharacters) {
    const auto draw = [](unsigned options) {
        QImage img = blank(80, 20);
        paint(img, [&](TCanvas& c) {
            c.Font.Name = "Arial";
            c.Font.Height = -14;
            const TRect r{0, 0, 80, 20};
            c.extTextOut(2, 2, options | ETO_CLIPPED, &r, "abc!");
        });
        return img;
    };
    const QImage ltr = draw(0);
    const QImage rtl = draw(ETO_RTLREADING);
    EXPECT_NE(ltr, rtl); // "!abc" on screen
    EXPECT_EQ(inkBox(ltr).width(), inkBox(rtl).width());
}
