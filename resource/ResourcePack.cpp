#include "resource/ResourcePack.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// The directory of the module that holds this code, with a trailing '/'; "" if unknown.
std::string OwnDirectory() {
#ifndef _WIN32
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&OwnDirectory), &info) && info.dli_fname) {
        std::string path(info.dli_fname);
        size_t slash = path.rfind('/');
        if (slash != std::string::npos) return path.substr(0, slash + 1);
    }
#endif
    return std::string();
}

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

}  // namespace

ResourcePack& ResourcePack::GetInstance() {
    static ResourcePack pack([] {
        const std::string name = platform::ModuleFileName("Rennak");
        const std::string ownDirectory = OwnDirectory();
        if (ownDirectory.empty()) return name;
        const std::string besideUs = ownDirectory + name;
        FILE* probe = nullptr;
        if (fopen_s(&probe, besideUs.c_str(), "rb") != 0) return name;
        std::fclose(probe);
        return besideUs;
    }());
    return pack;
}

ResourcePack::ResourcePack(const std::string& moduleFile) {
    Clear();
    module_ = LoadLibraryA(moduleFile.c_str());
    if (!module_) return;
    isLoadFromMpq_ = Lookup<IsLoadFromMpqFn>(module_, "IsLoadFromMpq");
    gameResourcesInitialize_ = Lookup<GameResourcesInitializeFn>(module_, "GameResourcesInitialize");
    loadFileData_ = Lookup<LoadFileDataFn>(module_, "LoadFileData");
    freeFileData_ = Lookup<FreeFileDataFn>(module_, "FreeFileData");
    if (!isLoadFromMpq_ || !gameResourcesInitialize_ || !loadFileData_ || !freeFileData_) {
        FreeLibrary(module_);
        Clear();
        return;
    }
    gameResourcesInitialize_();
}

ResourcePack::~ResourcePack() {
    if (module_) FreeLibrary(module_);
    Clear();
}

bool ResourcePack::IsActive() const { return module_ && isLoadFromMpq_ && isLoadFromMpq_(); }

void ResourcePack::Clear() {
    module_ = nullptr;
    isLoadFromMpq_ = nullptr;
    loadFileData_ = nullptr;
    freeFileData_ = nullptr;
    gameResourcesInitialize_ = nullptr;
}
