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
#include <fstream>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
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

// The file's resolved path when it is a regular file inside the pack directory; "" otherwise.
std::string InsidePack(const std::string& name) {
    char* root = realpath(g_packDirectory.c_str(), nullptr);
    char* file = realpath((g_packDirectory + "/" + name).c_str(), nullptr);
    std::string resolved;
    if (root && file) {
        const std::string prefix = std::string(root) + "/";
        if (std::strncmp(file, prefix.c_str(), prefix.size()) == 0) resolved = file;
    }
    std::free(root);
    std::free(file);
    return resolved;
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
    // Not blocking: a FIFO put there after the check must not hang the loader.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > 0x7FFFFFFE) {
        close(fd);
        return nullptr;
    }
    const size_t length = static_cast<size_t>(st.st_size);
    char* block = new char[length + 1];
    size_t got = 0;
    while (got < length) {
        const ssize_t n = read(fd, block + got, length - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != length) {
        delete[] block;
        return nullptr;
    }
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
