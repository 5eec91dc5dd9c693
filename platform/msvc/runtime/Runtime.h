// What the parts of the module runtime tell each other.
#pragma once

#include <stdint.h>

extern "C" {
extern uintptr_t __security_cookie;
void __cdecl __security_init_cookie();
}

namespace qrn_runtime {
// Makes the module's statics (and the calling thread's thread-locals); false when a C
// initialiser failed. A DLL's atexit registrations go to its own table from here on.
bool InitModule(bool dll);
// Runs a DLL's atexit table and terminators, at its unload.
void EndDll();
// Runs the calling thread's thread-local initialisers, once per thread.
void InitThreadLocals();
// Frees the readable type names the C runtime made for this module.
void ReleaseTypeNames();
}  // namespace qrn_runtime
