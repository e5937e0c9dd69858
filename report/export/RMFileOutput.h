#pragma once

// A file as a report's output: the prepared pages written in one file format, without a
// window of its own (whoever asked tells the user what happened).

#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMReportOutput.h"

#include <string>

namespace report {

class TRMFileOutput : public TRMReportOutput {
public:
    TRMFileOutput(TRMFileFormat& format, std::string fileName)
        : format_(format)
        , fileName_(std::move(fileName)) {}

    // Every page, titled with the report's title.
    void Deliver(TRMReport& report) override;
    // A report handed its pages (false when none was prepared).
    bool Delivered() const { return delivered_; }
    const TRMExportResult& Result() const { return result_; }

private:
    TRMFileFormat& format_;
    std::string fileName_;
    bool delivered_ = false;
    TRMExportResult result_;
};

} // namespace report
