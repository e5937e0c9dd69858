#pragma once

// The engine's windows: captions from the engine texts, in the engine font (text 47444,
// "MS Sans Serif"; size 47445, "8").

#include <QFont>
#include <QString>

class QWidget;

namespace report {

QFont engineFont();
// Engine text `id` as a QString.
QString engineQText(int id);
// Applies the engine font to a window and its children.
void applyEngineFont(QWidget& window);

} // namespace report
