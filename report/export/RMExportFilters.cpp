#include "report/export/RMExportFilters.h"

#include "report/export/RMCsvExportFilter.h"
#include "report/export/RMPdfExportFilter.h"
#include "report/export/RMPngExportFilter.h"
#include "report/export/RMXlsxExportFilter.h"

namespace report {

TRMXlsxExportFilter& xlsxExportFilter() {
    static TRMXlsxExportFilter filter;
    return filter;
}

TRMPdfExportFilter& pdfExportFilter() {
    static TRMPdfExportFilter filter;
    return filter;
}

TRMCsvExportFilter& csvExportFilter() {
    static TRMCsvExportFilter filter;
    return filter;
}

TRMPngExportFilter& pngExportFilter() {
    static TRMPngExportFilter filter;
    return filter;
}

void installExportFilters() {
    registerExportFilter(&xlsxExportFilter());
    registerExportFilter(&pdfExportFilter());
    registerExportFilter(&csvExportFilter());
    registerExportFilter(&pngExportFilter());
}

void uninstallExportFilters() {
    unregisterExportFilter(&pngExportFilter());
    unregisterExportFilter(&csvExportFilter());
    unregisterExportFilter(&pdfExportFilter());
    unregisterExportFilter(&xlsxExportFilter());
}

} // namespace report
