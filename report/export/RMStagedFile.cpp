#include "report/export/RMStagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {
namespace {

constexpr const char* kStagedMark = ".staged-";
constexpr int kPlaceholderLength = 6; // QTemporaryFile's XXXXXX

// Whether `fd` is still the file at `path` (a cleaner may have removed it meanwhile).
bool stillLinked(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

bool TRMStagedFile::isStagedName(const std::string& fileName) {
    const std::size_t mark = fileName.rfind(kStagedMark);
    return fileName.size() > 1 && fileName[0] == '.' && mark != std::string::npos && mark > 1 &&
           fileName.size() == mark + std::strlen(kStagedMark) + kPlaceholderLength;
}

int TRMStagedFile::removeLeftovers(const std::string& folder) {
    const QDir dir(QString::fromStdString(folder));
    int removed = 0;
    const QStringList names = dir.entryList({QStringLiteral(".*.staged-*")},
                                            QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!isStagedName(name.toStdString()))
            continue;
        const std::string path = dir.filePath(name).toStdString();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A live writer holds the lock; a dead one's file is free to take.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillLinked(fd, path) &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

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
    removeLeftovers(folder.absolutePath().toStdString());
    // Locked before it is written; one that a cleaner took between creating and locking
    // it is made again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        QTemporaryFile file(folder.filePath("." + info.fileName() + kStagedMark + "XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open())
            return fail(file.errorString().toStdString());
        const std::string path = file.fileName().toStdString();
        file.close();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillLinked(fd, path)) {
            ::close(fd);
            continue;
        }
        target_ = info.absoluteFilePath().toStdString();
        temp_ = path;
        lock_ = fd;
        return true;
    }
    return fail("临时文件被其他程序删除");
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
    release();
    return true;
}

void TRMStagedFile::discard() {
    if (!temp_.empty())
        QFile::remove(QString::fromStdString(temp_));
    temp_.clear();
    release();
}

void TRMStagedFile::release() {
    if (lock_ >= 0)
        ::close(lock_);
    lock_ = -1;
}

} // namespace report
