#pragma once

// The host side of the job flag: the shared memory block the plug-in reads when its window
// is created.

#include "platform/SharedMemory.h"
#include "plugin/plugin_abi.h"

#include <string>
#include <string_view>

namespace host {

// Publishes `flag` (UTF-8, stored as GBK bytes followed by zeros) in the block `name`
// (the one the plug-in reads: "MorvexMapName" unless the environment names another). The
// block exists while the returned handle lives. platform::ESharedMemoryError when the block
// cannot be created or mapped.
platform::SharedMemory publishJobFlag(std::string_view flag,
                                      std::string_view name = hsdw_job_flag_block_name());

} // namespace host
