// Building the template from a window: the walk, the bands and their order, the header
// and footer modes, captions, scaling and centring, the data-set fallback and groups.

#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMPrintControls.h"
#include "tests/report/formreport/FormReportTestSupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace report;
using namespace formtest;

namespace {

constexpr int kMargin = 38;

QTableWidget* addTable(TestWindow& w, int x, int y, int width, int height, int rows) {
    auto* t = w.add<QTableWidget>(x, y, width, height);
    t->setColumnCount(2);
    t->setRowCount(rows);
    t->setHorizontalHeaderLabels({"编码", "名称"});
    t->setColumnWidth(0, 60);
    t->setColumnWidth(1, 120);
    for (int r = 0; r < rows; ++r) {
        t->setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        t->setItem(r, 1, new QTableWidgetItem(QStringLiteral("单位%1").arg(r + 1)));
    }
    return t;
}

// The archive's header caption: "[Title]" centred in 22-point type, then a short line.
constexpr const char* kHeaderCaption =
    "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'ba\\'da\\'cc\\'e5;}}\r\n"
    "\\pard\\qc\\f0\\fs44 [Title]\\par\r\n\\pard\\qr\\fs16   \\par\r\n}";

const TRMRichView* richView(const TRMPage& p) {
    const std::vector<TRMRichView*> views = viewsOf<TRMRichView>(p);
    return views.empty() ? nullptr : views.front();
}

} // namespace

TEST(FormReportBuild, LabelGridLabelGoToTitleMasterAndColumnFooter) {
    TestWindow w;
    auto* above = w.add<QLabel>(10, 10, 100, 20);
    above->setText("核算单位一览");
    QTableWidget* table = addTable(w, 10, 40, 300, 150, 3);
    auto* below = w.add<QLabel>(10, 200, 100, 20);
    below->setText("制表人");

    TRMPage& p = w.build();
    TRMBandView* title = band(p, rmbtReportTitle);
    TRMBandView* master = band(p, rmbtMasterData);
    TRMBandView* columnFooter = band(p, rmbtColumnFooter);
    TRMBandView* pageFooter = band(p, rmbtPageFooter);
    ASSERT_TRUE(title && master && columnFooter && pageFooter);
    EXPECT_EQ(band(p, rmbtPageHeader), nullptr);
    EXPECT_TRUE(title->Visible);
    EXPECT_FALSE(columnFooter->Visible); // printed only with PageHeaderOnly1
    EXPECT_FALSE(pageFooter->Visible);
    EXPECT_EQ(pageFooter->Top, columnFooter->Top + columnFooter->Height + 1);

    // The first label and the grid's title row are in the title band, at their places.
    EXPECT_EQ(texts(p, *title), (std::vector<std::string>{"核算单位一览", "编码", "名称"}));
    const std::vector<TRMView*> titleViews = viewsIn(p, *title);
    EXPECT_EQ(titleViews[0]->Left, 10 + kMargin);
    EXPECT_EQ(titleViews[0]->Top, 10 - 2 + kMargin);
    EXPECT_EQ(titleViews[1]->Left, 10 + kMargin);
    EXPECT_EQ(titleViews[1]->Top, 40 + kMargin);
    EXPECT_EQ(titleViews[1]->Width, 61);
    EXPECT_EQ(titleViews[1]->Height, table->horizontalHeader()->height() + 4);
    EXPECT_EQ(titleViews[2]->Left, 10 + 61 + kMargin);

    // One template row of empty data cells in the master band, 4 pixels high until filled.
    const std::vector<TRMView*> data = viewsIn(p, *master);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0]->Top, master->Top);
    EXPECT_EQ(data[0]->Height, 4);
    EXPECT_EQ(text(*data[1]), "");
    EXPECT_EQ(master->Top, title->Top + title->Height + 1);
    EXPECT_TRUE(master->DisplayFormatText.empty()); // the grid's own row data set
    EXPECT_EQ(w.report().ReportEngine().Dataset != nullptr, true);

    // The second label keeps its distance from the grid's bottom (200 - 2 - 190).
    ASSERT_EQ(texts(p, *columnFooter), (std::vector<std::string>{"制表人"}));
    EXPECT_EQ(viewsIn(p, *columnFooter)[0]->Top - columnFooter->Top, 8);

    // With PageHeaderOnly1 the title heads every page and both footers print.
    w.report().PageHeaderOnly1 = true;
    TRMPage& q = w.build();
    ASSERT_NE(band(q, rmbtPageHeader), nullptr);
    EXPECT_EQ(band(q, rmbtReportTitle), nullptr);
    EXPECT_TRUE(band(q, rmbtColumnFooter)->Visible);
    EXPECT_TRUE(band(q, rmbtPageFooter)->Visible);
}

