// race_operator --db FILE|URI: one operator's host in the race tests. It loads the real
// plug-in library through its C ABI, opens the archive embedded in the reference host's
// window over the host's data service and types what it is told, one command per line on
// stdin:
//
//   add CODE NAME key|insert   adds a unit; prints "ready" and waits for a "go" line either
//                              before the Enter that saves the row (key) or just before the
//                              insert statement reaches the database (insert); then prints
//                              one JSON line: the message boxes shown and the statements sent
//   quit
//
// Between rounds the unsaved new row is deleted again, which sends nothing.

#include "host/CoorDispService.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <sstream>

namespace {

void say(const QByteArray& line) {
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool awaitGo() {
    say("ready");
    std::string line;
    return std::getline(std::cin, line) && line == "go";
}

// The host's data service with a barrier in front of the next statement.
class RaceService : public host::CoorDispService {
public:
    using CoorDispService::CoorDispService;
    bool holdNextStatement = false;

protected:
    platform::Variant invoke(std::int32_t dispId, platform::DispatchArgs& args) override {
        if (holdNextStatement && dispId == PLATFORM_DISPID_EXEC_SQL) {
            holdNextStatement = false;
            awaitGo();
        }
        return CoorDispService::invoke(dispId, args);
    }
};

std::shared_ptr<host::Database> openDatabase(const std::string& location) {
    if (host::PostgresDatabase::isUri(location))
        return std::make_shared<host::PostgresDatabase>(location);
    return std::make_shared<host::SqliteDatabase>(location,
                                                  host::SqliteDatabase::OpenMode::ExistingOnly);
}

QWidget* keyTarget(QWidget* grid) {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : grid;
}

void key(QWidget* grid, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(keyTarget(grid), k, modifiers);
    QCoreApplication::processEvents();
}

void type(QWidget* grid, const std::string& text) {
    for (char c : text)
        QTest::keyClick(keyTarget(grid), c);
    QCoreApplication::processEvents();
}

QJsonArray statementsSent(const host::CoorDispService& service) {
    QJsonArray sent;
    for (const host::CoorDispService::Call& call : service.calls())
        if (call.dispId == PLATFORM_DISPID_EXEC_SQL)
            sent.append(
                QJsonObject{{"sql", QString::fromStdString(call.sql)}, {"ok", call.result}});
    return sent;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::startGui();
    const QStringList arguments = QApplication::arguments();
    const qsizetype db = arguments.indexOf(QStringLiteral("--db"));
    if (db < 0 || db + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: race_operator --db FILE|URI\n");
        return 2;
    }
    try {
        platform::ScriptedMessageBoxes boxes;
        auto database = openDatabase(arguments[db + 1].toStdString());
        platform::DispatchRef ref = platform::makeDispatch<RaceService>(database);
        auto* service =
            static_cast<RaceService*>(platform::DispatchObject::fromDispatch(ref.get()));
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
        if (boxes.count() != 0)
            throw std::runtime_error("start-up showed: " + boxes.last().text);
        say("hello");

        std::string line;
        while (std::getline(std::cin, line) && line != "quit") {
            std::istringstream words(line);
            std::string command, code, name, mode;
            if (!(words >> command >> code >> name >> mode) || command != "add")
                throw std::runtime_error("unknown command: " + line);
            boxes.clear();
            service->clearCalls();
            key(grid, Qt::Key_A, Qt::ControlModifier);
            type(grid, code);
            key(grid, Qt::Key_Right);
            type(grid, name);
            if (mode == "insert")
                service->holdNextStatement = true;
            else if (!awaitGo())
                break;
            key(grid, Qt::Key_Return);
            service->holdNextStatement = false;

            QJsonArray shown;
            for (const platform::ScriptedMessageBoxes::Record& box : boxes.records())
                shown.append(QJsonObject{{"text", QString::fromStdString(box.text)},
                                         {"caption", QString::fromStdString(box.caption)}});
            const QJsonArray sent = statementsSent(*service);
            service->clearCalls();
            key(grid, Qt::Key_D, Qt::ControlModifier); // the unsaved new row goes
            const QJsonObject round{{"boxes", shown},
                                    {"statements", sent},
                                    {"cleanupStatements", statementsSent(*service).size()}};
            say(QJsonDocument(round).toJson(QJsonDocument::Compact));
        }
        delete window.pluginWindow();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "race_operator: %s\n", e.what());
        return 1;
    }
}
