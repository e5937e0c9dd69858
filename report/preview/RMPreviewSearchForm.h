#pragma once

// The find dialog "查找文本": text, case sensitivity, whole words and the start (first
// page or current page). Created for one use.

#include <QDialog>

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {

class TRMPreviewSearchForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMPreviewSearchForm(QWidget* owner = nullptr);

    QLabel* Label1;
    QLineEdit* edtSearchTxt;
    QGroupBox* GroupBox1;
    QCheckBox* chkCaseSensitive;
    QCheckBox* chkWholewords;
    QGroupBox* GroupBox2;
    QRadioButton* rdbFromFirst;
    QRadioButton* rdbFromCursor;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

struct TRMSearchRequest {
    std::string text;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool fromFirst = true;
};

// Shows the dialog filled from `request`; on OK stores the answers there and returns true.
bool ShowSearchForm(QWidget* owner, TRMSearchRequest& request);

} // namespace report