TEST(FormReportBuild, WalkOrderPositionsHiddenControlsAndSecondGrids) {
    TestWindow w;
    auto* right = w.add<QLabel>(200, 10, 50, 20);
    right->setText("B");
    auto* left = w.add<QLabel>(20, 10, 50, 20);
    left->setText("A");
    auto* higher = w.add<QLabel>(400, 5, 50, 20);
    higher->setText("top");
    auto* panel = w.add<QWidget>(30, 50, 200, 100);
    auto* inner = w.add<QLabel>(15, 25, 60, 20, panel);
    inner->setText("inside");
    auto* hidden = w.add<QLineEdit>(300, 60, 80, 24);
    hidden->setText("hidden");
    hidden->hide();
    addTable(w, 10, 200, 300, 80, 2);
    addTable(w, 10, 290, 300, 80, 2); // only the first grid prints
    auto* after = w.add<QLabel>(350, 300, 60, 20);
    after->setText("after");

    TRMPage& p = w.build();
    std::vector<std::string> order;
    for (TRMMemoView* m : memos(p))
        order.push_back(text(*m));
    EXPECT_EQ(order, (std::vector<std::string>{"top", "A", "B", "inside", "hidden", "编码", "名称",
                                               "", "", "after"}));
    // A label inside a panel prints at its place relative to PrintControl, 2 higher.
    const TRMMemoView* insideView = memos(p)[3];
    EXPECT_EQ(insideView->Left, 30 + 15 + kMargin);
    EXPECT_EQ(insideView->Top, 50 + 25 - 2 + kMargin);
    // Controls after the grid, the second grid's place included, go to the column footer.
    EXPECT_EQ(texts(p, *band(p, rmbtColumnFooter)), (std::vector<std::string>{"after"}));
}

TEST(FormReportBuild, OnPrintObjectCanTakeOrNameAControl) {
    TestWindow w;
    auto* panel = w.add<QWidget>(10, 10, 200, 100);
    panel->setObjectName("panel");
    auto* child = w.add<QLabel>(5, 5, 50, 20, panel);
    child->setText("child");
    auto* other = w.add<QLabel>(10, 150, 50, 20);
    other->setText("other");

    int asked = 0;
    w.report().OnPrintObject = [&](TRMFormReport&, TRMPage&, QWidget& c, TRMFormReportObjectClass&,
                                   bool& ownerDraw) {
        ++asked;
        ownerDraw = c.objectName() == "panel";
    };
    TRMPage& p = w.build();
    EXPECT_EQ(asked, 3); // root, panel, other: the panel's child is not walked
    ASSERT_EQ(memos(p).size(), 1u);
    EXPECT_EQ(text(*memos(p)[0]), "other");

    // Naming an add-in prints the panel (its windowTitle) and still walks its children.
    panel->setWindowTitle("面板");
    std::vector<std::string> created;
    w.report().OnPrintObject = [&](TRMFormReport&, TRMPage&, QWidget& c,
                                   TRMFormReportObjectClass& addIn, bool&) {
        if (c.objectName() == "panel")
            addIn = TRMFormReportObjectClass::of<TRMPrintControl>();
    };
    w.report().OnAfterCreateObject = [&](QWidget&, TRMView& v) { created.push_back(text(v)); };
    w.build();
    EXPECT_EQ(created, (std::vector<std::string>{"面板", "child", "other"}));
}

