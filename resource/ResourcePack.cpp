#include "resource/ResourcePack.h"

namespace {

const char g_anchor = 0;  // an address inside the module that holds this code

// The directory of the module that holds this code, with a trailing separator; "" if unknown.
std::string OwnDirectory() { return platform::ModuleDirectoryOf(&g_anchor); }

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
    isLoadFromMpq_ = platform::ProcAddress<IsLoadFromMpqFn>(module_, "IsLoadFromMpq");
    gameResourcesInitialize_ = platform::ProcAddress<GameResourcesInitializeFn>(module_, "GameResourcesInitialize");
    loadFileData_ = platform::ProcAddress<LoadFileDataFn>(module_, "LoadFileData");
    freeFileData_ = platform::ProcAddress<FreeFileDataFn>(module_, "FreeFileData");
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
