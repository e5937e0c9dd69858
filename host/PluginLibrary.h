#pragma once

// The plug-in library, loaded with dlopen (never linked) and kept loaded for the life of
// the process: windows, metaobjects and the kept data-service reference live inside it.

#include "plugin/plugin_abi.h"

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

    // The library built alongside the host (overridable with --plugin).
    static std::string defaultPath();

private:
    std::string path_;
    void* handle_ = nullptr;
    HsdwGetFormOneFn getFormOne_ = nullptr;
    HsdwGetFormOneFn getFormOneHsdw_ = nullptr;
};

} // namespace host
