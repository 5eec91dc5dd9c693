#include "host/PluginModule.h"

namespace host {

namespace {
template <class Fn>
Fn Entry(HMODULE module, const char* name, std::string& error) {
    auto fn = platform::ProcAddress<Fn>(module, name);
    if (!fn && error.empty()) error = std::string("entry point ") + name + " not found";
    return fn;
}
}  // namespace

PluginModule::PluginModule(const std::string& file) {
    module_ = LoadLibraryA(file.c_str());
    if (!module_) {
        error_ = file + ": " + platform::LastLoaderError();
        return;
    }
    initPlugin = Entry<InitPluginFn>(module_, "InitPlugin", error_);
    releasePlugin = Entry<ReleasePluginFn>(module_, "ReleasePlugin", error_);
    initPluginContainer = Entry<InitPluginContainerFn>(module_, "InitPluginContainer", error_);
    releasePluginContainer = Entry<ReleasePluginContainerFn>(module_, "ReleasePluginContainer", error_);
}

PluginModule::~PluginModule() {
    if (module_) FreeLibrary(module_);
}

std::string DailyActivityModuleFile() { return platform::PluginFileName("QRN_DailyActivity"); }

}  // namespace host
