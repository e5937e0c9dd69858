#include "report/engine/model/RMExportFilter.h"

#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMProgress.h"

#include <algorithm>
#include <exception>
#include <numeric>

namespace report {

namespace {
std::vector<TRMFileFormat*>& registry() {
    static std::vector<TRMFileFormat*> formats;
    return formats;
}

TRMExportResult failed(std::string message) {
    return {TRMExportStatus::Failed, std::move(message), 0};
}
} // namespace

bool completeExportDocument(TRMExportDocument& document, std::string* error) {
    auto refuse = [&](std::string message) {
        if (error != nullptr)
            *error = std::move(message);
        return false;
    };
    const int count = document.Pages != nullptr ? document.Pages->pageCount() : 0;
    if (document.PageIndexes.empty()) {
        document.PageIndexes.resize(static_cast<std::size_t>(count));
        std::iota(document.PageIndexes.begin(), document.PageIndexes.end(), 0);
    }
    for (int index : document.PageIndexes)
        if (index < 0 || index >= count)
            return refuse("报表没有第 " + std::to_string(index + 1) + " 页");
    if (document.PageIndexes.empty())
        return refuse("报表没有页可以导出");
    if (document.FileName.empty())
        return refuse("没有指定导出文件");
    return true;
}

TRMExportResult TRMExportFilter::writeFile(const TRMEMFPages& pages, const std::string& fileName,
                                           const std::vector<int>& pageIndexes,
                                           TRMProgress* progress, const std::string& title) {
    return exportReport(pages, *this, fileName, pageIndexes, progress, title);
}

TRMExportResult exportReport(const TRMEMFPages& pages, TRMExportFilter& filter,
                             const std::string& fileName, const std::vector<int>& pageIndexes,
                             TRMProgress* progress, const std::string& title) {
    TRMExportDocument document{&pages, pageIndexes, fileName, title};
    std::string refused;
    if (!completeExportDocument(document, &refused))
        return failed(refused);

    std::string error;
    if (!filter.beginDocument(document, &error))
        return failed(error);
    TRMExportResult result{TRMExportStatus::Exported, {}, 0};
    try {
        for (int index : document.PageIndexes) {
            if (progress != nullptr && progress->cancelled()) {
                filter.abortDocument();
                return {TRMExportStatus::Cancelled, {}, result.pages};
            }
            pages.exportPage(index, filter);
            ++result.pages;
            if (progress != nullptr) {
                progress->setLine("正在导出页:" + std::to_string(index + 1));
                progress->processEvents();
            }
        }
    } catch (const std::exception& e) {
        filter.abortDocument();
        return failed(e.what());
    }
    if (progress != nullptr && progress->cancelled()) {
        filter.abortDocument();
        return {TRMExportStatus::Cancelled, {}, result.pages};
    }
    if (!filter.endDocument(&error))
        return failed(error);
    return result;
}

void registerExportFilter(TRMFileFormat* format) {
    auto& formats = registry();
    if (format != nullptr && std::find(formats.begin(), formats.end(), format) == formats.end())
        formats.push_back(format);
}

void unregisterExportFilter(TRMFileFormat* format) {
    auto& formats = registry();
    formats.erase(std::remove(formats.begin(), formats.end(), format), formats.end());
}

const std::vector<TRMFileFormat*>& exportFilters() {
    return registry();
}

TRMFileFormat* excelExportFilter() {
    for (TRMFileFormat* format : registry())
        if (format->isExcel())
            return format;
    return nullptr;
}

} // namespace report
