#include "platform/Gbk.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Gbk, RoundTripsMixedText) {
    const std::string text = "核算单位 A-01 档案";
    const std::string gbk = toGbk(text);
    EXPECT_EQ(gbk.size(), 4u * 2 + 6 + 2 * 2); // Chinese takes two bytes, ASCII one
    EXPECT_EQ(fromGbk(gbk), text);
    EXPECT_EQ(gbkLength(text), gbk.size());
    EXPECT_EQ(toGbk("核"), std::string("\xBA\xCB"));
}

TEST(Gbk, UnencodableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(toGbk("a😀b"), "a?b");
    EXPECT_EQ(toGbk("x\xFFy"), "x?y"); // malformed UTF-8
    EXPECT_EQ(gbkLength("😀😀"), 2u);
}

TEST(Gbk, InvalidBytesDecodeToReplacementCharacter) {
    EXPECT_EQ(fromGbk("a\xFF"
                      "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(fromGbk("\xBA"), "\xEF\xBF\xBD"); // lead byte without its trail byte
    EXPECT_EQ(fromGbk(""), "");
}

TEST(Gbk, TrimsBlanksAndControlsAtBothEnds) {
    EXPECT_EQ(trimBlanks(" \t\r\n 核算 单位\x01 "), "核算 单位");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimRightBlanks("  ab  "), "  ab");
}
