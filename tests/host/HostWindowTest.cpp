// The reference host's window driving the real plug-in: embedding, the resize message on
// container resizes, the close notice and opening again, dialog mode.

#include "host/HostWindow.h"

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/PluginLibrary.h"
#include "host/SqliteDatabase.h"
#include "platform/MessageBox.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

host::PluginLibrary& library() {
    static host::PluginLibrary loaded(HSDW_PLUGIN_PATH);
    return loaded;
}

class HostWindowTest : public ::testing::Test {
protected:
    HostWindowTest() {
        const std::string path = (dir.path() + "/demo.sqlite").toStdString();
        host::createDemoDatabase(path);
        service = host::CoorDispService::create(std::make_shared<host::SqliteDatabase>(
            path, host::SqliteDatabase::OpenMode::ExistingOnly));
        window = std::make_unique<host::HostWindow>(library(), service, "0001");
        window->show();
        testsupport::processEvents();
    }

    QWidget* panel() const {
        return window->pluginWindow()->findChild<QWidget*>(QStringLiteral("PanelMain"));
    }

    QTemporaryDir dir;
    platform::ScriptedMessageBoxes boxes;
    platform::DispatchRef service;
    std::unique_ptr<host::HostWindow> window;
};

} // namespace

TEST_F(HostWindowTest, EmbedsResizesClosesAndOpensAgain) {
    ASSERT_TRUE(window->openEmbedded());
    QPointer<QWidget> plugin = window->pluginWindow();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->parentWidget(), window->container());
    EXPECT_EQ(panel()->size(), window->container()->size());
    EXPECT_FALSE(window->openEmbedded()) << "one archive window at a time";
    EXPECT_FALSE(window->openDialog());

    window->resize(window->width() + 120, window->height() + 80);
    testsupport::processEvents();
    EXPECT_GT(window->container()->resizeMessagesSent(), 0);
    EXPECT_EQ(panel()->size(), window->container()->size()) << "0x402 follows the container";

    QSignalSpy gone(window.get(), &host::HostWindow::pluginWindowGone);
    ASSERT_TRUE(window->closePluginWindow());
    EXPECT_EQ(window->notifyControl()->closingNotices(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return plugin.isNull() && gone.count() == 1; }));
    EXPECT_EQ(window->pluginWindow(), nullptr);

    ASSERT_TRUE(window->openEmbedded()) << "the host stays usable after 1028";
    EXPECT_NE(window->pluginWindow(), nullptr);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(HostWindowTest, DialogModeAndClosingTheHost) {
    ASSERT_TRUE(window->openDialog());
    QPointer<QWidget> plugin = window->pluginWindow();
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(plugin->isWindow());
    EXPECT_EQ(plugin->parentWidget(), window.get()) << "owned by the host's window";

    // Closing the host asks the plug-in window to close first.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(window->notifyControl()->closingNotices(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return plugin.isNull(); }));
}

TEST_F(HostWindowTest, FailingHandlersOfHostSignalsShowABoxAndTheWindowStillCloses) {
    ASSERT_TRUE(window->openEmbedded());
    QPointer<QWidget> plugin = window->pluginWindow();
    ASSERT_TRUE(plugin);
    QSignalSpy gone(window.get(), &host::HostWindow::pluginWindowGone);
    QObject::connect(window->notifyControl(), &host::NotifyControl::pluginClosing, window.get(),
                     [] { throw std::runtime_error("关闭通知处理失败"); });
    QObject::connect(window.get(), &host::HostWindow::pluginWindowGone, window.get(),
                     [] { throw std::runtime_error("窗口释放处理失败"); });

    // The close notice comes from the plug-in's side: a failing host handler stays on the
    // host's side and does not make the plug-in refuse its close.
    ASSERT_TRUE(window->closePluginWindow());
    EXPECT_EQ(window->notifyControl()->closingNotices(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return plugin.isNull() && gone.count() == 1; }));
    testsupport::processEvents();

    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.records()[0].text, "关闭通知处理失败");
    EXPECT_EQ(boxes.records()[0].owner, platform::handleOf(window->notifyControl()));
    EXPECT_EQ(boxes.records()[1].text, "窗口释放处理失败");
    EXPECT_EQ(boxes.records()[1].owner, platform::handleOf(window.get()));
    EXPECT_TRUE(window->openEmbedded()) << "the host stays usable";
}
