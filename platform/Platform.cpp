#include "platform/Platform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

#ifdef _WIN32
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <cxxabi.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cstdlib>

bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {

const char* SkipSpace(const char* p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// Reads [sign]digits; saturates at the bounds. Returns false when no digit follows.
bool ScanSigned(const char* text, long long lo, long long hi, long long& out) {
    if (!text) return false;
    const char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    // Accumulate as a negative number so that the lowest value fits.
    long long value = 0;
    bool overflow = false;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        int digit = *p - '0';
        if (!overflow) {
            if (value < (LLONG_MIN + digit) / 10) {
                overflow = true;
            } else {
                value = value * 10 - digit;
            }
        }
    }
    if (overflow) {
        out = negative ? lo : hi;
    } else if (negative) {
        out = value < lo ? lo : value;
    } else {
        out = (value < -hi) ? hi : -value;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

#ifndef _WIN32
// As Windows does, a bare module name is looked for in the program's directory first, then
// along the loader's search path.
HMODULE LoadLibraryA(const char* fileName) {
    if (!fileName) return nullptr;
    if (*fileName && !std::strchr(fileName, '/')) {
        const std::string directory = platform::ProgramDirectory();
        const std::string path = directory + fileName;
        if (!directory.empty() && access(path.c_str(), F_OK) == 0) return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    if (!module || !procName) return nullptr;
    return dlsym(module, procName);
}

int FreeLibrary(HMODULE module) {
    if (!module) return 0;
    return dlclose(module) == 0 ? 1 : 0;
}

errno_t fopen_s(FILE** file, const char* fileName, const char* mode) {
    if (!file) return EINVAL;
    *file = nullptr;
    if (!fileName || !mode) return EINVAL;
    *file = std::fopen(fileName, mode);
    return *file ? 0 : (errno ? errno : ENOENT);
}

__int64 _atoi64(const char* text) { return platform::ParseInt64(text); }
#endif

namespace platform {

std::string GuidToString(const GUID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                  id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}

bool GuidFromString(const char* text, GUID& out) {
    if (!text) return false;
    std::string s(text);
    if (s.size() == 38) {
        if (s.front() != '{' || s.back() != '}') return false;
        s = s.substr(1, 36);
    }
    if (s.size() != 36) return false;
    uint8_t bytes[16];
    int n = 0;
    for (size_t i = 0; i < s.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (s[i] != '-') return false;
            ++i;
            continue;
        }
        int hi = HexValue(s[i]), lo = HexValue(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
        i += 2;
    }
    GUID id;
    id.Data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    id.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    id.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(id.Data4, bytes + 8, 8);
    out = id;
    return true;
}

bool ScanInt(const char* text, int& value) {
    long long v;
    if (!ScanSigned(text, INT_MIN, INT_MAX, v)) return false;
    value = static_cast<int>(v);
    return true;
}

__int64 ParseInt64(const char* text) {
    long long v = 0;
    if (!ScanSigned(text, LLONG_MIN, LLONG_MAX, v)) return 0;
    return v;
}

std::string ModuleFileName(const char* name) {
#ifdef _WIN32
    return std::string(name) + ".dll";
#else
    return std::string("lib") + name + ".so";
#endif
}

bool LocalTime(__int64 t, std::tm& out) {
    if (static_cast<__int64>(static_cast<time_t>(t)) != t) return false;
    const time_t value = static_cast<time_t>(t);
    std::tm result{};
#ifdef _WIN32
    if (localtime_s(&result, &value) != 0) return false;
#else
    if (!localtime_r(&value, &result)) return false;
#endif
    out = result;
    return true;
}

std::string ProgramDirectory() {
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    size_t slash = exe.find_last_of("\\/");
#else
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return std::string();
    std::string exe(path, static_cast<size_t>(length));
    size_t slash = exe.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::string LocalTimeText(const std::tm& t) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

std::string LocalTimeText(__int64 t) {
    std::tm local{};
    return LocalTime(t, local) ? LocalTimeText(local) : std::string("no valid time");
}

FILE* OpenRegularFile(const char* fileName) {
    if (!fileName) return nullptr;
#ifdef _WIN32
    FILE* file = nullptr;
    if (fopen_s(&file, fileName, "rb") != 0 || !file) return nullptr;
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return nullptr;
    }
    return file;
#else
    // Without O_NONBLOCK the open of a FIFO waits for a writer.
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
#endif
}

std::string PluginFileName(const char* name) {
#ifdef _WIN32
    return std::string(name) + ".dll";
#else
    return std::string(name) + ".so";
#endif
}

std::string TypeName(const std::type_info& type) {
#ifdef _WIN32
    return type.name();
#else
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = (status == 0 && readable) ? readable : type.name();
    std::free(readable);
    return name;
#endif
}

std::string LastLoaderError() {
#ifdef _WIN32
    return std::to_string(GetLastError());
#else
    const char* e = dlerror();
    return e ? e : "";
#endif
}

}  // namespace platform
