// kill_operator --db FILE|URI --seed N [--ops N]: the host the kill tests kill. It loads the
// real plug-in library through its C ABI, opens the archive embedded in the reference host's
// window over the host's data service and edits it the way an operator does, with keys:
// seeded random adds, renames, re-codes and deletes, until --ops operations are done (then it
// exits 0) or it is killed.
//
// Standard output, one line each, written before and after every statement reaches the
// database (tab-separated):
//   hello                 the archive is open
//   sent <TAB> SQL        the data service is about to run SQL
//   ok <TAB> SQL          the database answered success
//   fail <TAB> SQL        the database refused it
//   done                  every operation ran
// A line is written with one write() and is in the pipe before the next step, so whatever
// the kill interrupts, the lines before it are there for the test to read.

#include "host/CoorDispService.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>

namespace {

void say(const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n <= 0)
            std::_Exit(3); // the test is gone
        done += static_cast<std::size_t>(n);
    }
}

// The host's data service, telling the test about every statement.
class LoggingService : public host::CoorDispService {
public:
    using CoorDispService::CoorDispService;

protected:
    platform::Variant invoke(std::int32_t dispId, platform::DispatchArgs& args) override {
        if (dispId != PLATFORM_DISPID_EXEC_SQL)
            return CoorDispService::invoke(dispId, args);
        const std::string sql = args.size() > 0 ? args[0].toString() : std::string();
        say("sent\t" + sql);
        platform::Variant result = CoorDispService::invoke(dispId, args);
        say((result.toBool() ? "ok\t" : "fail\t") + sql);
        return result;
    }
};

std::shared_ptr<host::Database> openDatabase(const std::string& location) {
    if (host::PostgresDatabase::isUri(location))
        return std::make_shared<host::PostgresDatabase>(location);
    return std::make_shared<host::SqliteDatabase>(location,
                                                  host::SqliteDatabase::OpenMode::ExistingOnly);
}

// The operator: keys into the archive's grid, which it reads through its accessible table.
class Operator {
public:
    Operator(QWidget* grid, unsigned seed)
        : grid_(grid)
        , table_(QAccessible::queryAccessibleInterface(grid))
        , rng_(seed) {}

    bool usable() const { return table_ && table_->tableInterface(); }

    void operate() {
        const int kind = pick(10);
        if (kind < 3)
            add();
        else if (kind < 6)
            rename();
        else if (kind < 8)
            recode();
        else
            remove();
    }

private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    int rows() const { return table_->tableInterface()->rowCount() + 1; }
    int currentRow() const {
        QAccessibleInterface* c = table_->focusChild();
        return c && c->tableCellInterface() ? c->tableCellInterface()->rowIndex() + 1 : -1;
    }
    int currentCol() const {
        QAccessibleInterface* c = table_->focusChild();
        return c && c->tableCellInterface() ? c->tableCellInterface()->columnIndex() : -1;
    }
    std::string code(int row) const {
        QAccessibleInterface* c = table_->tableInterface()->cellAt(row - 1, 0);
        return c ? c->text(QAccessible::Name).trimmed().toStdString() : std::string();
    }

    QWidget* target() const {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : grid_;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(target(), k, modifiers);
        QCoreApplication::processEvents();
    }
    void type(const QString& text) {
        for (QChar ch : text) {
            if (ch.unicode() < 0x80)
                QTest::keyClick(target(), ch.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, target(), Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
        }
        QCoreApplication::processEvents();
    }

    QString newCode() { return QString::number(1000 + pick(9000)); }
    QString newName() {
        static const char* const kNames[] = {"分公司", "集团", "研究院", "仓库", "财务部", "华东"};
        return QString::fromUtf8(kNames[pick(6)]) + QString::number(pick(1000));
    }

    // A stored row (the last rows may be a new one), made current with the Up and Down
    // arrows, each move a row check as for an operator.
    bool goToStoredRow() {
        int stored = rows() - 1;
        if (stored >= 1 && code(stored).empty())
            --stored;
        if (stored < 1)
            return false;
        const int wanted = 1 + pick(stored);
        for (int guard = 0; guard < 200 && currentRow() != wanted; ++guard) {
            const int before = currentRow();
            key(before < wanted ? Qt::Key_Down : Qt::Key_Up);
            if (currentRow() == before)
                return false; // refused: the row check keeps the operator
        }
        return currentRow() == wanted;
    }
    // Enters column `col` from the other one, so that typing replaces the cell's text.
    void enterColumn(int col) {
        if (currentCol() == col)
            key(col == 0 ? Qt::Key_Right : Qt::Key_Left);
        key(col == 0 ? Qt::Key_Left : Qt::Key_Right);
    }
    // Leaves the current row, which writes it.
    void leaveRow() { key(currentRow() > 1 ? Qt::Key_Up : Qt::Key_Down); }

    void add() {
        key(Qt::Key_A, Qt::ControlModifier);
        type(newCode());
        key(Qt::Key_Right);
        type(newName());
        key(Qt::Key_Return);                 // saves the row and starts the next one
        key(Qt::Key_D, Qt::ControlModifier); // the blank new row (or a refused one) goes
    }
    void rename() {
        if (!goToStoredRow())
            return;
        enterColumn(1);
        type(newName());
        leaveRow();
    }
    void recode() {
        if (!goToStoredRow())
            return;
        enterColumn(0);
        type(newCode());
        leaveRow();
    }
    void remove() {
        if (rows() > 4 && goToStoredRow())
            key(Qt::Key_D, Qt::ControlModifier);
    }

    QWidget* grid_;
    QAccessibleInterface* table_;
    std::mt19937 rng_;
};

std::string argument(const QStringList& arguments, const char* name, const char* fallback) {
    const qsizetype at = arguments.indexOf(QString::fromLatin1(name));
    if (at < 0 || at + 1 >= arguments.size())
        return fallback ? fallback : "";
    return arguments[at + 1].toStdString();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::startGui();
    const QStringList arguments = QApplication::arguments();
    const std::string location = argument(arguments, "--db", nullptr);
    if (location.empty()) {
        std::fprintf(stderr, "usage: kill_operator --db FILE|URI --seed N [--ops N]\n");
        return 2;
    }
    const unsigned seed = static_cast<unsigned>(std::stoul(argument(arguments, "--seed", "1")));
    const int operations = std::stoi(argument(arguments, "--ops", "1000000"));
    try {
        // Refusals (a duplicate code) are answered like any box: the operator goes on.
        platform::ScriptedMessageBoxes boxes;
        platform::DispatchRef ref = platform::makeDispatch<LoggingService>(openDatabase(location));
        host::PluginLibrary plugin(HSDW_PLUGIN_PATH);
        host::HostWindow window(plugin, ref, "0001");
        window.resize(900, 600);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window) || !window.openEmbedded())
            throw std::runtime_error("the archive window did not open");
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            throw std::runtime_error("the host window did not become active");
        QWidget* grid = window.pluginWindow()->findChild<QWidget*>("sgdAcountUnitArchives");
        if (!grid)
            throw std::runtime_error("no archive grid");
        grid->setFocus();
        QCoreApplication::processEvents();
        Operator op(grid, seed);
        if (!op.usable())
            throw std::runtime_error("the grid has no accessible table");
        say("hello");
        for (int i = 0; i < operations; ++i) {
            op.operate();
            boxes.clear();
        }
        say("done");
        delete window.pluginWindow();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kill_operator: %s\n", e.what());
        return 1;
    }
}
