#pragma once

// Data conversion "数据转换": writes the prepared pages shown in the preview to a
// comma-separated file the user names, through the registered CSV export filter (the cells
// that saving as CSV writes).

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace report {

class TRMEMFPages;

class TRM_SuperExp : public QDialog {
    Q_OBJECT
public:
    // `pages` (not owned) are converted; `title` is the report title.
    TRM_SuperExp(const TRMEMFPages* pages, std::string title, QWidget* owner = nullptr);

    QLineEdit* edtPath;
    QPushButton* btnBrowse;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void accept() override;

private:
    void btnBrowseClick();

    const TRMEMFPages* pages_;
    std::string title_;
};

// Writes `pages` to `target` through the CSV filter; false with the message box ("转换失败")
// when the path is empty, or when there is nothing to convert, no CSV filter is registered,
// the target is read-only or the write fails (an existing file is then kept as it was).
bool SuperExport(QWidget* owner, const TRMEMFPages* pages, const std::string& target,
                 const std::string& title = {});
void ShowSuperExpForm(QWidget* owner, const TRMEMFPages* pages, const std::string& title);

} // namespace report
