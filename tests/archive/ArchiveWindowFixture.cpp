#include "tests/archive/ArchiveWindowFixture.h"

#include "grid/TAdvStringGrid.h"
#include "plugin/HostContext.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QTest>

namespace archivetest {

void ArchiveWindowTest::SetUp() {
    db = std::make_unique<ArchiveDatabase>();
    boxes.emplace();
}

void ArchiveWindowTest::TearDown() {
    if (window) {
        window->hide();
        delete window.data();
    }
    testsupport::processEvents();
    plugin::hostContext() = plugin::HostContext{};
}

void ArchiveWindowTest::open(const StartOptions& options) {
    db->setParam("dwlx", options.dwlx);
    db->setParam("zbbm", options.zbbm);
    db->setParam("dchy", options.dchy);
    db->addUnits(options.units);
    plugin::hostContext().JobFlag = options.jobFlag;
    plugin::hostContext().OperatorCode = options.operatorCode;
    openWindow(options.show);
}

void ArchiveWindowTest::openWindow(bool show) {
    plugin::HostContext& context = plugin::hostContext();
    context.AppHandle = platform::handleOf(&application);
    context.NotifyControl = platform::handleOf(&notify);
    context.DataService = plugin::ICoorDisp(db->ref());
    db->clearCalls();
    window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    context.CurrentWindow = window.data();
    if (!show)
        return;
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    grid().SetFocus();
    testsupport::processEvents();
}

grid::TAdvStringGrid& ArchiveWindowTest::grid() const {
    return *window->sgdAcountUnitArchives;
}

QWidget* ArchiveWindowTest::keyTarget() const {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : window->sgdAcountUnitArchives;
}

void ArchiveWindowTest::key(Qt::Key k, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(keyTarget(), k, modifiers);
    testsupport::processEvents();
}

void ArchiveWindowTest::type(const QString& text) {
    testsupport::typeText([this] { return keyTarget(); }, text);
}

void ArchiveWindowTest::moveTo(int col, int row) {
    while (grid().Row() > row) {
        const int before = grid().Row();
        key(Qt::Key_Up);
        if (grid().Row() == before)
            break;
    }
    while (grid().Row() < row) {
        const int before = grid().Row();
        key(Qt::Key_Down);
        if (grid().Row() == before)
            break;
    }
    while (grid().Col() > col) {
        const int before = grid().Col();
        key(Qt::Key_Left, Qt::ControlModifier);
        if (grid().Col() == before)
            break;
    }
    while (grid().Col() < col) {
        const int before = grid().Col();
        key(Qt::Key_Right, Qt::ControlModifier);
        if (grid().Col() == before)
            break;
    }
}

Rows ArchiveWindowTest::table() {
    return db->units();
}

Rows ArchiveWindowTest::gridRows() const {
    Rows rows;
    for (int r = 1; r < grid().RowCount(); ++r)
        rows.push_back({grid().Cells(0, r), grid().Cells(1, r)});
    return rows;
}

Rows ArchiveWindowTest::recordRows() const {
    Rows rows;
    if (!window->store())
        return rows;
    const auto& records = window->store()->Records;
    for (std::size_t i = 0; i < records.Count(); ++i)
        rows.push_back({records.Items(i).Hsdwh, records.Items(i).Hsdwmc});
    return rows;
}

std::vector<std::string> ArchiveWindowTest::takeBoxes() {
    return testsupport::takeBoxTexts(*boxes);
}

} // namespace archivetest
