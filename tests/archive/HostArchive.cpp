#include "tests/archive/HostArchive.h"

#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/SqliteDatabase.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace archivetest {

host::PluginLibrary& pluginLibrary() {
    static host::PluginLibrary loaded(HSDW_PLUGIN_PATH);
    return loaded;
}

Rows storedUnits(host::SqliteDatabase& database) {
    platform::DataPacket packet;
    std::vector<std::string> errors;
    EXPECT_TRUE(
        database.query("select f_Hsdwh,f_Hsdwmc from tbHsdwda order by f_Hsdwh", packet, errors))
        << (errors.empty() ? std::string() : errors.front());
    Rows rows;
    for (const auto& r : packet.rows)
        rows.push_back({r[0].value_or(""), r[1].value_or("")});
    return rows;
}

HostArchive::~HostArchive() {
    close();
}

void HostArchive::open(const platform::DispatchRef& service, const Options& options) {
    close();
    hostWindow_ =
        std::make_unique<host::HostWindow>(pluginLibrary(), service, options.operatorCode);
    hostWindow_->resize(options.size);
    hostWindow_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hostWindow_.get()));
    if (options.beforeOpen)
        options.beforeOpen();
    ASSERT_TRUE(options.embedded ? hostWindow_->openEmbedded() : hostWindow_->openDialog());
    plugin_ = hostWindow_->pluginWindow();
    ASSERT_FALSE(plugin_.isNull());
    QWidget* active = options.embedded ? static_cast<QWidget*>(hostWindow_.get()) : plugin_.data();
    QApplication::setActiveWindow(active);
    ASSERT_TRUE(QTest::qWaitForWindowActive(active));
    grid_ = plugin_->findChild<QWidget*>("sgdAcountUnitArchives");
    ASSERT_NE(grid_, nullptr);
    accessibleGrid_ = QAccessible::queryAccessibleInterface(grid_);
    ASSERT_NE(accessibleGrid_, nullptr);
    ASSERT_NE(accessibleGrid_->tableInterface(), nullptr);
    grid_->setFocus();
    testsupport::processEvents();
}

void HostArchive::close() {
    if (hostWindow_ && hostWindow_->pluginWindow())
        delete hostWindow_->pluginWindow();
    hostWindow_.reset();
    grid_ = nullptr;
    accessibleGrid_ = nullptr;
    testsupport::processEvents();
}

int HostArchive::rowCount() const {
    return accessibleGrid_->tableInterface()->rowCount() + 1;
}

std::string HostArchive::cell(int col, int row) const {
    QAccessibleInterface* c = accessibleGrid_->tableInterface()->cellAt(row - 1, col);
    return c ? c->text(QAccessible::Name).toStdString() : std::string("<no cell>");
}

std::string HostArchive::rowNote(int row) const {
    QAccessibleInterface* c = accessibleGrid_->tableInterface()->cellAt(row - 1, 0);
    return c ? c->text(QAccessible::Description).toStdString() : std::string("<no cell>");
}

int HostArchive::currentRow() const {
    QAccessibleInterface* c = accessibleGrid_->focusChild();
    return c && c->tableCellInterface() ? c->tableCellInterface()->rowIndex() + 1 : -1;
}

int HostArchive::currentCol() const {
    QAccessibleInterface* c = accessibleGrid_->focusChild();
    return c && c->tableCellInterface() ? c->tableCellInterface()->columnIndex() : -1;
}

std::string HostArchive::currentText() const {
    QAccessibleInterface* c = accessibleGrid_->focusChild();
    return c ? c->text(QAccessible::Value).toStdString() : std::string("<no focus>");
}

Rows HostArchive::gridRows() const {
    Rows rows;
    for (int r = 1; r < rowCount(); ++r)
        rows.push_back({cell(0, r), cell(1, r)});
    return rows;
}

QWidget* HostArchive::keyTarget() const {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : grid_;
}

void HostArchive::key(Qt::Key k, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(keyTarget(), k, modifiers);
    testsupport::processEvents();
}

void HostArchive::type(const QString& text) {
    testsupport::typeText([this] { return keyTarget(); }, text);
}

} // namespace archivetest
