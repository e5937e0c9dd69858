#include "report/preview/RMEngineFont.h"

#include "platform/EngineTexts.h"

#include <QWidget>

namespace report {

QFont engineFont() {
    QFont font(QString::fromStdString(platform::engineText(47444, "MS Sans Serif")));
    bool ok = false;
    const int size = QString::fromStdString(platform::engineText(47445, "8")).toInt(&ok);
    font.setPointSize(ok && size > 0 ? size : 8);
    return font;
}

QString engineQText(int id) {
    return QString::fromStdString(platform::engineText(id));
}

void applyEngineFont(QWidget& window) {
    window.setFont(engineFont());
}

} // namespace report
