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

// Every two-byte character reads as the one that writes back to it, alone and among others.
TEST(Gbk, EveryTwoByteCharacterReadsBackToItsBytes) {
    std::string all, allRead;
    int read = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string text = fromGbk(pair);
            if (text.find("\xEF\xBF\xBD") != std::string::npos)
                continue;
            ++read;
            EXPECT_EQ(toGbk(text), pair) << lead << " " << trail;
            all += pair + "a";
            allRead += text + "a";
        }
    EXPECT_GT(read, 21000);
    EXPECT_EQ(fromGbk(all), allRead);
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
