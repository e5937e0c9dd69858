#pragma once

// Stands in for a host's notify control: counts the plug-in's closing notices (message
// 1028), which always carry zero parameters.

#include "platform/WindowHandle.h"

#include <QObject>

#include <gtest/gtest.h>

namespace testsupport {

class NotifyReceiver : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam, qintptr lParam) {
        if (message == platform::WM_PLUGIN_CLOSING) {
            ++notices;
            EXPECT_EQ(wParam, 0u);
            EXPECT_EQ(lParam, 0);
        }
        return 0;
    }

    int notices = 0;
};

} // namespace testsupport
