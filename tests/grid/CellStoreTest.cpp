#include "grid/CellStore.h"

#include "grid/GridTypes.h"

#include <gtest/gtest.h>

namespace grid {
namespace {

TEST(CellStore, placeholder) {
    CellStore s;
    EXPECT_TRUE(s.checkConsistency());
}

} // namespace
} // namespace grid
