#include "host/JobFlagBlock.h"

#include "platform/Gbk.h"

#include <algorithm>
#include <cstring>

namespace host {

platform::SharedMemory publishJobFlag(std::string_view flag, std::string_view name) {
    const std::string bytes = platform::toGbk(flag);
    // Room for the flag and its terminating zero; the reader looks at three bytes.
    platform::SharedMemory block =
        platform::SharedMemory::create(name, std::max<std::size_t>(bytes.size() + 1, 16));
    const std::optional<platform::SharedMemoryView> view = block.map();
    if (!view)
        throw platform::ESharedMemoryError("无法映射共享内存 " + std::string(name));
    std::memcpy(view->data(), bytes.data(), std::min(bytes.size(), view->size()));
    return block;
}

} // namespace host
