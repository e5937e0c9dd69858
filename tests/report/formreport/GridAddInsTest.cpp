// The grid add-ins: title rows, the data row template and its filling from the grid's
// rows, wide grids split over template pages, and the column grid's captions.

#include "grid/TAdvStringGrid.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMGridTableAddIn.h"
#include "tests/report/formreport/FormReportTestSupport.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace report;
using namespace formtest;

namespace {

constexpr int kMargin = 38;

QTableWidget* wideTable(TestWindow& w, int columns, int width) {
    auto* t = w.add<QTableWidget>(0, 0, 580, 200);
    t->setColumnCount(columns);
    t->setRowCount(2);
    for (int c = 0; c < columns; ++c) {
        t->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("列%1").arg(c)));
        t->setColumnWidth(c, width);
        for (int r = 0; r < 2; ++r)
            t->setItem(r, c, new QTableWidgetItem(QStringLiteral("%1-%2").arg(r).arg(c)));
    }
    return t;
}

std::vector<std::string> memoTexts(const std::vector<TRMView*>& views) {
    std::vector<std::string> out;
    for (const TRMView* v : views)
        out.push_back(text(*v));
    return out;
}

// Walks the report's row data set to its end, collecting the data cells' texts per row.
std::vector<std::vector<std::string>> rows(TRMFormReport& r) {
    TRMDataset& rows = *r.ReportEngine().Dataset;
    std::vector<std::vector<std::string>> out;
    for (rows.First(); !rows.Eof(); rows.Next())
        out.push_back(memoTexts(viewsIn(page(r), *band(page(r), rmbtMasterData))));
    return out;
}

// A grid laid out like the archive's: two captioned columns, one title row.
void archiveLikeGrid(grid::TAdvStringGrid& g, int rowCount) {
    g.Columns().Clear(); // the columns the first show made
    g.setColCount(2);
    g.setFixedCols(0);
    g.setDefaultRowHeight(18);
    g.Columns().Add().setTitleCaption("核算单位编码");
    g.Columns().Add().setTitleCaption("核算单位名称");
    g.setColWidths(0, 137);
    g.setColWidths(1, 155);
    g.setRowCount(rowCount + 1);
    for (int r = 1; r <= rowCount; ++r) {
        g.setCells(0, r, QStringLiteral("%1").arg(r, 4, 10, QLatin1Char('0')).toStdString());
        g.setCells(1, r, "单位" + std::to_string(r));
    }
}

} // namespace

TEST(GridAddIns, SplitColumnWidthsIntoSlices) {
    // Three columns fit 718 pixels; the fourth starts a slice that repeats column 0.
    EXPECT_EQ(splitGridColumns({201, 201, 201, 201, 201}, 0, 718, 1.0, false, 1),
              (std::vector<std::vector<int>>{{0, 1, 2}, {0, 3, 4}}));
    EXPECT_EQ(splitGridColumns({201, 201, 201, 201, 201}, 0, 718, 1.0, true, 1),
              (std::vector<std::vector<int>>{{0, 1, 2, 3, 4}}));
    // Each slice takes at least one column of its own, however wide.
    EXPECT_EQ(splitGridColumns({900, 900}, 0, 718, 1.0, false, 0),
              (std::vector<std::vector<int>>{{0}, {1}}));
    // Scaled to half, all five fit.
    EXPECT_EQ(splitGridColumns({201, 201, 201, 201, 201}, 0, 718, 0.5, false, 0).size(), 1u);
    // The left offset counts.
    EXPECT_EQ(splitGridColumns({300, 300}, 200, 718, 1.0, false, 0).size(), 2u);
}

TEST(GridAddIns, StringGridRowsFillFromTheGrid) {
    TestWindow w;
    QTableWidget* t = wideTable(w, 2, 80);
    t->setRowCount(3);
    t->setItem(2, 0, new QTableWidgetItem("[Error]"));
    t->setItem(2, 1, new QTableWidgetItem("末行"));
    t->setRowHeight(1, 40);
    w.report().PrintControl = t;

    TRMPage& p = w.build();
    TRMBandView* title = band(p, rmbtReportTitle);
    EXPECT_EQ(texts(p, *title), (std::vector<std::string>{"列0", "列1"}));
    EXPECT_EQ(viewsIn(p, *title)[0]->Height, t->horizontalHeader()->height() + 4);
    EXPECT_EQ(viewsIn(p, *title)[0]->Left, kMargin); // PrintControl's offset is 0
    EXPECT_EQ(w.report().Build().PageWidths, std::vector<int>{162});

    EXPECT_EQ(rows(w.report()), (std::vector<std::vector<std::string>>{
                                    {"0-0", "0-1"}, {"1-0", "1-1"}, {"", "末行"}}));
    // The cells take the height of the row they show.
    TRMDataset& ds = *w.report().ReportEngine().Dataset;
    ds.First();
    ds.Next();
    EXPECT_EQ(viewsIn(p, *band(p, rmbtMasterData))[0]->Height, 40);
}

