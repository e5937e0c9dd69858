#include "report/engine/model/RMExportFilter.h"

#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMProgress.h"

#include <algorithm>
#include <exception>
#include <numeric>

namespace report {

namespace {
std::vector<TRMExportFilter*>& registry() {
    static std::vector<TRMExportFilter*> filters;
    return filters;
}

TRMExportResult failed(std::string message) {
    return {TRMExportStatus::Failed, std::move(message), 0};
}
} // namespace

TRMExportResult exportReport(const TRMEMFPages& pages, TRMExportFilter& filter,
                             const std::string& fileName, const std::vector<int>& pageIndexes,
                             TRMProgress* progress, const std::string& title) {
    TRMExportDocument document{&pages, pageIndexes, fileName, title};
    if (document.PageIndexes.empty()) {
        document.PageIndexes.resize(static_cast<std::size_t>(pages.pageCount()));
        std::iota(document.PageIndexes.begin(), document.PageIndexes.end(), 0);
    }
    for (int index : document.PageIndexes)
        if (index < 0 || index >= pages.pageCount())
            return failed("报表没有第 " + std::to_string(index + 1) + " 页");
    if (document.PageIndexes.empty())
        return failed("报表没有页可以导出");
    if (fileName.empty())
        return failed("没有指定导出文件");

    std::string error;
    if (!filter.beginDocument(document, &error))
        return failed(error);
    TRMExportResult result{TRMExportStatus::Exported, {}, 0};
    try {
        for (int index : document.PageIndexes) {
            if (progress != nullptr && progress->cancelled()) {
                filter.abortDocument();
                return {TRMExportStatus::Cancelled, {}, result.Pages};
            }
            if (filter.takesViews()) {
                pages.exportPage(index, filter);
            } else {
                filter.beginPage(index, pages.pageInfo(index));
                filter.endPage();
            }
            ++result.Pages;
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
        return {TRMExportStatus::Cancelled, {}, result.Pages};
    }
    if (!filter.endDocument(&error))
        return failed(error);
    return result;
}

void registerExportFilter(TRMExportFilter* filter) {
    auto& filters = registry();
    if (filter != nullptr && std::find(filters.begin(), filters.end(), filter) == filters.end())
        filters.push_back(filter);
}

void unregisterExportFilter(TRMExportFilter* filter) {
    std::erase(registry(), filter);
}

const std::vector<TRMExportFilter*>& exportFilters() {
    return registry();
}

TRMExportFilter* excelExportFilter() {
    for (TRMExportFilter* filter : registry())
        if (filter->isExcel())
            return filter;
    return nullptr;
}

} // namespace report
