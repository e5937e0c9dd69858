#include "report/engine/RMInputQuery.h"

#include "platform/Modal.h"

#include <QInputDialog>

namespace report {

std::string inputQuery(const std::string& prompt, const std::string& defaultText) {
    QInputDialog dialog;
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromUtf8(prompt.c_str()));
    dialog.setLabelText(QString::fromUtf8(prompt.c_str()));
    dialog.setTextValue(QString::fromUtf8(defaultText.c_str()));
    if (platform::execModal(dialog) != QDialog::Accepted)
        return defaultText;
    return dialog.textValue().toStdString();
}

} // namespace report
