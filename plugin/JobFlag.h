#pragma once

#include "plugin/plugin_abi.h"

#include <optional>
#include <string>

namespace plugin {

// Name of the shared block in which the host publishes the job flag.
inline constexpr const char* kJobFlagBlockName = HSDW_JOB_FLAG_BLOCK;

// Reads the job flag: the characters before the first zero byte among the block's first
// three bytes. std::nullopt when the block does not exist or cannot be mapped (the caller
// then keeps the flag it had).
std::optional<std::string> readJobFlag();

} // namespace plugin
