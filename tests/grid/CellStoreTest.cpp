#include "grid/CellStore.h"

#include "grid/GridTypes.h"

#include <gtest/gtest.h>
#include <random>

namespace grid {
namespace {

TEST(CellStore, KeepsOnlyWrittenCellsAndFreesBlankOnes) {
    CellStore s;
    EXPECT_EQ(s.text(3, 1000000), "");
    s.setText(1, 100, "a");
    s.setText(0, 100, "b");
    s.setText(5, 7, "c");
    EXPECT_EQ(s.storedRows(), 2u);
    EXPECT_EQ(s.storedCells(), 3u);
    EXPECT_EQ(s.text(0, 100), "b");
    s.setText(1, 100, "");
    s.setText(0, 100, "");
    EXPECT_EQ(s.storedRows(), 1u);
    int object = 0;
    s.setObject(2, 7, &object);
    s.setText(5, 7, "");
    EXPECT_EQ(s.object(2, 7), &object);
    EXPECT_EQ(s.storedCells(), 1u) << "an object keeps its cell";
    s.setObject(2, 7, nullptr);
    EXPECT_EQ(s.storedRows(), 0u);
    std::string why;
    EXPECT_TRUE(s.checkConsistency(&why)) << why;
}

TEST(CellStore, NegativeIndexesRaiseTheListErrorExceptColumnReads) {
    CellStore s;
    try {
        (void)s.text(0, -1);
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
    EXPECT_EQ(s.text(-1, 0), "");
    EXPECT_THROW(s.setText(-2, 0, "x"), EListError);
    EXPECT_THROW(s.setText(0, -3, "x"), EListError);
}

TEST(CellStore, WholeRowShiftsKeepRowsOutsideTheRange) {
    CellStore s;
    for (int r = 0; r < 40; ++r)
        s.setText(0, r, std::to_string(r));
    s.shiftRowsUp(5, 30); // rows 6..30 move to 5..29, 30 empty, 31.. untouched
    EXPECT_EQ(s.text(0, 5), "6");
    EXPECT_EQ(s.text(0, 29), "30");
    EXPECT_EQ(s.text(0, 30), "");
    EXPECT_EQ(s.text(0, 31), "31");
    s.shiftRowsDown(5, 30); // rows 5..29 move to 6..30, 5 empty
    EXPECT_EQ(s.text(0, 5), "");
    EXPECT_EQ(s.text(0, 6), "6");
    EXPECT_EQ(s.text(0, 30), "30");
    s.moveRow(2, 4);
    EXPECT_EQ(s.text(0, 4), "2");
    EXPECT_EQ(s.text(0, 2), "3");
    s.setText(1, 8, "x");
    s.setText(2, 8, "y");
    s.moveColumn(2, 0);
    EXPECT_EQ(s.text(0, 8), "y");
    EXPECT_EQ(s.text(1, 8), "8");
    EXPECT_EQ(s.text(2, 8), "x");
    std::string why;
    EXPECT_TRUE(s.checkConsistency(&why)) << why;
}

TEST(CellStore, StaysConsistentUnderRandomEdits) {
    CellStore s;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        const int row = static_cast<int>(rng() % 200);
        const int col = static_cast<int>(rng() % 6);
        switch (rng() % 6) {
        case 0:
            s.shiftRowsUp(row, row + static_cast<int>(rng() % 50));
            break;
        case 1:
            s.shiftRowsDown(row, row + static_cast<int>(rng() % 50));
            break;
        case 2:
            s.setText(col, row, "");
            break;
        case 3:
            s.moveRow(row, static_cast<int>(rng() % 200));
            break;
        default:
            s.setText(col, row, "v");
            break;
        }
    }
    std::string why;
    EXPECT_TRUE(s.checkConsistency(&why)) << why;
}

} // namespace
} // namespace grid
