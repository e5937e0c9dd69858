// Pictures, lines, shapes, check boxes, diagonal header cells and money cells on a page.
#include "DrawingSupport.h"
#include "platform/Picture.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"

#include <QBuffer>
#include <QImage>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace report;
using platform::TMetaRecordKind;
using testdraw::OnePage;

namespace {

std::string bmpBytes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    const platform::Picture p = platform::Picture::fromImage(image);
    return std::string(p.bytes().constData(), static_cast<std::size_t>(p.bytes().size()));
}

} // namespace

TEST(GraphicViews, PictureKeepsAspectCentresAndDamagedDataDrawsTheFillOnly) {
    OnePage doc;
    TRMPictureView picture;
    picture.SetBounds(0, 0, 200, 200);
    picture.Picture = {TRMPicture::Bitmap, bmpBytes(100, 50)};
    doc.add(picture);
    TRMPictureView centred = picture;
    centred.Left = 300;
    centred.setFlag(TRMPictureView::Center, true);
    doc.add(centred);
    TRMPictureView damaged = picture;
    damaged.Top = 300;
    damaged.FillColor = 0x00FF00;
    damaged.setFrameTyp(15);
    damaged.Picture.data = "BM" + std::string(30, '\xFF');
    doc.add(damaged);
    const platform::TMetafile m = doc.paint();
    const auto images = m.recordsOf(TMetaRecordKind::Image);
    ASSERT_EQ(images.size(), 2u) << m.dump();
    EXPECT_EQ(images[0]->Rect, platform::Bounds(0, 0, 200, 100));
    EXPECT_EQ(images[1]->Rect, platform::Bounds(300, 50, 200, 100));
    EXPECT_EQ(images[0]->Clip->boundingRect(), QRect(0, 0, 200, 200));
    const auto fills = m.recordsOf(TMetaRecordKind::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->Rect, platform::Bounds(0, 300, 200, 200));
    EXPECT_TRUE(m.recordsOf(TMetaRecordKind::Rectangle).empty()); // fill and nothing else

    TRMPictureView blob;
    EXPECT_TRUE(blob.LoadBlob(std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11)));
    EXPECT_EQ(blob.BlobType, TRMPictureView::btJPG);
    EXPECT_EQ(blob.Picture.kind, TRMPicture::Jpeg);
    EXPECT_FALSE(blob.LoadBlob("GIF89a...."));
    EXPECT_TRUE(blob.Picture.empty());
}

TEST(GraphicViews, LinesAndShapes) {
    OnePage doc;
    TRMLineView horizontal;
    horizontal.SetBounds(10, 20, 200, 5);
    doc.add(horizontal);
    TRMLineView vertical;
    vertical.SetBounds(300, 20, 3, 100);
    doc.add(vertical);
    TRMShapeView shape;
    shape.SetBounds(10, 200, 100, 60);
    shape.FillColor = 0xFFFF00;
    for (std::uint8_t kind :
         {TRMShapeView::skRectangle, TRMShapeView::skRoundRectangle, TRMShapeView::skEllipse,
          TRMShapeView::skTriangle, TRMShapeView::skDiagonal1, TRMShapeView::skCircle}) {
        shape.Shape = kind;
        doc.add(shape);
    }
    const platform::TMetafile m = doc.paint();
    const auto lines = m.recordsOf(TMetaRecordKind::Line);
    ASSERT_EQ(lines.size(), 3u) << m.dump();
    EXPECT_EQ(lines[0]->Points, (std::vector<QPoint>{{10, 20}, {210, 20}})); // height 0, at the top
    EXPECT_EQ(lines[1]->Points, (std::vector<QPoint>{{300, 20}, {300, 120}}));
    EXPECT_EQ(lines[2]->Points, (std::vector<QPoint>{{10, 260}, {110, 200}}));
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Rectangle)[0]->Rect, platform::Rect(10, 200, 111, 261));
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Rectangle)[0]->Brush.Color, 0xFFFF00u);
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::RoundRect)[0]->Corner, QSize(15, 15));
    const auto ellipses = m.recordsOf(TMetaRecordKind::Ellipse);
    ASSERT_EQ(ellipses.size(), 2u);
    EXPECT_EQ(ellipses[1]->Rect, platform::Bounds(10, 200, 61, 61)); // circle: side × side
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Polygon)[0]->Points,
              (std::vector<QPoint>{{10, 260}, {110, 260}, {60, 200}}));
}

TEST(GraphicViews, CheckBoxStoresTheRoundedValue) {
    TRMReport report;
    TRMCheckBoxView box;
    box.Memo = {"0.4"};
    box.EvaluateState(report);
    EXPECT_EQ(box.Memo1, (TRMStrings{"0"}));
    EXPECT_FALSE(box.Checked());
    box.Memo = {"0.6"};
    box.EvaluateState(report);
    EXPECT_EQ(box.Memo1, (TRMStrings{"1"}));
    EXPECT_TRUE(box.Checked());

    OnePage doc;
    box.SetBounds(10, 10, 20, 20);
    box.CheckStyle = TRMCheckBoxView::csCheck;
    box.CheckColor = 0x0000FF;
    box.Memo = {"1"};
    doc.add(box);
    box.Memo = {"0"};
    box.Left = 50;
    doc.add(box);
    const platform::TMetafile m = doc.paint();
    ASSERT_EQ(m.texts(), (std::vector<std::string>{"\u2714"}));
    EXPECT_EQ(m.textRecords()[0]->Font.Height, -20);
    EXPECT_EQ(m.textRecords()[0]->Font.Color, 0x0000FFu);
}

