#pragma once

// The archive as a customer's host runs it: the real plug-in library loaded by the reference
// host's window over a host data service, the grid read the way any outside tool reads it —
// through Qt's accessible table — and keys typed as an operator types them. Shared by the
// end-to-end tests.

#include "platform/Dispatch.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAccessibleInterface;

namespace host {
class HostWindow;
class PluginLibrary;
class SqliteDatabase;
} // namespace host

namespace archivetest {

using Rows = std::vector<std::vector<std::string>>;

// The plug-in under test, loaded once per process.
host::PluginLibrary& pluginLibrary();

// The units stored in `database`, ordered by code, as stored (untrimmed).
Rows storedUnits(host::SqliteDatabase& database);

class HostArchive {
public:
    HostArchive() = default;
    ~HostArchive();
    HostArchive(const HostArchive&) = delete;
    HostArchive& operator=(const HostArchive&) = delete;

    struct Options {
        std::string operatorCode = "0002";
        bool embedded = true; // else the dialog form
        QSize size{900, 600};
        // Runs once the host window shows, before the archive opens (to clear call logs).
        std::function<void()> beforeOpen;
    };
    // Opens the archive through the entry points, as the host's menu does, and gives the
    // grid the focus. Fails the running test fatally (check HasFatalFailure) when it did
    // not open.
    void open(const platform::DispatchRef& service, const Options& options);
    void open(const platform::DispatchRef& service) { open(service, Options{}); }
    // Closes the archive window and the host window.
    void close();

    host::HostWindow* hostWindow() const { return hostWindow_.get(); }
    // The archive's window; null once it closed.
    QWidget* plugin() const { return plugin_.data(); }
    bool isOpen() const { return plugin_ && plugin_->isVisible(); }
    QWidget* grid() const { return grid_; }
    QAccessibleInterface* accessibleGrid() const { return accessibleGrid_; }

    // Rows are counted as the grid counts them: the title row (the table's header) is 0.
    int rowCount() const;
    std::string cell(int col, int row) const;
    // What a screen reader reads as the description of the row's cells (the grid's row note).
    std::string rowNote(int row) const;
    int currentRow() const;
    int currentCol() const;
    // What the current cell shows: the in-place editor's text while it edits the cell.
    std::string currentText() const;
    Rows gridRows() const;

    // Where keys go: the focus widget, else the grid.
    QWidget* keyTarget() const;
    // One key click, then the events it caused.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString& text);

private:
    std::unique_ptr<host::HostWindow> hostWindow_;
    QPointer<QWidget> plugin_;
    QWidget* grid_ = nullptr;
    QAccessibleInterface* accessibleGrid_ = nullptr;
};

} // namespace archivetest
