#pragma once

// The one place that decides which window the entry points open.

#include "plugin/EntryCall.h"

class QWidget;

namespace plugin {

class TFrmBase;

// Creates the archive window: embedded with the container as owner, or as a dialog
// without owner.
TFrmBase* createArchiveWindow(FormMode mode, QWidget* owner);

} // namespace plugin