TEST(GraphicViews, DiagonalCellLinesAndCornerTexts) {
    OnePage doc;
    TRMDiagonalView cell;
    cell.SetBounds(0, 0, 120, 60);
    cell.Font.Name = "宋体";
    cell.Font.Size = 9;
    cell.Memo = {"项目;;金额;"}; // parts 1 and 3: bottom-left to top-right
    doc.add(cell);
    cell.Left = 200;
    cell.Memo = {"甲;乙;丙;丁"};
    doc.add(cell);
    const platform::TMetafile m = doc.paint();
    const auto lines = m.recordsOf(TMetaRecordKind::Line);
    ASSERT_EQ(lines.size(), 3u) << m.dump();
    EXPECT_EQ(lines[0]->Points, (std::vector<QPoint>{{0, 60}, {120, 0}}));
    EXPECT_EQ(lines[1]->Points, (std::vector<QPoint>{{260, 0}, {260, 60}}));
    EXPECT_EQ(lines[2]->Points, (std::vector<QPoint>{{200, 30}, {320, 30}}));
    const auto texts = m.textRecords();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0]->Points[0], QPoint(5, 5));
    EXPECT_EQ(texts[1]->Points[0], QPoint(120 - 5 - 24, 60 - 5 - 12));
}

TEST(GraphicViews, MoneyCellDigitsSymbolSeparatorsAndTitles) {
    OnePage doc;
    TRMMoneyView money;
    money.SetBounds(0, 0, 12 * 15 + 11, 20); // 12 columns of 15 with 1-pixel separators
    money.Font.Name = "宋体";
    money.Font.Size = 9;
    money.Memo = {"1234.5"};
    doc.add(money);
    TRMMoneyView title = money;
    title.Top = 40;
    title.TitleMode = true;
    doc.add(title);
    TRMMoneyView overflow = money;
    overflow.Top = 80;
    overflow.Memo = {"123456789012"};
    doc.add(overflow);
    const platform::TMetafile m = doc.paint();
    const auto texts = m.textRecords();
    std::vector<std::string> value, units, stars;
    std::vector<int> valueX;
    for (const auto* t : texts) {
        const int y = t->Points[0].y();
        (y < 40 ? value : y < 80 ? units : stars).push_back(t->Text);
        if (y < 40)
            valueX.push_back(t->Points[0].x());
    }
    EXPECT_EQ(value, (std::vector<std::string>{"1", "2", "3", "4", "5", "0", "￥"}));
    // Digits in the last six columns (column j starts at 16 j), the symbol before them.
    EXPECT_EQ(valueX[0], 6 * 16 + (15 - 6) / 2 + 1);
    EXPECT_EQ(valueX[5], 11 * 16 + (15 - 6) / 2 + 1);
    EXPECT_GE(valueX[6], 5 * 16);
    EXPECT_LT(valueX[6], 6 * 16);
    EXPECT_EQ(units, (std::vector<std::string>{"十", "亿", "千", "百", "十", "万", "千", "百", "十",
                                               "元", "角", "分"}));
    EXPECT_EQ(stars, std::vector<std::string>(12, "*"));
    // Separators: decimal point red before the last two columns, thousands black.
    std::vector<std::pair<int, unsigned>> seps;
    for (const auto* l : m.recordsOf(TMetaRecordKind::Line))
        if (l->Points[0].y() == 0 && l->Points[1].y() == 20)
            seps.emplace_back(l->Points[0].x(), l->Pen.Color);
    ASSERT_EQ(seps.size(), 22u); // 11 before and 11 after the digits
    EXPECT_EQ(seps[9], (std::pair<int, unsigned>{10 * 16 - 1, 0x0000FFu}));
    EXPECT_EQ(seps[6], (std::pair<int, unsigned>{7 * 16 - 1, 0x000000u}));
    EXPECT_EQ(seps[0].second, 0x000000u); // nine columns before the point
    EXPECT_EQ(seps[1].second, 0xC0C0C0u);
}

