#include "report/preview/RMPreviewSettings.h"

#include "platform/Settings.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QToolBar>

namespace report {

namespace {

const std::string formSection(const std::string& className) {
    return "Form\\" + className;
}

std::string toolBarSection(const QToolBar& toolBar) {
    return "ToolBar\\" + toolBar.objectName().toStdString();
}

// Keeps a stored rectangle on some screen, so a window saved on a screen that is gone
// still opens where it can be reached.
QRect onScreen(QRect rect) {
    const QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return rect;
    const QRect area = screen->availableGeometry();
    rect.setWidth(std::min(rect.width(), area.width()));
    rect.setHeight(std::min(rect.height(), area.height()));
    if (!area.contains(rect))
        rect.moveTo(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1),
                    std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    return rect;
}

struct DockName {
    Qt::ToolBarArea area;
    const char* name;
};
constexpr DockName dockNames[] = {{Qt::TopToolBarArea, "Top"},
                                  {Qt::BottomToolBarArea, "Bottom"},
                                  {Qt::LeftToolBarArea, "Left"},
                                  {Qt::RightToolBarArea, "Right"}};

} // namespace

TRMRememberedPreview& rememberedPreview() {
    static TRMRememberedPreview remembered;
    return remembered;
}

void restoreFormPlacement(QWidget& form, const std::string& className) {
    const platform::Settings settings(kPreviewSettingsRoot);
    const std::string section = formSection(className);
    const bool maximized = settings.readBool(section, "Maximized", true);
    if (settings.valueExists(section, "Width") && settings.valueExists(section, "Height")) {
        const QRect stored(static_cast<int>(settings.readInteger(section, "XPosition", 0)),
                           static_cast<int>(settings.readInteger(section, "YPosition", 0)),
                           static_cast<int>(settings.readInteger(section, "Width", 640)),
                           static_cast<int>(settings.readInteger(section, "Height", 480)));
        if (stored.width() > 0 && stored.height() > 0)
            form.setGeometry(onScreen(stored));
    }
    form.setWindowState(maximized ? (form.windowState() | Qt::WindowMaximized)
                                  : (form.windowState() & ~Qt::WindowMaximized));
}

void saveFormPlacement(const QWidget& form, const std::string& className) {
    platform::Settings settings(kPreviewSettingsRoot);
    const std::string section = formSection(className);
    const bool maximized = form.isMaximized();
    // A maximised window keeps the size it returns to.
    const QRect normal = maximized ? form.normalGeometry() : form.geometry();
    if (normal.isValid()) {
        settings.writeInteger(section, "XPosition", normal.x());
        settings.writeInteger(section, "YPosition", normal.y());
        settings.writeInteger(section, "Width", normal.width());
        settings.writeInteger(section, "Height", normal.height());
    }
    settings.writeBool(section, "Maximized", maximized);
}

void restoreToolBarPlacement(QMainWindow& window, QToolBar& toolBar) {
    const platform::Settings settings(kPreviewSettingsRoot);
    const std::string section = toolBarSection(toolBar);
    if (!settings.sectionExists(section))
        return;
    const std::string dock = settings.readString(section, "DockName", "Top");
    Qt::ToolBarArea area = Qt::TopToolBarArea;
    for (const DockName& d : dockNames)
        if (dock == d.name)
            area = d.area;
    window.addToolBar(area, &toolBar);
    toolBar.setVisible(settings.readBool(section, "isVisible", true));
}

void saveToolBarPlacement(const QMainWindow& window, const QToolBar& toolBar) {
    platform::Settings settings(kPreviewSettingsRoot);
    const std::string section = toolBarSection(toolBar);
    const Qt::ToolBarArea area = window.toolBarArea(&toolBar);
    std::string dock = "Top";
    for (const DockName& d : dockNames)
        if (area == d.area)
            dock = d.name;
    const QRect r = toolBar.geometry();
    settings.writeBool(section, "isVisible", !toolBar.isHidden());
    settings.writeInteger(section, "XPosition", r.x());
    settings.writeInteger(section, "YPosition", r.y());
    settings.writeInteger(section, "Width", r.width());
    settings.writeInteger(section, "Height", r.height());
    settings.writeString(section, "DockName", dock);
    settings.writeBool(section, "Docked", !toolBar.isFloating());
}

} // namespace report
