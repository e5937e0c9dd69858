#pragma once

// The picture filter ("PNG 图像", *.png): one image per page, drawn like a printed page
// at the chosen resolution on white. One page goes to the file chosen; several pages go to
// "<name>-<page number>.png" beside it.

#include "report/engine/model/RMExportFilter.h"
#include "report/export/RMStagedFile.h"
#include "report/print/RMPrintDevice.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace report {

class TRMPreparedPageSource;
class TRMCustomPrinter;

// A print device whose pages are images: the print run draws in printer pixels, which the
// painter scales to the image's resolution.
class TRMImageExportDevice : public TRMPrintDevice {
public:
    int Dpi = 150;

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

    TRMPrintJob job_;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TRMPrinterCanvas> canvas_;
    std::string error_;
    bool printing_ = false;
};

class TRMPngExportFilter : public TRMExportFilter {
public:
    TRMPngExportFilter();
    ~TRMPngExportFilter() override;

    std::string description() const override { return "PNG 图像"; }
    std::string fileMask() const override { return "*.png"; }
    bool takesViews() const override { return false; }

    bool beginDocument(const TRMExportDocument& document, std::string* error) override;
    void beginPage(int pageIndex, const TRMPageInfo& page) override;
    void endPage() override {}
    bool endDocument(std::string* error) override;
    void abortDocument() override;

    // Resolution of the images (dots per inch, 24 to 1200).
    int Dpi = 150;
    // Files of the last run, in page order.
    const std::vector<std::string>& Outputs() const { return outputs_; }

    // File of page `pageNo` (from 1) when `pageCount` pages go to `fileName`.
    static std::string pageFileName(const std::string& fileName, int pageNo, int pageCount);

private:
    TRMImageExportDevice device_;
    std::unique_ptr<TRMPreparedPageSource> source_;
    std::unique_ptr<TRMCustomPrinter> printer_;
    std::string fileName_;
    int pageCount_ = 0;
    std::vector<std::unique_ptr<TRMStagedFile>> files_;
    std::vector<std::string> outputs_;
};

} // namespace report
