// Wine's math.h has the classification functions of C99 as macros only; in C++ Microsoft's
// headers give them as overloads, which libc++ relies on.
#pragma once
#include_next <math.h>

#ifdef __cplusplus
#undef isfinite
#undef isinf
#undef isnan
#undef isnormal
#undef isgreater
#undef isgreaterequal
#undef isless
#undef islessequal
#undef islessgreater
#undef isunordered

extern "C++" {
#define QRN_CLASSIFY(name, builtin)                                                       \
    inline bool name(float x) noexcept { return builtin(x); }                            \
    inline bool name(double x) noexcept { return builtin(x); }                           \
    inline bool name(long double x) noexcept { return builtin(x); }                      \
    template <class T>                                                                    \
    inline bool name(T x) noexcept { return builtin(static_cast<double>(x)); }
QRN_CLASSIFY(isfinite, __builtin_isfinite)
QRN_CLASSIFY(isinf, __builtin_isinf)
QRN_CLASSIFY(isnan, __builtin_isnan)
QRN_CLASSIFY(isnormal, __builtin_isnormal)
#undef QRN_CLASSIFY

#define QRN_COMPARE(name, builtin)                                                        \
    template <class T, class U>                                                           \
    inline bool name(T x, U y) noexcept {                                                 \
        return builtin(static_cast<long double>(x), static_cast<long double>(y));         \
    }
QRN_COMPARE(isgreater, __builtin_isgreater)
QRN_COMPARE(isgreaterequal, __builtin_isgreaterequal)
QRN_COMPARE(isless, __builtin_isless)
QRN_COMPARE(islessequal, __builtin_islessequal)
QRN_COMPARE(islessgreater, __builtin_islessgreater)
QRN_COMPARE(isunordered, __builtin_isunordered)
#undef QRN_COMPARE
}
#endif
