// The grid widget driven by real key, mouse and input-method events on the offscreen platform.

#include "GridTestSupport.h"
#include "platform/Abort.h"
#include "platform/Keys.h"
#include "tests/support/TestSupport.h"

#include <QInputMethodEvent>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace grid {
namespace {

using gridtest::Form;
using platform::Word;

// The archive window's situation: a few rows and the last row current in column 1.
struct ArchiveFixture : ::testing::Test {
    Form form;
    std::vector<std::string> log;

    void SetUp() override {
        form.grid->setRowCount(4);
        form.grid->setCells(0, 1, "0001");
        form.grid->setCells(1, 1, "总部");
        form.grid->setCells(0, 2, "0002");
        form.grid->setCells(1, 2, "分部");
        form.show();
        form.grid->setRow(3);
        form.grid->setCol(1);
        testsupport::processEvents();
    }
    TAdvStringGrid& g() { return *form.grid; }
    void logEvents() {
        g().OnSelectCell = [this](QObject*, int c, int r, bool&) {
            log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
        };
        g().OnKeyDown = [this](QObject*, Word& k, platform::TShiftState) {
            log.push_back("down " + std::to_string(k));
        };
        g().OnKeyPress = [this](QObject*, char32_t& k) {
            log.push_back("press " + std::to_string(static_cast<unsigned>(k)));
        };
        g().OnSetEditText = [this](QObject*, int c, int r, const std::string& v) {
            log.push_back("set " + std::to_string(c) + "," + std::to_string(r) + "=" + v);
        };
    }
};

TEST_F(ArchiveFixture, editorFollowsTheCurrentCellAndTypingStoresAtOnce) {
    ASSERT_NE(form.editor(), nullptr);
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_TRUE(form.editor()->hasFocus());
    EXPECT_EQ(form.editor()->geometry(), g().CellBounds(1, 3).toQRect());
    EXPECT_FALSE(g().Modifed());
    logEvents();
    form.key(Qt::Key_Left);
    EXPECT_EQ(g().Col(), 0);
    // Leaving the cell commits the editor text once more.
    EXPECT_EQ(log, (std::vector<std::string>{"down 37", "select 0,3", "set 1,3="}));
    log.clear();
    form.key(Qt::Key_1);
    EXPECT_EQ(g().Cells(0, 3), "1");
    EXPECT_TRUE(g().Modifed());
    EXPECT_EQ(log, (std::vector<std::string>{"down 49", "press 49", "set 0,3=1"}));
}

TEST_F(ArchiveFixture, codeColumnTakesFourBytesAndNameColumnAcceptsChinese) {
    g().setCol(0);
    form.type("123456");
    EXPECT_EQ(g().Cells(0, 3), "1234");
    g().setCol(1);
    form.type("北京分");
    EXPECT_EQ(g().Cells(1, 3), "北京分");
    // An input method commit goes through the same character path.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("公司"));
    QCoreApplication::sendEvent(form.editor(), &commit);
    EXPECT_EQ(g().Cells(1, 3), "北京分公司");
}

} // namespace
} // namespace grid
