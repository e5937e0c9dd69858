#pragma once

// The export filters the system offers, registered with the engine at start-up in this
// order: Excel workbook, PDF, CSV, PNG pages.

namespace report {

class TRMXlsxExportFilter;
class TRMPdfExportFilter;
class TRMCsvExportFilter;
class TRMPngExportFilter;

// Registers the four filters (once; later calls do nothing).
void installExportFilters();
// Takes them out of the engine's list again (module shut-down).
void uninstallExportFilters();

// The process's filter objects, whose options callers may set before a run.
TRMXlsxExportFilter& xlsxExportFilter();
TRMPdfExportFilter& pdfExportFilter();
TRMCsvExportFilter& csvExportFilter();
TRMPngExportFilter& pngExportFilter();

} // namespace report
