// Declarations of the C runtime's exports that Wine's time.h leaves out: C11's timespec_get
// (exported as _timespec64_get), _strftime_l, the reentrant conversions with 64-bit times (the
// width of time_t here), _mkgmtime, tzset and the _get_timezone family.
#pragma once
#include_next <time.h>

#ifndef TIME_UTC
#define TIME_UTC 1
#endif

#ifdef __cplusplus
extern "C" {
#endif
#ifndef _TIMESPEC_DEFINED
#define _TIMESPEC_DEFINED
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
#endif
_ACRTIMP size_t __cdecl _strftime_l(char* out, size_t size, const char* format, const struct tm* time, _locale_t locale);
_ACRTIMP errno_t __cdecl _gmtime64_s(struct tm* out, const __time64_t* time);
_ACRTIMP __time64_t __cdecl _mkgmtime64(struct tm* time);
_ACRTIMP errno_t __cdecl _get_timezone(long* seconds);
_ACRTIMP errno_t __cdecl _get_daylight(int* hours);
_ACRTIMP errno_t __cdecl _get_dstbias(long* seconds);
_ACRTIMP errno_t __cdecl _get_tzname(size_t* length, char* out, size_t size, int index);
static __inline errno_t __cdecl localtime_s(struct tm* out, const time_t* time) { return _localtime64_s(out, time); }
static __inline errno_t __cdecl gmtime_s(struct tm* out, const time_t* time) { return _gmtime64_s(out, time); }
static __inline time_t __cdecl _mkgmtime(struct tm* time) { return _mkgmtime64(time); }
static __inline void __cdecl tzset(void) { _tzset(); }
struct _timespec64;
_ACRTIMP int __cdecl _timespec64_get(struct _timespec64* ts, int base);
static __inline int __cdecl timespec_get(struct timespec* ts, int base) {
    return _timespec64_get((struct _timespec64*)ts, base);
}
#ifdef __cplusplus
}
#endif
