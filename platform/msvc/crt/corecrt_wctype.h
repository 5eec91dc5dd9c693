// Declarations of the C runtime's exports that Wine's corecrt_wctype.h leaves out.
#pragma once
#include_next <corecrt_wctype.h>

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP int __cdecl _iswcntrl_l(wint_t c, _locale_t locale);
_ACRTIMP int __cdecl _iswxdigit_l(wint_t c, _locale_t locale);
#ifdef __cplusplus
}
#endif
