#pragma once
// A lower stage of the engine may not use a higher one.
#include "report/engine/layout/Draw.h"
