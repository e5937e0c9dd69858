#include "report/print/RMCupsDevice.h"

#include "report/print/RMCupsClient.h"

namespace report {

TRMCupsDevice::TRMCupsDevice(std::string destination)
    : destination_(std::move(destination)) {}

QIODevice* TRMCupsDevice::openOutput(const TRMPrintJob&) {
    file_ = std::make_unique<QTemporaryFile>();
    if (!file_->open()) {
        error_ = "无法建立打印作业的临时文件：" + file_->errorString().toStdString();
        file_.reset();
        return nullptr;
    }
    return file_.get();
}

bool TRMCupsDevice::finishOutput(const TRMPrintJob& job) {
    if (!file_->flush() || file_->error() != QFileDevice::NoError) {
        error_ = "无法写入打印作业的临时文件：" + file_->errorString().toStdString();
        file_.reset();
        return false;
    }
    file_->seek(0);
    // Copies and collation are done by the print run, so every job asks for one copy.
    cups::TRMJobOptions options{{"copies", "1"},
                                {"orientation-requested", job.orientation == 1 ? "4" : "3"}};
    std::string media = job.media;
    if (media.empty()) {
        int width = job.paperWidth * 10, height = job.paperHeight * 10;
        if (width > height)
            std::swap(width, height);
        media = cups::mediaNameForSize(width, height);
    }
    if (!media.empty())
        options.emplace_back("media", media);
    if (!job.binKeyword.empty())
        options.emplace_back("media-source", job.binKeyword);
    if (job.duplex == 2)
        options.emplace_back("sides", "two-sided-long-edge");
    else if (job.duplex == 3)
        options.emplace_back("sides", "two-sided-short-edge");
    const int id = cups::submitPdf(destination_, job.title, *file_, options, &error_, BeforeData);
    file_.reset();
    if (id <= 0)
        return false;
    jobIds_.push_back(id);
    outputs_.push_back(destination_ + "-" + std::to_string(id));
    return true;
}

void TRMCupsDevice::discardOutput() {
    file_.reset();
}

} // namespace report
