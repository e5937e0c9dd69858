// A start-up step of the library: the export filters are registered from the moment the
// plug-in is loaded and taken out again when it is unloaded.

#include "report/export/RMExportFilters.h"

namespace {

struct ExportFiltersModule {
    ExportFiltersModule() { report::installExportFilters(); }
    ~ExportFiltersModule() { report::uninstallExportFilters(); }
    ExportFiltersModule(const ExportFiltersModule&) = delete;
    ExportFiltersModule& operator=(const ExportFiltersModule&) = delete;
};

const ExportFiltersModule exportFilters;

} // namespace
