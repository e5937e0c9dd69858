#pragma once

// What the page formats (PDF, PNG) share: one print run of the document's pages onto a file
// device, on the built-in PDF printer's papers and geometry, with the export's progress.

#include "report/engine/model/RMExportFilter.h"

namespace report {

class TRMPrintDevice;

// Prints `document`'s pages in their order onto `device` (one run; a paper change starts a
// new job on it). Progress shows "正在导出页:" and the page number and is checked for cancel
// between pages. The caller completes or discards what the device wrote.
TRMExportResult runPageFormat(const TRMExportDocument& document, TRMPrintDevice& device,
                              TRMProgress* progress);

} // namespace report
