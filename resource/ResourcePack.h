// The optional resource pack module. When it is present and says so, XML files are read
// from the pack by name instead of from disk.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

class ResourcePack {
public:
    using IsLoadFromMpqFn = bool (*)();
    using LoadFileDataFn = void* (*)(const char* fileName, int32_t* size, int mode);
    using FreeFileDataFn = void (*)(void* block);
    using GameResourcesInitializeFn = bool (*)();

    // The mode the module always asks LoadFileData for.
    static constexpr int kLoadMode = 2;

    // The process-wide pack, made on the first call: the module named
    // platform::ModuleFileName("Rennak"), looked for next to the module that holds this code,
    // then on the loader's path.
    static ResourcePack& GetInstance();

    // A pack from the given module file (a path, or a bare name for the loader's search).
    // Absent when the file does not load or lacks one of the four entry points; otherwise
    // GameResourcesInitialize has been called once.
    explicit ResourcePack(const std::string& moduleFile);
    // Frees the module.
    ~ResourcePack();
    ResourcePack(const ResourcePack&) = delete;
    ResourcePack& operator=(const ResourcePack&) = delete;

    bool IsLoaded() const { return module_ != nullptr; }
    // Loaded, and the module answers that files come from the pack. Asked afresh each time.
    bool IsActive() const;

    HMODULE Module() const { return module_; }
    IsLoadFromMpqFn IsLoadFromMpq() const { return isLoadFromMpq_; }
    LoadFileDataFn LoadFileData() const { return loadFileData_; }
    FreeFileDataFn FreeFileData() const { return freeFileData_; }

private:
    void Clear();

    HMODULE module_ = nullptr;
    IsLoadFromMpqFn isLoadFromMpq_ = nullptr;
    LoadFileDataFn loadFileData_ = nullptr;
    FreeFileDataFn freeFileData_ = nullptr;
    GameResourcesInitializeFn gameResourcesInitialize_ = nullptr;
};
