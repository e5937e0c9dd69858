#include "plugin/HostContext.h"

namespace plugin {

HostContext& hostContext() {
    // Destroyed when the library is unloaded: the operator code and job flag go with it
    // and the data-service reference is released.
    static HostContext context;
    return context;
}

platform::WindowHandle applicationWindow() {
    return hostContext().ApplicationHandle;
}

} // namespace plugin
