#pragma once
// A higher stage uses the model below it.
#include "report/engine/model/View.h"
