// Own module, a module below, and one above: the last is a fault.
#include "grid/Good.h"
#include "platform/Canvas.h"
#include "archive/Window.h"
