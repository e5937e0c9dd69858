// The plug-in base uses the platform only, never the report modules.
#include "report/engine/model/View.h"
