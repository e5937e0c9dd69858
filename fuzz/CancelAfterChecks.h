// The operator the preparation targets stand in for: a progress window that cancels once
// preparation has looked for a cancel a fixed number of times (a count, not a clock, so the
// fixed-seed runs stay repeatable).

#pragma once

#include "report/engine/model/RMProgress.h"
#include "report/engine/model/RMReportOutput.h"

#include <memory>
#include <string>

namespace fuzzsupport {

class CancelAfterChecks : public report::TRMProgress {
public:
    explicit CancelAfterChecks(int limit)
        : limit_(limit) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void processEvents() override {}
    bool cancelled() const override { return ++checks_ > limit_; }
    void cancel() override { checks_ = limit_; }

private:
    int limit_;
    mutable int checks_ = 0;
};

// Every preparation of the process gets such a progress window.
inline void cancelPreparationsAfterChecks(int limit) {
    report::TRMReportWindows windows;
    windows.ProgressWindow = [limit](const std::string&) -> std::unique_ptr<report::TRMProgress> {
        return std::make_unique<CancelAfterChecks>(limit);
    };
    report::installReportWindows(windows);
}

} // namespace fuzzsupport
