#include "report/export/RMPdfExportFilter.h"

#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterList.h"

#include <QPageLayout>
#include <QPageSize>

#include <stdexcept>

namespace report {

// ------------------------------------------------------------------------------ device

TRMPdfExportDevice::~TRMPdfExportDevice() {
    Discard();
}

bool TRMPdfExportDevice::Open(const std::string& fileName, const std::string& title,
                              std::string* error) {
    Discard();
    if (!file_.create(fileName, error))
        return false;
    output_ = std::make_unique<QFile>(QString::fromStdString(file_.tempPath()));
    if (!output_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error != nullptr)
            *error = "无法建立文件 " + fileName + "：" + output_->errorString().toStdString();
        output_.reset();
        file_.discard();
        return false;
    }
    title_ = title;
    pages_ = 0;
    aborted_ = false;
    return true;
}

void TRMPdfExportDevice::startPage(const TRMPrintJob& job) {
    painter_->resetTransform();
    painter_->translate(job.geometry.printableLeftPx, job.geometry.printableTopPx);
    canvas_ = std::make_unique<TRMPrinterCanvas>(*painter_);
    ++pages_;
}

bool TRMPdfExportDevice::BeginDoc(const TRMPrintJob& job) {
    error_.clear();
    if (!output_) {
        error_ = "没有打开导出文件";
        return false;
    }
    const QPageSize size(QSizeF(job.paperWidth / 10.0, job.paperHeight / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageLayout layout(size, QPageLayout::Portrait, QMarginsF());
    if (!writer_) {
        writer_ = std::make_unique<QPdfWriter>(output_.get());
        writer_->setResolution(job.dpiX > 0 ? job.dpiX : 600);
        writer_->setTitle(QString::fromStdString(title_.empty() ? job.title : title_));
        writer_->setCreator(QStringLiteral("核算单位档案 报表"));
        writer_->setPageLayout(layout);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            error_ = "无法开始 PDF 输出";
            painter_.reset();
            writer_.reset();
            return false;
        }
    } else {
        // The next job's paper: a new page of the same document.
        canvas_.reset();
        writer_->setPageLayout(layout);
        if (!writer_->newPage()) {
            error_ = "无法开始新的一页";
            return false;
        }
    }
    printing_ = true;
    startPage(job);
    return true;
}

bool TRMPdfExportDevice::NewPage() {
    if (!printing_)
        return false;
    canvas_.reset();
    if (!writer_->newPage()) {
        error_ = "无法开始新的一页";
        return false;
    }
    painter_->resetTransform();
    canvas_ = std::make_unique<TRMPrinterCanvas>(*painter_);
    ++pages_;
    return true;
}

platform::TCanvas& TRMPdfExportDevice::Canvas() {
    if (!canvas_)
        throw std::logic_error("no export page");
    return *canvas_;
}

bool TRMPdfExportDevice::EndDoc() {
    // The document stays open for the next job; Finish completes it.
    printing_ = false;
    return true;
}

void TRMPdfExportDevice::Abort() {
    printing_ = false;
    aborted_ = true;
}

void TRMPdfExportDevice::close() {
    canvas_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    writer_.reset();
}

bool TRMPdfExportDevice::Finish(std::string* error) {
    if (!output_ || aborted_ || pages_ == 0) {
        if (error != nullptr)
            *error = error_.empty() ? "没有写入任何页" : error_;
        Discard();
        return false;
    }
    close();
    const bool ok = output_->flush() && output_->error() == QFileDevice::NoError;
    const std::string reason = output_->errorString().toStdString();
    output_->close();
    output_.reset();
    if (!ok) {
        if (error != nullptr)
            *error = "写入 PDF 文件 " + file_.target() + " 失败：" + reason;
        file_.discard();
        return false;
    }
    return file_.commit(error);
}

void TRMPdfExportDevice::Discard() {
    close();
    output_.reset();
    file_.discard();
    printing_ = false;
}

// ------------------------------------------------------------------------------ filter

TRMPdfExportFilter::TRMPdfExportFilter() = default;
TRMPdfExportFilter::~TRMPdfExportFilter() = default;

bool TRMPdfExportFilter::beginDocument(const TRMExportDocument& document, std::string* error) {
    TRMPrinterList& list = TRMPrinterList::instance();
    printer_ = std::make_unique<TRMCustomPrinter>(list);
    if (!printer_->SelectIndex(list.PdfIndex(), error))
        return false;
    source_ = std::make_unique<TRMPreparedPageSource>(*document.Pages);
    return device_.Open(document.FileName, document.Title, error);
}

void TRMPdfExportFilter::beginPage(int pageIndex, const TRMPageInfo&) {
    TRMPrintRun run(*source_, *printer_, device_);
    TRMPrintRunOptions options;
    options.pageList = std::to_string(pageIndex + 1);
    const TRMPrintResult result = run.Execute(options);
    if (result.status != TRMPrintStatus::Printed)
        throw std::runtime_error(result.message.empty()
                                     ? "无法输出第 " + std::to_string(pageIndex + 1) + " 页"
                                     : result.message);
}

bool TRMPdfExportFilter::endDocument(std::string* error) {
    const bool ok = device_.Finish(error);
    source_.reset();
    printer_.reset();
    return ok;
}

void TRMPdfExportFilter::abortDocument() {
    device_.Discard();
    source_.reset();
    printer_.reset();
}

} // namespace report
