#pragma once

// What a preview remembers: the last zoom and the magnifier switch for the life of the
// process, and the window's and tool bar's placement in the settings store
// ("Software\Brantmoor\Quarvel Inthos", sections "Form\<class>" and "ToolBar\<name>").

#include "report/preview/RMPreviewModel.h"

#include <string>

class QMainWindow;
class QToolBar;
class QWidget;

namespace report {

inline constexpr const char* kPreviewSettingsRoot = "Software\\Brantmoor\\Quarvel Inthos";

struct TRMRememberedPreview {
    TRMScaleMode mode = TRMScaleMode::Percent;
    double scale = 1.0;
    bool magnifier = false;
};

// The process-wide remembered zoom and magnifier (100 % and off at start).
TRMRememberedPreview& rememberedPreview();

// Position, size and maximised state; maximised when nothing is stored.
void restoreFormPlacement(QWidget& form, const std::string& className);
void saveFormPlacement(const QWidget& form, const std::string& className);

// Visibility, dock area ("DockName": Top, Bottom, Left, Right), position and size. The
// preview's tool bar moves between the window's edges but does not float, so "Docked" is
// always written true.
void restoreToolBarPlacement(QMainWindow& window, QToolBar& toolBar);
void saveToolBarPlacement(const QMainWindow& window, const QToolBar& toolBar);

} // namespace report
