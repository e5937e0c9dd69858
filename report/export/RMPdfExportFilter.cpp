#include "report/export/RMPdfExportFilter.h"

#include "report/export/RMPageFormatRun.h"

namespace report {

// ------------------------------------------------------------------------------ device

TRMPdfExportDevice::~TRMPdfExportDevice() {
    Discard();
}

bool TRMPdfExportDevice::Open(const std::string& fileName, std::string* error) {
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
    return true;
}

QIODevice* TRMPdfExportDevice::openOutput(const TRMPrintJob&) {
    if (!output_)
        error_ = "没有打开导出文件";
    return output_.get();
}

bool TRMPdfExportDevice::finishOutput(const TRMPrintJob&) {
    const bool ok = output_ && output_->flush() && output_->error() == QFileDevice::NoError;
    const std::string reason = output_ ? output_->errorString().toStdString() : std::string();
    output_.reset();
    if (!ok) {
        error_ = "写入 PDF 文件 " + file_.target() + " 失败：" + reason;
        file_.discard();
        return false;
    }
    return file_.commit(&error_);
}

void TRMPdfExportDevice::discardOutput() {
    output_.reset();
    file_.discard();
}

bool TRMPdfExportDevice::Finish(std::string* error) {
    if (TRMPdfRenderDevice::Finish())
        return true;
    if (error != nullptr)
        *error = ErrorText();
    return false;
}

void TRMPdfExportDevice::Discard() {
    Abort();
    discardOutput();
}

// ------------------------------------------------------------------------------ format

TRMExportResult TRMPdfExportFilter::writeFile(const TRMEMFPages& pages, const std::string& fileName,
                                              const std::vector<int>& pageIndexes,
                                              TRMProgress* progress, const std::string& title) {
    TRMExportDocument document{&pages, pageIndexes, fileName, title};
    std::string error;
    if (!completeExportDocument(document, &error))
        return {TRMExportStatus::Failed, error, 0};
    TRMPdfExportDevice device;
    if (!device.Open(fileName, &error))
        return {TRMExportStatus::Failed, error, 0};
    TRMExportResult result = runPageFormat(document, device, progress);
    if (result.status == TRMExportStatus::Exported && !device.Finish(&error))
        return {TRMExportStatus::Failed, error, 0};
    if (result.status != TRMExportStatus::Exported)
        device.Discard();
    return result;
}

} // namespace report
