#pragma once

// A CUPS destination: each job is rendered as PDF into a temporary file and submitted
// with the job's media, tray and orientation when it ends.

#include "report/print/RMPrintDevice.h"

#include <QTemporaryFile>

#include <functional>
#include <memory>
#include <string>

namespace report {

class TRMCupsDevice : public TRMPdfRenderDevice {
public:
    explicit TRMCupsDevice(std::string destination);

    // Runs between creating a job and sending its data (tests stop the server there).
    std::function<void()> BeforeData;
    // Ids of the jobs the server accepted.
    const std::vector<int>& JobIds() const { return jobIds_; }

protected:
    QIODevice* openOutput(const TRMPrintJob& job) override;
    bool finishOutput(const TRMPrintJob& job) override;
    void discardOutput() override;

private:
    std::string destination_;
    std::unique_ptr<QTemporaryFile> file_;
    std::vector<int> jobIds_;
};

} // namespace report
