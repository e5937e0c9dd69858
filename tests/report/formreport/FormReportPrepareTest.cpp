// A form report's template prepared by the engine: the grid's rows become data rows page
// after page, at their own heights, below the title that heads every page.

#include "platform/Picture.h"
#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReport.h"
#include "tests/report/formreport/FormReportTestSupport.h"

#include <QComboBox>
#include <QDataWidgetMapper>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>

#include <algorithm>
#include <gtest/gtest.h>

using namespace report;
using namespace formtest;

namespace {

// A prepared memo's text without the line markers of its wrapped lines.
std::string shown(const TRMView& view) {
    std::string out;
    for (const std::string& line : view.Memo)
        out += (out.empty() ? "" : "\n") + std::string(stripMarker(line));
    return out;
}

// Texts of the memo views of prepared page `index`, top to bottom, then left to right.
std::vector<std::string> preparedTexts(TRMReport& engine, int index) {
    std::shared_ptr<const TRMPage> p = engine.EMFPages.pageViews(index);
    std::vector<const TRMView*> views;
    for (const auto& v : p->Objects())
        if (dynamic_cast<const TRMMemoView*>(v.get()) != nullptr)
            views.push_back(v.get());
    std::stable_sort(views.begin(), views.end(), [](const TRMView* a, const TRMView* b) {
        return a->Top != b->Top ? a->Top < b->Top : a->Left < b->Left;
    });
    std::vector<std::string> out;
    for (const TRMView* v : views)
        out.push_back(shown(*v));
    return out;
}

QTableWidget* unitTable(TestWindow& w, int rows) {
    auto* t = w.add<QTableWidget>(0, 30, 400, 300);
    t->setColumnCount(2);
    t->setRowCount(rows);
    t->setHorizontalHeaderLabels({"编码", "名称"});
    for (int r = 0; r < rows; ++r) {
        t->setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        t->setItem(r, 1, new QTableWidgetItem(QStringLiteral("单位%1").arg(r + 1)));
    }
    return t;
}

} // namespace

TEST(FormReportPrepare, GridRowsBecomeDataRowsAtTheirHeights) {
    TestWindow w;
    auto* title = w.add<QLabel>(0, 0, 200, 20);
    title->setText("一览");
    QTableWidget* t = unitTable(w, 3);
    t->setRowHeight(1, 50);
    TRMReport& engine = w.report().ReportEngine();
    w.report().RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    ASSERT_EQ(engine.EMFPages.Count(), 1);
    EXPECT_EQ(preparedTexts(engine, 0),
              (std::vector<std::string>{"一览", "编码", "名称", "1", "单位1", "2", "单位2", "3",
                                        "单位3"}));
    // The second row is 50 pixels high, the third follows it.
    std::shared_ptr<const TRMPage> p = engine.EMFPages.pageViews(0);
    std::vector<int> tops;
    for (const auto& v : p->Objects())
        if (shown(*v) == "1" || shown(*v) == "2" || shown(*v) == "3")
            tops.push_back(v->Top);
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_EQ(tops[1] - tops[0], t->rowHeight(0));
    EXPECT_EQ(tops[2] - tops[1], 50);
}

TEST(FormReportPrepare, TitleAndFooterOnEveryPageWithTotalPages) {
    TestWindow w;
    unitTable(w, 150);
    auto* footer = w.add<QLabel>(0, 340, 200, 20);
    footer->setText("第[Page#]页/共[TotalPages#]页");
    TRMFormReport& r = w.report();
    r.PageHeaderOnly1 = true;
    r.PageLayout().DoublePass = true;
    r.RebuildFromControls();
    TRMReport& engine = r.ReportEngine();
    ASSERT_TRUE(engine.PrepareReport());
    const int pages = engine.EMFPages.Count();
    ASSERT_GT(pages, 2);
    int units = 0;
    for (int i = 0; i < pages; ++i) {
        const std::vector<std::string> t = preparedTexts(engine, i);
        ASSERT_GE(t.size(), 3u);
        EXPECT_EQ(t[0], "编码");
        EXPECT_EQ(t[1], "名称");
        EXPECT_EQ(t.back(), "第" + std::to_string(i + 1) + "页/共" + std::to_string(pages) + "页");
        units += static_cast<int>(t.size() - 3) / 2;
    }
    EXPECT_EQ(units, 150);

    // Printed once, the title row is on the first page only and the footer nowhere.
    r.PageHeaderOnly1 = false;
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(preparedTexts(engine, 0)[0], "编码");
    const std::vector<std::string> second = preparedTexts(engine, 1);
    EXPECT_NE(second.front(), "编码");
    EXPECT_EQ(std::count_if(second.begin(), second.end(),
                            [](const std::string& t) { return t.find("页/共") != t.npos; }),
              0);
}

