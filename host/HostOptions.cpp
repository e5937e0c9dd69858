#include "host/HostOptions.h"

#include "host/ArchiveSetup.h"
#include "host/PostgresDatabase.h"
#include "platform/Gbk.h"

#include <QCommandLineParser>

namespace host {

bool isPostgresLocation(const std::string& databasePath) {
    return PostgresDatabase::isUri(databasePath);
}

namespace {

// Combinations that cannot work; empty when the options fit together.
std::string checkDatabaseOptions(const HostOptions& o, bool rolePrefixSet) {
    const bool postgres = isPostgresLocation(o.databasePath);
    if (postgres) {
        if (std::string problem = PostgresDatabase::checkCommandLineUri(o.databasePath);
            !problem.empty())
            return problem;
        if (o.createDatabase)
            return "--create-db 只用于 SQLite 文件；PostgreSQL 数据库请用 --init-db 初始化";
    }
    if (o.initDatabase && o.databasePath.empty())
        return "--init-db 需要用 --db 指定数据库";
    if (o.demo && !o.initDatabase)
        return "--demo 只能与 --init-db 一起使用";
    if (rolePrefixSet && !(postgres && o.initDatabase))
        return "--role-prefix 只用于初始化 PostgreSQL 数据库（--init-db）";
    if (!isValidRolePrefix(o.rolePrefix))
        return "角色前缀只能由小写字母、数字和下划线组成，且以字母或下划线开头：" + o.rolePrefix;
    return {};
}

} // namespace

ParsedOptions parseHostOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    HostOptions& o = parsed.options;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("核算单位档案插件的参考宿主"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本帮助"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本，并加载将使用的插件库、显示其路径"));
    const QCommandLineOption db(
        QStringLiteral("db"),
        QStringLiteral("SQLite 数据库文件，或 PostgreSQL 连接地址 postgresql://用户@主机/数据库"
                       "（口令放在 ~/.pgpass、PGPASSFILE 或 PGPASSWORD 中；默认：内置演示数据库）"),
        QStringLiteral("FILE|URI"));
    const QCommandLineOption createDb(QStringLiteral("create-db"),
                                      QStringLiteral("--db 文件不存在时用演示数据创建它"));
    const QCommandLineOption initDb(
        QStringLiteral("init-db"),
        QStringLiteral("在 --db 中建立表、结构版本（PostgreSQL 还有模式和角色）后退出"));
    const QCommandLineOption demo(
        QStringLiteral("demo"), QStringLiteral("与 --init-db 一起：核算单位表为空时写入演示数据"));
    const QCommandLineOption rolePrefix(
        QStringLiteral("role-prefix"),
        QStringLiteral("PostgreSQL 角色名前缀（默认 hsdw：hsdw_owner、hsdw_operator）"),
        QStringLiteral("NAME"));
    const QCommandLineOption plugin(
        QStringLiteral("plugin"),
        QStringLiteral(
            "插件库路径（默认：从构建目录运行时用构建出的插件库，否则用与本程序一同安装的插件库）"),
        QStringLiteral("PATH"));
    const QCommandLineOption op(QStringLiteral("operator"),
                                QStringLiteral("登录操作员编码（默认 0001）"),
                                QStringLiteral("CODE"));
    const QCommandLineOption job(QStringLiteral("job-flag"),
                                 QStringLiteral("在共享内存 MorvexMapName 中发布的作业标志"),
                                 QStringLiteral("TEXT"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("启动方式：embedded、dialog 或 none"),
                                  QStringLiteral("MODE"));
    const QCommandLineOption dialog(QStringLiteral("dialog"),
                                    QStringLiteral("以对话框方式打开（同 --mode dialog）"));
    const QCommandLineOption dbType(QStringLiteral("db-type"),
                                    QStringLiteral("GetDbType 的回答（默认 SQLSERVER）"),
                                    QStringLiteral("TYPE"));
    const QCommandLineOption dbTypeError(QStringLiteral("db-type-error"),
                                         QStringLiteral("GetDbType 引发错误"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("打开插件窗口后把宿主窗口存为 PNG 并退出"),
                                        QStringLiteral("FILE"));
    const QCommandLineOption printPdf(
        QStringLiteral("print-pdf"),
        QStringLiteral("打开档案，执行其打印命令（确认框答“确定”），由 PDF 打印机写入 FILE 后退出"),
        QStringLiteral("FILE"));
    const QCommandLineOption exportXlsx(
        QStringLiteral("export-xlsx"),
        QStringLiteral("同 --print-pdf，但由 Excel 导出写入 FILE（.xlsx）"),
        QStringLiteral("FILE"));
    parser.addOptions({help, version, db, createDb, initDb, demo, rolePrefix, plugin, op, job, mode,
                       dialog, dbType, dbTypeError, screenshot, printPdf, exportXlsx});

    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText().toStdString();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.helpShown = true;
        parsed.error = parser.helpText().toStdString();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.versionShown = true;
        o.pluginPath = parser.value(plugin).toStdString();
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.error = "无法识别的参数：" + parser.positionalArguments().join(' ').toStdString();
        return parsed;
    }
    o.databasePath = parser.value(db).toStdString();
    o.createDatabase = parser.isSet(createDb);
    o.initDatabase = parser.isSet(initDb);
    o.demo = parser.isSet(demo);
    if (parser.isSet(rolePrefix))
        o.rolePrefix = parser.value(rolePrefix).toStdString();
    o.pluginPath = parser.value(plugin).toStdString();
    if (parser.isSet(op))
        o.operatorCode = parser.value(op).toStdString();
    if (parser.isSet(job))
        o.jobFlag = parser.value(job).toStdString();
    if (parser.isSet(dbType))
        o.dbType = parser.value(dbType).toStdString();
    o.dbTypeRaises = parser.isSet(dbTypeError);
    o.screenshotPath = parser.value(screenshot).toStdString();
    o.printPdfPath = parser.value(printPdf).toStdString();
    o.exportXlsxPath = parser.value(exportXlsx).toStdString();
    const int outputs = int(!o.screenshotPath.empty()) + int(!o.printPdfPath.empty()) +
                        int(!o.exportXlsxPath.empty());
    if ((parser.isSet(printPdf) && o.printPdfPath.empty()) ||
        (parser.isSet(exportXlsx) && o.exportXlsxPath.empty()))
        parsed.error = "--print-pdf 和 --export-xlsx 需要输出文件名";
    else if (outputs > 1)
        parsed.error = "--screenshot、--print-pdf 和 --export-xlsx 只能选一个";
    else if (outputs > 0 && o.initDatabase)
        parsed.error = "--init-db 不能与 --screenshot、--print-pdf 或 --export-xlsx 一起使用";
    if (parser.isSet(dialog))
        o.startMode = StartMode::Dialog;
    if (parser.isSet(mode) && parsed.error.empty()) {
        const QString m = parser.value(mode);
        if (m == QLatin1String("embedded"))
            o.startMode = StartMode::Embedded;
        else if (m == QLatin1String("dialog"))
            o.startMode = StartMode::Dialog;
        else if (m == QLatin1String("none"))
            o.startMode = StartMode::None;
        else
            parsed.error = "启动方式只能是 embedded、dialog 或 none：" + m.toStdString();
    }
    if (outputs > 0 && o.startMode == StartMode::None && parsed.error.empty())
        parsed.error = "--mode none 时没有档案窗口可以打印";
    if (!lengthPrefixedGbk(o.operatorCode))
        parsed.error = "操作员编码过长（最多 255 个 GBK 字节）";
    if (parsed.error.empty())
        parsed.error = checkDatabaseOptions(o, parser.isSet(rolePrefix));
    return parsed;
}

std::optional<std::string> lengthPrefixedGbk(const std::string& utf8) {
    const std::string gbk = platform::toGbk(utf8);
    if (gbk.size() > 255)
        return std::nullopt;
    return std::string(1, char(static_cast<unsigned char>(gbk.size()))) + gbk;
}

} // namespace host
