#include "report/preview/RMPreview.h"

// Printing and page setup from the preview.

namespace report {

void TRMPreview::Print() {}

void TRMPreview::PrintCurrentPage() {}

void TRMPreview::PageSetup() {}

} // namespace report
