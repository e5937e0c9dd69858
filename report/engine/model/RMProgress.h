#pragma once

// Progress of long engine work (preparation, printing) as the work sees it: a caption, a
// line of text, a chance to process pending window events, and whether the user asked to
// stop. The preview layer shows it in a window; tools and tests use the headless one.

#include <functional>
#include <string>
#include <vector>

namespace report {

class TRMProgress {
public:
    virtual ~TRMProgress() = default;
    virtual void setCaption(const std::string& caption) = 0;
    // The current line ("正在打印页:3").
    virtual void setLine(const std::string& line) = 0;
    // The page just done, from 1 (a report's own OnProgress handler sees it).
    virtual void setPosition(int /*pageNo*/) {}
    // Lets pending window events run so that a cancel request can arrive.
    virtual void processEvents() = 0;
    virtual bool cancelled() const = 0;
    // Asks the work to stop at its next check.
    virtual void cancel() = 0;
};

// No window: remembers what it was told; `onLine` may cancel (tests stop a run mid-way).
class TRMHeadlessProgress : public TRMProgress {
public:
    void setCaption(const std::string& text) override { caption = text; }
    void setLine(const std::string& line) override {
        lines.push_back(line);
        if (onLine)
            onLine(line);
    }
    void processEvents() override { ++eventRounds; }
    bool cancelled() const override { return cancelled_; }
    void cancel() override { cancelled_ = true; }

    std::string caption;
    std::vector<std::string> lines;
    int eventRounds = 0;
    std::function<void(const std::string&)> onLine;

private:
    bool cancelled_ = false;
};

} // namespace report
