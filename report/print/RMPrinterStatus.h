#pragma once

// What the print dialog shows about a printer: status word, type, position and comment.
// CUPS states and state reasons are mapped onto the status values the system's texts
// are written for (1 paused, 8 paper jam, 1024 printing, ...).

#include "report/print/RMCupsClient.h"

#include <string>

namespace report {

struct TRMPrinterDetails {
    std::string status;
    std::string type;
    std::string position;
    std::string comment;
};

// Status value of a CUPS state: one bit per condition, so that several conditions at
// once match no single text.
unsigned printerStatusValue(const cups::TRMCupsStatus& status);
// The status word: "打印"/"空闲", replaced by the text of a status value that matches as
// a whole, followed by the number of waiting documents when there are any.
std::string printerStatusText(unsigned statusValue, int queuedJobs);

class TRMPrinterList;
// Details of a list position (0: the default printer); empty where nothing is known.
TRMPrinterDetails printerDetails(TRMPrinterList& list, int index);

} // namespace report
