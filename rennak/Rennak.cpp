// Stand-in for the resource pack module: serves files from a pack directory.
//
// Configuration, read by GameResourcesInitialize: the environment variable RENNAK_PACK_DIR,
// else the first line "pack=<directory>" of Rennak.ini next to this library. Without a
// directory (or when it does not exist) IsLoadFromMpq answers false. RennakSetPackDirectory
// changes the directory at run time (tools and tests).
//
// Built in variants for tests: RENNAK_WITHOUT_FREE leaves out FreeFileData;
// RENNAK_NEVER_FROM_PACK makes IsLoadFromMpq answer false whatever the configuration.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <dlfcn.h>
#include <sys/stat.h>

#define RENNAK_API extern "C" __attribute__((visibility("default")))

namespace {

std::string g_packDirectory;
int g_initializeCount = 0;
int g_outstandingBlocks = 0;

[[maybe_unused]] bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string OwnDirectory() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&OwnDirectory), &info) && info.dli_fname) {
        std::string path(info.dli_fname);
        size_t slash = path.rfind('/');
        if (slash != std::string::npos) return path.substr(0, slash + 1);
    }
    return "./";
}

// Pack names are relative and may not climb out of the pack.
bool IsSafePackName(const std::string& name) {
    if (name.empty() || name[0] == '/' || name.find('\\') != std::string::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string::npos) slash = name.size();
        if (name.compare(start, slash - start, "..") == 0 && slash - start == 2) return false;
        start = slash + 1;
    }
    return true;
}

}  // namespace

RENNAK_API bool GameResourcesInitialize() {
    ++g_initializeCount;
    if (const char* fromEnv = std::getenv("RENNAK_PACK_DIR")) {
        g_packDirectory = fromEnv;
        return true;
    }
    std::ifstream ini(OwnDirectory() + "Rennak.ini");
    std::string line;
    if (std::getline(ini, line) && line.rfind("pack=", 0) == 0) g_packDirectory = line.substr(5);
    return true;
}

RENNAK_API bool IsLoadFromMpq() {
#ifdef RENNAK_NEVER_FROM_PACK
    return false;
#else
    return IsDirectory(g_packDirectory);
#endif
}

// Mode 2 is the only one served. The block holds exactly the file's bytes; an empty file
// gives a block of size 0, which FreeFileData takes back like any other.
RENNAK_API void* LoadFileData(const char* fileName, int32_t* size, int mode) {
    if (size) *size = 0;
    if (!fileName || !size || mode != 2 || !IsSafePackName(fileName)) return nullptr;
    std::FILE* file = std::fopen((g_packDirectory + "/" + fileName).c_str(), "rb");
    if (!file) return nullptr;
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    if (bytes.size() > 0x7FFFFFFF) return nullptr;
    char* block = new char[bytes.size() + 1];
    std::memcpy(block, bytes.data(), bytes.size());
    *size = static_cast<int32_t>(bytes.size());
    ++g_outstandingBlocks;
    return block;
}

#ifndef RENNAK_WITHOUT_FREE
RENNAK_API void FreeFileData(void* block) {
    if (!block) return;
    --g_outstandingBlocks;
    delete[] static_cast<char*>(block);
}
#endif

RENNAK_API void RennakSetPackDirectory(const char* directory) { g_packDirectory = directory ? directory : ""; }
RENNAK_API int RennakInitializeCount() { return g_initializeCount; }
RENNAK_API int RennakOutstandingBlocks() { return g_outstandingBlocks; }
