#include "host/PluginModule.h"

#include <cstdio>

#include "host/PluginAbi.h"

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
#ifdef _WIN32
    // A module of the other C++ ABI or standard library is refused before any of its code runs.
    std::string path = file;
    if (file.find_first_of("/\\") == std::string::npos) {
        const std::string beside = platform::ProgramDirectory() + file;
        if (FILE* found = platform::OpenRegularFile(beside.c_str())) {
            std::fclose(found);
            path = beside;
        }
    }
    const std::string problem = PluginAbiProblem(path, kHostAbi);
    if (!problem.empty()) {
        error_ = file + ": refused: " + problem;
        return;
    }
#endif
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
