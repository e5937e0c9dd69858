#pragma once

// The progress window of printing and preparation: a line of text, a second line, and a
// cancel button that asks the work to stop. It stays on top and blocks input to other
// windows while the work runs on the same thread and lets events through.

#include "report/engine/model/RMProgress.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>

class QLabel;
class QPushButton;

namespace report {

class TRMProgressForm : public QDialog, public TRMProgress {
    Q_OBJECT
public:
    explicit TRMProgressForm(QWidget* owner = nullptr);

    // Shows the window (Label2 cleared) before the work starts.
    void Start();

    void setCaption(const std::string& caption) override;
    void setLine(const std::string& line) override;
    void processEvents() override;
    bool cancelled() const override { return cancelled_; }
    void cancel() override;

    // Also told when the user cancels (the report's stop flag).
    std::function<void()> OnCancel;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* btnCancel;

protected:
    void reject() override;

private:
    void btnCancelClick();
    bool cancelled_ = false;
    // Relaying out and painting the window for each of thousands of pages would cost the
    // work a good part of its time.
    QElapsedTimer eventsRun_;
};

} // namespace report
