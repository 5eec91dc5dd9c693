// Wine's winnt.h defines InterlockedCompareExchange128 as an inline function under the name of
// the compiler's built-in _InterlockedCompareExchange128; its definition is renamed away so that
// the macro reaches the built-in.
#pragma once
#define _InterlockedCompareExchange128 __qrn_wine_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128

// A Windows export (kernel32.dll) that Wine's headers do not declare.
#ifdef __cplusplus
extern "C" {
#endif
NTSYSAPI WORD NTAPI RtlCaptureStackBackTrace(DWORD skip, DWORD count, PVOID* frames, PDWORD hash);
#ifdef __cplusplus
}
#endif
