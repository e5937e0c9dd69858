#pragma once

// Data conversion "数据转换": copies the engine's conversion file "~superfile.tmp" from
// its working folder to a comma-separated file the user names.

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace report {

class TRM_SuperExp : public QDialog {
    Q_OBJECT
public:
    explicit TRM_SuperExp(QWidget* owner = nullptr);

    QLineEdit* edtPath;
    QPushButton* btnBrowse;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    // Where the engine leaves the conversion file (the process's working folder unless
    // set).
    static std::string SourceFolder;

protected:
    void accept() override;

private:
    void btnBrowseClick();
};

// Copies the conversion file to `target`; false with the message box ("转换失败") when
// the path is empty or the copy fails.
bool SuperExport(QWidget* owner, const std::string& target);
void ShowSuperExpForm(QWidget* owner);

} // namespace report
