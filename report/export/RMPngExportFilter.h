#pragma once

// The picture format ("PNG 图像", *.png): one image per page, drawn like a printed page at
// the chosen resolution on white, by one print run. One page goes to the file chosen;
// several pages go to "<name>-<page number>.png" beside it.

#include "report/engine/model/RMExportFilter.h"
#include "report/export/RMStagedFile.h"
#include "report/print/RMPrintDevice.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <memory>
#include <vector>

namespace report {

// A print device whose pages are images: the print run draws in printer pixels, which the
// painter scales to the image's resolution. Each finished page is handed to OnPage.
class TRMImageExportDevice : public TRMPrintDevice {
public:
    int Dpi = 150;
    // A page is finished (at the next page and at the end of a job); false with the reason
    // stops the run.
    std::function<bool(const QImage& page, std::string* error)> OnPage;

    bool BeginDoc(const TRMPrintJob& job) override;
    bool NewPage() override;
    platform::TCanvas& Canvas() override;
    bool EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    std::string ErrorText() const override { return error_; }

    // The last page drawn (valid after EndDoc until the next BeginDoc).
    const QImage& Image() const { return image_; }

private:
    void startPage();
    bool finishPage();

    TRMPrintJob job_;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TRMPrinterCanvas> canvas_;
    std::string error_;
    bool printing_ = false;
};

class TRMPngExportFilter : public TRMFileFormat {
public:
    std::string description() const override { return "PNG 图像"; }
    std::string fileMask() const override { return "*.png"; }
    // One print run over the pages onto a TRMImageExportDevice.
    TRMExportResult writeFile(const TRMEMFPages& pages, const std::string& fileName,
                              const std::vector<int>& pageIndexes = {},
                              TRMProgress* progress = nullptr,
                              const std::string& title = {}) override;

    // Resolution of the images (dots per inch, 24 to 1200).
    int Dpi = 150;
    // Files of the last run, in page order.
    const std::vector<std::string>& Outputs() const { return outputs_; }

    // File of page `pageNo` (from 1) when `pageCount` pages go to `fileName`.
    static std::string pageFileName(const std::string& fileName, int pageNo, int pageCount);

private:
    std::vector<std::string> outputs_;
};

} // namespace report