TEST(GridAddIns, WideGridsSplitWithRepeatedLeadingColumns) {
    TestWindow w;
    wideTable(w, 5, 200);
    w.report().GridFixedCols = 1;

    w.build();
    TRMReport& engine = w.report().ReportEngine();
    ASSERT_EQ(engine.Pages.Count(), 2);
    TRMPage& second = page(w.report(), 1);
    EXPECT_EQ(texts(second, *band(second, rmbtReportTitle)),
              (std::vector<std::string>{"列0", "列3", "列4"}));
    // The slice starts with its titles, without the header caption of the first page.
    EXPECT_TRUE(band(second, rmbtReportTitle)->Visible);
    EXPECT_EQ(w.report().Build().PageWidths, (std::vector<int>{603, 603}));
    // Each repeated data cell shows its own column's text.
    TRMDataset& ds = *engine.Dataset;
    ds.First();
    EXPECT_EQ(memoTexts(viewsIn(second, *band(second, rmbtMasterData))),
              (std::vector<std::string>{"0-0", "0-3", "0-4"}));
    EXPECT_EQ(memoTexts(viewsIn(page(w.report()), *band(page(w.report()), rmbtMasterData))),
              (std::vector<std::string>{"0-0", "0-1", "0-2"}));
    // The second page has the first page's paper and margins.
    EXPECT_EQ(second.PageWidth, page(w.report()).PageWidth);
    EXPECT_EQ(second.LeftMargin, page(w.report()).LeftMargin);

    // Fitting the page width never splits: the grid is scaled to the printable width.
    w.report().ScaleMode().FitPageWidth = true;
    w.build();
    ASSERT_EQ(engine.Pages.Count(), 1);
    const std::vector<TRMView*> titles =
        viewsIn(page(w.report()), *band(page(w.report()), rmbtReportTitle));
    ASSERT_EQ(titles.size(), 5u);
    EXPECT_EQ(titles.back()->Left + titles.back()->Width - kMargin,
              w.report().Build().PrintableWidth);
}

TEST(GridAddIns, ColumnGridPrintsCaptionsAndEveryRow) {
    TestWindow w;
    auto* g = w.add<grid::TAdvStringGrid>(0, 35, 400, 200);
    archiveLikeGrid(*g, 30);
    platform::TFont titleFont;
    titleFont.Name = "MS Sans Serif";
    titleFont.Height = -11;
    titleFont.Color = platform::clBlack;
    g->setTitleFont(titleFont);
    g->Columns()[1].setAlignment(grid::TAlignment::taRightJustify);
    g->setRowColor(2, platform::clYellow);
    TRMFormReport& r = w.report();
    r.PrintControl = g;

    TRMPage& p = w.build();
    TRMBandView* title = band(p, rmbtReportTitle);
    EXPECT_EQ(texts(p, *title), (std::vector<std::string>{"核算单位编码", "核算单位名称"}));
    const std::vector<TRMView*> cells = viewsIn(p, *title);
    EXPECT_EQ(cells[0]->Height, g->RowHeights(0) + 4);
    EXPECT_EQ(cells[0]->Width, 138);
    EXPECT_EQ(cells[1]->Left, kMargin + 138);
    EXPECT_EQ(cells[1]->Width, 156);
    const auto& titleMemo = static_cast<const TRMMemoView&>(*cells[0]);
    EXPECT_EQ(titleMemo.Font.Name, "MS Sans Serif");
    EXPECT_EQ(titleMemo.Font.Size, 8);
    EXPECT_EQ(titleMemo.Font.Color, platform::clBlack);
    EXPECT_EQ(titleMemo.FrameTyp(), 15);

    // Every grid row, not only the visible ones, with the column's alignment.
    const std::vector<std::vector<std::string>> printed = rows(r);
    ASSERT_EQ(printed.size(), 30u);
    EXPECT_EQ(printed[0], (std::vector<std::string>{"0001", "单位1"}));
    EXPECT_EQ(printed[29], (std::vector<std::string>{"0030", "单位30"}));
    const auto& name = static_cast<const TRMMemoView&>(*viewsIn(p, *band(p, rmbtMasterData))[1]);
    EXPECT_EQ(name.Alignment(), 1);
    EXPECT_EQ(name.Layout(), 8);
    EXPECT_EQ(name.FillColor, clNone); // colours only with rmgoUseColor
    EXPECT_EQ(name.Font.Color, platform::clBlack);

    r.ReportOptions.include(rmgoUseColor);
    TRMPage& q = w.build();
    TRMDataset& ds = *r.ReportEngine().Dataset;
    ds.First();
    ds.Next();
    EXPECT_EQ(viewsIn(q, *band(q, rmbtMasterData))[1]->FillColor, platform::clYellow);
    EXPECT_EQ(viewsIn(q, *band(q, rmbtReportTitle))[0]->FillColor, g->TitleColor());

    // A title colour for the printout: white titles on screen print in it, data cells not.
    titleFont.Color = platform::clWhite;
    g->setTitleFont(titleFont);
    TRMPage& white = w.build();
    EXPECT_EQ(static_cast<const TRMMemoView&>(*viewsIn(white, *band(white, rmbtReportTitle))[0])
                  .Font.Color,
              platform::clWhite);
    r.GridFontOptions().TitleFontColor = platform::clBlack;
    TRMPage& black = w.build();
    for (const TRMView* cell : viewsIn(black, *band(black, rmbtReportTitle)))
        EXPECT_EQ(static_cast<const TRMMemoView&>(*cell).Font.Color, platform::clBlack);
    EXPECT_EQ(g->TitleFont().Color, platform::clWhite) << "the grid on screen is left alone";
}

