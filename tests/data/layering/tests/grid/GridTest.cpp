// A test may use its module, what lies below and the host; not a module above.
#include "grid/Good.h"
#include "host/Host.h"
#include "archive/Window.h"
