#pragma once

#include <QObject>

namespace archivetest {

// The host's notify control: counts the closing notices (message 1028).
class NotifyReceiver : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr, qintptr) {
        if (message == 1028)
            ++closing;
        return 0;
    }
    int closing = 0;
};

} // namespace archivetest
