#include "tests/support/TestSupport.h"

#include "platform/MessageBox.h"

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

std::vector<std::string> takeBoxTexts(platform::ScriptedMessageBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& r : boxes.records())
        texts.push_back(r.text);
    boxes.clear();
    return texts;
}

QString dataPath(const QString& relative) {
    return QStringLiteral(PROJECT_SOURCE_DIR "/tests/data/") + relative;
}

} // namespace testsupport
