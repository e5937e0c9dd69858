#include "archive/NextCode.h"

#include <gtest/gtest.h>

using namespace archive;

TEST(NextCode, ProposesThePreviousCodePlusOneZeroPadded) {
    EXPECT_EQ(nextCode("0009"), "0010");
    EXPECT_EQ(nextCode("99"), "100");
    EXPECT_EQ(nextCode("0001"), "0002");
    EXPECT_EQ(nextCode("  07"), "08"); // leading blanks read, the width is the trimmed code's
    EXPECT_EQ(nextCode("-5"), "-4");
}

TEST(NextCode, NothingForCodesThatAreNoInteger) {
    EXPECT_EQ(nextCode("12A"), std::nullopt);
    EXPECT_EQ(nextCode("12 "), std::nullopt);
    EXPECT_EQ(nextCode(""), std::nullopt);
    EXPECT_EQ(nextCode("   "), std::nullopt);
    EXPECT_EQ(nextCode("-"), std::nullopt);
    EXPECT_EQ(nextCode("99999999999"), std::nullopt); // beyond 32 bits
    EXPECT_EQ(nextCode("2147483647"), std::nullopt);  // the next number would not fit
    EXPECT_EQ(readInteger("-2147483648"), -2147483648LL);
    EXPECT_EQ(readInteger("+12"), 12);
}
