// The compiler's own intrinsics. Wine's intrin.h defines __cpuid and __cpuidex as functions,
// which the compiler refuses as redefinitions of its built-ins: it is kept out.
#pragma once
#ifndef _INC_INTRIN
#define _INC_INTRIN
#endif
#include_next <intrin.h>
