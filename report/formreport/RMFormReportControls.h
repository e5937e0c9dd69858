#pragma once

// What the form report and its add-ins read from Qt widgets: the child controls a walk
// visits, the client area, fonts and colours in the engine's terms, and the frame and
// placement rules every add-in shares.

#include "platform/GdiObjects.h"
#include "report/engine/model/RMTypes.h"

#include <QRect>

#include <string>
#include <vector>

class QColor;
class QDataWidgetMapper;
class QFont;
class QWidget;

namespace report {

class TRMFormReport;
class TRMView;

// Direct child controls of `control`: child widgets that are not windows of their own,
// without the scroll-bar containers of a scroll area (its non-client part). Hidden
// children count.
std::vector<QWidget*> childControls(const QWidget& control);

// The client area in the control's coordinates: inside the frame of a framed control
// (QFrame's contents, a line edit's frame), else the whole control.
QRect clientRect(const QWidget& control);

// A Qt font as a report font: face, size in points (pixel sizes converted at 96 dpi),
// style; colour and character set given.
TRMFont reportFont(const QFont& font, TColor color, int charset = rmDefaultCharset);
// The control's font with its text colour.
TRMFont reportFont(const QWidget& control);
// A canvas font as a report font.
TRMFont reportFont(const platform::TFont& font);
TColor reportColor(const QColor& color);

// Frame on all four sides (type 15) or none.
void setAllFrames(TRMView& view, bool on);

// The data source that maps `control` (a data-aware control) and the field it shows:
// the first QDataWidgetMapper of the control's window that maps it. False when none does.
bool dataFieldOf(const QWidget& control, QDataWidgetMapper*& mapper, std::string& field);

// The field reference "[Owner.DataSet."Field"]" of a data-aware control, through the
// report's grid data set; "" when the control has no data source.
std::string fieldReference(TRMFormReport& report, const QWidget& control);

// The control's position in the report (its place plus the walk offset).
int placeX(const TRMFormReport& report, const QWidget& control);
int placeY(const TRMFormReport& report, const QWidget& control);

// Adds a simple control's view to TitleObjects, or to ColumnFooterObjects once a grid was
// placed.
void addToSimpleList(TRMFormReport& report, TRMView& view);

} // namespace report
