#include "platform/EngineTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineTextsTest, LooksUpNumberedTexts) {
    EXPECT_EQ(platform::engineText(47007), "默认打印机");
    EXPECT_EQ(platform::engineText(47206), "错误");
    EXPECT_EQ(platform::engineText(45020), "页宽(&P)");
    EXPECT_EQ(platform::engineText(47209), "Untitled");
    EXPECT_EQ(platform::engineText(47337), "134");
    EXPECT_EQ(platform::engineText(46856), "有%d篇文档正在等待打印");
    EXPECT_EQ(platform::engineText(47499), "不是Quarvelinthos报表文件！");
    EXPECT_EQ(platform::engineText(47501), "不是Quarvelinthos报表文件!");
    EXPECT_EQ(platform::engineText(47077 + 0), "标题");
    EXPECT_EQ(platform::engineText(47077 + 22), "无");
    EXPECT_EQ(platform::engineText(47174 + 2), "yyyy'年'mm'月'dd'日'");
    EXPECT_EQ(platform::engineText(47490), "16开(18.4 x 26 厘米)");
    EXPECT_EQ(platform::engineText(47495), "虚拟打印机");
    EXPECT_EQ(platform::engineText(47482), "自定义大小");
    EXPECT_NE(platform::engineText(47008 + 9).find("A4"), std::string::npos);
    // Every standard paper code 1..68 has a name.
    for (int code = 1; code <= 68; ++code)
        EXPECT_TRUE(platform::hasEngineText(47008 + code)) << code;
}

TEST(EngineTextsTest, FallbacksAndUnknownIds) {
    EXPECT_EQ(platform::engineText(47444), "宋体"); // the table wins over the fallback
    EXPECT_EQ(platform::engineText(47445), "8");    // built-in fallback
    EXPECT_FALSE(platform::hasEngineText(47445));
    EXPECT_EQ(platform::engineText(12345), "");
    EXPECT_EQ(platform::engineText(-1), "");
    EXPECT_FALSE(platform::hasEngineText(12345));
    EXPECT_EQ(platform::engineText(12345, "备用"), "备用");
    EXPECT_EQ(platform::engineText(47206, "备用"), "错误");
}

} // namespace
