#include "report/export/RMStagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace report {

bool TRMStagedFile::create(const std::string& target, std::string* error) {
    discard();
    const QFileInfo info(QString::fromStdString(target));
    const QDir folder = info.absoluteDir();
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = "无法建立文件 " + target + "：" + why;
        return false;
    };
    if (info.fileName().isEmpty())
        return fail("没有文件名");
    if (!folder.exists())
        return fail("文件夹 " + folder.path().toStdString() + " 不存在");
    if (info.isDir())
        return fail("这是一个文件夹");
    QTemporaryFile file(folder.filePath("." + info.fileName() + ".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
        return fail(file.errorString().toStdString());
    target_ = info.absoluteFilePath().toStdString();
    temp_ = file.fileName().toStdString();
    file.close();
    return true;
}

bool TRMStagedFile::commit(std::string* error) {
    if (temp_.empty())
        return false;
    // rename() replaces the target in one step.
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        if (error != nullptr)
            *error = "无法写入文件 " + target_ + "：" + std::strerror(errno);
        discard();
        return false;
    }
    // The temporary file was created for the owner only; the result gets the usual rights.
    QFile::setPermissions(QString::fromStdString(target_),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp_.clear();
    return true;
}

void TRMStagedFile::discard() {
    if (temp_.empty())
        return;
    QFile::remove(QString::fromStdString(temp_));
    temp_.clear();
}

} // namespace report
