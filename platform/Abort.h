#pragma once

// Silent cancel. An event handler abandons the event it is handling by calling Abort();
// the guard every Qt entry runs in (Guard.h) drops it without a message.

#include <exception>

namespace platform {

class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() {
    throw EAbort();
}

} // namespace platform
