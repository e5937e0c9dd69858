#pragma once

// A helper program the tests talk to one line at a time (load_client, race_operator).

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <string>

namespace hosttest {

class LineProcess {
public:
    LineProcess(const QString& program, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, arguments);
    }
    ~LineProcess() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    LineProcess(const LineProcess&) = delete;
    LineProcess& operator=(const LineProcess&) = delete;

    void send(const std::string& line) {
        process_.write(QByteArray::fromStdString(line + "\n"));
        process_.waitForBytesWritten(5000);
    }

    // The next line, or "<no answer: ...>" when none comes within `timeoutMs`.
    std::string readLine(int timeoutMs = 60000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!process_.canReadLine()) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                if (process_.canReadLine())
                    break;
                return "<no answer: " + process_.errorString().toStdString() + ">";
            }
            process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return process_.readLine().trimmed().toStdString();
    }

    // Exit code once the program has ended (-1 when it crashed or did not end in time).
    int finish(int timeoutMs = 60000) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(timeoutMs))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QProcess process_;
};

} // namespace hosttest
