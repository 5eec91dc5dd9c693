// The array forms of the bounded printf functions that Microsoft's stdio.h offers in C++ (the
// size comes from the array); Wine's has the C forms only.
#pragma once
#include_next <stdio.h>

#ifdef __cplusplus
extern "C++" {
template <size_t N>
inline int __cdecl _snprintf_s(char (&buffer)[N], size_t count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = _vsnprintf_s(buffer, N, count, format, args);
    va_end(args);
    return result;
}
template <size_t N>
inline int __cdecl sprintf_s(char (&buffer)[N], const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = vsprintf_s(buffer, N, format, args);
    va_end(args);
    return result;
}
template <size_t N>
inline int __cdecl _vsnprintf_s(char (&buffer)[N], size_t count, const char* format, va_list args) {
    return _vsnprintf_s(buffer, N, count, format, args);
}
template <size_t N>
inline int __cdecl vsprintf_s(char (&buffer)[N], const char* format, va_list args) {
    return vsprintf_s(buffer, N, format, args);
}
}
#endif
