// Start-up, rights, layout and tool bar of the archive window.

#include "archive/ToolBarImages.h"
#include "grid/TAdvStringGrid.h"
#include "plugin/HostContext.h"
#include "plugin/TDreamClass.h"
#include "tests/archive/ArchiveWindowFixture.h"
#include "tests/support/TestSupport.h"

#include <QFrame>
#include <QTest>
#include <QToolButton>

using namespace archivetest;
using archive::TfrmAcountUnitArchives;

namespace {

constexpr unsigned kError = platform::MB_OK | platform::MB_ICONERROR;

struct RightsCase {
    std::optional<std::string> dwlx, zbbm, dchy;
    std::string jobFlag;
    std::string unitType; // after start-up
    bool buttons;         // editing buttons shown
};

} // namespace

class ArchiveRightsTest : public ArchiveWindowTest,
                          public ::testing::WithParamInterface<RightsCase> {};

TEST_P(ArchiveRightsTest, ParametersAndJobFlagDecideRightsAndButtons) {
    const RightsCase& c = GetParam();
    StartOptions options;
    options.dwlx = c.dwlx;
    options.zbbm = c.zbbm;
    options.dchy = c.dchy;
    options.jobFlag = c.jobFlag;
    open(options);
    EXPECT_TRUE(window->startupCompleted());
    EXPECT_EQ(window->UnitType, c.unitType);
    EXPECT_EQ(window->btnAdd->isVisible(), c.buttons);
    EXPECT_EQ(window->btnInsert->isVisible(), c.buttons);
    EXPECT_EQ(window->btnDelete->isVisible(), c.buttons);
    EXPECT_TRUE(window->btnRefresh->isVisible());
    EXPECT_TRUE(window->btnExit->isVisible());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});

    // Editing follows the unit type alone, buttons or not.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), c.unitType == "00" ? 5 : 4);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, ArchiveRightsTest,
    ::testing::Values(RightsCase{"00", "0001", "0", "", "00", true},
                      RightsCase{"00", "  ", "0", "", "00", true}, // blank: head office
                      RightsCase{"00", std::nullopt, std::nullopt, "job", "00", true},
                      RightsCase{"00", "0002", "0", "", "00", false}, // branch: no buttons
                      RightsCase{"00", " 0001", "0", "", "00", false},
                      RightsCase{"00", "0001", "1", "job", "01", false}, // job rule
                      RightsCase{"00", "0001", "1", "jo", "00", true},
                      RightsCase{"00", "0001", "1", "", "00", true},
                      RightsCase{"00", "0001", "0", "job", "00", true},
                      RightsCase{"01", "0001", "0", "", "01", false},
                      RightsCase{"02", "", "1", "job", "02", false}));

TEST_F(ArchiveWindowTest, StartUpReadsServerTimeOperatorNameAndFillsTheGrid) {
    open();
    EXPECT_EQ(window->ServerDate, "20261209");
    EXPECT_EQ(window->ServerTime, "103015");
    EXPECT_EQ(window->OperatorName, "张三");
    EXPECT_EQ(window->dream()->DbType, "SQLSERVER");
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}}));
    EXPECT_EQ(recordRows(), gridRows());
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_FALSE(window->rows().Adding || window->rows().Inserting || window->rows().Deleted);
    EXPECT_EQ(plugin::applicationWindow(), platform::handleOf(&application));
}

TEST_F(ArchiveWindowTest, UnknownOperatorKeepsTheCodeAndQuotesAreDoubled) {
    StartOptions options;
    options.operatorCode = "9' or '1'='1";
    open(options);
    EXPECT_EQ(window->OperatorName, "9' or '1'='1");
    EXPECT_EQ(db->queries().at(0), "select f_zymc from tbzyda where f_zybm='9'' or ''1''=''1'");
}

TEST_F(ArchiveWindowTest, StoredCodesKeepTheirBlanksAndNamesAreTrimmed) {
    StartOptions options;
    options.units = {{"01 ", "  名称  "}};
    open(options);
    EXPECT_EQ(gridRows(), (Rows{{"01 ", "名称"}}));
    EXPECT_EQ(recordRows(), (Rows{{"01 ", "  名称  "}}));
}