// What a window holds is data and prints as it stands; a label's caption is the window's
// design and may hold expressions.
TEST(FormReportPrepare, ControlContentsPrintAsTheyStandCaptionsAreExpressions) {
    TestWindow w;
    w.add<QLabel>(0, 0, 60, 20)->setText("页[Page#]");
    w.add<QLineEdit>(70, 0, 60, 20)->setText("[1+1]");
    w.add<QPlainTextEdit>(140, 0, 60, 20)->setPlainText("a]b[c");
    auto* combo = w.add<QComboBox>(210, 0, 60, 20);
    combo->addItem("[Page#]");
    QTableWidget* t = unitTable(w, 1);
    t->setHorizontalHeaderLabels({"[2*3]", "名称"});
    t->item(0, 1)->setText("[INPUT('x')]");
    TRMReport& engine = w.report().ReportEngine();
    w.report().RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    std::vector<std::string> texts = preparedTexts(engine, 0);
    std::sort(texts.begin(), texts.end());
    std::vector<std::string> expected = {"页1",   "[1+1]", "a]b[c", "[Page#]",
                                         "[2*3]", "名称",  "1",     "[INPUT('x')]"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
}

TEST(FormReportPrepare, SelectedRecordsOnlyPrintsTheSelectedRows) {
    TestWindow w;
    QStandardItemModel model(5, 2);
    model.setHorizontalHeaderLabels({"Code", "Name"});
    for (int r = 0; r < 5; ++r) {
        model.setItem(r, 0, new QStandardItem(QString::number(r + 1)));
        model.setItem(r, 1, new QStandardItem(QStringLiteral("单位%1").arg(r + 1)));
    }
    auto* view = w.add<QTableView>(0, 0, 400, 200);
    view->setModel(&model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::MultiSelection);
    view->selectRow(1);
    view->selectRow(3);
    TRMFormReport& r = w.report();
    TRMReport& engine = r.ReportEngine();

    // Without the option every record prints.
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(preparedTexts(engine, 0).size(), 2u + 5 * 2);

    r.ReportOptions.include(rmgoSelectedRecordsOnly);
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(preparedTexts(engine, 0),
              (std::vector<std::string>{"Code", "Name", "2", "单位2", "4", "单位4"}));

    // Nothing selected: the option leaves every record in.
    view->clearSelection();
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(preparedTexts(engine, 0).size(), 2u + 5 * 2);
}

namespace {

// Alignment of the memo view showing `text` on prepared page 0; -1 when none does.
int preparedAlignment(TRMReport& engine, const std::string& text) {
    std::shared_ptr<const TRMPage> page = engine.EMFPages.pageViews(0);
    for (const auto& v : page->Objects())
        if (auto* memo = dynamic_cast<const TRMMemoView*>(v.get()); memo && shown(*memo) == text)
            return memo->Alignment();
    return -1;
}

} // namespace

TEST(FormReportPrepare, FieldsPrintInTheFormatAndAlignmentOfTheirType) {
    TestWindow w;
    QStandardItemModel model(2, 6);
    model.setHorizontalHeaderLabels({"名称", "金额", "押金", "日期", "时间", "启用"});
    const QVariantList rows[] = {
        {QStringLiteral("单位1"), 1234.5, QVariant::fromValue(platform::Currency{5000000}),
         QDate(2026, 3, 5), QTime(8, 5, 30), true},
        {QStringLiteral("单位2"), 1234567.891, QVariant::fromValue(platform::Currency{-12345}),
         QDate(2026, 12, 31), QTime(17, 0), false}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 6; ++c)
            model.setData(model.index(r, c), rows[r][c]);
    w.add<QTableView>(0, 0, 580, 200)->setModel(&model);
    TRMFormReport& r = w.report();
    TRMReport& engine = r.ReportEngine();
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(
        preparedTexts(engine, 0),
        (std::vector<std::string>{"名称", "金额", "押金", "日期", "时间", "启用", "单位1",
                                  "1,234.50", "￥500.00", "2026-03-05", "8:05:30", "是", "单位2",
                                  "1,234,567.89", "-￥1.23", "2026-12-31", "17:00:00", "否"}));
    for (const char* right : {"1,234.50", "1,234,567.89", "￥500.00", "-￥1.23"})
        EXPECT_EQ(preparedAlignment(engine, right), 1) << right;
    EXPECT_EQ(preparedAlignment(engine, "2026-03-05"), 0);

    // A data-aware edit and label take their field's format too.
    TestWindow form;
    auto* amount = form.add<QLineEdit>(10, 10, 100, 24);
    auto* date = form.add<QLabel>(10, 40, 100, 20);
    auto* mapper = new QDataWidgetMapper(&form.root());
    mapper->setModel(&model);
    mapper->addMapping(amount, 1);
    mapper->addMapping(date, 3, "text");
    form.report().DataSource = mapper;
    form.report().RebuildFromControls();
    TRMReport& formEngine = form.report().ReportEngine();
    ASSERT_TRUE(formEngine.PrepareReport());
    EXPECT_EQ(preparedTexts(formEngine, 0),
              (std::vector<std::string>{"1,234.50", "2026-03-05", "1,234,567.89", "2026-12-31"}));
    EXPECT_EQ(preparedAlignment(formEngine, "1,234.50"), 1);
}

TEST(FormReportPrepare, PicturesFromTheModelPrintPerRowAndBlankRowsClearThem) {
    TestWindow w;
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(4, 4, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QStandardItemModel model(3, 2);
    model.setHorizontalHeaderLabels({"名称", "照片"});
    model.setData(model.index(0, 0), QStringLiteral("甲"));
    model.setData(model.index(0, 1), red);
    model.setData(model.index(1, 0), QStringLiteral("乙")); // no picture
    model.setData(model.index(2, 0), QStringLiteral("丙"));
    model.setData(model.index(2, 1), QPixmap::fromImage(blue));
    w.add<QTableView>(0, 0, 400, 200)->setModel(&model);
    TRMFormReport& r = w.report();
    r.ReportOptions.include(rmgoAppendBlank); // blank rows fill the page after the last record
    TRMReport& engine = r.ReportEngine();
    r.RebuildFromControls();
    ASSERT_TRUE(engine.PrepareReport());

    std::shared_ptr<const TRMPage> p = engine.EMFPages.pageViews(0);
    std::vector<const TRMPictureView*> pictures;
    for (const auto& v : p->Objects())
        if (auto* picture = dynamic_cast<const TRMPictureView*>(v.get()))
            pictures.push_back(picture);
    std::stable_sort(pictures.begin(), pictures.end(),
                     [](auto* a, auto* b) { return a->Top < b->Top; });
    ASSERT_GT(pictures.size(), 3u) << "three records and blank rows";
    const auto sizeOf = [](const TRMPictureView& view) {
        platform::Picture picture;
        const QByteArray bytes(view.Picture.data.data(),
                               static_cast<qsizetype>(view.Picture.data.size()));
        return picture.loadFromBytes(bytes) ? QSize(picture.width(), picture.height()) : QSize();
    };
    EXPECT_EQ(sizeOf(*pictures[0]), QSize(8, 6));
    EXPECT_TRUE(pictures[1]->Picture.data.empty()) << "a null field keeps no earlier picture";
    EXPECT_EQ(sizeOf(*pictures[2]), QSize(4, 4));
    for (std::size_t i = 3; i < pictures.size(); ++i)
        EXPECT_TRUE(pictures[i]->Picture.data.empty()) << "blank row " << i;
}

TEST(FormReportPrepare, ExpressionsNameTheControlsOfTheOwnerWindow) {
    QWidget window;
    window.setObjectName("frmUnits");
    window.resize(400, 300);
    auto* edit = new QLineEdit(QStringLiteral("核算一部"), &window);
    edit->setObjectName("edtUnit");
    auto* count = new QSpinBox(&window);
    count->setObjectName("spnCount");
    count->setValue(7);
    auto* panel = new QWidget(&window);
    panel->setGeometry(0, 50, 400, 100);
    new QLabel(QStringLiteral("单位：[EDTUNIT.Text] 共[frmUnits.spnCount.value]个"), panel);
    TRMFormReport r(&window);
    r.PrintControl = panel;
    r.RebuildFromControls();
    TRMReport& engine = r.ReportEngine();
    EXPECT_EQ(engine.OwnerForm.data(), &window);
    ASSERT_TRUE(engine.PrepareReport());
    EXPECT_EQ(preparedTexts(engine, 0), (std::vector<std::string>{"单位：核算一部 共7个"}));
}