// One page with every view kind; REPORT_SAMPLE_PNG=<file> saves it (docs picture).
TEST(GraphicViews, SamplePageWithEveryViewKind) {
    OnePage doc;
    auto title = testdraw::framedMemo(40, 30, 560, 36, {"核算单位档案"});
    title->Font.Size = 18;
    title->Font.Style = fontstyle::Bold;
    title->setAlignment(2);
    title->setLayout(8);
    title->setFrameTyp(0);
    doc.add(*title);
    const char* const rows[][3] = {{"单位编号", "单位名称", "备注"},
                                   {"0001", "北京分公司", "总部直属，负责华北地区的核算工作。"},
                                   {"0002", "上海分公司", "Shanghai branch"},
                                   {"0003", "研发中心（深圳）", "右对齐"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const int widths[] = {90, 150, 220}, lefts[] = {40, 130, 280};
            auto cell = testdraw::framedMemo(lefts[c], 80 + r * 36, widths[c], 36, {rows[r][c]});
            cell->setFlag(flag::Wordwrap, true);
            cell->setWordBreak(true);
            cell->setLayout(8);
            if (r == 0) {
                cell->FillColor = 0xE0E0E0;
                cell->setAlignment(2);
            }
            if (r == 3 && c == 2)
                cell->setAlignment(1);
            doc.add(*cell);
        }
    TRMDiagonalView diagonal;
    diagonal.SetBounds(520, 80, 80, 36);
    diagonal.setFrameTyp(15);
    diagonal.Font.Name = "宋体";
    diagonal.Font.Size = 9;
    diagonal.Memo = {"项目;;;月份"};
    doc.add(diagonal);
    TRMMoneyView money;
    money.SetBounds(40, 240, 12 * 15 + 11, 24);
    money.setFrameTyp(15);
    money.Font.Name = "宋体";
    money.Font.Size = 9;
    TRMMoneyView moneyTitle = money;
    moneyTitle.TitleMode = true;
    doc.add(moneyTitle);
    money.Top = 264;
    money.Memo = {"1234.5"};
    doc.add(money);
    TRMPictureView picture;
    picture.SetBounds(280, 240, 120, 60);
    picture.setFrameTyp(15);
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(QColor(70, 130, 180));
    const platform::Picture encoded =
        platform::Picture::fromImage(image, platform::TPictureKind::Jpeg);
    picture.Picture = {
        TRMPicture::Jpeg,
        std::string(encoded.bytes().constData(), static_cast<std::size_t>(encoded.bytes().size()))};
    picture.setFlag(TRMPictureView::Center, true);
    doc.add(picture);
    TRMShapeView shape;
    shape.FillColor = 0xC0FFC0;
    const std::uint8_t kinds[] = {TRMShapeView::skRoundRectangle, TRMShapeView::skEllipse,
                                  TRMShapeView::skTriangle};
    for (int i = 0; i < 3; ++i) {
        shape.SetBounds(420 + i * 60, 240, 50, 40);
        shape.Shape = kinds[i];
        doc.add(shape);
    }
    TRMLineView line;
    line.SetBounds(40, 310, 560, 2);
    line.setFrameWidth(2);
    doc.add(line);
    TRMCheckBoxView check;
    check.SetBounds(40, 325, 20, 20);
    check.setFrameTyp(15);
    check.CheckStyle = TRMCheckBoxView::csCheck;
    check.Memo = {"1"};
    doc.add(check);
    auto rotated = testdraw::framedMemo(70, 325, 30, 80, {"竖排文字"});
    rotated->RotationType = rt90;
    rotated->setAlignment(2);
    doc.add(*rotated);
    auto justified = testdraw::framedMemo(110, 325, 200, 24, {"两端对齐示例"});
    justified->setAlignment(3);
    justified->BandType = 1;
    doc.add(*justified);
    TRMRichView rich;
    rich.SetBounds(330, 325, 270, 80);
    rich.setFrameTyp(15);
    rich.FillColor = 0xF0FFFF;
    rich.RichText = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
                    "{\\f1\\fcharset134 \\'ba\\'da\\'cc\\'e5;}}{\\colortbl;\\red192\\green0\\blue0;"
                    "\\red255\\green255\\blue0;}\\qc\\f1\\fs28 \\'b8\\'bb\\'ce\\'c4\\'b1\\'be "
                    "{\\cf1 Rich text}\\par\\pard\\f0\\fs18 {\\b \\'b4\\'d6\\'cc\\'e5} "
                    "{\\i italic} {\\ul \\'cf\\'c2\\'bb\\'ae\\'cf\\'df} {\\highlight2 "
                    "\\'b8\\'df\\'c1\\'c1} x{\\super 2}\\par\\qr \\'d3\\'d2\\'b6\\'d4\\'c6\\'eb "
                    "right\\par}";
    doc.add(rich);
    auto footer = testdraw::framedMemo(40, 420, 560, 20, {"第1页/共1页"});
    footer->setFrameTyp(0);
    footer->setAlignment(2);
    doc.add(*footer);

    const platform::TMetafile m = doc.paint();
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Image).size(), 1u);
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Ellipse).size(), 1u);
    EXPECT_GE(m.texts().size(), 30u);
    EXPECT_EQ(m.recordsOf(TMetaRecordKind::Raw).size(), 3u); // the rich view's lines
    if (const char* path = std::getenv("REPORT_SAMPLE_PNG")) {
        const QImage page = m.toImage(1.5).copy(0, 0, 640 * 3 / 2, 460 * 3 / 2);
        EXPECT_TRUE(page.save(QString::fromLocal8Bit(path)));
    }
}
