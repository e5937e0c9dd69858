#include "report/print/RMPrinterInfo.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMPaper.h"

#include <algorithm>
#include <cstdlib>

namespace report {

namespace {

std::string sizeName(std::int32_t width, std::int32_t height) {
    return std::to_string(width / 10) + " x " + std::to_string(height / 10) + " mm";
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Windows bin numbers for the trays that have one; others get 256 + their position.
int binCodeFor(const std::string& keyword, int position) {
    static const std::pair<const char*, int> known[] = {
        {"top", 1},      {"bottom", 2},       {"middle", 3},    {"manual", 4},
        {"envelope", 5}, {"auto", 7},         {"tractor", 8},   {"large-capacity", 11},
        {"main", 15},    {"by-pass-tray", 4}, {"alternate", 2},
    };
    for (const auto& [name, code] : known)
        if (keyword == name)
            return code;
    return 256 + position;
}

std::string binLabel(const TRMDeviceBin& bin) {
    if (!bin.label.empty())
        return bin.label;
    static const std::pair<const char*, const char*> names[] = {
        {"auto", "自动选择"}, {"manual", "手动进纸"},       {"main", "主纸盒"},
        {"top", "上纸盒"},    {"middle", "中纸盒"},         {"bottom", "下纸盒"},
        {"envelope", "信封"}, {"by-pass-tray", "手送纸盘"},
    };
    for (const auto& [keyword, name] : names)
        if (bin.keyword == keyword)
            return name;
    if (bin.keyword.rfind("tray-", 0) == 0)
        return "纸盒 " + bin.keyword.substr(5);
    return bin.keyword;
}

} // namespace

int paperCodeForSize(std::int32_t width, std::int32_t height) {
    for (const TRMPaperInfo& paper : builtinPapers())
        if (std::abs(paper.width - width) <= 10 && std::abs(paper.height - height) <= 10)
            return paper.code;
    return 0;
}

TRMPrinterInfo::TRMPrinterInfo(TRMPrinterKind kind, std::string device)
    : Kind(kind)
    , Device(std::move(device)) {}

void TRMPrinterInfo::addPaper(int code, std::string name, std::int32_t width, std::int32_t height,
                              std::string media, TRMPaperMargins margins) {
    PaperCodes.push_back(code);
    PaperNames.push_back(std::move(name));
    PaperWidths.push_back(width);
    PaperHeights.push_back(height);
    PaperMedia.push_back(std::move(media));
    PaperMargins.push_back(margins);
}

void TRMPrinterInfo::loadBuiltin() {
    PaperCodes.clear();
    PaperNames.clear();
    PaperWidths.clear();
    PaperHeights.clear();
    PaperMedia.clear();
    PaperMargins.clear();
    for (const TRMPaperInfo& paper : builtinPapers())
        addPaper(paper.code, paperName(paper.code), paper.width, paper.height);
    if (Kind == TRMPrinterKind::Virtual)
        addPaper(rmCustomPaperSize, paperName(rmCustomPaperSize), 0, 0);
    else
        completePapers();
    BinNames.clear();
    BinCodes.clear();
    BinKeywords.clear();
    completeBins();
    DpiX = DpiY = 600;
    DuplexModes = {1};
    DeviceMode = {};
    Loaded = true;
}

void TRMPrinterInfo::loadFrom(const TRMDeviceCapabilities& caps) {
    PaperCodes.clear();
    PaperNames.clear();
    PaperWidths.clear();
    PaperHeights.clear();
    PaperMedia.clear();
    PaperMargins.clear();
    int nextCode = rmCustomPaperSize + 1;
    for (const TRMDeviceMedia& media : caps.media) {
        // Sizes in tenths of a millimetre, as the system keeps them.
        const std::int32_t width = (media.width + 5) / 10;
        const std::int32_t height = (media.height + 5) / 10;
        int code = paperCodeForSize(width, height);
        std::string name;
        if (code != 0) {
            if (PaperIndex(code) >= 0)
                continue; // the same paper twice (a borderless variant): keep the first
            name = paperName(code);
        } else {
            code = nextCode++;
            name = !media.label.empty()      ? media.label
                   : width > 0 && height > 0 ? sizeName(width, height)
                                             : "Unknown: " + std::to_string(code);
        }
        addPaper(code, name, width, height, media.name, media.margins);
    }
    completePapers();

    BinNames.clear();
    BinCodes.clear();
    BinKeywords.clear();
    for (std::size_t i = 0; i < caps.bins.size(); ++i) {
        const int code = binCodeFor(caps.bins[i].keyword, static_cast<int>(i));
        if (BinIndex(code) >= 0)
            continue;
        BinNames.push_back(binLabel(caps.bins[i]));
        BinCodes.push_back(code);
        BinKeywords.push_back(caps.bins[i].keyword);
    }
    completeBins();

    DpiX = caps.dpiX > 0 ? caps.dpiX : 600;
    DpiY = caps.dpiY > 0 ? caps.dpiY : 600;
    DuplexModes = caps.duplexModes.empty() ? std::vector<int>{1} : caps.duplexModes;

    DeviceMode = {};
    const auto media = std::find(PaperMedia.begin(), PaperMedia.end(), caps.defaultMedia);
    if (!caps.defaultMedia.empty() && media != PaperMedia.end()) {
        const auto i = static_cast<std::size_t>(media - PaperMedia.begin());
        DeviceMode.paperCode = PaperCodes[i];
        DeviceMode.paperWidth = PaperWidths[i];
        DeviceMode.paperHeight = PaperHeights[i];
    } else if (PaperIndex(9) < 0 && !PaperCodes.empty() && PaperWidths.front() > 0) {
        DeviceMode.paperCode = PaperCodes.front();
        DeviceMode.paperWidth = PaperWidths.front();
        DeviceMode.paperHeight = PaperHeights.front();
    }
    const auto bin = std::find(BinKeywords.begin(), BinKeywords.end(), caps.defaultBin);
    if (!caps.defaultBin.empty() && bin != BinKeywords.end())
        DeviceMode.bin = BinCodes[static_cast<std::size_t>(bin - BinKeywords.begin())];
    DeviceMode.orientation = caps.defaultOrientation;
    Loaded = true;
}

void TRMPrinterInfo::completePapers() {
    // Papers without a size go, except the custom entry.
    auto isCustomName = [](const std::string& name) {
        const std::string u = upper(name);
        return u.find("CUSTOM") != std::string::npos || u.find("USER") != std::string::npos;
    };
    int custom = -1;
    for (std::size_t i = 0; i < PaperCodes.size(); ++i)
        if (PaperCodes[i] == rmCustomPaperSize) {
            custom = static_cast<int>(i);
            break;
        }
    if (custom < 0)
        for (std::size_t i = 0; i < PaperCodes.size(); ++i)
            if (isCustomName(PaperNames[i])) {
                custom = static_cast<int>(i);
                break;
            }
    int customCode = rmCustomPaperSize;
    if (custom >= 0)
        customCode = PaperCodes[static_cast<std::size_t>(custom)];

    TRMPrinterInfo kept(Kind, Device);
    for (std::size_t i = 0; i < PaperCodes.size(); ++i) {
        if (static_cast<int>(i) == custom)
            continue;
        if (PaperWidths[i] <= 0 || PaperHeights[i] <= 0)
            continue;
        kept.addPaper(PaperCodes[i], PaperNames[i], PaperWidths[i], PaperHeights[i], PaperMedia[i],
                      PaperMargins[i]);
    }
    for (const TRMPaperInfo& extra : extraPapers())
        if (kept.PaperIndex(extra.code) < 0)
            kept.addPaper(extra.code, paperName(extra.code), extra.width, extra.height);
    kept.addPaper(customCode, paperName(rmCustomPaperSize), 0, 0);

    PaperCodes = std::move(kept.PaperCodes);
    PaperNames = std::move(kept.PaperNames);
    PaperWidths = std::move(kept.PaperWidths);
    PaperHeights = std::move(kept.PaperHeights);
    PaperMedia = std::move(kept.PaperMedia);
    PaperMargins = std::move(kept.PaperMargins);
}

void TRMPrinterInfo::completeBins() {
    const std::size_t n = std::min(BinNames.size(), BinCodes.size());
    BinNames.resize(n);
    BinCodes.resize(n);
    BinKeywords.resize(n);
    if (BinIndex(rmDefaultBin) < 0) {
        BinNames.insert(BinNames.begin(), platform::engineText(47435));
        BinCodes.insert(BinCodes.begin(), rmDefaultBin);
        BinKeywords.insert(BinKeywords.begin(), std::string());
    }
}

int TRMPrinterInfo::CustomCode() const {
    return PaperCodes.empty() ? rmCustomPaperSize : PaperCodes.back();
}

int TRMPrinterInfo::PaperIndex(int code) const {
    const auto it = std::find(PaperCodes.begin(), PaperCodes.end(), code);
    return it == PaperCodes.end() ? -1 : static_cast<int>(it - PaperCodes.begin());
}

int TRMPrinterInfo::BinIndex(int code) const {
    const auto it = std::find(BinCodes.begin(), BinCodes.end(), code);
    return it == BinCodes.end() ? -1 : static_cast<int>(it - BinCodes.begin());
}

bool TRMPrinterInfo::IsCustomSize(int code) const {
    return code == rmCustomPaperSize || code == CustomCode() || (code >= 800 && code <= 804);
}

TRMPaperMargins TRMPrinterInfo::MarginsOf(int code) const {
    int index = IsCustomSize(code) ? -1 : PaperIndex(code);
    if (index < 0)
        index = PaperIndex(DeviceMode.paperCode);
    if (index < 0 || static_cast<std::size_t>(index) >= PaperMargins.size())
        return {};
    return PaperMargins[static_cast<std::size_t>(index)];
}

} // namespace report
