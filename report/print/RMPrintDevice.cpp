#include "report/print/RMPrintDevice.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace report {

TRMPdfRenderDevice::TRMPdfRenderDevice(bool oneDocument)
    : oneDocument_(oneDocument) {}

TRMPdfRenderDevice::~TRMPdfRenderDevice() {
    // A device destroyed in a job drops it; devices whose output outlives them close first.
    if (printing_)
        Abort();
}

QPageLayout TRMPdfRenderDevice::pageLayout(const TRMPrintJob& job) const {
    const QPageSize size(QSizeF(job.paperWidth / 10.0, job.paperHeight / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF());
}

bool TRMPdfRenderDevice::BeginDoc(const TRMPrintJob& job) {
    if (printing_) {
        error_ = "打印作业已经开始";
        return false;
    }
    error_.clear();
    job_ = job;
    if (oneDocument_ && writer_) {
        // The next job of the document: a page of its paper.
        canvas_.reset();
        writer_->setPageLayout(pageLayout(job));
        if (!writer_->newPage()) {
            error_ = "无法开始新的一页";
            return false;
        }
        printing_ = true;
        startPage();
        return true;
    }
    QIODevice* output = openOutput(job);
    if (output == nullptr)
        return false;
    writer_ = std::make_unique<QPdfWriter>(output);
    writer_->setResolution(job.dpiX > 0 ? job.dpiX : 600);
    writer_->setTitle(QString::fromStdString(job.title));
    writer_->setCreator(QStringLiteral("核算单位档案 报表"));
    writer_->setPageLayout(pageLayout(job));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        error_ = "无法开始 PDF 输出";
        painter_.reset();
        writer_.reset();
        discardOutput();
        return false;
    }
    printing_ = true;
    startPage();
    return true;
}

void TRMPdfRenderDevice::startPage() {
    painter_->resetTransform();
    painter_->translate(job_.geometry.printableLeftPx, job_.geometry.printableTopPx);
    canvas_ = std::make_unique<TRMPrinterCanvas>(*painter_);
}

bool TRMPdfRenderDevice::NewPage() {
    if (!printing_)
        return false;
    canvas_.reset();
    if (!writer_->newPage()) {
        error_ = "无法开始新的一页";
        return false;
    }
    startPage();
    return true;
}

platform::TCanvas& TRMPdfRenderDevice::Canvas() {
    if (!canvas_)
        throw std::logic_error("no print job");
    return *canvas_;
}

void TRMPdfRenderDevice::closePainter() {
    canvas_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    writer_.reset();
}

bool TRMPdfRenderDevice::EndDoc() {
    if (!printing_)
        return false;
    printing_ = false;
    if (oneDocument_)
        return true; // the document stays open for the next job; Finish completes it
    closePainter();
    return finishOutput(job_);
}

bool TRMPdfRenderDevice::Finish() {
    if (printing_ || !writer_) {
        if (error_.empty())
            error_ = "没有写入任何页";
        Abort();
        return false;
    }
    closePainter();
    return finishOutput(job_);
}

void TRMPdfRenderDevice::Abort() {
    if (!printing_ && !(oneDocument_ && writer_))
        return;
    closePainter();
    printing_ = false;
    discardOutput();
}

} // namespace report
