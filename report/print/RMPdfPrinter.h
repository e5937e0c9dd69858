#pragma once

// The built-in "PDF" printer: each job becomes one PDF file in its output folder, named
// after the job title and the time, never replacing a file that is there.

#include "report/print/RMPrintDevice.h"

#include <QFile>

#include <filesystem>
#include <memory>
#include <string>

namespace report {

// Output folder setting (per user); the documents folder until one is chosen.
std::filesystem::path pdfOutputFolder();
void setPdfOutputFolder(const std::filesystem::path& folder);

// Name for a job's file in `folder` that does not exist yet: "<title> <yyyyMMdd-hhmmss>.pdf",
// then " (2)", " (3)", ... Characters a file name cannot hold become "_".
std::filesystem::path pdfFileNameFor(const std::filesystem::path& folder, const std::string& title);

class TRMPdfFileDevice : public TRMPdfRenderDevice {
public:
    explicit TRMPdfFileDevice(std::filesystem::path folder = pdfOutputFolder());

    const std::filesystem::path& Folder() const { return folder_; }

protected:
    QIODevice* openOutput(const TRMPrintJob& job) override;
    bool finishOutput(const TRMPrintJob& job) override;
    void discardOutput() override;

private:
    std::filesystem::path folder_;
    std::unique_ptr<QFile> file_;
};

} // namespace report
