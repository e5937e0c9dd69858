#include "platform/Colors.h"

#include <array>

namespace platform {

namespace {

// The classic Windows scheme, indexed by COLOR_*.
constexpr std::array<TColor, COLOR_COUNT> SystemColors = {
    RGB(192, 192, 192), // scroll bar
    RGB(0, 128, 128),   // desktop
    RGB(0, 0, 128),     // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(192, 192, 192), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(192, 192, 192), // active border
    RGB(192, 192, 192), // inactive border
    RGB(128, 128, 128), // application work space
    RGB(0, 0, 128),     // highlight
    RGB(255, 255, 255), // highlight text
    RGB(192, 192, 192), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // gray text
    RGB(0, 0, 0),       // button text
    RGB(192, 192, 192), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(0, 0, 0),       // 3-D dark shadow
    RGB(223, 223, 223), // 3-D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(192, 192, 192), // (unused index 25)
    RGB(0, 0, 255),     // hot-tracked item
    RGB(16, 132, 208),  // active caption gradient
    RGB(181, 181, 181), // inactive caption gradient
    RGB(0, 0, 128),     // menu highlight
    RGB(192, 192, 192), // menu bar
};

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= COLOR_COUNT)
        return clBlack;
    return SystemColors[std::size_t(index)];
}

TColor ColorToRGB(TColor color) {
    if (color == clNone || color == clDefault)
        return color;
    if (isSystemColor(color))
        return GetSysColor(int(color & 0xFF));
    return color & 0x00FFFFFFu;
}

QColor toQColor(TColor color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color) & 0x00FFFFFFu;
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor fromQColor(const QColor& color) {
    if (!color.isValid() || color.alpha() == 0)
        return clNone;
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace platform
