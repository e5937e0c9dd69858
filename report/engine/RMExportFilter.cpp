#include "report/engine/RMExportFilter.h"

#include <algorithm>

namespace report {

namespace {
std::vector<TRMExportFilter*>& registry() {
    static std::vector<TRMExportFilter*> filters;
    return filters;
}
} // namespace

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

} // namespace report
