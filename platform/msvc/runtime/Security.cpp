// The stack guard's cookie (for code built with stack checks) and the marker that a module
// uses floating point.
#include <windows.h>

#include "Runtime.h"

extern "C" {

int _fltused = 0x9875;

uintptr_t __security_cookie = 0x00002B992DDFA232ull;
uintptr_t __security_cookie_complement = ~0x00002B992DDFA232ull;

void __cdecl __security_init_cookie() {
    constexpr uintptr_t kDefault = 0x00002B992DDFA232ull;
    if (__security_cookie != kDefault) return;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uintptr_t cookie = (static_cast<uintptr_t>(now.dwHighDateTime) << 32) ^ now.dwLowDateTime;
    cookie ^= static_cast<uintptr_t>(GetCurrentThreadId()) << 16;
    cookie ^= static_cast<uintptr_t>(GetCurrentProcessId()) << 32;
    cookie ^= static_cast<uintptr_t>(counter.QuadPart) << 24 ^ static_cast<uintptr_t>(counter.QuadPart);
    cookie ^= reinterpret_cast<uintptr_t>(&cookie);
    cookie &= 0x0000FFFFFFFFFFFFull;  // as Microsoft's: the top bits stay clear
    if (cookie == kDefault) ++cookie;
    __security_cookie = cookie;
    __security_cookie_complement = ~cookie;
}

void __cdecl __security_check_cookie(uintptr_t cookie) {
    if (cookie != __security_cookie) __fastfail(2);  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
}

}  // extern "C"
