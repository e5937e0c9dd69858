// A host written from plugin/plugin_abi.h and the docs alone, as a new host author would:
// Qt, dlopen and a data service of its own in plain C structures; no library of ours is
// linked (this test has its own main). It passes its own object addresses as handles,
// publishes the job flag itself, scripts the message boxes through the documented hook
// property and reads the window through Qt's accessibility interfaces.

#include "plugin/plugin_abi.h"

#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QTemporaryDir>
#include <QWidget>

#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// The host's notify control: any QObject with the documented invokable.
class Notify : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr, qintptr) {
        if (message == HSDW_WM_PLUGIN_CLOSING)
            ++closings;
        return 0;
    }
    int closings = 0;
};

// The data service: the server clock and the database kind answer; every query fails.
struct Service {
    PlatformDispatch dispatch; // first member, as dispatch_abi.h asks
    uint32_t references = 1;
    std::vector<int32_t> calls;
};

uint32_t addRef(PlatformDispatch* self) {
    return ++reinterpret_cast<Service*>(self)->references;
}

uint32_t release(PlatformDispatch* self) {
    auto* service = reinterpret_cast<Service*>(self);
    const uint32_t left = --service->references;
    if (left == 0)
        delete service;
    return left;
}

void setText(PlatformVariant* v, const char* text) {
    platform_variant_set_string(v, text, std::strlen(text));
}

int32_t invoke(PlatformDispatch* self, int32_t dispId, PlatformVariant* args, int32_t argCount,
               PlatformVariant* result) {
    reinterpret_cast<Service*>(self)->calls.push_back(dispId);
    switch (dispId) {
    case HSDW_DISPID_GET_DB_TYPE:
        setText(result, "SQLSERVER");
        return PLATFORM_DISP_OK;
    case HSDW_DISPID_GET_SERVER_DATE_TIME:
        if (argCount != 1)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        setText(platform_variant_deref(&args[0]), "20261209103015");
        platform_variant_set_bool(result, 1);
        return PLATFORM_DISP_OK;
    case HSDW_DISPID_OPEN_QUERY: {
        if (argCount != 2)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        PlatformVariant* messages = platform_variant_deref(&args[1]);
        platform_variant_set_array(messages, 1);
        setText(&messages->value.array.items[0], "职员表不可用");
        platform_variant_set_bool(result, 0);
        return PLATFORM_DISP_OK;
    }
    default:
        return PLATFORM_DISP_UNKNOWN_DISPID;
    }
}

const PlatformDispatchVtbl kServiceTable{&addRef, &release, &invoke};

struct Box {
    uintptr_t owner;
    std::string text;
    unsigned flags;
};

int showBox(void* context, uintptr_t owner, const char* text, const char*, unsigned flags) {
    static_cast<std::vector<Box>*>(context)->push_back({owner, text, flags});
    return HSDW_IDOK;
}

// A handle the plug-in reports, turned back into the object through the documented registry.
QObject* objectOfHandle(uintptr_t handle) {
    QObject* registry =
        qApp->findChild<QObject*>("platform.window-handles", Qt::FindDirectChildrenOnly);
    QObject* object = nullptr;
    if (registry)
        QMetaObject::invokeMethod(registry, "find", Qt::DirectConnection,
                                  Q_RETURN_ARG(QObject*, object), Q_ARG(quintptr, handle));
    return object;
}

QWidget* pluginWindowIn(QWidget* parent) {
    for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->metaObject()->indexOfProperty("JobFlag") >= 0)
            return w;
    return nullptr;
}

