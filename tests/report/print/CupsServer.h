#pragma once

// A private CUPS scheduler for one test: its own configuration, spool and log folders and
// a socket in a temporary folder; CUPS_SERVER points libcups and the lp tools at it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace printtest {

struct CupsJob {
    int state = 0; // 3 pending ... 9 completed
    int impressions = -1;
    QString stateReasons;
};

class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Starts cupsd and waits until it answers; false with the reason.
    bool start(QString* error);
    void stop();
    bool running() const { return process_.state() == QProcess::Running; }
    QString socketPath() const { return dir_.path() + "/cups.sock"; }
    QString errorLog() const;

    // Runs an lp tool against this server; false with its output.
    bool tool(const QString& program, const QStringList& arguments, QString* error = nullptr);
    // A queue over the cups-pdf backend.
    bool addPdfQueue(const QString& name, QString* error);
    CupsJob job(int id) const;
    // Waits (bounded) until the job left the queue; returns its last state.
    CupsJob waitForJob(int id, int timeoutMs = 90000) const;

private:
    bool writeConfig(QString* error);

    QTemporaryDir dir_;
    QProcess process_;
};

} // namespace printtest
