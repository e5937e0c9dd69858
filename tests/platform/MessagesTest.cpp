// Window handles, numbered messages, the guard and the message-box and modal hooks.

#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/WindowHandle.h"
#include "tests/support/TestSupport.h"

#include <QDialog>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

using namespace platform;

namespace {

class Receiver : public QWidget {
    Q_OBJECT
public:
    struct Message {
        unsigned message;
        quintptr wParam;
        qintptr lParam;
    };
    std::vector<Message> received;

    Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam, qintptr lParam) {
        received.push_back({message, wParam, lParam});
        return qintptr(wParam + quintptr(lParam));
    }
};

} // namespace

TEST(WindowHandles, NameObjectsUntilTheyAreDestroyed) {
    auto* widget = new QWidget;
    const WindowHandle handle = handleOf(widget);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(handleOf(widget), handle) << "a handle is stable";
    EXPECT_EQ(widgetOf(handle), widget);
    EXPECT_EQ(handleOf(nullptr), 0u);
    delete widget;
    EXPECT_EQ(objectOf(handle), nullptr);
    EXPECT_EQ(sendMessage(handle, WM_RESIZE_PANEL, 1, 2), 0);
    EXPECT_FALSE(postMessage(handle, WM_RESIZE_PANEL, 1, 2));
}

TEST(WindowHandles, SendIsSynchronousAndPostIsQueued) {
    Receiver receiver;
    const WindowHandle handle = handleOf(&receiver);
    EXPECT_EQ(sendMessage(handle, WM_RESIZE_PANEL, 300, 400), 700);
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(receiver.received[0].message, 0x402u);

    EXPECT_TRUE(postMessage(handle, WM_PLUGIN_CLOSING, 0, 0));
    EXPECT_EQ(receiver.received.size(), 1u) << "a posted message waits for the event loop";
    testsupport::processEvents();
    ASSERT_EQ(receiver.received.size(), 2u);
    EXPECT_EQ(receiver.received[1].message, 1028u);

    QWidget plain; // no windowMessage: messages are dropped quietly
    EXPECT_EQ(sendMessage(handleOf(&plain), WM_RESIZE_PANEL, 1, 1), 0);
}

TEST(Guard, DropsAbortAndShowsOtherErrorsOnce) {
    ScriptedMessageBoxes boxes;
    QWidget owner;
    EXPECT_TRUE(guarded(&owner, [] {}));
    EXPECT_FALSE(guarded(&owner, [] { Abort(); }));
    EXPECT_EQ(boxes.count(), 0u) << "a silent cancel shows nothing";

    EXPECT_FALSE(guarded(&owner, [] { throw std::runtime_error("列表索引越界"); }));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "列表索引越界");
    EXPECT_EQ(boxes.last().owner, handleOf(&owner));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, MB_ICONERROR);

    EXPECT_FALSE(guarded(&owner, [] { throw 42; }));
    EXPECT_EQ(boxes.count(), 2u);
}

TEST(MessageBoxes, ScriptedServiceRecordsAndAnswers) {
    QWidget owner;
    ScriptedMessageBoxes boxes;
    boxes.answer(IDCANCEL);
    EXPECT_EQ(MessageBox(&owner, "确认打印吗?", "提示", MB_OKCANCEL | MB_ICONINFORMATION),
              IDCANCEL);
    EXPECT_EQ(MessageBox(handleOf(&owner), "核算单位编号不能为空!", "错误", MB_OK | MB_ICONERROR),
              IDOK)
        << "without a queued answer the first button is pressed";
    EXPECT_EQ(MessageBox(nullptr, "删除吗?", "提示", MB_YESNO), IDYES);
    ASSERT_EQ(boxes.count(), 3u);
    EXPECT_EQ(boxes.records()[0].caption, "提示");
    EXPECT_EQ(boxes.records()[0].flags, MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_EQ(boxes.records()[1].owner, handleOf(&owner));
    EXPECT_EQ(boxes.records()[2].owner, 0u);

    {
        ScriptedMessageBoxes inner;
        MessageBox(nullptr, "inner", "x", MB_OK);
        EXPECT_EQ(inner.count(), 1u);
    }
    MessageBox(nullptr, "outer again", "x", MB_OK);
    EXPECT_EQ(boxes.count(), 4u) << "the previous service is restored";
}

// The test main's own service lies beneath every scripted one: an error that reaches a
// guard while nobody expects a box fails the running test.
TEST(MessageBoxes, UnscriptedBoxFailsTheRunningTest) {
    EXPECT_NONFATAL_FAILURE(guarded(nullptr, [] { throw std::runtime_error("意外错误"); }),
                            "unscripted message box");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(MessageBox(nullptr, "删除吗?", "提示", MB_YESNO), IDYES),
                            "删除吗?");
}

TEST(MessageBoxes, CancelResultFollowsTheButtons) {
    EXPECT_EQ(cancelResultFor(MB_OK), IDOK);
    EXPECT_EQ(cancelResultFor(MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(cancelResultFor(MB_YESNO), IDNO);
    EXPECT_EQ(cancelResultFor(MB_YESNOCANCEL), IDCANCEL);
}

TEST(ModalWindows, HookReceivesEveryModalWindowAndNeverHangs) {
    QWidget* seen = nullptr;
    ModalHook hook([&](QWidget* window) {
        seen = window;
        if (window->objectName() == "accept")
            static_cast<QDialog*>(window)->accept();
    });
    QDialog accepting;
    accepting.setObjectName("accept");
    EXPECT_EQ(execModal(accepting), QDialog::Accepted);
    EXPECT_EQ(seen, &accepting);

    QDialog leftOpen; // the hook does nothing: the window is rejected for it
    EXPECT_EQ(execModal(leftOpen), QDialog::Rejected);
    EXPECT_EQ(hook.count(), 2);
}

#include "MessagesTest.moc"
