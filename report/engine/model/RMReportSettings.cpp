// Per-report print settings kept in the per-user settings store.

#include "platform/Settings.h"
#include "report/engine/model/RMReport.h"

#include <QFileInfo>

namespace report {

namespace {

std::string rootOf(const TRMSaveReportOptions& options) {
    if (!options.UseRegistry && !options.IniFileName.empty())
        return options.IniFileName;
    std::string root = options.RegistryPath;
    while (!root.empty() && (root.back() == '\\' || root.back() == '/'))
        root.pop_back();
    return root;
}

std::string pageKey(int page, const char* margin) {
    return "Page_" + std::to_string(page) + "_" + margin;
}

} // namespace

std::string TRMReport::settingsSection(const std::string& name) const {
    if (SaveReportOptions.AutoLoadSaveSetting && !name.empty())
        return name;
    if (!ReportInfo.Title().empty())
        return ReportInfo.Title();
    if (FileName.empty())
        return {};
    return QFileInfo(QString::fromStdString(FileName)).fileName().toStdString();
}

void TRMReport::LoadReportSetting(const std::string& name) {
    if (OnLoadReportSetting) {
        OnLoadReportSetting(name);
        return;
    }
    if (!SaveReportOptions.AutoLoadSaveSetting)
        return;
    const std::string section = settingsSection(name);
    if (section.empty())
        return;
    const platform::Settings settings(rootOf(SaveReportOptions));
    if (!settings.sectionExists(section))
        return;
    Taoda = settings.readBool(section, "taoda", Taoda);
    PrintOffsetTop =
        static_cast<std::int32_t>(settings.readInteger(section, "PrintOffsetTop", PrintOffsetTop));
    PrintOffsetLeft = static_cast<std::int32_t>(
        settings.readInteger(section, "PrintOffsetLeft", PrintOffsetLeft));
    PrintBackColor = settings.readBool(section, "PrintBackColor", PrintBackColor);
    DoublePass = settings.readBool(section, "DoublePass", DoublePass);
    const bool newOrder = settings.readBool(section, "NewFlag", false);
    const int count = static_cast<int>(
        std::min<std::int64_t>(settings.readInteger(section, "PageCount", 0), Pages.Count()));
    for (int i = 0; i < count; ++i) {
        TRMPage* page = Pages[i];
        auto read = [&](const char* key, std::int32_t current) {
            return static_cast<std::int32_t>(
                settings.readInteger(section, pageKey(i, key), current));
        };
        std::int32_t left = 0, top = 0, right = 0, bottom = 0;
        if (newOrder) {
            left = read("LeftMargin", page->LeftMargin);
            top = read("TopMargin", page->TopMargin);
            right = read("RightMargin", page->RightMargin);
            bottom = read("BottomMargin", page->BottomMargin);
        } else {
            bottom = read("BottomMargin", page->BottomMargin);
            right = read("RightMargin", page->RightMargin);
            top = read("TopMargin", page->TopMargin);
            left = read("LeftMargin", page->LeftMargin);
        }
        // Negative margins are ignored, as every settings object does.
        if (left >= 0)
            page->setLeftMargin(left);
        if (top >= 0)
            page->setTopMargin(top);
        if (right >= 0)
            page->setRightMargin(right);
        if (bottom >= 0)
            page->setBottomMargin(bottom);
    }
}

void TRMReport::SaveReportSetting(const std::string& name) {
    if (OnSaveReportSetting) {
        OnSaveReportSetting(name);
        return;
    }
    if (!SaveReportOptions.AutoLoadSaveSetting)
        return;
    const std::string section = settingsSection(name);
    if (section.empty())
        return;
    platform::Settings settings(rootOf(SaveReportOptions));
    settings.writeBool(section, "taoda", Taoda);
    settings.writeInteger(section, "PrintOffsetTop", PrintOffsetTop);
    settings.writeInteger(section, "PrintOffsetLeft", PrintOffsetLeft);
    settings.writeBool(section, "PrintBackColor", PrintBackColor);
    settings.writeBool(section, "DoublePass", DoublePass);
    settings.writeBool(section, "NewFlag", true);
    settings.writeInteger(section, "PageCount", Pages.Count());
    if (SaveReportOptions.UseRegistry)
        settings.writeInteger(section, "Count", Pages.Count());
    for (int i = 0; i < Pages.Count(); ++i) {
        const TRMPage* page = Pages[i];
        settings.writeInteger(section, pageKey(i, "LeftMargin"), page->LeftMargin);
        settings.writeInteger(section, pageKey(i, "TopMargin"), page->TopMargin);
        settings.writeInteger(section, pageKey(i, "RightMargin"), page->RightMargin);
        settings.writeInteger(section, pageKey(i, "BottomMargin"), page->BottomMargin);
    }
}

} // namespace report
