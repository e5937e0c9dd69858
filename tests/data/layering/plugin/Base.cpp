// The entry points and the archive lie above the plug-in base: two faults.
#include "plugin/library/Entry.h"
#include "archive/Window.h"
