// Declarations of the C runtime's exports that Wine's stdlib.h leaves out. atexit is no export
// of the C runtime: each module has its own (platform/msvc/runtime), so it is declared without
// Wine's import attribute.
#pragma once
#define atexit __qrn_wine_atexit
#include_next <stdlib.h>
#undef atexit

#ifdef __cplusplus
extern "C" {
#endif
int __cdecl atexit(void(__cdecl* function)(void));
_ACRTIMP unsigned int __cdecl _set_abort_behavior(unsigned int flags, unsigned int mask);
#ifndef MB_CUR_MAX
#define MB_CUR_MAX ___mb_cur_max_func()
#endif
_ACRTIMP double __cdecl _strtod_l(const char* text, char** end, _locale_t locale);
_ACRTIMP float __cdecl _strtof_l(const char* text, char** end, _locale_t locale);
_ACRTIMP int __cdecl ___mb_cur_max_l_func(_locale_t locale);
_ACRTIMP int* __cdecl __sys_nerr(void);
_ACRTIMP char** __cdecl __sys_errlist(void);
#ifndef _sys_nerr
#define _sys_nerr (*__sys_nerr())
#define _sys_errlist (__sys_errlist())
#endif
#ifdef __cplusplus
}
#endif
