#include "report/export/RMPngExportFilter.h"

#include "report/export/RMPageFormatRun.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace report {

// ------------------------------------------------------------------------------ device

bool TRMImageExportDevice::BeginDoc(const TRMPrintJob& job) {
    error_.clear();
    job_ = job;
    const double dots = Dpi / 25.4;
    const int width = std::max(1, static_cast<int>(std::lround(job.paperWidth / 10.0 * dots)));
    const int height = std::max(1, static_cast<int>(std::lround(job.paperHeight / 10.0 * dots)));
    if (static_cast<qint64>(width) * height > 400'000'000LL) {
        error_ = "图像太大，请降低分辨率";
        return false;
    }
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull()) {
        error_ = "内存不足，无法建立图像";
        return false;
    }
    image_.setDotsPerMeterX(static_cast<int>(std::lround(Dpi / 0.0254)));
    image_.setDotsPerMeterY(static_cast<int>(std::lround(Dpi / 0.0254)));
    printing_ = true;
    startPage();
    return true;
}

void TRMImageExportDevice::startPage() {
    canvas_.reset();
    painter_.reset();
    image_.fill(Qt::white);
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing);
    painter_->setRenderHint(QPainter::TextAntialiasing);
    // The run draws in the printer's pixels from the corner of its printable area.
    const double sx = static_cast<double>(Dpi) / (job_.dpiX > 0 ? job_.dpiX : 600);
    const double sy = static_cast<double>(Dpi) / (job_.dpiY > 0 ? job_.dpiY : 600);
    painter_->scale(sx, sy);
    painter_->translate(job_.geometry.printableLeftPx, job_.geometry.printableTopPx);
    canvas_ = std::make_unique<TRMPrinterCanvas>(*painter_);
}

bool TRMImageExportDevice::finishPage() {
    canvas_.reset();
    if (painter_)
        painter_->end();
    painter_.reset();
    return !OnPage || OnPage(image_, &error_);
}

bool TRMImageExportDevice::NewPage() {
    if (!printing_ || !finishPage())
        return false;
    startPage();
    return true;
}

platform::TCanvas& TRMImageExportDevice::Canvas() {
    if (!canvas_)
        throw std::logic_error("no export page");
    return *canvas_;
}

bool TRMImageExportDevice::EndDoc() {
    if (!printing_)
        return false;
    printing_ = false;
    return finishPage();
}

void TRMImageExportDevice::Abort() {
    canvas_.reset();
    if (painter_)
        painter_->end();
    painter_.reset();
    printing_ = false;
    image_ = QImage();
}

// ------------------------------------------------------------------------------ filter

std::string TRMPngExportFilter::pageFileName(const std::string& fileName, int pageNo,
                                             int pageCount) {
    if (pageCount <= 1)
        return fileName;
    const QFileInfo info(QString::fromStdString(fileName));
    QString stem = info.completeBaseName();
    QString suffix = info.suffix();
    if (suffix.isEmpty())
        suffix = QStringLiteral("png");
    return info.dir().filePath(stem + "-" + QString::number(pageNo) + "." + suffix).toStdString();
}

TRMExportResult TRMPngExportFilter::writeFile(const TRMEMFPages& pages, const std::string& fileName,
                                              const std::vector<int>& pageIndexes,
                                              TRMProgress* progress, const std::string& title) {
    outputs_.clear();
    TRMExportDocument document{&pages, pageIndexes, fileName, title};
    std::string error;
    if (!completeExportDocument(document, &error))
        return {TRMExportStatus::Failed, error, 0};
    if (Dpi < 24 || Dpi > 1200)
        return {TRMExportStatus::Failed,
                "图像分辨率 " + std::to_string(Dpi) + " 不在 24 到 1200 之间", 0};
    const int count = static_cast<int>(document.PageIndexes.size());
    // One staged file per page; the folder must take the first before any page is drawn.
    std::vector<std::unique_ptr<TRMStagedFile>> files;
    auto stage = [&](int pageNo, std::string* why) {
        auto file = std::make_unique<TRMStagedFile>();
        if (!file->create(pageFileName(fileName, pageNo, count), why))
            return false;
        files.push_back(std::move(file));
        return true;
    };
    if (!stage(document.PageIndexes.front() + 1, &error))
        return {TRMExportStatus::Failed, error, 0};

    TRMImageExportDevice device;
    device.Dpi = Dpi;
    std::size_t written = 0;
    device.OnPage = [&](const QImage& image, std::string* why) {
        if (written >= document.PageIndexes.size())
            return true;
        const int pageNo = document.PageIndexes[written] + 1;
        if (written > 0 && !stage(pageNo, why))
            return false;
        QImageWriter writer(QString::fromStdString(files.back()->tempPath()), "png");
        if (!writer.write(image)) {
            *why = "写入图像 " + pageFileName(fileName, pageNo, count) + " 失败：" +
                   writer.errorString().toStdString();
            return false;
        }
        ++written;
        return true;
    };
    TRMExportResult result = runPageFormat(document, device, progress);
    if (result.status != TRMExportStatus::Exported)
        return result; // the staged files remove their temporary files
    for (auto& file : files) {
        if (!file->commit(&error))
            return {TRMExportStatus::Failed, error, 0};
        outputs_.push_back(file->target());
    }
    return result;
}

} // namespace report
