// Thin layer over the operating system for the few Windows facilities the plugin code uses,
// so that the same sources build on Windows and on Linux. On Windows the real calls are used.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else

using __int64 = long long;

// A 16-byte identifier laid out like the Windows GUID.
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

using HMODULE = void*;
using FARPROC = void*;
using errno_t = int;

// A bare name (no '/') is looked for in the program's directory first, as on Windows.
HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
int FreeLibrary(HMODULE module);
errno_t fopen_s(FILE** file, const char* fileName, const char* mode);
__int64 _atoi64(const char* text);

bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
#endif

namespace platform {

// Registry format, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
std::string GuidToString(const GUID& id);
// Accepts the registry format with or without braces, in any letter case. False (and out
// untouched) on any other text.
bool GuidFromString(const char* text, GUID& out);

// What sscanf_s(text, "%d", &value) does: skips leading white space, reads an optional sign
// and decimal digits up to the first other character. Returns false and leaves value
// untouched when there are no digits (or text is null). A number outside the 32-bit range
// saturates to INT_MAX or INT_MIN (the C runtime's own result for such text is undefined).
bool ScanInt(const char* text, int& value);

// _atoi64: leading white space, optional sign, decimal digits up to the first other
// character; 0 when there are none (or text is null). Saturates outside the 64-bit range.
__int64 ParseInt64(const char* text);

// The local calendar time of t (seconds since 1970-01-01 UTC) under the process's time zone;
// thread-safe. The zone (TZ) is read at the first conversion of the process; a change of TZ at
// run time takes effect once the process calls tzset(), as POSIX has it (asking for the zone
// again at every call would cost a look at /etc/localtime each time). False, with out
// untouched, when t cannot be represented as a calendar time.
bool LocalTime(__int64 t, std::tm& out);

// Sets the process's time zone variable TZ (empty: unset, the system's zone) and applies it to
// the conversions that follow (tzset, _tzset on Windows).
void SetTimeZone(const std::string& zone);
// Applies the zone variable as it stands now.
void ApplyTimeZone();

// "YYYY-MM-DD HH:MM:SS" of a calendar time; of t (seconds since the epoch) in local time, or
// "no valid time" when it cannot be converted.
std::string LocalTimeText(const std::tm& t);
std::string LocalTimeText(__int64 t);

// Opens an existing regular file for reading in binary mode. Anything else (a directory, a
// FIFO, a device) is refused without waiting on it: null, as for a file that does not exist.
FILE* OpenRegularFile(const char* fileName);

// The file name under which the platform's loader finds a module called `name` ("Rennak"
// gives "Rennak.dll" on Windows and "libRennak.so" elsewhere).
std::string ModuleFileName(const char* name);

// The file name of a plugin module called `name`: "QRN_DailyActivity.dll" on Windows,
// "QRN_DailyActivity.so" elsewhere (no "lib" prefix).
std::string PluginFileName(const char* name);

// Whether the module of this file name (bare names: beside the program) is loaded in the process;
// asking does not load it.
bool IsModuleLoaded(const char* fileName);

// Keeps the module holding `address` loaded until the process ends, whatever FreeLibrary is
// called later (on Windows by pinning it; elsewhere the module is linked so as never to unload).
void PinModuleOf(const void* address);

// The directory of the module (program or library) whose code or data holds `address`, with a
// trailing separator; "" when unknown.
std::string ModuleDirectoryOf(const void* address);

// The directory of the running program, with a trailing separator; "" when unknown.
std::string ProgramDirectory();

// The last loader error as text, empty when there is none.
std::string LastLoaderError();

}  // namespace platform

#include <typeinfo>

namespace platform {
// The calling thread's stack, innermost first, without the `skip` innermost callers of this
// function: "module: function+0xoffset" where the function's name is known (on Windows only
// exported functions are), "module+0xoffset" otherwise.
std::vector<std::string> CallStack(int skip);

// GetProcAddress typed as the caller expects the export to be (an exported address carries no
// type of its own); null when the module has no such export.
template <class Fn>
Fn ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The readable name of a type, as the platform's type information prints it.
std::string TypeName(const std::type_info& type);
}  // namespace platform
