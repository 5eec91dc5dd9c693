// Thin layer over the operating system for the few Windows facilities the plugin code uses,
// so that the same sources build on Windows and on Linux. On Windows the real calls are used.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#ifdef _WIN32
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
#endif

bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

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

// The directory of the running program, with a trailing separator; "" when unknown.
std::string ProgramDirectory();

// The last loader error as text, empty when there is none.
std::string LastLoaderError();

}  // namespace platform

#include <typeinfo>

namespace platform {
// The readable name of a type, as the platform's type information prints it.
std::string TypeName(const std::type_info& type);
}  // namespace platform
