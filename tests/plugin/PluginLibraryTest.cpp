// The real plug-in library, loaded with dlopen as a host loads it: its exports, the host
// context an entry call fills, embedding, the resize and close messages, the job flag and
// the kept data-service reference.

#include "host/PluginLibrary.h"

#include "platform/Gbk.h"
#include "platform/MessageBox.h"
#include "platform/SharedMemory.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/support/NotifyReceiver.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>

#include <cctype>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace {

host::PluginLibrary& library() {
    static host::PluginLibrary loaded(HSDW_PLUGIN_PATH);
    return loaded;
}

// Publishes the job-flag block with the given first bytes for its lifetime.
struct JobBlock {
    explicit JobBlock(const std::string& bytes)
        : memory(platform::SharedMemory::create(hsdw_job_flag_block_name(), 16)) {
        auto view = memory.map();
        std::memcpy(view->data(), bytes.data(), std::min<std::size_t>(bytes.size(), 16));
    }
    platform::SharedMemory memory;
};

class PluginLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostWindow.resize(800, 600);
        container = new QWidget(&hostWindow);
        container->setGeometry(0, 0, 640, 420);
        hostWindow.show();
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->metaObject()->indexOfProperty("JobFlag") >= 0)
                delete w;
        testsupport::processEvents();
    }

    HsdwHostContainer target() const {
        return {platform::handleOf(container), container->width(), container->height()};
    }

    void callEmbedded(const std::string& code = "0002") {
        const std::string arg = plugintest::operatorCodeArgument(code);
        const HsdwHostContainer c = target();
        library().getFormOne()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                               reinterpret_cast<const unsigned char*>(arg.data()), &c,
                               demo.ref.get());
    }

    void callDialog(const std::string& code = "0002", const HsdwHostContainer* c = nullptr) {
        const std::string arg = plugintest::operatorCodeArgument(code);
        library().getFormOneHsdw()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                                   reinterpret_cast<const unsigned char*>(arg.data()), c,
                                   demo.ref.get());
    }

    // The plug-in's window: whatever class the library builds, it is a base window and so
    // carries the host-context properties.
    static QWidget* pluginWindowAmong(const QObjectList& objects) {
        for (QObject* object : objects)
            if (object->isWidgetType() && object->metaObject()->indexOfProperty("JobFlag") >= 0)
                return static_cast<QWidget*>(object);
        return nullptr;
    }

    QWidget* embeddedWindow() const { return pluginWindowAmong(container->children()); }
    QWidget* dialogWindow() const { return pluginWindowAmong(hostWindow.children()); }

    static QWidget* panelOf(QWidget* window) {
        return window->findChild<QWidget*>(QStringLiteral("PanelMain"));
    }

    plugintest::DemoService demo;
    platform::ScriptedMessageBoxes boxes;
    QWidget hostWindow;
    QWidget* container = nullptr;
    testsupport::NotifyReceiver notify;
};

std::string jobFlagOf(QWidget* window) {
    return window->property("JobFlag").toString().toStdString();
}

} // namespace

TEST(PluginExports, OnlyTheTwoEntryPoints) {
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                    QStringLiteral(HSDW_PLUGIN_PATH)});
    ASSERT_TRUE(nm.waitForFinished(20000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    std::set<std::string> names;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        // Lower-case types are local symbols the dynamic table may still list (some
        // toolchains keep a local copy of a libstdc++ constant there): not exported.
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 3 &&
            (std::isupper(static_cast<unsigned char>(parts.at(1).at(0))) || parts.at(1) == "u"))
            names.insert(parts.at(2).toStdString());
    }
    EXPECT_EQ(names, (std::set<std::string>{"GetFormOne", "GetFormOne_Hsdw"}));
}

TEST_F(PluginLibraryTest, EmbeddedCallFillsTheContextAndEmbeds) {
    callEmbedded("操作员07");
    ASSERT_EQ(boxes.count(), 0u);
    QWidget* window = embeddedWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), container) << "re-parented into the container";
    EXPECT_FALSE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->property("OperatorCode").toString(), QStringLiteral("操作员07"));
    EXPECT_EQ(window->property("AppHandle").value<quintptr>(), platform::handleOf(&hostWindow));
    EXPECT_EQ(window->property("NotifyControl").value<quintptr>(), platform::handleOf(&notify));
    EXPECT_EQ(window->size(), QGuiApplication::primaryScreen()->availableGeometry().size())
        << "the window keeps the work area's size; the container clips it";
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    QWidget* panel = panelOf(window);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(640, 420)) << "the panel takes the container's size";
    EXPECT_EQ(panel->pos(), QPoint(0, 0));
}

TEST_F(PluginLibraryTest, EmptyOperatorCodeAndDialogIgnoresTheContainer) {
    const HsdwHostContainer bogus{0xBAD, 1, 1};
    callDialog("", &bogus);
    ASSERT_EQ(boxes.count(), 0u) << "the fourth argument is ignored in dialog mode";
    QWidget* window = dialogWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->property("OperatorCode").toString(), QString());
    EXPECT_EQ(embeddedWindow(), nullptr);
}

