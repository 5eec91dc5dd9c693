// A plugin module loaded by file name through the platform's loader, as the game client
// loads it, with its four entry points looked up by their plain names.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "plugin/PluginEntry.h"

namespace host {

class PluginModule {
public:
    // Loads file (a bare name is searched beside the program first). Check IsLoaded().
    explicit PluginModule(const std::string& file);
    // Unloads the module.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // The module loaded and exports all four entry points.
    bool IsLoaded() const { return module_ && initPlugin && releasePlugin && initPluginContainer && releasePluginContainer; }
    // Why it did not load.
    const std::string& Error() const { return error_; }
    HMODULE Handle() const { return module_; }

    InitPluginFn initPlugin = nullptr;
    ReleasePluginFn releasePlugin = nullptr;
    InitPluginContainerFn initPluginContainer = nullptr;
    ReleasePluginContainerFn releasePluginContainer = nullptr;

private:
    HMODULE module_ = nullptr;
    std::string error_;
};

// The daily activity module's file name on this platform.
std::string DailyActivityModuleFile();

}  // namespace host
