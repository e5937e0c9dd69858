#include "tools/rmtool/TerminalProgress.h"

#include <algorithm>
#include <unistd.h>

namespace rmtool {

TerminalProgress::TerminalProgress(std::FILE* out, int total, bool force)
    : out_(out)
    , enabled_(force || isatty(fileno(out)) == 1)
    , total_(total) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

std::string TerminalProgress::bar(int done, int total, int width) {
    if (total <= 0)
        return std::to_string(done) + " 页";
    const int filled = std::clamp(done * width / total, 0, width);
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '.') + "] " +
           std::to_string(done) + "/" + std::to_string(total) + " 页";
}

void TerminalProgress::setLine(const std::string&) {
    ++done_;
    if (!enabled_)
        return;
    std::fprintf(out_, "\r%s%s%s", caption_.c_str(), caption_.empty() ? "" : " ",
                 bar(done_, total_).c_str());
    std::fflush(out_);
    drawn_ = true;
}

void TerminalProgress::finish() {
    if (drawn_)
        std::fputc('\n', out_);
    drawn_ = false;
}

} // namespace rmtool
