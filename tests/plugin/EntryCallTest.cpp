// The entry-call sequence with the window factories a derived window uses: the host
// context, FormCreate/FormClose in a derived window, failures kept inside the call.

#include "plugin/EntryCall.h"

#include "platform/MessageBox.h"
#include "plugin/HostContext.h"
#include "plugin/TFrmBase.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/support/NotifyReceiver.h"
#include "tests/support/TestSupport.h"

#include <QFrame>
#include <QPointer>

#include <gtest/gtest.h>
#include <stdexcept>

using namespace plugin;

namespace {

// A window derived the way the archive window is: own layout on PanelMain, own
// FormCreate/FormClose around the base steps.
class DerivedWindow : public TFrmBase {
public:
    static inline int creates = 0;
    static inline bool refuseClose = false;

    explicit DerivedWindow(QWidget* owner)
        : TFrmBase(owner, LayoutOnly{}) {
        child = new QFrame(PanelMain);
        FormCreate();
    }

    void FormCreate() override {
        TFrmBase::FormCreate();
        ++creates;
        sawApplicationWindow = applicationWindow();
    }

    void FormClose(TCloseAction& Action) override {
        if (refuseClose) {
            Action = TCloseAction::caNone;
            return;
        }
        TFrmBase::FormClose(Action);
    }

    QFrame* child = nullptr;
    platform::WindowHandle sawApplicationWindow = 0;
};

TFrmBase* derivedFactory(FormMode, QWidget* owner) {
    return new DerivedWindow(owner);
}
TFrmBase* throwingFactory(FormMode, QWidget*) {
    throw std::runtime_error("窗口创建失败");
}
TFrmBase* nullFactory(FormMode, QWidget*) {
    return nullptr;
}

class EntryCallTest : public ::testing::Test {
protected:
    void SetUp() override {
        DerivedWindow::creates = 0;
        DerivedWindow::refuseClose = false;
        container.resize(400, 300);
        app.resize(600, 400);
    }

    plugintest::DemoService demo;
    platform::ScriptedMessageBoxes boxes;
    QWidget app;
    QWidget container{&app};
    testsupport::NotifyReceiver notify;
    const std::string code = plugintest::operatorCodeArgument("0003");
};

} // namespace

TEST_F(EntryCallTest, DerivedWindowRunsFormCreateOnceWithTheApplicationWindow) {
    const HsdwHostContainer target{platform::handleOf(&container), 400, 300};
    runEntryCall(FormMode::Embedded, platform::handleOf(&app), platform::handleOf(&notify),
                 reinterpret_cast<const unsigned char*>(code.data()), &target, demo.ref.get(),
                 &derivedFactory);
    ASSERT_EQ(boxes.count(), 0u);
    auto* window = static_cast<DerivedWindow*>(hostContext().CurrentWindow.data());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(DerivedWindow::creates, 1);
    EXPECT_EQ(window->sawApplicationWindow, platform::handleOf(&app));
    EXPECT_EQ(hostContext().OperatorCode, "0003");
    EXPECT_EQ(window->parentWidget(), &container);
    EXPECT_EQ(window->PanelMain->size(), QSize(400, 300));

    // A refused close sends nothing and keeps the window; the next one notifies once.
    QPointer<TFrmBase> alive(window);
    DerivedWindow::refuseClose = true;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(notify.notices, 0);
    DerivedWindow::refuseClose = false;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(notify.notices, 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return alive.isNull(); }));
    EXPECT_TRUE(hostContext().CurrentWindow.isNull());
}

TEST_F(EntryCallTest, FailuresStayInsideTheCall) {
    const HsdwHostContainer target{platform::handleOf(&container), 400, 300};
    const auto* op = reinterpret_cast<const unsigned char*>(code.data());
    runEntryCall(FormMode::Embedded, platform::handleOf(&app), 0, op, &target, demo.ref.get(),
                 &throwingFactory);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "窗口创建失败");
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().owner, platform::handleOf(&app));
    EXPECT_EQ(boxes.last().flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_EQ(hostContext().OperatorCode, "0003") << "the context was filled before";

    runEntryCall(FormMode::Dialog, platform::handleOf(&app), 0, op, nullptr, demo.ref.get(),
                 &nullFactory);
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.last().text, "无法创建核算单位档案窗口。");

    // Embedding needs a container the registry knows.
    const HsdwHostContainer stale{0xDEAD, 10, 10};
    runEntryCall(FormMode::Embedded, platform::handleOf(&app), 0, op, &stale, demo.ref.get(),
                 &derivedFactory);
    runEntryCall(FormMode::Embedded, platform::handleOf(&app), 0, op, nullptr, demo.ref.get(),
                 &derivedFactory);
    ASSERT_EQ(boxes.count(), 4u);
    EXPECT_EQ(boxes.last().text, "宿主没有提供有效的容器，无法嵌入核算单位档案窗口。");
    EXPECT_EQ(DerivedWindow::creates, 0) << "no window without a container";
}

TEST(OperatorCodeArgument, LengthPrefixedGbk) {
    EXPECT_EQ(operatorCodeFrom(nullptr), "");
    const unsigned char empty[] = {0, 'x'};
    EXPECT_EQ(operatorCodeFrom(empty), "");
    const unsigned char partial[] = {2, 'a', 'b', 'c'};
    EXPECT_EQ(operatorCodeFrom(partial), "ab");
    const unsigned char chinese[] = {4, 0xD5, 0xC5, 0xC8, 0xFD}; // 张三 in GBK
    EXPECT_EQ(operatorCodeFrom(chinese), "张三");
}
