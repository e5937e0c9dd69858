#include "report/print/RMPdfPrinter.h"

#include "platform/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

namespace report {

namespace {

constexpr const char* kSettingsRoot = "Software\\Brantmoor\\Quarvel Inthos";
constexpr const char* kSection = "Printer\\PDF";
constexpr const char* kFolderKey = "OutputFolder";

std::string safeFileName(const std::string& title) {
    QString name = QString::fromStdString(title).trimmed();
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' ||
            c == u'<' || c == u'>' || c == u'|' || c.unicode() < 0x20)
            c = u'_';
    if (name.startsWith(u'.'))
        name[0] = u'_';
    if (name.isEmpty())
        name = QStringLiteral("Untitled");
    return name.left(120).toStdString();
}

} // namespace

std::filesystem::path pdfOutputFolder() {
    const platform::Settings settings(kSettingsRoot);
    const std::string folder = settings.readString(kSection, kFolderKey);
    if (!folder.empty())
        return std::filesystem::path(folder);
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return std::filesystem::path(documents.toStdString());
}

void setPdfOutputFolder(const std::filesystem::path& folder) {
    platform::Settings settings(kSettingsRoot);
    settings.writeString(kSection, kFolderKey, folder.string());
}

std::filesystem::path pdfFileNameFor(const std::filesystem::path& folder,
                                     const std::string& title) {
    const std::string stem =
        safeFileName(title) + " " +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")).toStdString();
    std::filesystem::path candidate = folder / (stem + ".pdf");
    for (int n = 2; std::filesystem::exists(candidate); ++n)
        candidate = folder / (stem + " (" + std::to_string(n) + ").pdf");
    return candidate;
}

TRMPdfFileDevice::TRMPdfFileDevice(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

QIODevice* TRMPdfFileDevice::openOutput(const TRMPrintJob& job) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    // NewOnly: another program may create the same name between the check and the open.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::filesystem::path path = pdfFileNameFor(folder_, job.title);
        file_ = std::make_unique<QFile>(QString::fromStdString(path.string()));
        if (file_->open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file_.get();
        if (file_->exists())
            continue;
        error_ = "无法在输出文件夹 " + folder_.string() + " 中建立 PDF 文件：" +
                 file_->errorString().toStdString();
        file_.reset();
        return nullptr;
    }
    error_ = "无法在输出文件夹 " + folder_.string() + " 中建立 PDF 文件";
    file_.reset();
    return nullptr;
}

bool TRMPdfFileDevice::finishOutput(const TRMPrintJob&) {
    const bool flushed = file_->flush();
    const bool ok = flushed && file_->error() == QFileDevice::NoError;
    const QString path = file_->fileName();
    const QString reason = file_->errorString();
    file_->close();
    if (!ok || file_->error() != QFileDevice::NoError) {
        error_ = "写入 PDF 文件 " + path.toStdString() + " 失败：" + reason.toStdString();
        file_->remove();
        file_.reset();
        return false;
    }
    outputs_.push_back(path.toStdString());
    file_.reset();
    return true;
}

void TRMPdfFileDevice::discardOutput() {
    if (!file_)
        return;
    file_->close();
    file_->remove();
    file_.reset();
}

} // namespace report
