// What a program's and a DLL's start share: the C and C++ initialisers of the module run in
// order (the compiler lists them in the .CRT$XI and .CRT$XC sections), and static destructors
// registered with atexit run when the program exits (a program) or when the DLL is unloaded (a
// DLL, from a table of its own).
#include <corecrt_startup.h>
#include <stdlib.h>

#include "Runtime.h"

extern "C" {

// The section markers: each table lies between its A and Z entries, sorted by the linker.
#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
#pragma section(".CRT$XPA", long, read)
#pragma section(".CRT$XPZ", long, read)
#pragma section(".CRT$XTA", long, read)
#pragma section(".CRT$XTZ", long, read)
__declspec(allocate(".CRT$XIA")) _PIFV __xi_a[] = {nullptr};
__declspec(allocate(".CRT$XIZ")) _PIFV __xi_z[] = {nullptr};
__declspec(allocate(".CRT$XCA")) _PVFV __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) _PVFV __xc_z[] = {nullptr};
__declspec(allocate(".CRT$XPA")) _PVFV __xp_a[] = {nullptr};
__declspec(allocate(".CRT$XPZ")) _PVFV __xp_z[] = {nullptr};
__declspec(allocate(".CRT$XTA")) _PVFV __xt_a[] = {nullptr};
__declspec(allocate(".CRT$XTZ")) _PVFV __xt_z[] = {nullptr};

_ACRTIMP void __cdecl _initterm(_PVFV* first, _PVFV* last);
_ACRTIMP int __cdecl _initterm_e(_PIFV* first, _PIFV* last);

}  // extern "C"

namespace {
bool isDll = false;
_onexit_table_t moduleExitTable;  // a DLL's static destructors
}  // namespace

extern "C" int __cdecl atexit(_PVFV function) {
    if (isDll) return _register_onexit_function(&moduleExitTable, reinterpret_cast<_onexit_t>(function));
    return _crt_atexit(function);
}

namespace qrn_runtime {

bool InitModule(bool dll) {
    __security_init_cookie();
    isDll = dll;
    if (dll && _initialize_onexit_table(&moduleExitTable) != 0) return false;
    if (_initterm_e(__xi_a, __xi_z) != 0) return false;
    _initterm(__xc_a, __xc_z);
    InitThreadLocals();
    return true;
}

void EndDll() {
    _execute_onexit_table(&moduleExitTable);
    _initterm(__xp_a, __xp_z);
    _initterm(__xt_a, __xt_z);
    ReleaseTypeNames();
}

}  // namespace qrn_runtime
