#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTest>
#include <QThread>
#include <QWidget>

namespace testsupport {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

void processEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void typeText(const std::function<QWidget*()>& target, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(target(), ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, target(), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
    }
    processEvents();
}

QString dataPath(const QString& relative) {
    return QStringLiteral(PROJECT_SOURCE_DIR "/tests/data/") + relative;
}

} // namespace testsupport
