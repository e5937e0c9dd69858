#include "report/export/RMPngExportFilter.h"

#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterList.h"

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

bool TRMImageExportDevice::NewPage() {
    error_ = "一个图像只能有一页";
    return false;
}

platform::TCanvas& TRMImageExportDevice::Canvas() {
    if (!canvas_)
        throw std::logic_error("no export page");
    return *canvas_;
}

bool TRMImageExportDevice::EndDoc() {
    canvas_.reset();
    if (painter_)
        painter_->end();
    painter_.reset();
    printing_ = false;
    return true;
}

void TRMImageExportDevice::Abort() {
    EndDoc();
    image_ = QImage();
}

// ------------------------------------------------------------------------------ filter

TRMPngExportFilter::TRMPngExportFilter() = default;
TRMPngExportFilter::~TRMPngExportFilter() = default;

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

bool TRMPngExportFilter::beginDocument(const TRMExportDocument& document, std::string* error) {
    abortDocument();
    outputs_.clear();
    if (Dpi < 24 || Dpi > 1200) {
        if (error != nullptr)
            *error = "图像分辨率 " + std::to_string(Dpi) + " 不在 24 到 1200 之间";
        return false;
    }
    TRMPrinterList& list = TRMPrinterList::instance();
    printer_ = std::make_unique<TRMCustomPrinter>(list);
    if (!printer_->SelectIndex(list.PdfIndex(), error))
        return false;
    source_ = std::make_unique<TRMPreparedPageSource>(*document.Pages);
    device_.Dpi = Dpi;
    fileName_ = document.FileName;
    pageCount_ = static_cast<int>(document.PageIndexes.size());
    // The folder must take the files before any page is drawn.
    auto probe = std::make_unique<TRMStagedFile>();
    if (!probe->create(pageFileName(fileName_, document.PageIndexes.front() + 1, pageCount_),
                       error))
        return false;
    files_.push_back(std::move(probe));
    return true;
}

void TRMPngExportFilter::beginPage(int pageIndex, const TRMPageInfo&) {
    TRMPrintRun run(*source_, *printer_, device_);
    TRMPrintRunOptions options;
    options.pageList = std::to_string(pageIndex + 1);
    const TRMPrintResult result = run.Execute(options);
    if (result.status != TRMPrintStatus::Printed)
        throw std::runtime_error(result.message.empty()
                                     ? "无法输出第 " + std::to_string(pageIndex + 1) + " 页"
                                     : result.message);
    const std::string name = pageFileName(fileName_, pageIndex + 1, pageCount_);
    std::string error;
    if (files_.empty() ||
        files_.back()->target() !=
            QFileInfo(QString::fromStdString(name)).absoluteFilePath().toStdString()) {
        auto file = std::make_unique<TRMStagedFile>();
        if (!file->create(name, &error))
            throw std::runtime_error(error);
        files_.push_back(std::move(file));
    }
    QImageWriter writer(QString::fromStdString(files_.back()->tempPath()), "png");
    if (!writer.write(device_.Image()))
        throw std::runtime_error("写入图像 " + name + " 失败：" +
                                 writer.errorString().toStdString());
}

bool TRMPngExportFilter::endDocument(std::string* error) {
    for (auto& file : files_) {
        if (!file->commit(error)) {
            abortDocument();
            return false;
        }
        outputs_.push_back(file->target());
    }
    files_.clear();
    source_.reset();
    printer_.reset();
    return true;
}

void TRMPngExportFilter::abortDocument() {
    files_.clear(); // each removes its temporary file
    source_.reset();
    printer_.reset();
}

} // namespace report
