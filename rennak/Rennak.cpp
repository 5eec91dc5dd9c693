// Stand-in for the resource pack module: serves files from a pack directory.
//
// Configuration, read by GameResourcesInitialize: the environment variable RENNAK_PACK_DIR,
// else the first line "pack=<directory>" of Rennak.ini next to this library. Without a
// directory (or when it does not exist) IsLoadFromMpq answers false. RennakSetPackDirectory
// changes the directory at run time (tools and tests).
//
// Only regular files inside the pack directory are served: names are relative and may not
// climb out, and a symbolic link that leads outside, a directory, a FIFO or a device is
// refused without being read.
//
// Built in variants for tests: RENNAK_WITHOUT_FREE leaves out FreeFileData;
// RENNAK_NEVER_FROM_PACK makes IsLoadFromMpq answer false whatever the configuration;
// RENNAK_NEGATIVE_SIZE hands out every block with a negative size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/Platform.h"

#ifdef _WIN32
#define RENNAK_API extern "C" __declspec(dllexport)
#else
#define RENNAK_API extern "C" __attribute__((visibility("default")))
#endif

namespace fs = std::filesystem;

namespace {

std::string g_packDirectory;
int g_initializeCount = 0;
int g_outstandingBlocks = 0;

[[maybe_unused]] bool IsDirectory(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

const char g_anchor = 0;

std::string OwnDirectory() {
    const std::string directory = platform::ModuleDirectoryOf(&g_anchor);
    return directory.empty() ? "./" : directory;
}

// Pack names are relative and may not climb out of the pack (nor name a drive). Windows names
// separate with '\\' as well as '/'.
bool IsSafePackName(const std::string& name) {
#ifdef _WIN32
    const char* separators = "/\\";
#else
    const char* separators = "/";
    if (name.find('\\') != std::string::npos) return false;
#endif
    if (name.empty() || std::strchr(separators, name[0]) || name.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find_first_of(separators, start);
        if (slash == std::string::npos) slash = name.size();
        if (name.compare(start, slash - start, "..") == 0 && slash - start == 2) return false;
        start = slash + 1;
    }
    return true;
}

// The file's resolved path when it lies inside the pack directory (links followed); "" otherwise.
std::string InsidePack(const std::string& name) {
    std::error_code error;
    const fs::path root = fs::canonical(g_packDirectory, error);
    if (error) return std::string();
    const fs::path file = fs::canonical(fs::path(g_packDirectory) / name, error);
    if (error) return std::string();
    const std::string prefix = (root / "").string();
    const std::string resolved = file.string();
    return resolved.compare(0, prefix.size(), prefix) == 0 ? resolved : std::string();
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
    const std::string path = InsidePack(fileName);
    if (path.empty()) return nullptr;
    // Opened without waiting: a FIFO put there after the check must not hang the loader.
    FILE* file = platform::OpenRegularFile(path.c_str());
    if (!file) return nullptr;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() + n <= 0x7FFFFFFE) bytes.append(buffer, n);
    const bool whole = std::feof(file) && !std::ferror(file);
    std::fclose(file);
    if (!whole) return nullptr;
    const size_t length = bytes.size();
    char* block = new char[length + 1];
    std::memcpy(block, bytes.data(), length);
#ifdef RENNAK_NEGATIVE_SIZE
    *size = -static_cast<int32_t>(length) - 1;
#else
    *size = static_cast<int32_t>(length);
#endif
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