TEST(GridAddIns, ColumnGridMultiLevelCaptionsAndHiddenColumns) {
    TestWindow w;
    auto* g = w.add<grid::TAdvStringGrid>(0, 0, 500, 200);
    g->Columns().Clear();
    g->setColCount(4);
    g->setRowCount(2);
    for (const char* caption : {"单位|编码", "单位|名称", "备注", "隐藏"})
        g->Columns().Add().setTitleCaption(caption);
    for (int c = 0; c < 4; ++c) {
        g->setColWidths(c, 100);
        g->setCells(c, 1, "v" + std::to_string(c));
    }
    g->Columns()[3].setVisible(false);
    w.report().PrintControl = g;

    TRMPage& p = w.build();
    TRMBandView* title = band(p, rmbtReportTitle);
    const std::vector<TRMView*> parts = viewsIn(p, *title);
    ASSERT_EQ(memoTexts(parts), (std::vector<std::string>{"单位", "编码", "名称", "备注", "隐藏"}));
    const int height = g->RowHeights(0) + 4;
    EXPECT_EQ(parts[0]->Width, 202); // spans both columns
    EXPECT_EQ(parts[0]->Height, height / 2);
    EXPECT_EQ(parts[1]->Top, parts[0]->Top + height / 2);
    EXPECT_EQ(parts[2]->Left, parts[1]->Left + 101);
    EXPECT_EQ(parts[3]->Height, height); // a single part reaches the bottom
    EXPECT_FALSE(parts[4]->Visible);

    TRMDataset& ds = *w.report().ReportEngine().Dataset;
    ds.First();
    const std::vector<TRMView*> data = viewsIn(p, *band(p, rmbtMasterData));
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(data[3]->Width, 0);
    EXPECT_FALSE(data[3]->Visible);
    EXPECT_EQ(text(*data[2]), "v2");
}

TEST(GridAddIns, DataAwareGridPrintsFieldReferences) {
    TestWindow w;
    QStandardItemModel model(4, 3);
    model.setHorizontalHeaderLabels({"Code", "Name", "Secret"});
    auto* view = w.add<QTableView>(10, 10, 400, 200);
    view->setModel(&model);
    view->setColumnHidden(2, true);
    TRMFormReport& r = w.report();
    r.ReportOptions.include(rmgoGridNumber);
    std::vector<std::string> fields;
    r.OnAfterCreateGridObjectEvent = [&](QWidget&, const std::string& f, TRMView&) {
        fields.push_back(f);
    };

    TRMPage& p = w.build();
    EXPECT_EQ(texts(p, *band(p, rmbtReportTitle)),
              (std::vector<std::string>{"No", "Code", "Name"}));
    TRMBandView* master = band(p, rmbtMasterData);
    EXPECT_EQ(master->DisplayFormatText, "RMDialogForm." + r.GridDataSet().Name);
    const std::string path = r.dataSetPath(model);
    EXPECT_EQ(texts(p, *master), (std::vector<std::string>{"[Line#]", "[" + path + ".\"Code\"]",
                                                           "[" + path + ".\"Name\"]"}));
    EXPECT_EQ(viewsIn(p, *master)[1]->Height, view->verticalHeader()->defaultSectionSize() + 4);
    EXPECT_EQ(viewsIn(p, *band(p, rmbtReportTitle))[0]->Width,
              QFontMetrics(view->font()).horizontalAdvance('a') * 7);
    EXPECT_EQ(fields, (std::vector<std::string>{"Code", "Name"}));
    EXPECT_EQ(r.GridDataSet().GetDataSet(), &r.cursorFor(model));

    r.MasterDataBandOptions().Height = 30;
    TRMPage& q = w.build();
    EXPECT_EQ(viewsIn(q, *band(q, rmbtMasterData))[0]->Height, 30);
}

TEST(GridAddIns, ListViewPrintsItsItems) {
    TestWindow w;
    auto* tree = w.add<QTreeWidget>(10, 10, 300, 150);
    tree->setHeaderLabels({"项目", "数量"});
    for (int i = 0; i < 3; ++i)
        tree->addTopLevelItem(
            new QTreeWidgetItem({QStringLiteral("项%1").arg(i), QString::number(i * 10)}));
    w.report().ReportOptions.include(rmgoGridNumber);

    TRMPage& p = w.build();
    EXPECT_EQ(texts(p, *band(p, rmbtReportTitle)),
              (std::vector<std::string>{"No", "项目", "数量"}));
    EXPECT_EQ(rows(w.report()),
              (std::vector<std::vector<std::string>>{
                  {"[Line#]", "项0", "0"}, {"[Line#]", "项1", "10"}, {"[Line#]", "项2", "20"}}));
}
