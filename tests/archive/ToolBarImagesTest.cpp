#include "archive/ToolBarImages.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

using namespace archive;

namespace {

bool hasColour(const QImage& image, const std::function<bool(QColor)>& match) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && match(c))
                return true;
        }
    return false;
}

bool blue(QColor c) {
    return c.blue() > 150 && c.red() < 120;
}
bool yellow(QColor c) {
    return c.red() > 200 && c.green() > 180 && c.blue() < 60;
}
bool green(QColor c) {
    return c.green() > 100 && c.red() < 60 && c.blue() < 60;
}
bool brown(QColor c) {
    return c.red() > 100 && c.red() < 160 && c.green() < 100 && c.blue() < 40;
}

} // namespace

TEST(ToolBarImages, EightTransparentSixteenPixelImagesWithTheirColours) {
    std::set<QByteArray> distinct;
    for (int i = 0; i < kToolBarImageCount; ++i) {
        const QImage image = toolBarImage(i);
        ASSERT_EQ(image.size(), QSize(16, 16)) << i;
        EXPECT_TRUE(image.hasAlphaChannel());
        // The background shows through somewhere, and something is drawn.
        EXPECT_TRUE(hasColour(image, [](QColor) { return true; })) << i;
        int transparent = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                transparent += image.pixelColor(x, y).alpha() == 0;
        EXPECT_GT(transparent, 0) << i;
        distinct.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(distinct.size(), 8u);
    EXPECT_TRUE(hasColour(toolBarImage(0), blue));   // blue plus
    EXPECT_TRUE(hasColour(toolBarImage(1), yellow)); // yellow arrow
    EXPECT_TRUE(hasColour(toolBarImage(2), yellow));
    EXPECT_TRUE(hasColour(toolBarImage(5), green)); // green circular arrows
    EXPECT_TRUE(hasColour(toolBarImage(7), brown)); // brown disc
    EXPECT_TRUE(toolBarImage(8).isNull());
    EXPECT_TRUE(toolBarImage(-1).isNull());
}
