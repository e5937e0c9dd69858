// minimal-host: a complete small host of the accounting-unit archive plug-in, built from the
// installed kit alone (the headers of HsdwArchive::abi), Qt 6 Widgets and SQLite.
//
//   minimal-host [--plugin LIB] [--print-pdf OUT.pdf] DATABASE.sqlite
//
// It loads the plug-in with dlopen, serves the plug-in's data service over a SQLite file
// (tables and a few units are created in a new one), opens the archive embedded in its main
// window, passes container resizes on as message 0x402 and hears message 1028 when the
// archive window closes. With --print-pdf it runs unattended (start it with
// QT_QPA_PLATFORM=offscreen when there is no display): it answers the print confirmation,
// prints the archive into a PDF file through HSDW_WM_PRINT_TO_FILE, closes the window and
// exits.
//
// To start a host of your own, copy this folder and replace the SQLite service with your
// application's database access: every query is answered with a data packet.

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QMainWindow>
#include <QResizeEvent>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <hsdwarchive/datapacket_writer.h>
#include <hsdwarchive/plugin_abi.h>
#include <sqlite3.h>
#include <string>

namespace {

// ---- The data service: the plug-in's ICoorDisp over one SQLite connection ----

struct SqliteService {
    PlatformDispatch dispatch; // first member, as dispatch_abi.h asks
    uint32_t references = 1;
    sqlite3* db = nullptr;
};

SqliteService* serviceOf(PlatformDispatch* self) {
    return reinterpret_cast<SqliteService*>(self);
}

uint32_t serviceAddRef(PlatformDispatch* self) {
    return ++serviceOf(self)->references;
}

// The plug-in keeps a reference of its own, so the last release may come from it.
uint32_t serviceRelease(PlatformDispatch* self) {
    SqliteService* service = serviceOf(self);
    const uint32_t left = --service->references;
    if (left == 0) {
        sqlite3_close(service->db);
        delete service;
    }
    return left;
}

void setText(PlatformVariant* v, const std::string& text) {
    platform_variant_set_string(v, text.data(), text.size());
}

// A failed operation: the messages go into the by-reference argument, the result is false.
void setMessages(PlatformVariant* target, const std::string& message) {
    if (platform_variant_set_array(target, 1))
        setText(&target->value.array.items[0], message);
}

// Runs one query and writes its rows as a data packet into `out`. Every value goes as
// text (SQLite formats numbers), NULL as no value.
bool queryPacket(sqlite3* db, const std::string& sql, PlatformVariant* out, std::string& error) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, &tail) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (!statement || std::strspn(tail, " \t\r\n;") != std::strlen(tail)) {
        sqlite3_finalize(statement);
        error = "查询只能是一条语句：" + sql;
        return false;
    }
    const int columns = sqlite3_column_count(statement);
    HsdwPacketWriter packet;
    hsdw_packet_begin(&packet, static_cast<uint32_t>(columns));
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(statement, c);
        hsdw_packet_add_field(&packet, name ? name : "", name ? std::strlen(name) : 0);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                hsdw_packet_add_null(&packet);
                continue;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            hsdw_packet_add_text(&packet, text,
                                 static_cast<size_t>(sqlite3_column_bytes(statement, c)));
        }
    }
    if (step != SQLITE_DONE)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    if (!error.empty()) {
        hsdw_packet_discard(&packet);
        return false;
    }
    switch (hsdw_packet_finish(&packet, out)) {
    case HSDW_PACKET_OK:
        return true;
    case HSDW_PACKET_NOT_UTF8:
        error = "查询结果含有不是 UTF-8 的文本";
        return false;
    default:
        error = "查询结果过大，或内存不足";
        return false;
    }
}

// Runs a statement text (all of it, or on an error what ran before it); one that leaves a
// transaction open is rolled back, so that no other operator stays locked out.
bool execute(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        return false;
    }
    if (!sqlite3_get_autocommit(db)) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        error = "语句开始的事务没有提交，已撤销";
        return false;
    }
    return true;
}

