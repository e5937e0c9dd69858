#include "report/engine/model/RMReportOutput.h"

namespace report {

namespace {

TRMReportWindows& windows() {
    static TRMReportWindows installed;
    return installed;
}

} // namespace

void installReportWindows(TRMReportWindows installed) {
    windows() = std::move(installed);
}

const TRMReportWindows& reportWindows() {
    return windows();
}

} // namespace report
