#include "platform/InputQuery.h"

#include "platform/Modal.h"

#include <QInputDialog>

namespace platform {

std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                      const std::string& defaultText) {
    QInputDialog dialog;
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    if (execModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

} // namespace platform
