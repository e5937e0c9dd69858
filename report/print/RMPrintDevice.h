#pragma once

// Where a print job goes. The print run sees only this interface: a job begins with one
// paper, pages follow, and the job ends (written or submitted) or is aborted. Drawing
// happens on the device's canvas, in printer pixels with the origin at the corner of the
// printable area, as the system's printers have it.

#include "platform/Canvas.h"
#include "report/engine/model/RMPaper.h"

#include <QPainter>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QIODevice;
class QPageLayout;
class QPdfWriter;

namespace report {

// One job's paper and device settings, as the selected printer has them.
struct TRMPrintJob {
    std::string title;
    int paperCode = 9;
    std::int32_t paperWidth = 2100; // tenths of a millimetre, as printed (landscape: wide)
    std::int32_t paperHeight = 2970;
    std::uint8_t orientation = 0;
    int bin = 65535;
    std::string binKeyword; // device tray ("" = the printer's default)
    std::string media;      // device media name for the paper
    int duplex = 1;
    int dpiX = 600, dpiY = 600;
    TRMPageGeometry geometry;
};

class TRMPrintDevice {
public:
    virtual ~TRMPrintDevice() = default;
    // Starts a job with its first page; false with errorText() when it cannot.
    virtual bool BeginDoc(const TRMPrintJob& job) = 0;
    // Every page after the first.
    virtual bool NewPage() = 0;
    // Canvas of the current page.
    virtual platform::TCanvas& Canvas() = 0;
    // Finishes the job: false with errorText() when it was not written or not accepted.
    virtual bool EndDoc() = 0;
    // Drops the job; nothing of it remains.
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;
    virtual std::string ErrorText() const = 0;
    // What the finished jobs became: file paths (PDF printer) or job names (CUPS).
    virtual std::vector<std::string> Outputs() const { return {}; }
};

// The canvas of a printer page: printer pixels, origin at the printable area's corner.
class TRMPrinterCanvas : public platform::TCanvas {
public:
    explicit TRMPrinterCanvas(QPainter& painter)
        : platform::TCanvas(painter) {}
};

// The PDF rendering of every device that makes PDF at the device resolution: the PDF
// printer, CUPS jobs and the PDF export. Each job is a document of its own, or, for
// `oneDocument`, the jobs of a run are pages of one document (a paper change starts a page
// of the new size) that Finish() completes.
class TRMPdfRenderDevice : public TRMPrintDevice {
public:
    explicit TRMPdfRenderDevice(bool oneDocument = false);
    ~TRMPdfRenderDevice() override;

    bool BeginDoc(const TRMPrintJob& job) override;
    bool NewPage() override;
    platform::TCanvas& Canvas() override;
    bool EndDoc() override;
    // Drops the job (with `oneDocument`, the whole document).
    void Abort() override;
    bool Printing() const override { return printing_; }
    std::string ErrorText() const override { return error_; }
    std::vector<std::string> Outputs() const override { return outputs_; }
    // With `oneDocument`: completes the document after the last job; false with
    // ErrorText() when no page was written or the output failed.
    bool Finish();

protected:
    // Opens where the PDF bytes of the job go; false with error_ set.
    virtual QIODevice* openOutput(const TRMPrintJob& job) = 0;
    // Delivers the finished PDF (the output is flushed); false with error_ set.
    virtual bool finishOutput(const TRMPrintJob& job) = 0;
    // Drops the output of an aborted job.
    virtual void discardOutput() = 0;

    std::string error_;
    std::vector<std::string> outputs_;

private:
    void startPage();
    void closePainter();
    QPageLayout pageLayout(const TRMPrintJob& job) const;

    bool oneDocument_;
    TRMPrintJob job_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TRMPrinterCanvas> canvas_;
    bool printing_ = false;
};

} // namespace report
