#include "report/print/RMCupsClient.h"

#include <QIODevice>

#include <csignal>
#include <cstring>
#include <cups/cups.h>
#include <cups/pwg.h>
#include <memory>

namespace report::cups {

namespace {

// Gives up on a server that stays silent for rmIoTimeoutSeconds.
int giveUp(http_t*, void*) {
    return 0;
}

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpCloser>;

struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using Dest = std::unique_ptr<cups_dest_t, DestFree>;

struct InfoFree {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using DestInfo = std::unique_ptr<cups_dinfo_t, InfoFree>;

struct IppFree {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppFree>;

std::string serverName() {
    cupsSetServer(nullptr); // read CUPS_SERVER and client.conf afresh
    const char* server = cupsServer();
    return server != nullptr ? server : "";
}

void setError(std::string* error, std::string text) {
    if (error != nullptr)
        *error = std::move(text);
}

std::string lastIppError() {
    const char* text = cupsLastErrorString();
    return text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
}

Connection connect(std::string* error) {
    const std::string server = serverName();
    http_t* http = httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                rmConnectTimeoutMs, nullptr);
    if (http == nullptr) {
        setError(error, "无法连接打印服务 (CUPS) " + server + "：" + lastIppError());
        return nullptr;
    }
    httpSetTimeout(http, rmIoTimeoutSeconds, giveUp, nullptr);
    return Connection(http);
}

Dest namedDest(http_t* http, const std::string& name, std::string* error) {
    cups_dest_t* dest = cupsGetNamedDest(http, name.c_str(), nullptr);
    if (dest == nullptr)
        setError(error, "打印机 " + name + " 不可用：" + lastIppError());
    return Dest(dest);
}

std::string option(const cups_dest_t& dest, const char* name) {
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value != nullptr ? value : "";
}

// Keeps SIGPIPE from ending the process while a job is sent to a server that went away.
class IgnoreSigpipe {
public:
    IgnoreSigpipe() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~IgnoreSigpipe() { sigaction(SIGPIPE, &previous_, nullptr); }
    IgnoreSigpipe(const IgnoreSigpipe&) = delete;
    IgnoreSigpipe& operator=(const IgnoreSigpipe&) = delete;

private:
    struct sigaction previous_ {};
};

} // namespace

std::vector<TRMCupsDestination> listDestinations(std::string* error) {
    std::vector<TRMCupsDestination> result;
    Connection http = connect(error);
    if (!http)
        return result;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.get(), &dests);
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
        setError(error, "无法读取打印机列表：" + lastIppError());
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        if (dest.instance != nullptr)
            continue; // instances are option sets of a queue, not printers
        result.push_back({dest.name, option(dest, "printer-info"), option(dest, "printer-location"),
                          option(dest, "printer-make-and-model"), dest.is_default != 0});
    }
    cupsFreeDests(count, dests);
    return result;
}

bool readCapabilities(const std::string& destination, TRMDeviceCapabilities& caps,
                      std::string* error) {
    Connection http = connect(error);
    if (!http)
        return false;
    Dest dest = namedDest(http.get(), destination, error);
    if (!dest)
        return false;
    DestInfo info(cupsCopyDestInfo(http.get(), dest.get()));
    if (!info) {
        setError(error, "无法读取打印机 " + destination + " 的纸张：" + lastIppError());
        return false;
    }
    caps = {};
    const unsigned flags = CUPS_MEDIA_FLAGS_DEFAULT;
    const int mediaCount = cupsGetDestMediaCount(http.get(), dest.get(), info.get(), flags);
    for (int i = 0; i < mediaCount; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(http.get(), dest.get(), info.get(), i, flags, &size))
            continue;
        const char* label = cupsLocalizeDestMedia(http.get(), dest.get(), info.get(), flags, &size);
        caps.media.push_back({size.media,
                              label != nullptr ? label : "",
                              size.width,
                              size.length,
                              {size.left, size.top, size.right, size.bottom}});
    }
    cups_size_t defaultSize{};
    if (cupsGetDestMediaDefault(http.get(), dest.get(), info.get(), flags, &defaultSize))
        caps.defaultMedia = defaultSize.media;

    if (ipp_attribute_t* sources =
            cupsFindDestSupported(http.get(), dest.get(), info.get(), CUPS_MEDIA_SOURCE))
        for (int i = 0; i < ippGetCount(sources); ++i)
            if (const char* keyword = ippGetString(sources, i, nullptr))
                caps.bins.push_back({keyword, {}});
    if (ipp_attribute_t* source =
            cupsFindDestDefault(http.get(), dest.get(), info.get(), CUPS_MEDIA_SOURCE))
        if (const char* keyword = ippGetString(source, 0, nullptr))
            caps.defaultBin = keyword;
    if (ipp_attribute_t* orientation =
            cupsFindDestDefault(http.get(), dest.get(), info.get(), CUPS_ORIENTATION))
        caps.defaultOrientation = ippGetInteger(orientation, 0) == IPP_ORIENT_LANDSCAPE ? 1 : 0;
    caps.duplexModes.clear();
    if (ipp_attribute_t* sides =
            cupsFindDestSupported(http.get(), dest.get(), info.get(), CUPS_SIDES))
        for (int i = 0; i < ippGetCount(sides); ++i) {
            const char* side = ippGetString(sides, i, nullptr);
            if (side == nullptr)
                continue;
            if (std::strcmp(side, CUPS_SIDES_ONE_SIDED) == 0)
                caps.duplexModes.push_back(1);
            else if (std::strcmp(side, CUPS_SIDES_TWO_SIDED_PORTRAIT) == 0)
                caps.duplexModes.push_back(2);
            else if (std::strcmp(side, CUPS_SIDES_TWO_SIDED_LANDSCAPE) == 0)
                caps.duplexModes.push_back(3);
        }
    if (caps.duplexModes.empty())
        caps.duplexModes.push_back(1);
    if (ipp_attribute_t* resolution =
            cupsFindDestDefault(http.get(), dest.get(), info.get(), "printer-resolution")) {
        int y = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        int x = ippGetResolution(resolution, 0, &y, &units);
        if (units == IPP_RES_PER_CM) {
            x = x * 254 / 100;
            y = y * 254 / 100;
        }
        if (x >= 72 && y >= 72) {
            caps.dpiX = x;
            caps.dpiY = y;
        }
    }
    return true;
}

