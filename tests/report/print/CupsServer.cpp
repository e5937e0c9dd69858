#include "tests/report/print/CupsServer.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdlib>
#include <cups/cups.h>

namespace printtest {

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

CupsServer::CupsServer() {
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

CupsServer::~CupsServer() {
    stop();
    qunsetenv("CUPS_SERVER");
}

bool CupsServer::writeConfig(QString* error) {
    const QString root = dir_.path();
    for (const char* sub : {"spool", "cache", "state", "log", "ppd", "tmp"})
        QDir(root).mkpath(sub);
    // Filters run as the unprivileged lp user and need a temporary folder they can write.
    QFile::setPermissions(root + "/tmp", QFileDevice::Permissions(0x7777));
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    const QByteArray cupsd = "Listen " + socketPath().toUtf8() +
                             "\n"
                             "LogLevel info\n"
                             "WebInterface No\n"
                             "Browsing Off\n"
                             "DefaultAuthType None\n"
                             "MaxJobs 0\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                             "  </Limit>\n</Policy>\n";
    const QByteArray r = root.toUtf8();
    const QByteArray files = "ServerRoot " + r + "\nRequestRoot " + r + "/spool\nCacheDir " + r +
                             "/cache\nStateDir " + r + "/state\nTempDir " + r + "/tmp\nAccessLog " +
                             r + "/log/access_log\nErrorLog " + r + "/log/error_log\nPageLog " + r +
                             "/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                             "Sandboxing Relaxed\n";
    if (!writeFile(root + "/cupsd.conf", cupsd) || !writeFile(root + "/cups-files.conf", files)) {
        *error = "cannot write the cupsd configuration in " + root;
        return false;
    }
    return true;
}

bool CupsServer::start(QString* error) {
    if (!dir_.isValid()) {
        *error = "no temporary folder for cupsd";
        return false;
    }
    if (!QFile::exists(kCupsd)) {
        *error = QString("%1 is missing: scripts/bootstrap installs the cups packages").arg(kCupsd);
        return false;
    }
    if (!writeConfig(error))
        return false;
    process_.start(
        kCupsd, {"-f", "-c", dir_.path() + "/cupsd.conf", "-s", dir_.path() + "/cups-files.conf"});
    if (!process_.waitForStarted(10000)) {
        *error = "cupsd did not start: " + process_.errorString();
        return false;
    }
    qputenv("CUPS_SERVER", socketPath().toUtf8());
    const QByteArray server = socketPath().toUtf8();
    auto answers = [&] {
        http_t* http = httpConnect2(server.constData(), ippPort(), nullptr, AF_UNSPEC,
                                    HTTP_ENCRYPTION_NEVER, 1, 200, nullptr);
        if (http == nullptr)
            return false;
        httpClose(http);
        return true;
    };
    if (!testsupport::waitUntil([&] { return !running() || answers(); }, 30000) || !running()) {
        *error = "cupsd did not answer on " + socketPath() + ": " +
                 QString::fromUtf8(process_.readAll()) + errorLog();
        stop();
        return false;
    }
    return true;
}

void CupsServer::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(15000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString CupsServer::errorLog() const {
    QFile log(dir_.path() + "/log/error_log");
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).right(4000) : QString();
}

bool CupsServer::tool(const QString& program, const QStringList& arguments, QString* error) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", socketPath());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && error != nullptr)
        *error = program + " " + arguments.join(' ') + ": " + QString::fromUtf8(process.readAll());
    return ok;
}

bool CupsServer::addPdfQueue(const QString& name, QString* error) {
    return tool("/usr/sbin/lpadmin",
                {"-p", name, "-v", "cups-pdf:/", "-E", "-m", "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"},
                error);
}

CupsJob CupsServer::job(int id) const {
    CupsJob result;
    const QByteArray server = socketPath().toUtf8();
    http_t* http = httpConnect2(server.constData(), ippPort(), nullptr, AF_UNSPEC,
                                HTTP_ENCRYPTION_NEVER, 1, 3000, nullptr);
    if (http == nullptr)
        return result;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/jobs/%d", id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    static const char* const wanted[] = {"job-state", "job-impressions-completed",
                                         "job-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                  wanted);
    if (ipp_t* response = cupsDoRequest(http, request, "/")) {
        if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            result.state = ippGetInteger(a, 0);
        if (ipp_attribute_t* a =
                ippFindAttribute(response, "job-impressions-completed", IPP_TAG_INTEGER))
            result.impressions = ippGetInteger(a, 0);
        if (ipp_attribute_t* a = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD))
            for (int i = 0; i < ippGetCount(a); ++i)
                result.stateReasons += QString(ippGetString(a, i, nullptr)) + " ";
        ippDelete(response);
    }
    httpClose(http);
    return result;
}

CupsJob CupsServer::waitForJob(int id, int timeoutMs) const {
    CupsJob last;
    QElapsedTimer sinceAsked;
    testsupport::waitUntil(
        [&] {
            if (sinceAsked.isValid() && sinceAsked.elapsed() < 100)
                return false;
            sinceAsked.start();
            last = job(id);
            return last.state >= IPP_JSTATE_STOPPED;
        },
        timeoutMs);
    return last;
}

} // namespace printtest
