#pragma once

// The plug-in library, loaded with dlopen (never linked) and kept loaded for the life of
// the process: windows, metaobjects and the kept data-service reference live inside it.

#include "plugin/plugin_abi.h"

#include <QString>

#include <stdexcept>
#include <string>

namespace host {

class EPluginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
public:
    // Loads `path` and resolves both entry points; EPluginError with the loader's reason.
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    HsdwGetFormOneFn getFormOne() const { return getFormOne_; }
    HsdwGetFormOneFn getFormOneHsdw() const { return getFormOneHsdw_; }

    // The plug-in this host loads unless --plugin names another: defaultPathFor() of the
    // host's own folder.
    static std::string defaultPath();
    // The plug-in of a host in `hostDir`: the build tree's when that is the folder the host
    // was built in, else the installed one in the same tree as the host
    // (<prefix>/lib/<multiarch>/hsdwarchive/ for <prefix>/bin/), whether or not it exists.
    static std::string defaultPathFor(const QString& hostDir);

private:
    std::string path_;
    void* handle_ = nullptr;
    HsdwGetFormOneFn getFormOne_ = nullptr;
    HsdwGetFormOneFn getFormOneHsdw_ = nullptr;
};

} // namespace host
