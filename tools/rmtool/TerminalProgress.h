#pragma once

// Progress of a long run as a bar on a terminal: "[#######.........] 120/500 页", redrawn in
// place. When the output is not a terminal nothing is shown.

#include "report/engine/model/RMProgress.h"

#include <cstdio>
#include <string>

namespace rmtool {

class TerminalProgress : public report::TRMProgress {
public:
    // `total` pages are expected (0 when unknown); draws only when `out` is a terminal,
    // unless `force`.
    TerminalProgress(std::FILE* out, int total, bool force = false);
    ~TerminalProgress() override;

    void setTotal(int total) { total_ = total; }
    void setCaption(const std::string& caption) override { caption_ = caption; }
    // Every line is one step (a page printed, exported or prepared).
    void setLine(const std::string& line) override;
    void processEvents() override {}
    bool cancelled() const override { return false; }
    void cancel() override {}
    // Ends the bar's line.
    void finish();

    int steps() const { return done_; }
    // The bar for `done` of `total` steps.
    static std::string bar(int done, int total, int width = 30);

private:
    std::FILE* out_;
    bool enabled_;
    bool drawn_ = false;
    int total_;
    int done_ = 0;
    std::string caption_;
};

} // namespace rmtool
