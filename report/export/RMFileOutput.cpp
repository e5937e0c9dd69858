#include "report/export/RMFileOutput.h"

#include "report/engine/model/RMReport.h"

namespace report {

void TRMFileOutput::Deliver(TRMReport& report) {
    delivered_ = true;
    result_ = format_.writeFile(report.EMFPages, fileName_, {}, nullptr, report.ReportInfo.Title());
}

} // namespace report
