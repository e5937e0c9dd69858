#include "grid/TAdvStringGrid.h"
#include "tests/archive/ArchiveWindowFixture.h"

#include <gtest/gtest.h>

using namespace archivetest;

TEST_F(ArchiveWindowTest, Smoke) {
    open();
    EXPECT_EQ(window->UnitType, "00");
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}}));
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 1);
    fprintf(stderr, "focus %s\n", keyTarget()->metaObject()->className());
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().Col(), 0);
    key(Qt::Key_Return);
    EXPECT_EQ(grid().Cells(0, 4), "0010");
    fprintf(stderr, "col %d\n", grid().Col());
    type("分部十");
    key(Qt::Key_Return);
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0010", "分部十"}));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}
