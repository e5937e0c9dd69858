#pragma once

// The options of "保存为excel格式文件": every page or a page list, one sheet for the
// whole report or one per page. The model checks the choice; the window is a thin shell.

#include "platform/WindowHandle.h"

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace report {

class TRMXlsxOptionsModel {
public:
    explicit TRMXlsxOptionsModel(int pageCount)
        : PageCount(pageCount) {}

    int PageCount;
    bool AllPages = true;
    std::string PageList; // "1,3,5-7" when not AllPages
    bool SheetPerPage = false;

    // False with the message to show when the page list is not usable.
    bool validate(std::string* error) const;
    // Pages chosen (from 0), ascending; every page for AllPages.
    std::vector<int> pageIndexes() const;
};

class TRMXlsxOptionsForm : public QDialog {
    Q_OBJECT
public:
    TRMXlsxOptionsForm(QWidget* owner, TRMXlsxOptionsModel& model);

    QRadioButton* rbAllPages;
    QRadioButton* rbPageList;
    QLineEdit* edPages;
    QRadioButton* rbOneSheet;
    QRadioButton* rbSheetPerPage;

    void accept() override;

private:
    void syncEnabled();
    TRMXlsxOptionsModel& model_;
};

// Shows the window modally; true when the user chose OK (the model holds the choice).
bool showXlsxOptionsForm(platform::WindowHandle owner, TRMXlsxOptionsModel& model);

} // namespace report
