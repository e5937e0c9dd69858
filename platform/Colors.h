#pragma once

// Colours as the system stores them: 32-bit 0x00BBGGRR for an RGB colour, 0x800000nn for
// system colour nn, and two special values (clNone, clDefault).

#include <QColor>

#include <cstdint>

namespace platform {

using TColor = std::uint32_t;

constexpr TColor RGB(int r, int g, int b) {
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int GetRValue(TColor c) {
    return int(c & 0xFF);
}
constexpr int GetGValue(TColor c) {
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(TColor c) {
    return int((c >> 16) & 0xFF);
}

// System colour indexes (COLOR_*).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_COUNT = 31;

constexpr TColor SystemColorFlag = 0x80000000u;
constexpr TColor systemColor(int index) {
    return SystemColorFlag | TColor(index);
}

// Named colours.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
// No colour: a transparent fill or an invisible line.
constexpr TColor clNone = 0x1FFFFFFF;
// The owner's default colour.
constexpr TColor clDefault = 0x20000000;

// System colours.
constexpr TColor clScrollBar = systemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = systemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = systemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = systemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = systemColor(COLOR_MENU);
constexpr TColor clWindow = systemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = systemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = systemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = systemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = systemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = systemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = systemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = systemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = systemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = systemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = systemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = systemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = systemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = systemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = systemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = systemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = systemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = systemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = systemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = systemColor(COLOR_INFOBK);
constexpr TColor clHotLight = systemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = systemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = systemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = systemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = systemColor(COLOR_MENUBAR);

constexpr bool isSystemColor(TColor c) {
    return (c & 0xFF000000u) == SystemColorFlag;
}

// The fixed value of a system colour (classic Windows scheme); unknown indexes are black.
TColor GetSysColor(int index);

// Resolves a system colour to its RGB value; clNone and clDefault stay as they are and
// any other value is masked to 0x00BBGGRR.
TColor ColorToRGB(TColor color);

// Qt colour of a system value; clNone becomes Qt::transparent.
QColor toQColor(TColor color);
TColor fromQColor(const QColor& color);

} // namespace platform