// The operations, in the argument order of plugin_abi.h.
int32_t serviceInvoke(PlatformDispatch* self, int32_t dispId, PlatformVariant* args,
                      int32_t argCount, PlatformVariant* result) {
    // Nothing may be thrown across the C boundary (a std::string may throw bad_alloc).
    try {
        sqlite3* db = serviceOf(self)->db;
        auto expect = [&](int32_t count) { return argCount == count; };
        auto byRef = [&](int32_t i) { return args[i].type == PV_BYREF; };
        std::string error;
        bool ok = false;
        switch (dispId) {
        case HSDW_DISPID_OPEN_QUERY: { // (sql, byref data)
            if (!expect(2))
                return PLATFORM_DISP_BAD_ARG_COUNT;
            const PlatformVariant* sql = platform_variant_deref(&args[0]);
            if (sql->type != PV_STRING || !byRef(1))
                return PLATFORM_DISP_TYPE_MISMATCH;
            PlatformVariant* data = platform_variant_deref(&args[1]);
            ok = queryPacket(db, sql->value.string.data ? sql->value.string.data : "", data, error);
            if (!ok)
                setMessages(data, error);
            break;
        }
        case HSDW_DISPID_EXEC_SQL: { // (byref statement)
            if (!expect(1))
                return PLATFORM_DISP_BAD_ARG_COUNT;
            PlatformVariant* statement = platform_variant_deref(&args[0]);
            if (!byRef(0) || statement->type != PV_STRING)
                return PLATFORM_DISP_TYPE_MISMATCH;
            ok = execute(db, statement->value.string.data ? statement->value.string.data : "",
                         error);
            if (!ok)
                setMessages(statement, error);
            break;
        }
        case HSDW_DISPID_GET_SERVER_DATE_TIME: // (byref value): the host's clock here
            if (!expect(1))
                return PLATFORM_DISP_BAD_ARG_COUNT;
            if (!byRef(0))
                return PLATFORM_DISP_TYPE_MISMATCH;
            setText(platform_variant_deref(&args[0]),
                    QDateTime::currentDateTime()
                        .toString(QStringLiteral("yyyyMMddhhmmss"))
                        .toStdString());
            ok = true;
            break;
        case HSDW_DISPID_GET_SYS_PARAMS: { // (byref data)
            if (!expect(1))
                return PLATFORM_DISP_BAD_ARG_COUNT;
            if (!byRef(0))
                return PLATFORM_DISP_TYPE_MISMATCH;
            PlatformVariant* data = platform_variant_deref(&args[0]);
            ok = queryPacket(db, "select f_Csmc, f_csz from tbxtcs", data, error);
            if (!ok)
                setMessages(data, error);
            break;
        }
        case HSDW_DISPID_GET_DB_TYPE: // (): the SQL dialect the plug-in writes
            if (!expect(0))
                return PLATFORM_DISP_BAD_ARG_COUNT;
            setText(result, "SQLSERVER");
            return PLATFORM_DISP_OK;
        default:
            return PLATFORM_DISP_UNKNOWN_DISPID;
        }
        platform_variant_set_bool(result, ok);
        return PLATFORM_DISP_OK;
    } catch (...) {
        return PLATFORM_DISP_OUT_OF_MEMORY;
    }
}

const PlatformDispatchVtbl kServiceTable{&serviceAddRef, &serviceRelease, &serviceInvoke};

