#pragma once

// Named shared memory over POSIX shm_open, with the semantics of the Windows file-mapping
// calls the system uses: a creator publishes a named block; another process opens it by
// name (failing cleanly when it does not exist), maps a view of the whole block, and
// closes its handle — a view stays valid after the handle is closed, until it is unmapped.
// The name is used as it stands with a leading "/" ("MorvexMapName" → "/MorvexMapName");
// "/" and "\" inside a name become "_".
//
// Every handle and view is RAII: closed / unmapped exactly once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Creation or mapping failed (Chinese text with the name and the system's reason).
class ESharedMemoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SharedMemoryAccess { Read, Write };

// A mapped view of a block. Move-only; unmaps on destruction.
class SharedMemoryView {
public:
    SharedMemoryView() = default;
    SharedMemoryView(SharedMemoryView&& other) noexcept
        : data_(std::exchange(other.data_, nullptr))
        , size_(std::exchange(other.size_, 0)) {}
    SharedMemoryView& operator=(SharedMemoryView&& other) noexcept;
    ~SharedMemoryView() { unmap(); }

    bool isMapped() const { return data_ != nullptr; }
    std::uint8_t* data() const { return static_cast<std::uint8_t*>(data_); }
    std::size_t size() const { return size_; }
    void unmap();

private:
    friend class SharedMemory;
    SharedMemoryView(void* data, std::size_t size)
        : data_(data)
        , size_(size) {}
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

// A handle to a named block. Move-only; closes on destruction. The creator's handle also
// removes the name when it is closed (later opens fail; existing views stay valid).
class SharedMemory {
public:
    SharedMemory() = default;
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    ~SharedMemory() { close(); }

    // Host side: creates the block `name` of `size` bytes (zero-filled), replacing a stale
    // block of the same name. ESharedMemoryError on failure.
    static SharedMemory create(std::string_view name, std::size_t size);
    // Opens an existing block; std::nullopt when it does not exist or cannot be opened
    // with the requested access.
    static std::optional<SharedMemory> open(std::string_view name,
                                            SharedMemoryAccess access = SharedMemoryAccess::Write);

    // The POSIX object name for `name`.
    static std::string objectName(std::string_view name);

    bool isOpen() const { return fd_ >= 0; }
    const std::string& name() const { return name_; }
    // Current size of the block in bytes.
    std::size_t size() const;

    // Maps the whole block (offset 0) with the handle's access; std::nullopt when the
    // block is empty or cannot be mapped. The view outlives close().
    std::optional<SharedMemoryView> map() const;

    void close();

private:
    int fd_ = -1;
    bool owner_ = false; // created the name: unlinks it on close
    SharedMemoryAccess access_ = SharedMemoryAccess::Write;
    std::string name_; // POSIX object name
};

} // namespace platform
