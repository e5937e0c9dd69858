#pragma once

// The archive window on a real SQLite file, driven with real key events as an operator would.

#include "archive/ArchiveSql.h"
#include "archive/TfrmAcountUnitArchives.h"
#include "platform/MessageBox.h"
#include "tests/archive/SqliteService.h"
#include "tests/support/NotifyReceiver.h"

#include <QObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace archivetest {

using Rows = std::vector<std::vector<std::string>>;

struct StartOptions {
    std::optional<std::string> dwlx = "00";
    std::optional<std::string> zbbm = "0001";
    std::optional<std::string> dchy = "0";
    std::string jobFlag;
    std::string operatorCode = "01";
    Rows units = {{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}};
    bool show = true;
};

class ArchiveWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the tables, fills them and opens the window as the dialog form.
    void open(const StartOptions& options = {});
    // Opens the window without creating anything first (the service is set up by the test).
    void openWindow(bool show = true);

    grid::TAdvStringGrid& grid() const;
    QWidget* keyTarget() const;
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Types text character by character (Chinese through the character phase).
    void type(const QString& text);
    // Moves to (col, row) with the arrow keys.
    void moveTo(int col, int row);

    Rows table();
    Rows gridRows() const;
    Rows recordRows() const;
    // Texts of the boxes shown since the last call.
    std::vector<std::string> takeBoxes();

    QTemporaryDir dir;
    platform::DispatchRef ref;
    SqliteService* service = nullptr;
    QWidget application;
    testsupport::NotifyReceiver notify;
    QPointer<archive::TfrmAcountUnitArchives> window;
    std::optional<platform::ScriptedMessageBoxes> boxes;
};

} // namespace archivetest