class IndependentHost : public ::testing::Test {
protected:
    void SetUp() override {
        library = dlopen(HSDW_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        getFormOne = reinterpret_cast<HsdwGetFormOneFn>(dlsym(library, HSDW_GET_FORM_ONE));
        ASSERT_NE(getFormOne, nullptr);
        service.dispatch.vtbl = &kServiceTable;
        qApp->setProperty(HSDW_MESSAGE_BOX_HOOK_PROPERTY,
                          QVariant::fromValue(reinterpret_cast<quintptr>(&hook)));
        mainWindow.resize(800, 600);
        container = new QWidget(&mainWindow);
        container->setGeometry(0, 0, 640, 420);
        notify = new Notify(&mainWindow);
        mainWindow.show();
    }
    void TearDown() override {
        // The host's own reference; the plug-in keeps its one until the next entry call.
        release(&service.dispatch);
        qApp->setProperty(HSDW_MESSAGE_BOX_HOOK_PROPERTY, QVariant());
        if (block != MAP_FAILED)
            munmap(block, 16);
        if (!blockName.empty())
            shm_unlink(blockName.c_str());
    }

    // The job flag, published as the header describes.
    void publishJobFlag(const char* flag) {
        blockName = std::string("/") + hsdw_job_flag_block_name();
        const int fd = shm_open(blockName.c_str(), O_CREAT | O_RDWR, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, 16), 0);
        block = mmap(nullptr, 16, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        ASSERT_NE(block, MAP_FAILED);
        std::memcpy(block, flag, std::strlen(flag));
    }

    void open(uintptr_t containerHandle) {
        const unsigned char code[] = {4, '0', '0', '0', '2'};
        const HsdwHostContainer target{containerHandle, container->width(), container->height()};
        getFormOne(reinterpret_cast<uintptr_t>(&mainWindow), reinterpret_cast<uintptr_t>(notify),
                   code, &target, &service.dispatch);
    }

    void* library = nullptr;
    HsdwGetFormOneFn getFormOne = nullptr;
    Service& service = *new Service; // reference-counted: freed by its last release
    std::vector<Box> boxes;
    HsdwMessageBoxHook hook{&showBox, &boxes};
    QWidget mainWindow;
    QWidget* container = nullptr;
    Notify* notify = nullptr;
    std::string blockName;
    void* block = MAP_FAILED;
};

} // namespace

TEST_F(IndependentHost, EmbedsTheWindowFromItsOwnAddressesAndReadsItThroughAccessibility) {
    publishJobFlag("job");
    open(reinterpret_cast<uintptr_t>(container));
    QWidget* window = pluginWindowIn(container);
    ASSERT_NE(window, nullptr) << "embedded into the container the address named";
    EXPECT_EQ(window->property("JobFlag").toString(), "job");
    EXPECT_GT(service.references, 1u) << "the plug-in keeps references of its own";
    EXPECT_FALSE(QFont::substitutes(QStringLiteral("宋体")).isEmpty())
        << "the plug-in maps the Windows font names itself";

    // The failing operator lookup: one box, owned by the plug-in's window.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "职员表不可用");
    EXPECT_EQ(boxes[0].flags, unsigned(HSDW_MB_OK | HSDW_MB_ICONERROR));
    EXPECT_EQ(objectOfHandle(boxes[0].owner), window);

    // The grid, read as any outside tool reads it.
    QWidget* grid = window->findChild<QWidget*>("sgdAcountUnitArchives");
    ASSERT_NE(grid, nullptr);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->columnDescription(1), "核算单位名称");
    EXPECT_EQ(table->tableInterface()->rowCount(), 1) << "start-up stopped: one blank row";

    // The resize message and the closing notice, through the documented invokable.
    qintptr ignored = 0;
    ASSERT_TRUE(QMetaObject::invokeMethod(
        window, "windowMessage", Qt::DirectConnection, Q_RETURN_ARG(qintptr, ignored),
        Q_ARG(uint, HSDW_WM_RESIZE_PANEL), Q_ARG(quintptr, 300), Q_ARG(qintptr, 500)));
    QWidget* panel = window->findChild<QWidget*>("PanelMain");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(500, 300));
    window->close();
    EXPECT_EQ(notify->closings, 1);
}

TEST_F(IndependentHost, AnAddressThatNamesNoObjectOfTheApplicationIsNoContainer) {
    int notAnObject = 0;
    open(reinterpret_cast<uintptr_t>(&notAnObject));
    EXPECT_EQ(pluginWindowIn(container), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "宿主没有提供有效的容器，无法嵌入核算单位档案窗口。");
    EXPECT_EQ(objectOfHandle(boxes[0].owner), &mainWindow);
    EXPECT_TRUE(service.calls.empty()) << "nothing was asked of the host";
}

int main(int argc, char** argv) {
    if (!std::getenv("TEST_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    setenv("XDG_CONFIG_HOME", qPrintable(home.path()), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(home.path()), 1); // QTemporaryDir: mode 0700
    // A job-flag block of this process's own.
    const std::string block =
        std::string(HSDW_JOB_FLAG_BLOCK) + ".independent." + std::to_string(getpid());
    setenv(HSDW_JOB_FLAG_BLOCK_ENV, block.c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "IndependentHostTest.moc"
