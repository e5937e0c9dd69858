// An include that climbs out of its folder is a fault even where the module may use it.
#include "../platform/Canvas.h"
