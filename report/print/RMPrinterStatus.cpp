#include "report/print/RMPrinterStatus.h"

#include "platform/EngineTexts.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPrinterList.h"

#include <QString>

#include <utility>

namespace report {

namespace {

// Status values and their texts. 8192 (waiting) shows the otherwise unused "报警".
constexpr std::pair<unsigned, int> statusTexts[] = {
    {1, 46848},       {2, 46835},       {4, 46849},       {8, 46845},      {16, 46846},
    {32, 46838},      {64, 46847},      {128, 46841},     {256, 46837},    {512, 46833},
    {1024, 46850},    {2048, 46843},    {4096, 46840},    {8192, 46854},   {16384, 46851},
    {32768, 46836},   {65536, 46855},   {131072, 46852},  {262144, 46839}, {524288, 46844},
    {1048576, 46853}, {2097152, 46842}, {4194304, 46834},
};

// CUPS state reasons (without their -report/-warning/-error suffix) by status value.
constexpr std::pair<const char*, unsigned> reasonValues[] = {
    {"paused", 1},
    {"moving-to-paused", 1},
    {"media-jam", 8},
    {"media-empty", 16},
    {"media-needed", 16},
    {"input-tray-missing", 64},
    {"media-low", 64},
    {"offline", 128},
    {"connecting-to-device", 32768},
    {"output-area-full", 2048},
    {"timed-out", 4096},
    {"shutdown", 4096},
    {"toner-low", 131072},
    {"marker-supply-low", 131072},
    {"toner-empty", 262144},
    {"marker-supply-empty", 262144},
    {"spool-area-full", 2097152},
    {"door-open", 4194304},
    {"cover-open", 4194304},
    {"interlock-open", 4194304},
};

std::string withoutSeverity(const std::string& reason) {
    for (const char* suffix : {"-report", "-warning", "-error"}) {
        const std::string s = suffix;
        if (reason.size() > s.size() && reason.compare(reason.size() - s.size(), s.size(), s) == 0)
            return reason.substr(0, reason.size() - s.size());
    }
    return reason;
}

} // namespace

unsigned printerStatusValue(const cups::TRMCupsStatus& status) {
    unsigned value = 0;
    if (status.state == 5)
        value |= 1;
    else if (status.state == 4)
        value |= 1024;
    for (const std::string& reason : status.reasons) {
        const std::string plain = withoutSeverity(reason);
        for (const auto& [name, bit] : reasonValues)
            if (plain == name)
                value |= bit;
    }
    return value;
}

std::string printerStatusText(unsigned statusValue, int queuedJobs) {
    std::string word = platform::engineText(queuedJobs > 0 ? 46864 : 46865);
    for (const auto& [value, text] : statusTexts)
        if (statusValue == value)
            word = platform::engineText(text);
    if (queuedJobs > 0) {
        if (!word.empty())
            word += ":";
        word += QString::fromStdString(platform::engineText(46856))
                    .replace(QStringLiteral("%d"), QString::number(queuedJobs))
                    .toStdString();
    }
    return word;
}

TRMPrinterDetails printerDetails(TRMPrinterList& list, int index) {
    TRMPrinterDetails details;
    if (index < 0 || index >= list.Count())
        return details;
    const TRMPrinterInfo& info = list.Info(index);
    switch (info.Kind) {
    case TRMPrinterKind::Virtual:
        return details;
    case TRMPrinterKind::Pdf:
        details.status = printerStatusText(0, 0);
        details.type = info.Driver;
        details.position = pdfOutputFolder().string();
        details.comment = info.Comment;
        return details;
    case TRMPrinterKind::Cups:
        break;
    }
    cups::TRMCupsStatus status;
    if (!cups::readStatus(info.Device, status))
        return details;
    details.status = printerStatusText(printerStatusValue(status), status.queuedJobs);
    details.type = info.Driver;
    details.position = info.Port;
    details.comment = info.Comment;
    return details;
}

} // namespace report
