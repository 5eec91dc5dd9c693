#include "platform/Platform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif
#ifdef _WIN32
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cstdlib>

#ifndef _WIN32
bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}
#endif

namespace {

const char* SkipSpace(const char* p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// isdigit's answer in every locale, without a call per byte.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads [sign]digits; saturates at the bounds. Returns false when no digit follows.
bool ScanSigned(const char* text, long long lo, long long hi, long long& out) {
    if (!text) return false;
    // A digit or a sign is white space in no locale: the usual text asks nothing of it.
    const char* p = IsDigit(*text) || *text == '-' || *text == '+' ? text : SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (!IsDigit(*p)) return false;
    // Accumulate as a negative number so that the lowest value fits. Eighteen digits never
    // reach it; later ones are checked one by one.
    long long value = 0;
    for (int n = 0; n < 18 && IsDigit(*p); ++n, ++p) value = value * 10 - (*p - '0');
    bool overflow = false;
    for (; IsDigit(*p); ++p) {
        int digit = *p - '0';
        if (!overflow) {
            // value * 10 - digit would pass LLONG_MIN (which ends in 8).
            constexpr long long kLimit = LLONG_MIN / 10;
            if (value < kLimit || (value == kLimit && digit > 8)) {
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

void SetTimeZone(const std::string& zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone.c_str());  // an empty value removes the variable
#else
    if (zone.empty()) {
        unsetenv("TZ");
    } else {
        setenv("TZ", zone.c_str(), 1);
    }
#endif
    ApplyTimeZone();
}

void ApplyTimeZone() {
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

namespace {
// The file name of the module whose code or data holds address, "" when unknown; on Windows
// also its handle.
std::string ModulePathOf(const void* address, HMODULE* handle = nullptr) {
#ifdef _WIN32
    HMODULE module = nullptr;
    char name[MAX_PATH];
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module)) {
        return std::string();
    }
    if (handle) *handle = module;
    const DWORD length = GetModuleFileNameA(module, name, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(name, length) : std::string();
#else
    (void)handle;
    Dl_info info;
    return dladdr(address, &info) && info.dli_fname ? std::string(info.dli_fname) : std::string();
#endif
}
}  // namespace

std::string ModuleDirectoryOf(const void* address) {
    const std::string path = ModulePathOf(address);
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

bool IsModuleLoaded(const char* fileName) {
    if (!fileName) return false;
#ifdef _WIN32
    return GetModuleHandleA(fileName) != nullptr;
#else
    std::string path = fileName;
    if (!std::strchr(fileName, '/') && access((ProgramDirectory() + fileName).c_str(), F_OK) == 0) {
        path = ProgramDirectory() + fileName;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // NOLOAD took a reference of its own
    return handle != nullptr;
#endif
}

void PinModuleOf(const void* address) {
#ifdef _WIN32
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       static_cast<LPCSTR>(address), &module);
#else
    (void)address;
#endif
}

std::string PluginFileName(const char* name) {
#ifdef _WIN32
    return std::string(name) + ".dll";
#else
    return std::string(name) + ".so";
#endif
}


namespace {

std::string Demangled(const std::string& name) {
#if defined(__GNUC__)
    int status = 0;
    char* readable = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    std::string out = (status == 0 && readable) ? readable : name;
    std::free(readable);
    return out;
#else
    return name;
#endif
}

#ifdef _WIN32
std::string Hex(uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

// The exported function nearest below address in its module; the module's file name.
std::string DescribeAddress(void* address) {
    HMODULE module = nullptr;
    std::string name = ModulePathOf(address, &module);
    if (!module) return Hex(reinterpret_cast<uintptr_t>(address));
    name = name.substr(name.find_last_of("\\/") + 1);
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    if (static_cast<const unsigned char*>(address) < base) return Hex(reinterpret_cast<uintptr_t>(address));
    const uintptr_t offset = static_cast<const unsigned char*>(address) - base;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const char* best = nullptr;
    uintptr_t bestRva = 0;
    if (dir.Size != 0) {
        const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
        const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
            const uintptr_t rva = functions[ordinals[i]];
            if (rva <= offset && rva >= bestRva) {
                best = reinterpret_cast<const char*>(base + names[i]);
                bestRva = rva;
            }
        }
    }
    if (!best) return name + "+" + Hex(offset);
    return name + ": " + Demangled(best) + "+" + Hex(offset - bestRva);
}
#else
// "module(mangled+0x1f) [0x...]" -> "module: demangled+0x1f"
std::string DescribeSymbol(const char* symbol) {
    std::string s(symbol);
    size_t open = s.find('('), plus = s.find('+', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || plus == std::string::npos || plus == open + 1) return s;
    std::string out = s.substr(0, open) + ": " + Demangled(s.substr(open + 1, plus - open - 1));
    size_t close = s.find(')', plus);
    if (close != std::string::npos) out += s.substr(plus, close - plus);
    return out;
}
#endif

}  // namespace

std::vector<std::string> CallStack(int skip) {
    std::vector<std::string> out;
    void* frames[64];
    ++skip;  // this function
#ifdef _WIN32
    const int count = RtlCaptureStackBackTrace(0, 64, frames, nullptr);
    for (int i = skip; i < count; ++i) out.push_back(DescribeAddress(frames[i]));
#else
    const int count = backtrace(frames, 64);
    char** symbols = backtrace_symbols(frames, count);
    for (int i = skip; i < count; ++i) out.push_back(symbols ? DescribeSymbol(symbols[i]) : std::string("?"));
    std::free(symbols);
#endif
    return out;
}

std::string TypeName(const std::type_info& type) { return Demangled(type.name()); }

std::string LastLoaderError() {
#ifdef _WIN32
    return std::to_string(GetLastError());
#else
    const char* e = dlerror();
    return e ? e : "";
#endif
}

}  // namespace platform