TEST_F(PluginLibraryTest, ResizeMessageSizesThePanelAsItComes) {
    callEmbedded();
    QWidget* window = embeddedWindow();
    ASSERT_NE(window, nullptr);
    const platform::WindowHandle handle = platform::handleOf(window);
    platform::sendMessage(handle, HSDW_WM_RESIZE_PANEL, 300, 500);
    EXPECT_EQ(panelOf(window)->size(), QSize(500, 300)) << "wParam height, lParam width";
    platform::sendMessage(handle, HSDW_WM_RESIZE_PANEL, 0, 0);
    EXPECT_EQ(panelOf(window)->size(), QSize(0, 0));
    platform::sendMessage(handle, 0x401, 100, 100);
    EXPECT_EQ(panelOf(window)->size(), QSize(0, 0)) << "other messages change nothing";
}

TEST_F(PluginLibraryTest, CloseSendsOneNoticeInBothModes) {
    callEmbedded();
    QPointer<QWidget> embedded = embeddedWindow();
    ASSERT_TRUE(embedded);
    EXPECT_TRUE(embedded->close());
    embedded->close(); // a second request before the window is gone
    EXPECT_EQ(notify.notices, 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return embedded.isNull(); }))
        << "the window frees itself";
    EXPECT_EQ(notify.notices, 1);

    callDialog();
    QPointer<QWidget> dialog = dialogWindow();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(notify.notices, 2);
    ASSERT_TRUE(testsupport::waitUntil([&] { return dialog.isNull(); }));
    EXPECT_EQ(notify.notices, 2);
}

TEST_F(PluginLibraryTest, DestroyingTheContainerDestroysTheWindowSilently) {
    callEmbedded();
    QPointer<QWidget> window = embeddedWindow();
    ASSERT_TRUE(window);
    delete container;
    container = nullptr;
    EXPECT_TRUE(window.isNull());
    testsupport::processEvents();
    EXPECT_EQ(notify.notices, 0);
}

TEST_F(PluginLibraryTest, JobFlagFromSharedMemory) {
    auto openAndRead = [&] {
        callEmbedded();
        QWidget* window = embeddedWindow();
        EXPECT_NE(window, nullptr);
        const std::string flag = window ? jobFlagOf(window) : "?";
        delete window;
        return flag;
    };
    {
        JobBlock block("job");
        EXPECT_EQ(openAndRead(), "job");
    }
    EXPECT_EQ(openAndRead(), "job") << "a missing block keeps the previous flag";
    {
        JobBlock block(std::string("\0ob", 3));
        EXPECT_EQ(openAndRead(), "");
    }
    {
        JobBlock block(std::string("jo\0", 3));
        EXPECT_EQ(openAndRead(), "jo");
    }
    {
        JobBlock block("jobs");
        EXPECT_EQ(openAndRead(), "job") << "only the first three bytes count";
    }
    EXPECT_EQ(notify.notices, 0);
}

TEST_F(PluginLibraryTest, KeepsItsOwnServiceReference) {
    bool firstGone = false;
    bool secondGone = false;
    auto first = platform::makeDispatch<plugintest::TrackedService>(demo.database, &firstGone);
    auto second = platform::makeDispatch<plugintest::TrackedService>(demo.database, &secondGone);

    const std::string arg = plugintest::operatorCodeArgument("0001");
    const HsdwHostContainer c = target();
    library().getFormOne()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                           reinterpret_cast<const unsigned char*>(arg.data()), &c, first.get());
    first.reset();
    EXPECT_FALSE(firstGone) << "the plug-in keeps a reference after the call";
    delete embeddedWindow();

    library().getFormOneHsdw()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                               reinterpret_cast<const unsigned char*>(arg.data()), nullptr,
                               second.get());
    EXPECT_TRUE(firstGone) << "the next call releases the previous reference";
    second.reset();
    EXPECT_FALSE(secondGone);
    delete dialogWindow();

    // Leave the library holding the fixture's service again.
    callDialog();
    EXPECT_TRUE(secondGone);
}

TEST_F(PluginLibraryTest, FailuresBecomeMessageBoxesOfTheHostWindow) {
    const std::string arg = plugintest::operatorCodeArgument("0001");
    const HsdwHostContainer stale{0xFFFFFF, 100, 100};
    library().getFormOne()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                           reinterpret_cast<const unsigned char*>(arg.data()), &stale,
                           demo.ref.get());
    library().getFormOne()(platform::handleOf(&hostWindow), platform::handleOf(&notify),
                           reinterpret_cast<const unsigned char*>(arg.data()), nullptr,
                           demo.ref.get());
    ASSERT_EQ(boxes.count(), 2u);
    for (const auto& box : boxes.records()) {
        EXPECT_EQ(box.owner, platform::handleOf(&hostWindow));
        EXPECT_EQ(box.caption, "错误");
        EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONERROR);
        EXPECT_EQ(box.text, "宿主没有提供有效的容器，无法嵌入核算单位档案窗口。");
    }
    EXPECT_EQ(embeddedWindow(), nullptr);
    EXPECT_EQ(notify.notices, 0);
}
