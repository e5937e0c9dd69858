#pragma once

// The host side of the job flag: the shared memory block the plug-in reads when its window
// is created.

#include "platform/SharedMemory.h"

#include <string>
#include <string_view>

namespace host {

// Publishes `flag` (UTF-8, stored as GBK bytes followed by zeros) in the block `name`
// ("MorvexMapName" for the plug-in). The block exists while the returned handle lives.
// platform::ESharedMemoryError when the block cannot be created or mapped.
platform::SharedMemory publishJobFlag(std::string_view flag,
                                      std::string_view name = "MorvexMapName");

} // namespace host
