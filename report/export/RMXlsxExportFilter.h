#pragma once

// The Excel workbook filter ("Excel 文件", *.xlsx) over libxlsxwriter. Cells keep the
// report's fonts, fills, frames (as borders), alignment, column widths and row heights;
// numbers and dates are written as values with a matching number format. Rows are
// streamed (libxlsxwriter's constant-memory mode) unless a cell covers several rows,
// which that mode cannot merge.

#include "report/export/RMGridExportFilter.h"
#include "report/export/RMStagedFile.h"

#include <map>
#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace report {

struct TRMXlsxOptions {
    bool SheetPerPage = false; // one sheet per page, else one sheet for the whole report
};

class TRMXlsxExportFilter : public TRMGridExportFilter {
public:
    TRMXlsxExportFilter();
    ~TRMXlsxExportFilter() override;

    std::string description() const override { return "Excel 文件"; }
    std::string fileMask() const override { return "*.xlsx"; }
    bool isExcel() const override { return true; }
    // The options dialog (pages, sheets), the save dialog, then the export.
    bool exportInteractively(platform::WindowHandle owner, const TRMEMFPages& pages,
                             const std::string& title, const std::string& initialDir) override;

    TRMXlsxOptions Options;
    // Whether the last run streamed its rows (constant-memory mode).
    bool streamed() const { return streamed_; }

protected:
    bool oneTable() const override { return !Options.SheetPerPage; }
    bool openOutput(const TRMExportDocument& document, const TRMColumnLayout& columns,
                    bool rowSpans, std::string* error) override;
    void writePage(const TRMGridPage& page, const TRMPageInfo& info) override;
    bool closeOutput(std::string* error) override;
    void discardOutput() override;

private:
    lxw_worksheet* addSheet(const std::string& name, const TRMColumnLayout& columns,
                            const TRMPageInfo& info);
    lxw_format* formatFor(const TRMExportCell& cell);
    void closeWorkbook();

    TRMStagedFile file_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::string sheetName_;
    const TRMColumnLayout* columns_ = nullptr;
    int nextRow_ = 0;
    bool streamed_ = false;
    bool firstPage_ = true;
    std::vector<unsigned> pageBreaks_; // one-sheet mode: first row of every later page
    std::map<std::string, lxw_format*> formats_;
};

} // namespace report