// Opens (creates) the database; a new one gets the tables and a few units.
SqliteService* openService(const QString& path, std::string& error) {
    auto* service = new SqliteService;
    service->dispatch.vtbl = &kServiceTable;
    if (sqlite3_open(path.toUtf8().constData(), &service->db) != SQLITE_OK) {
        error = sqlite3_errmsg(service->db);
        serviceRelease(&service->dispatch);
        return nullptr;
    }
    sqlite3_busy_timeout(service->db, 3000);
    const char* schema =
        "create table if not exists tbHsdwda(f_Hsdwh varchar(20) not null primary key,"
        " f_Hsdwmc varchar(60));"
        "create table if not exists tbzyda(f_zybm varchar(20) not null primary key,"
        " f_zymc varchar(40));"
        "create table if not exists tbxtcs(f_Csmc varchar(20) not null primary key,"
        " f_csz varchar(60));"
        "insert into tbHsdwda select * from (values ('0001', '集团总部'), ('0002', '华北分公司'),"
        " ('0003', '华东分公司'), ('0004', '华南分公司'), ('0005', '西部分公司'))"
        " where not exists (select 1 from tbHsdwda);"
        "insert or ignore into tbzyda values ('0001', '张建国');"
        // dwlx 00: this installation may edit the archive; zbbm: the head office's code.
        "insert or ignore into tbxtcs values ('dwlx', '00'), ('zbbm', '0001'), ('dchy', '0');";
    if (!execute(service->db, schema, error)) {
        serviceRelease(&service->dispatch);
        return nullptr;
    }
    return service;
}

// ---- The host's side of the window messages ----

bool takesMessages(const QObject* object) {
    return object->metaObject()->indexOfMethod("windowMessage(uint,quintptr,qintptr)") >= 0;
}

// The notify control: told (1028) when the archive window closes.
class NotifyControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr, qintptr) {
        if (message == HSDW_WM_PLUGIN_CLOSING) {
            std::printf("minimal-host: 档案窗口已关闭（消息 1028）\n");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QApplication::quit); // never destroy it in here
        }
        return 0;
    }
};

// The container the archive is embedded into: passes its size on as message 0x402.
class Container : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            qintptr ignored = 0;
            if (takesMessages(child))
                QMetaObject::invokeMethod(child, "windowMessage", Qt::DirectConnection,
                                          Q_RETURN_ARG(qintptr, ignored),
                                          Q_ARG(uint, HSDW_WM_RESIZE_PANEL),
                                          Q_ARG(quintptr, quintptr(event->size().height())),
                                          Q_ARG(qintptr, qintptr(event->size().width())));
        }
    }
};

QWidget* archiveWindowIn(QWidget* container) {
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (takesMessages(child))
            return child;
    return nullptr;
}

// Unattended: every message box is answered with its first button and logged.
int answerBox(void*, uintptr_t, const char* text, const char* caption, unsigned flags) {
    std::fprintf(stderr, "minimal-host: 消息框「%s」：%s\n", caption ? caption : "",
                 text ? text : "");
    return (flags & 0xF) == HSDW_MB_YESNO || (flags & 0xF) == HSDW_MB_YESNOCANCEL ? HSDW_IDYES
                                                                                  : HSDW_IDOK;
}

// Unattended: a modal window is closed (rejected) as soon as it shows.
void closeModal(void*, void* window) {
    std::fprintf(stderr, "minimal-host: 已关闭模态窗口「%s」\n",
                 static_cast<QWidget*>(window)->windowTitle().toUtf8().constData());
}