TEST(FormReportBuild, HeaderCaptionHeadsTheTitleBand) {
    TestWindow w;
    auto* label = w.add<QLabel>(0, 0, 100, 20);
    label->setText("x");
    w.report().PageHeader().setCaptionText(kHeaderCaption);
    TRMPage& p = w.build();
    TRMBandView* title = band(p, rmbtReportTitle);
    const TRMRichView* caption = richView(p);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->RichText, std::string(kHeaderCaption));
    EXPECT_EQ(caption->BandAlign, baWidth);
    EXPECT_EQ(caption->FrameTyp(), 0);
    EXPECT_EQ(caption->Top, title->Top);
    EXPECT_GT(caption->Height, 30); // 22 pt and 8 pt lines
    // The label sits below the caption (H = caption height + 2), 2 pixels higher than placed.
    EXPECT_EQ(memos(p)[0]->Top, title->Top + caption->Height + 2 - 2);
    EXPECT_EQ(title->Height, caption->Height + 2 + 20 + 4 - 2);

    // A fixed height wins over the measured one; a caption that is no rich text adds none.
    w.report().PageHeader().setHeight(50);
    EXPECT_EQ(richView(w.build())->Height, 50);
    w.report().PageHeader().setCaptionText("plain text");
    TRMPage& q = w.build();
    EXPECT_EQ(richView(q), nullptr);
    EXPECT_EQ(memos(q)[0]->Top, kMargin - 2);
}

TEST(FormReportBuild, ScalingAndCentring) {
    TestWindow w;
    auto* label = w.add<QLabel>(100, 40, 80, 20);
    label->setText("x");
    QFont font = label->font();
    font.setPointSize(12);
    label->setFont(font);

    w.report().ScaleMode().ScaleMode = rmsmAdjust;
    w.report().ScaleMode().ScaleFactor = 50;
    const TRMMemoView& m = *memos(w.build())[0];
    EXPECT_EQ(m.Left, 50 + kMargin);
    EXPECT_EQ(m.Width, 44); // R((100 + 88) / 2) - R(100 / 2)
    EXPECT_EQ(m.Top, 19 + kMargin);
    EXPECT_EQ(m.Height, 12); // R((38 + 24) / 2) - R(38 / 2)
    EXPECT_EQ(m.Font.Size, 6);

    // Centring: the content (the only child's width, 80) scaled by 1 in the printable width.
    w.report().ScaleMode().ScaleFactor = 100;
    w.report().ScaleMode().CenterOnPageH = true;
    const TRMGridBuildState& b = w.report().Build();
    const TRMMemoView& c = *memos(w.build())[0];
    EXPECT_EQ(b.PageWidths[0], 80);
    EXPECT_EQ(c.Left, 100 + (b.PrintableWidth - 80) / 2 + kMargin);

    // Fitting the height scales the content (20 high) to the printable height.
    w.report().ScaleMode() = TRMScaleOptions{};
    w.report().ScaleMode().FitPageHeight = true;
    const TRMMemoView& f = *memos(w.build())[0];
    EXPECT_GT(f.Height, 24 * 30);
}

TEST(FormReportBuild, DataSetFallbackAndGroups) {
    TestWindow w;
    auto* label = w.add<QLabel>(10, 10, 80, 20);
    label->setText("[Code]");
    QStandardItemModel model(2, 2);
    model.setHorizontalHeaderLabels({"Code", "Name"});
    TRMFormReport& r = w.report();
    r.DataSet = &model;
    r.Groups().Add().GroupFieldName = "Code";
    r.Groups()[0].FormNewPage = true;
    r.Groups().Add().GroupFieldName = "Missing";
    r.Groups().Add(); // no name: skipped

    TRMPage& p = w.build();
    TRMBandView* master = band(p, rmbtMasterData);
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(texts(p, *master), (std::vector<std::string>{"[Code]"}));
    EXPECT_EQ(master->DisplayFormatText, "RMDialogForm." + r.GridDataSet().Name);
    std::vector<TRMBandView*> headers, footers;
    for (TRMBandView* b : bands(p)) {
        if (b->bandType() == rmbtGroupHeader)
            headers.push_back(b);
        if (b->bandType() == rmbtGroupFooter)
            footers.push_back(b);
    }
    ASSERT_EQ(headers.size(), 2u);
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(headers[0]->Condition(), "[" + r.gridDataSetPath() + ".\"Code\"]");
    EXPECT_TRUE(headers[0]->bandFlag(bandflag::FormNewPage));
    EXPECT_EQ(headers[1]->Condition(), "Missing");
    EXPECT_LT(headers[1]->Top, master->Top);
    EXPECT_GT(footers[0]->Top, master->Top);

    // Selected records only: no fallback, the label stays a title.
    r.ReportOptions.include(rmgoSelectedRecordsOnly);
    TRMPage& q = w.build();
    EXPECT_EQ(band(q, rmbtMasterData), nullptr);
    EXPECT_EQ(band(q, rmbtGroupHeader), nullptr);
}
