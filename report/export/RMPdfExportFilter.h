#pragma once

// The PDF filter ("PDF 文件", *.pdf): the pages printed on the built-in PDF printer, by
// the same print run and page drawing, into the one file chosen (pages of different paper
// follow each other in it). Text stays vector text with its fonts embedded as subsets.

#include "report/engine/model/RMExportFilter.h"
#include "report/export/RMStagedFile.h"
#include "report/print/RMPrintDevice.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

namespace report {

class TRMPreparedPageSource;
class TRMCustomPrinter;

// A print device that keeps one PDF document open across the print run's jobs, so that
// paper changes make new pages of the same file rather than new files.
class TRMPdfExportDevice : public TRMPrintDevice {
public:
    ~TRMPdfExportDevice() override;

    // Opens `fileName` (written under a temporary name until Finish).
    bool Open(const std::string& fileName, const std::string& title, std::string* error);
    // Completes the file; false with the reason.
    bool Finish(std::string* error);
    // Drops everything written.
    void Discard();

    bool BeginDoc(const TRMPrintJob& job) override;
    bool NewPage() override;
    platform::TCanvas& Canvas() override;
    bool EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    std::string ErrorText() const override { return error_; }

private:
    void startPage(const TRMPrintJob& job);
    void close();

    TRMStagedFile file_;
    std::unique_ptr<QFile> output_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TRMPrinterCanvas> canvas_;
    std::string title_;
    std::string error_;
    bool printing_ = false;
    bool aborted_ = false;
    int pages_ = 0;
};

class TRMPdfExportFilter : public TRMExportFilter {
public:
    TRMPdfExportFilter();
    ~TRMPdfExportFilter() override;

    std::string description() const override { return "PDF 文件"; }
    std::string fileMask() const override { return "*.pdf"; }
    bool takesViews() const override { return false; }

    bool beginDocument(const TRMExportDocument& document, std::string* error) override;
    void beginPage(int pageIndex, const TRMPageInfo& page) override;
    void endPage() override {}
    bool endDocument(std::string* error) override;
    void abortDocument() override;

private:
    TRMPdfExportDevice device_;
    std::unique_ptr<TRMPreparedPageSource> source_;
    std::unique_ptr<TRMCustomPrinter> printer_;
};

} // namespace report
