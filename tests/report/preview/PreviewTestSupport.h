#pragma once

// Prepared documents for the preview tests: pages written straight into TRMEMFPages page
// streams (no preparation), each with a title "第N页" and lines of text.

#include "report/engine/model/RMReport.h"

#include <memory>
#include <string>
#include <vector>

namespace previewtest {

struct Document {
    // `count` A4 pages; page i shows "第<i+1>页" and the given extra lines (same on every
    // page unless `perPage` has an entry for it).
    explicit Document(int count, std::vector<std::string> lines = {},
                      std::vector<std::vector<std::string>> perPage = {});
    // A page in landscape (wider than high) appended at the end.
    void addLandscapePage(const std::string& text);

    report::TRMReport report;
    report::TRMPage templatePage;
};

// Adds a memo view with `text` at (left, top) to page `index`.
void addText(report::TRMEMFPages& pages, int index, int left, int top, const std::string& text,
             int width = 500);

} // namespace previewtest
