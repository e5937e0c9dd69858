#pragma once

// What the form report and its add-ins read from Qt widgets: the child controls a walk
// visits, the client area, fonts and colours in the engine's terms, and the frame and
// placement rules every add-in shares.

#include "platform/GdiObjects.h"
#include "report/engine/model/RMTypes.h"

#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

class QAbstractItemModel;
class QColor;
class QDataWidgetMapper;
class QFont;
class QVariant;
class QWidget;

namespace report {

class TRMFormReport;
class TRMMemoView;
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

// How a field of an item model prints, chosen from the field's type: item models declare
// no column types, so the type is that of the column's first value that is not null.
// Whole numbers print plain and floating-point amounts with two decimals and thousands
// separators ("1,234.50"), currency (platform::Currency) with "￥" before that, all
// right-aligned; dates in the short date format, times in the long time format, Booleans
// as "否" / "是" (false is not hidden as a zero); anything else as its text. A column alignment the
// model gives (Qt::TextAlignmentRole of its first row) wins over the type's.
struct TRMFieldFormat {
    std::int32_t Code = '.' + 512; // a memo view's default: plain text
    std::string Text;
    int Alignment = 0;    // 0 left, 1 right, 2 centre
    bool Picture = false; // images, pixmaps and picture bytes print in picture views
};
TRMFieldFormat fieldFormat(const QAbstractItemModel& model, int column);
void applyFieldFormat(TRMMemoView& memo, const TRMFieldFormat& format);
// A model's Qt::TextAlignmentRole value as a memo view's alignment (0 left, 1 right,
// 2 centre); left when the model gives none.
int alignmentOf(const QVariant& value);
// The format of the field a data-aware control shows, applied to its memo; nothing for a
// control without a data source.
void applyFieldFormat(TRMMemoView& memo, const QWidget& control);

// The control's position in the report (its place plus the walk offset).
int placeX(const TRMFormReport& report, const QWidget& control);
int placeY(const TRMFormReport& report, const QWidget& control);

// Adds a simple control's view to TitleObjects, or to ColumnFooterObjects once a grid was
// placed.
void addToSimpleList(TRMFormReport& report, TRMView& view);

} // namespace report