void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "minimal-host: %s\n", message.c_str());
    return code;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("核算单位档案插件的最小宿主"));
    parser.addHelpOption();
    const QCommandLineOption pluginOption(QStringLiteral("plugin"), QStringLiteral("插件库"),
                                          QStringLiteral("LIB"), QStringLiteral(HSDW_PLUGIN));
    const QCommandLineOption printOption(QStringLiteral("print-pdf"),
                                         QStringLiteral("把档案打印到 PDF 文件后退出"),
                                         QStringLiteral("FILE"));
    parser.addOptions({pluginOption, printOption});
    parser.addPositionalArgument(QStringLiteral("database"), QStringLiteral("SQLite 数据库文件"));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        return fail(2, "需要一个 SQLite 数据库文件");
    const bool unattended = parser.isSet(printOption);

    std::string error;
    SqliteService* service = openService(parser.positionalArguments().first(), error);
    if (!service)
        return fail(3, "无法打开数据库：" + error);

    // The plug-in is loaded by path, kept loaded and never linked.
    const std::string plugin = parser.value(pluginOption).toStdString();
    void* library = dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto getFormOne =
        library ? reinterpret_cast<HsdwGetFormOneFn>(dlsym(library, HSDW_GET_FORM_ONE)) : nullptr;
    if (!getFormOne) {
        const char* reason = dlerror();
        serviceRelease(&service->dispatch);
        return fail(4, "无法加载插件 " + plugin + "：" + (reason ? reason : "没有入口函数"));
    }
    std::printf("minimal-host: 插件库 %s\n", plugin.c_str());

    HsdwMessageBoxHook boxes{&answerBox, nullptr};
    HsdwModalHook modals{&closeModal, nullptr};
    if (unattended) {
        app.setProperty(HSDW_MESSAGE_BOX_HOOK_PROPERTY,
                        QVariant::fromValue(reinterpret_cast<quintptr>(&boxes)));
        app.setProperty(HSDW_MODAL_HOOK_PROPERTY,
                        QVariant::fromValue(reinterpret_cast<quintptr>(&modals)));
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("最小宿主 — 核算单位档案"));
    auto* container = new Container(&window);
    window.setCentralWidget(container);
    auto* notify = new NotifyControl(&window);
    window.resize(900, 600);
    window.show();
    settle(50);

    // Handles are the addresses of our own objects; the operator code is length-prefixed GBK.
    const unsigned char operatorCode[] = {4, '0', '0', '0', '1'};
    const HsdwHostContainer target{reinterpret_cast<HsdwWindowHandle>(container),
                                   container->width(), container->height()};
    getFormOne(reinterpret_cast<HsdwWindowHandle>(&window),
               reinterpret_cast<HsdwWindowHandle>(notify), operatorCode, &target,
               &service->dispatch);
    serviceRelease(&service->dispatch); // the plug-in keeps its own reference

    QWidget* archive = archiveWindowIn(container);
    if (!archive)
        return fail(5, "插件没有打开档案窗口");
    std::printf("minimal-host: 已打开档案窗口 %s\n", archive->objectName().toUtf8().constData());
    if (!unattended)
        return app.exec();

    // Resizing the container resizes the archive's panel (message 0x402).
    settle(200);
    window.resize(1000, 700);
    settle(50);
    const QWidget* panel = archive->findChild<QWidget*>(QStringLiteral("PanelMain"));
    std::printf("minimal-host: 容器 %dx%d，面板 %dx%d\n", container->width(), container->height(),
                panel ? panel->width() : -1, panel ? panel->height() : -1);

    // The print command into a PDF file, its confirmation answered by the hook above.
    const std::string pdf = QFileInfo(parser.value(printOption)).absoluteFilePath().toStdString();
    qintptr printed = 0;
    QMetaObject::invokeMethod(archive, "windowMessage", Qt::DirectConnection,
                              Q_RETURN_ARG(qintptr, printed), Q_ARG(uint, HSDW_WM_PRINT_TO_FILE),
                              Q_ARG(quintptr, quintptr(HSDW_PRINT_FILE_PDF)),
                              Q_ARG(qintptr, reinterpret_cast<qintptr>(pdf.c_str())));
    if (printed != HSDW_PRINT_FILE_WRITTEN)
        return fail(5, "没有打印出 " + pdf + "（结果 " + std::to_string(printed) + "）");
    std::printf("minimal-host: 已打印 %s\n", pdf.c_str());

    // Closing the window sends 1028, whose handler ends the program.
    QTimer::singleShot(10000, &app, [] {
        fail(5, "档案窗口没有关闭");
        QApplication::exit(5);
    });
    archive->close();
    return app.exec();
}

#include "main.moc"
