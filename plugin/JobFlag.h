#pragma once

#include "plugin/plugin_abi.h"

#include <optional>
#include <string>

namespace plugin {

// Reads the job flag from the block hsdw_job_flag_block_name() ("MorvexMapName" unless the
// environment names another one): the characters before the first zero byte among the block's first
// three bytes. std::nullopt when the block does not exist or cannot be mapped (the caller
// then keeps the flag it had).
std::optional<std::string> readJobFlag();

} // namespace plugin