TEST_F(ArchiveWindowTest, EmptyArchiveShowsOneBlankRow) {
    StartOptions options;
    options.units = {};
    open(options);
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    EXPECT_TRUE(recordRows().empty());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveWindowTest, EachFailingStartUpCallShowsItsBoxAndLeavesAReadOnlyWindow) {
    struct Case {
        std::int32_t dispId;
        std::vector<std::string> messages;
        std::string box;
    };
    const std::vector<Case> cases{
        {PLATFORM_DISPID_GET_SERVER_DATE_TIME, {"时间服务不可用"}, "时间服务不可用"},
        {PLATFORM_DISPID_OPEN_QUERY, {"无法查询", "职员表"}, "无法查询\r\n职员表"},
        {PLATFORM_DISPID_GET_SYS_PARAMS, {"参数表不存在"}, "参数表不存在"},
    };
    db->addUnits({{"0001", "总部"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        db->fail(c.dispId, c.messages);
        openWindow();
        db->clearFaults();
        ASSERT_EQ(boxes->count(), 1u);
        EXPECT_EQ(boxes->last().text, c.box);
        EXPECT_EQ(boxes->last().caption, "错误");
        EXPECT_EQ(boxes->last().flags, kError);
        EXPECT_EQ(boxes->last().owner, platform::handleOf(window.data()));
        boxes->clear();
        EXPECT_FALSE(window->startupCompleted());
        EXPECT_EQ(window->store(), nullptr);
        EXPECT_FALSE(window->btnAdd->isVisible());
        // Read-only and empty: no load, no editing, no statements.
        EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
        type("12");
        key(Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
        EXPECT_TRUE(db->statements().empty());
        window->close();
        EXPECT_EQ(boxes->count(), 0u);
        delete window.data();
    }
}

TEST_F(ArchiveWindowTest, MissingUnitTypeIsRefused) {
    StartOptions options;
    options.dwlx = std::nullopt;
    open(options);
    ASSERT_EQ(boxes->count(), 1u);
    EXPECT_EQ(boxes->last().text, "没有可利用的单位类型！");
    EXPECT_EQ(boxes->last().caption, "错误");
    EXPECT_EQ(boxes->last().flags, kError);
    EXPECT_EQ(boxes->last().owner, platform::handleOf(window.data()));
    EXPECT_EQ(window->store(), nullptr);
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
}

TEST_F(ArchiveWindowTest, FailedDatabaseKindWarnsAndStartUpGoesOn) {
    db->raise(PLATFORM_DISPID_GET_DB_TYPE, "不支持");
    open();
    ASSERT_GE(boxes->count(), 1u);
    EXPECT_EQ(boxes->records()[0].text, "获取数据库类型失败!");
    EXPECT_EQ(boxes->records()[0].caption, "警告");
    EXPECT_EQ(boxes->records()[0].flags, platform::MB_OK | platform::MB_ICONWARNING);
    EXPECT_EQ(window->dream()->DbType, "SQLSERVER");
    EXPECT_TRUE(window->startupCompleted());
    EXPECT_EQ(gridRows().size(), 3u);
}

TEST_F(ArchiveWindowTest, FailedLoadShowsItsBoxWhenShown) {
    db->exec("drop table tbHsdwda");
    openWindow();
    ASSERT_EQ(boxes->count(), 1u);
    EXPECT_EQ(boxes->last().text.rfind("取核算单位档案时发生异常，可能是没有核算单位表!\r\n", 0),
              0u)
        << boxes->last().text;
    EXPECT_EQ(boxes->last().owner, platform::handleOf(window.data()));
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
}

TEST_F(ArchiveWindowTest, LayoutToolBarCaptionsHintsAndImages) {
    open();
    EXPECT_EQ(window->windowTitle(), "核算单位档案");
    EXPECT_EQ(window->size(), QSize(644, 500)); // the "cm" dialog
    EXPECT_EQ(window->PanelMain->size(), QSize(688, 457));
    EXPECT_EQ(window->imlToolBar.size(), archive::kToolBarImageCount);

    struct Button {
        QToolButton* button;
        int left;
        const char* caption;
        const char* hint;
        bool tooltip;
    };
    const std::vector<Button> buttons{
        {window->btnAdd, 0, "增  行", "增加一行 Ctrl+A", true},
        {window->btnInsert, 43, "插  行", "插入一行 Ctrl+I", true},
        {window->btnDelete, 86, "删  行", "删除一行 Ctrl+D", true},
        {window->btnRefresh, 129, "刷  新", "Ctrl+R", true},
        {window->btnPreview, 180, "预  览", "Ctrv+V", true},
        {window->btnPrint, 223, "打  印", "Ctrl+P", false},
        {window->ToolButton1, 274, "助  手", "", false},
        {window->btnExit, 317, "退  出", "", false},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.caption);
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 0, 43, 35));
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(TfrmAcountUnitArchives::hintOf(b.button), QString::fromUtf8(b.hint));
        EXPECT_EQ(b.button->toolTip().isEmpty(), !b.tooltip);
        EXPECT_EQ(b.button->iconSize(), QSize(16, 16));
        EXPECT_EQ(b.button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }
    EXPECT_EQ(window->ToolButton4->geometry(), QRect(172, 0, 8, 35));
    EXPECT_EQ(window->ToolButton7->geometry(), QRect(266, 0, 8, 35));

    const auto& g = grid();
    EXPECT_EQ(g.geometry(), QRect(0, 35, 688, 422));
    EXPECT_EQ(g.Color(), 0xDEFEFBu);
    EXPECT_EQ(g.Columns()[0].Title().Caption, "核算单位编码");
    EXPECT_EQ(g.Columns()[1].Title().Caption, "核算单位名称");
    EXPECT_EQ(g.Columns()[0].Width(), 4);
    EXPECT_EQ(g.Columns()[1].Width(), 150);
    EXPECT_EQ(g.ColWidths(0), 137);
    EXPECT_EQ(g.ColWidths(1), 155);
    EXPECT_EQ(g.TitleColor(), grid::clGreen);
    EXPECT_EQ(g.LineColor(), grid::clGreen);
    EXPECT_EQ(g.TitleFont().Name, "MS Sans Serif");
    EXPECT_EQ(g.TitleFont().Height, -11);
}

TEST_F(ArchiveWindowTest, HiddenEditingButtonsCloseUpTheToolBar) {
    StartOptions options;
    options.dwlx = "01";
    open(options);
    EXPECT_EQ(window->btnRefresh->geometry().left(), 0);
    EXPECT_EQ(window->btnPreview->geometry().left(), 51);
    EXPECT_EQ(window->btnExit->geometry().left(), 188);
}
