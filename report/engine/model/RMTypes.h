#pragma once

// Codes, flag bits and small records shared by the report object model and its streams.

#include <algorithm>
#include <cstdint>
#include <string>

namespace report {

using TColor = std::uint32_t; // 0x00BBGGRR, or 0x800000nn for system colour nn

inline constexpr TColor clNone = 0x1FFFFFFF; // no fill (transparent)
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBtnFace = 0x8000000F;

// Stream format of templates and prepared pages written by this engine.
inline constexpr std::uint8_t rmCurrentVersion = 43;

enum TRMStreamMode : std::uint8_t { smTemplate = 0, smPrepared = 1 };

// ObjectType codes: which class a stream record creates.
enum TRMObjectType : std::uint8_t {
    gtMemo = 0,
    gtPicture = 1,
    gtBand = 2,
    gtSubReport = 3,
    gtLine = 4,
    gtCalcMemo = 5,
    gtMoneyView = 7,
    gtRegion = 8,
    gtAddIn = 10,
};

enum TRMBandAlign : std::uint8_t {
    baNone,
    baLeft,
    baRight,
    baCenter,
    baWidth,
    baBottom,
    baTop,
    baClient,
    baHeight,
    baRest
};

enum TRMPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psDouble = 7 };

// One side of a view's frame. Width is in pixels; streams keep width × 1000.
struct TRMFrameLine {
    bool Visible = false;
    std::uint8_t Style = psSolid;
    TColor Color = clBlack;
    float Width = 1.0f;
    bool operator==(const TRMFrameLine&) const = default;
};

// Flags of views other than band views.
namespace flag {
inline constexpr std::uint16_t Stretched = 0x0001;
inline constexpr std::uint16_t Wordwrap = 0x0002;
inline constexpr std::uint16_t WordBreak = 0x0004;
inline constexpr std::uint16_t AutoWidth = 0x0008;
inline constexpr std::uint16_t TextOnly = 0x0010;
inline constexpr std::uint16_t Suppress = 0x0020;
inline constexpr std::uint16_t HideZeros = 0x0040;
inline constexpr std::uint16_t Underlines = 0x0080;
inline constexpr std::uint16_t RTLReading = 0x0200;
inline constexpr std::uint16_t PrintFrame = 0x0400;
inline constexpr std::uint16_t PrintVisible = 0x0800;
inline constexpr std::uint16_t MergeRepeated = 0x1000;
inline constexpr std::uint16_t ScriptHook = 0x8000;
} // namespace flag

// Flags2 bits of memo views.
namespace flag2 {
inline constexpr std::int32_t MangeTag = 0x01;
inline constexpr std::int32_t ScaleFontSize = 0x04;
inline constexpr std::int32_t PrintAtAppendBlank = 0x10;
inline constexpr std::int32_t DataFieldOnly = 0x20;
} // namespace flag2

// Flags of band views.
namespace bandflag {
inline constexpr std::uint16_t Stretched = 0x0001;
inline constexpr std::uint16_t FormNewPage = 0x0002;
inline constexpr std::uint16_t PrintIfSubsetEmpty = 0x0004;
inline constexpr std::uint16_t Breaked = 0x0008;
inline constexpr std::uint16_t OnFirstPage = 0x0010;
inline constexpr std::uint16_t OnLastPage = 0x0020;
inline constexpr std::uint16_t RepeatHeader = 0x0040;
inline constexpr std::uint16_t PrintChildIfInvisible = 0x0080;
inline constexpr std::uint16_t AutoAppendBlank = 0x0100;
inline constexpr std::uint16_t AdjustColumns = 0x0200;
inline constexpr std::uint16_t PrintColFirst = 0x0400;
inline constexpr std::uint16_t RepeatHeader1 = 0x0800;
inline constexpr std::uint16_t PrintIfEmpty = 0x1000;
inline constexpr std::uint16_t PrintAtDesignPos = 0x2000;
} // namespace bandflag

enum TRMBandType : std::int16_t {
    rmbtReportTitle,
    rmbtReportSummary,
    rmbtPageHeader,
    rmbtPageFooter,
    rmbtMasterHeader,
    rmbtMasterData,
    rmbtMasterFooter,
    rmbtDetailHeader,
    rmbtDetailData,
    rmbtDetailFooter,
    rmbtSubDetailHeader,
    rmbtSubDetailData,
    rmbtSubDetailFooter,
    rmbtOverlay,
    rmbtColumnHeader,
    rmbtColumnFooter,
    rmbtGroupHeader,
    rmbtGroupFooter,
    rmbtCrossHeader,
    rmbtCrossData,
    rmbtCrossFooter,
    rmbtChild,
    rmbtNone
};
inline constexpr int rmBandTypeCount = 23;

// Display name of a band type (engine text 47077 + code).
std::string bandTypeName(int bandType);
inline constexpr bool isCrossBand(int bandType) {
    return bandType >= rmbtCrossHeader && bandType <= rmbtCrossFooter;
}
// Master, detail and subdetail data bands (the bands blank rows are printed in).
inline constexpr bool isDataBand(int bandType) {
    return bandType == rmbtMasterData || bandType == rmbtDetailData ||
           bandType == rmbtSubDetailData;
}

enum TRMRangeBegin : std::uint8_t { rbFirst, rbCurrent, rbDefault };
enum TRMRangeEnd : std::uint8_t { reLast, reCurrent, reCount, reDefault };
enum TRMRotationType : std::uint8_t { rtNone, rt90, rt180, rt270, rt360 };
enum TRMScaleFontType : std::uint8_t { ByWidth, ByHeight };
enum TRMPageType : std::uint8_t { ptReport, ptDialog };
enum TRMOrientation : std::uint8_t { poPortrait, poLandscape };
enum TRMDBCalcType : std::uint8_t { rmdcSum, rmdcCount, rmdcAvg, rmdcMax, rmdcMin, rmdcUser };

// Font style bits as streams store them.
namespace fontstyle {
inline constexpr std::int16_t Italic = 1;
inline constexpr std::int16_t Bold = 2;
inline constexpr std::int16_t Underline = 4;
inline constexpr std::int16_t StrikeOut = 8;
} // namespace fontstyle

inline constexpr std::int16_t rmDefaultCharset = 134; // GB2312

struct TRMFont {
    std::string Name = "Arial";
    std::int32_t Size = 10; // points
    // Sizes from files and scripts are kept within ±kMaxSize points, the largest a font is
    // offered in, so that pixel sizes and line heights derived from them stay within int.
    static constexpr std::int32_t kMaxSize = 1638;
    static std::int32_t sane(std::int32_t size) { return std::clamp(size, -kMaxSize, kMaxSize); }
    std::int16_t Style = 0; // fontstyle bits
    TColor Color = clBlack;
    std::int16_t Charset = rmDefaultCharset;
    bool operator==(const TRMFont&) const = default;
};

// A picture kept as the bytes of its own file format.
struct TRMPicture {
    enum Kind : std::uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };
    std::uint8_t kind = None;
    std::string data;
    bool empty() const { return kind == None || data.empty(); }
    bool operator==(const TRMPicture&) const = default;
};

} // namespace report
