#include "platform/SharedMemory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

} // namespace

SharedMemoryView& SharedMemoryView::operator=(SharedMemoryView&& other) noexcept {
    if (this != &other) {
        unmap();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void SharedMemoryView::unmap() {
    if (data_) {
        ::munmap(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , owner_(std::exchange(other.owner_, false))
    , access_(other.access_)
    , name_(std::move(other.name_)) {}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        owner_ = std::exchange(other.owner_, false);
        access_ = other.access_;
        name_ = std::move(other.name_);
    }
    return *this;
}

std::string SharedMemory::objectName(std::string_view name) {
    std::string object = "/";
    for (char c : name)
        object += (c == '/' || c == '\\') ? '_' : c;
    return object;
}

SharedMemory SharedMemory::create(std::string_view name, std::size_t size) {
    if (name.empty())
        throw ESharedMemoryError("共享内存名称不能为空");
    if (size == 0)
        throw ESharedMemoryError("共享内存 \"" + std::string(name) + "\" 的大小不能为 0");
    SharedMemory block;
    block.name_ = objectName(name);
    // A block left behind by a crashed creator is replaced, not reused.
    ::shm_unlink(block.name_.c_str());
    int fd = ::shm_open(block.name_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        throw ESharedMemoryError("无法创建共享内存 \"" + std::string(name) + "\"：" +
                                 reason(errno));
    block.fd_ = fd;
    block.owner_ = true;
    block.access_ = SharedMemoryAccess::Write;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        int error = errno;
        block.close();
        throw ESharedMemoryError("无法设置共享内存 \"" + std::string(name) + "\" 的大小：" +
                                 reason(error));
    }
    return block;
}

std::optional<SharedMemory> SharedMemory::open(std::string_view name, SharedMemoryAccess access) {
    if (name.empty())
        return std::nullopt;
    SharedMemory block;
    block.name_ = objectName(name);
    int flags = (access == SharedMemoryAccess::Write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd = ::shm_open(block.name_.c_str(), flags, 0);
    if (fd < 0)
        return std::nullopt;
    block.fd_ = fd;
    block.access_ = access;
    return block;
}

std::size_t SharedMemory::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<std::size_t>(info.st_size);
}

std::optional<SharedMemoryView> SharedMemory::map() const {
    std::size_t length = size();
    if (length == 0)
        return std::nullopt;
    int protection = PROT_READ | (access_ == SharedMemoryAccess::Write ? PROT_WRITE : 0);
    void* data = ::mmap(nullptr, length, protection, MAP_SHARED, fd_, 0);
    if (data == MAP_FAILED)
        return std::nullopt;
    return SharedMemoryView(data, length);
}

void SharedMemory::close() {
    if (fd_ < 0)
        return;
    if (owner_)
        ::shm_unlink(name_.c_str());
    ::close(fd_);
    fd_ = -1;
    owner_ = false;
}

} // namespace platform
