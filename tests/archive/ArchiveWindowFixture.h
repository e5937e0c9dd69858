#pragma once

// The archive window over the host's data service on a real SQLite file, driven with real
// key events as an operator would.

#include "archive/TfrmAcountUnitArchives.h"
#include "platform/MessageBox.h"
#include "tests/archive/ArchiveDatabase.h"
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

    // Sets the parameters, fills the tables and opens the window as the dialog form.
    void open(const StartOptions& options = {});
    // Opens the window on the database as it is.
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

    QTemporaryDir dir; // files a test writes (printed PDFs, ...)
    std::unique_ptr<ArchiveDatabase> db;
    QWidget application;
    testsupport::NotifyReceiver notify;
    QPointer<archive::TfrmAcountUnitArchives> window;
    std::optional<platform::ScriptedMessageBoxes> boxes;
};

} // namespace archivetest
