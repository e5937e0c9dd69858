// The public header is the host's; anything else of the plug-in is a fault.
#include "plugin/plugin_abi.h"
#include "plugin/Internal.h"
