#pragma once

// A template with one view of every kind, shared by the file tests and the corpus test.

#include "report/engine/model/RMReport.h"

namespace testsample {

void fillSampleReport(report::TRMReport& report);
// Template bytes of the sample report and prepared-file bytes with two pages.
std::string sampleTemplateBytes();
std::string samplePreparedBytes();

} // namespace testsample
