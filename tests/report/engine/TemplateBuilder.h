#pragma once

// Templates built in code for the preparation tests and benchmarks: bands stacked from the
// top of the page, views placed relative to their band and the left margin, a data source
// of rows with named fields, and the prepared pages read back view by view.

#include "report/engine/data/RMRowCursor.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"

#include <map>
#include <string>
#include <vector>

namespace testreport {

// Rows of named fields in memory.
class RowsCursor : public report::TRMRowCursor {
public:
    int fieldCount() const override { return static_cast<int>(Fields.size()); }
    std::string fieldName(int index) const override {
        return Fields[static_cast<std::size_t>(index)];
    }
    platform::Variant fieldValue(int index) const override;

    std::vector<std::string> Fields;
    std::vector<std::vector<platform::Variant>> Rows;
    bool FailToOpen = false;

protected:
    int rowCount() const override { return static_cast<int>(Rows.size()); }
    void openRows() override;
};

// A database adapter over rows in memory; [RMDialogForm.Name."field"] reads the current
// row once the adapter is in a report's list (attachTo).
class RowsDataset : public report::TRMDBDataSet {
public:
    RowsDataset(std::string name, std::vector<std::string> fields,
                std::vector<std::vector<platform::Variant>> rows);
    void attachTo(report::TRMReport& report) { report.Datasets.Add(*this, "RMDialogForm"); }
    // Bracketed reference to a field, as a memo's text.
    std::string ref(const std::string& field) const;
    void Init() override;
    void Exit() override;

    RowsCursor Cursor;
    std::vector<std::vector<platform::Variant>>& Rows = Cursor.Rows;
    int Inits = 0, Exits = 0;
};

class TemplateBuilder {
public:
    // Adds a template page (A4, default margins) to `report`.
    explicit TemplateBuilder(report::TRMReport& report);

    report::TRMPage& page() const { return *page_; }
    int leftMargin() const;
    int topMargin() const;

    // A band of `height` below the previous one.
    report::TRMBandView& band(int type, int height, const std::string& name = {});
    // A memo in `band` at (x, y) relative to the band and the left margin.
    report::TRMMemoView& memo(report::TRMBandView& band, int x, int y, int width, int height,
                              report::TRMStrings text, const std::string& name = {});
    report::TRMCalcMemoView& calc(report::TRMBandView& band, int x, int y, int width, int height,
                                  std::string text, int type, const std::string& dataBand);
    // Another page for the following bands.
    void nextPage();

private:
    report::TRMReport& report_;
    report::TRMPage* page_ = nullptr;
    int nextY_ = 0;
};

// A view as written into a prepared page.
struct Placed {
    std::string name;
    int left = 0, top = 0, width = 0, height = 0;
    std::string text; // lines joined by "|", line markers removed
    std::string className;
};

std::vector<Placed> placed(const report::TRMReport& report, int page);
// Texts of a page in stream order.
std::vector<std::string> texts(const report::TRMReport& report, int page);
// The placed views of a page whose name starts with `prefix`.
std::vector<Placed> named(const report::TRMReport& report, int page, const std::string& prefix);
std::string templateBytes(const report::TRMReport& report);

} // namespace testreport
