// Declarations of the C runtime's exports that Wine's wchar.h leaves out.
#pragma once
#include_next <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP long double __cdecl wcstold(const wchar_t* text, wchar_t** end);
_ACRTIMP errno_t __cdecl wcrtomb_s(size_t* written, char* out, size_t size, wchar_t c, mbstate_t* state);
#ifdef __cplusplus
}
#endif
