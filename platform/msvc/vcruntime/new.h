// The C runtime's new handler (called by operator new before it gives up) and the standard
// library's.
#pragma once

#include <vcruntime.h>
#ifdef __cplusplus
#include <vcruntime_new.h>

typedef int(__cdecl* _PNH)(size_t);
extern "C" {
__declspec(dllimport) _PNH __cdecl _query_new_handler(void);
__declspec(dllimport) _PNH __cdecl _set_new_handler(_PNH handler);
__declspec(dllimport) int __cdecl _callnewh(size_t size);
}

namespace std {
typedef void(__cdecl* new_handler)();
__declspec(dllimport) new_handler __cdecl set_new_handler(new_handler handler) noexcept;
new_handler __cdecl get_new_handler() noexcept;
}  // namespace std
#endif
