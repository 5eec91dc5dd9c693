// A DLL's entry point: makes the module's statics when it is loaded and ends them, with the
// module's atexit table, when it is unloaded; DllMain, when the module has one, is called in
// between.
#include <windows.h>

#include "Runtime.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved);

// A module without DllMain of its own gets one that accepts every call.
BOOL WINAPI __qrn_NoDllMain(HINSTANCE, DWORD, void*) { return TRUE; }
#pragma comment(linker, "/alternatename:DllMain=__qrn_NoDllMain")

BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH && !qrn_runtime::InitModule(true)) return FALSE;
    const BOOL result = DllMain(instance, reason, reserved);
    if ((reason == DLL_PROCESS_ATTACH && !result) || reason == DLL_PROCESS_DETACH) qrn_runtime::EndDll();
    return result;
}

}  // extern "C"
