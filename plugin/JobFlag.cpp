#include "plugin/JobFlag.h"

#include "platform/Gbk.h"
#include "platform/SharedMemory.h"

#include <algorithm>

namespace plugin {

std::optional<std::string> readJobFlag() {
    std::optional<platform::SharedMemory> block = platform::SharedMemory::open(
        hsdw_job_flag_block_name(), platform::SharedMemoryAccess::Write);
    if (!block)
        return std::nullopt;
    const std::optional<platform::SharedMemoryView> view = block->map();
    if (!view)
        return std::nullopt; // the handle closes with `block`
    const std::size_t limit = std::min<std::size_t>(3, view->size());
    std::string bytes;
    for (std::size_t i = 0; i < limit && view->data()[i] != 0; ++i)
        bytes += char(view->data()[i]);
    return platform::fromGbk(bytes);
}

} // namespace plugin
