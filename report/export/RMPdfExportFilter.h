#pragma once

// The PDF format ("PDF 文件", *.pdf): the pages printed on the built-in PDF printer, by one
// print run with the same page drawing, into the one file chosen (pages of different paper
// follow each other in it). Text stays vector text with its fonts embedded as subsets.

#include "report/engine/model/RMExportFilter.h"
#include "report/export/RMStagedFile.h"
#include "report/print/RMPrintDevice.h"

#include <QFile>

#include <memory>

namespace report {

// The PDF rendering device writing one document into a file: the run's jobs become its
// pages; the file is written under a temporary name until Finish.
class TRMPdfExportDevice : public TRMPdfRenderDevice {
public:
    TRMPdfExportDevice()
        : TRMPdfRenderDevice(true) {}
    ~TRMPdfExportDevice() override;

    // Prepares `fileName`; false with the reason.
    bool Open(const std::string& fileName, std::string* error);
    // Completes the file; false with the reason (nothing is left).
    bool Finish(std::string* error);
    // Drops everything written.
    void Discard();

protected:
    QIODevice* openOutput(const TRMPrintJob& job) override;
    bool finishOutput(const TRMPrintJob& job) override;
    void discardOutput() override;

private:
    TRMStagedFile file_;
    std::unique_ptr<QFile> output_;
};

class TRMPdfExportFilter : public TRMFileFormat {
public:
    std::string description() const override { return "PDF 文件"; }
    std::string fileMask() const override { return "*.pdf"; }
    // One print run over the pages onto a TRMPdfExportDevice.
    TRMExportResult writeFile(const TRMEMFPages& pages, const std::string& fileName,
                              const std::vector<int>& pageIndexes = {},
                              TRMProgress* progress = nullptr,
                              const std::string& title = {}) override;
};

} // namespace report
