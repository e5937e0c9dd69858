#pragma once

// The simple-control add-ins: each turns one control into one or two views at the
// control's place. A data-aware control (one a QDataWidgetMapper of its window maps) prints
// a reference to its field, resolved per record while the report is prepared; any other
// prints what it shows. Views go to the title band, or to the column footer once a grid
// was placed; they are framed on all four sides only with rmgoDrawBorder.

#include "report/formreport/RMFormReportObject.h"

namespace report {

// Memos (QPlainTextEdit), list boxes (QListView), labels (QLabel) and any other control.
class TRMPrintControl : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintControl";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Edit boxes (QLineEdit, the grid's in-place editor among them) and combo boxes: a memo
// the size of the client area.
class TRMPrintEdit : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintEdit";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Images: a QLabel that shows a pixmap (see RMFormReportAddIns.cpp).
class TRMPrintImage : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintImage";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Rich edits (QTextEdit): a rich-text view holding the edit's document as RTF.
class TRMPrintRichEdit : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintRichEdit";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Shapes (TShape): a line view for thin shapes, a shape view otherwise.
class TRMPrintShape : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintShape";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Check boxes: a check-box view and a memo with the caption.
class TRMPrintCheckBox : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintCheckBox";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

// Date-time pickers (QDateTimeEdit): the value as short date, or short time in time mode.
class TRMPrintDateTimePicker : public TRMFormReportObject {
public:
    static constexpr const char* kClassName = "TRMPrintDateTimePicker";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;
};

} // namespace report