bool readStatus(const std::string& destination, TRMCupsStatus& status, std::string* error) {
    Connection http = connect(error);
    if (!http)
        return false;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", destination.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char* const wanted[] = {"printer-state", "printer-state-reasons",
                                         "queued-job-count", "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(wanted)), nullptr, wanted);
    Ipp response(cupsDoRequest(http.get(), request, "/"));
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        setError(error, "无法读取打印机 " + destination + " 的状态：" + lastIppError());
        return false;
    }
    status = {};
    if (ipp_attribute_t* a = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM))
        status.state = ippGetInteger(a, 0);
    if (ipp_attribute_t* a =
            ippFindAttribute(response.get(), "printer-state-reasons", IPP_TAG_KEYWORD))
        for (int i = 0; i < ippGetCount(a); ++i)
            if (const char* reason = ippGetString(a, i, nullptr);
                reason && std::strcmp(reason, "none"))
                status.reasons.emplace_back(reason);
    if (ipp_attribute_t* a = ippFindAttribute(response.get(), "queued-job-count", IPP_TAG_INTEGER))
        status.queuedJobs = ippGetInteger(a, 0);
    if (ipp_attribute_t* a =
            ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        status.acceptingJobs = ippGetBoolean(a, 0) != 0;
    return true;
}

int submitPdf(const std::string& destination, const std::string& title, QIODevice& pdf,
              const TRMJobOptions& options, std::string* error,
              const std::function<void()>& beforeData) {
    const IgnoreSigpipe noSigpipe;
    Connection http = connect(error);
    if (!http)
        return 0;
    Dest dest = namedDest(http.get(), destination, error);
    if (!dest)
        return 0;
    DestInfo info(cupsCopyDestInfo(http.get(), dest.get()));

    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
    int jobId = 0;
    const ipp_status_t created =
        cupsCreateDestJob(http.get(), dest.get(), info.get(), &jobId, title.c_str(), count, list);
    if (created > IPP_STATUS_OK_CONFLICTING || jobId <= 0) {
        setError(error, "打印机 " + destination + " 拒绝了打印作业：" + lastIppError());
        cupsFreeOptions(count, list);
        return 0;
    }
    if (beforeData)
        beforeData();

    auto fail = [&](const std::string& what) {
        setError(error,
                 "打印作业未能送到打印机 " + destination + "（" + what + "）：" + lastIppError());
        cupsCancelDestJob(http.get(), dest.get(), jobId);
        cupsFreeOptions(count, list);
        return 0;
    };
    if (cupsStartDestDocument(http.get(), dest.get(), info.get(), jobId, title.c_str(),
                              CUPS_FORMAT_PDF, 0, nullptr, 1) != HTTP_STATUS_CONTINUE)
        return fail("开始文档");
    char buffer[65536];
    for (;;) {
        const qint64 n = pdf.read(buffer, sizeof buffer);
        if (n < 0)
            return fail("读取作业数据");
        if (n == 0)
            break;
        if (cupsWriteRequestData(http.get(), buffer, static_cast<size_t>(n)) !=
            HTTP_STATUS_CONTINUE)
            return fail("传送数据");
    }
    if (cupsFinishDestDocument(http.get(), dest.get(), info.get()) > IPP_STATUS_OK_CONFLICTING)
        return fail("结束文档");
    cupsFreeOptions(count, list);
    return jobId;
}

std::string mediaNameForSize(int width, int height) {
    if (const pwg_media_t* media = pwgMediaForSize(width, height))
        if (media->pwg != nullptr)
            return media->pwg;
    char name[128];
    if (pwgFormatSizeName(name, sizeof name, "custom", nullptr, width, height, nullptr))
        return name;
    return {};
}

} // namespace report::cups
