// The entry points and the archive lie above the plug-in base: two faults.
#include "archive/Window.h"
#include "library/Entry.h"
