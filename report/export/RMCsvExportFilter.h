#pragma once

// The CSV filter ("CSV 文件", *.csv): the cell grid of every page as one table, one line
// per row, fields quoted where they hold a comma, a quote or a line break. UTF-8 with a
// byte-order mark (what spreadsheet programs recognise), or GBK.
//
// A text cell that a spreadsheet would run as a formula (a unit named "=1+1") is written
// with a leading apostrophe, so the file shows it as text; numbers and dates the export
// reads as values stay as they are. Consumers that are not spreadsheets switch that off.

#include "report/export/RMGridExportFilter.h"
#include "report/export/RMStagedFile.h"

#include <cstdio>

namespace report {

class TRMCsvExportFilter : public TRMGridExportFilter {
public:
    enum class Encoding { Utf8Bom, Gbk };

    ~TRMCsvExportFilter() override;

    std::string description() const override { return "CSV 文件"; }
    std::string fileMask() const override { return "*.csv"; }

    Encoding TextEncoding = Encoding::Utf8Bom;
    // Text cells that start like a formula get a leading apostrophe.
    bool EscapeFormulas = true;

protected:
    bool oneTable() const override { return true; }
    bool openOutput(const TRMExportDocument& document, const TRMColumnLayout& columns,
                    bool rowSpans, std::string* error) override;
    void writePage(const TRMGridPage& page, const TRMPageInfo& info) override;
    bool closeOutput(std::string* error) override;
    void discardOutput() override;

private:
    void write(const std::string& text);

    TRMStagedFile file_;
    std::FILE* out_ = nullptr;
    int columns_ = 0;
    std::string line_;
};

// One CSV field: quoted (quotes doubled) when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

// Whether a spreadsheet opening the file would take `text` as a formula: it begins with
// "=", "+", "-", "@", a tab or a carriage return and is not a number ("-3", "+1.5",
// "-1,234.50", "-2E3", "-5%").
bool startsLikeFormula(const std::string& text);

} // namespace report
