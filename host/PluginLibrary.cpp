#include "host/PluginLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace host {

PluginLibrary::PluginLibrary(const std::string& path)
    : path_(path) {
    if (!QFileInfo::exists(QString::fromStdString(path)))
        throw EPluginError("找不到插件库：" + path);
    // RTLD_LOCAL: the plug-in's own copies of our code never mix with the host's.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        throw EPluginError("无法加载插件库：" + path + "（" + (reason ? reason : "") + "）");
    }
    getFormOne_ = reinterpret_cast<HsdwGetFormOneFn>(dlsym(handle_, HSDW_GET_FORM_ONE));
    getFormOneHsdw_ = reinterpret_cast<HsdwGetFormOneFn>(dlsym(handle_, HSDW_GET_FORM_ONE_HSDW));
    if (!getFormOne_ || !getFormOneHsdw_)
        throw EPluginError("插件库缺少入口函数 GetFormOne / GetFormOne_Hsdw：" + path);
    // Never dlclose'd: the plug-in's windows and Qt metaobjects must outlive every use.
}

std::string PluginLibrary::defaultPath() {
    return defaultPathFor(QCoreApplication::applicationDirPath());
}

std::string PluginLibrary::defaultPathFor(const QString& hostDir) {
    // An installed host never looks into a build tree, even on the machine that built it.
    const QString built = QFileInfo(QStringLiteral(HSDW_BUILD_HOST_DIR)).canonicalFilePath();
    if (!built.isEmpty() && QFileInfo(hostDir).canonicalFilePath() == built)
        return HSDW_BUILD_PLUGIN_PATH;
    return QDir::cleanPath(hostDir + QStringLiteral("/" HSDW_INSTALLED_PLUGIN_FROM_BINDIR))
        .toStdString();
}

} // namespace host
