// Thread-locals: the module's TLS directory (the loader gives every thread a copy of the .tls
// section and calls the callbacks listed in .CRT$XL at each thread's start and end), the
// initialisers of thread-locals with dynamic initialisation (listed by the compiler in .CRT$XD)
// and the destructors that thread-locals register as they are made (__tlregdtor), run in
// reverse order when the thread ends (or, for the thread that unloads the module, when the
// module is unloaded). The loader frees a thread's TLS blocks only after every callback of
// every module has run, so a destructor may still use any thread-local.
#include <corecrt_startup.h>
#include <stdlib.h>
#include <windows.h>

#include "Runtime.h"

extern "C" {

ULONG _tls_index = 0;

#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;

#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLC", long, read)
#pragma section(".CRT$XLD", long, read)
#pragma section(".CRT$XLZ", long, read)
#pragma section(".CRT$XDA", long, read)
#pragma section(".CRT$XDZ", long, read)
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;
__declspec(allocate(".CRT$XDA")) _PVFV __xd_a = nullptr;
__declspec(allocate(".CRT$XDZ")) _PVFV __xd_z = nullptr;

#pragma section(".rdata$T", long, read)
__declspec(allocate(".rdata$T")) extern const IMAGE_TLS_DIRECTORY64 _tls_used = {
    reinterpret_cast<ULONGLONG>(&_tls_start),
    reinterpret_cast<ULONGLONG>(&_tls_end),
    reinterpret_cast<ULONGLONG>(&_tls_index),
    reinterpret_cast<ULONGLONG>(&__xl_a + 1),
    0,
    0,
};

}  // extern "C"

namespace {

using Destructor = void(__cdecl*)();

// The calling thread's registered destructors, in order of registration; the array is a heap
// block of the C runtime.
struct Destructors {
    Destructor* items;
    size_t count;
    size_t capacity;
};
__declspec(thread) Destructors threadDestructors;
__declspec(thread) bool threadInitialised;

void RunThreadDestructors() {
    Destructors& list = threadDestructors;
    // A destructor may make and register another thread-local: it runs too.
    while (list.count > 0) {
        const Destructor destructor = list.items[--list.count];
        destructor();
    }
    free(list.items);
    list = Destructors{};
}

void NTAPI ThreadStarts(void*, DWORD reason, void*) {
    if (reason == DLL_THREAD_ATTACH) qrn_runtime::InitThreadLocals();
}

void NTAPI ThreadEnds(void*, DWORD reason, void*) {
    if (reason == DLL_THREAD_DETACH || reason == DLL_PROCESS_DETACH) RunThreadDestructors();
}

}  // namespace

extern "C" {

__declspec(allocate(".CRT$XLC")) PIMAGE_TLS_CALLBACK __qrn_tls_starts = ThreadStarts;
__declspec(allocate(".CRT$XLD")) PIMAGE_TLS_CALLBACK __qrn_tls_ends = ThreadEnds;
#pragma comment(linker, "/include:__qrn_tls_starts")
#pragma comment(linker, "/include:__qrn_tls_ends")

// Registers the destructor of a thread-local just made; 0 on success.
int __cdecl __tlregdtor(Destructor destructor) {
    Destructors& list = threadDestructors;
    if (list.count == list.capacity) {
        const size_t capacity = list.capacity ? list.capacity * 2 : 16;
        void* items = realloc(list.items, capacity * sizeof(Destructor));
        if (!items) return -1;
        list.items = static_cast<Destructor*>(items);
        list.capacity = capacity;
    }
    list.items[list.count++] = destructor;
    return 0;
}

}  // extern "C"

namespace qrn_runtime {
void InitThreadLocals() {
    if (threadInitialised) return;
    threadInitialised = true;
    for (const _PVFV* it = &__xd_a + 1; it < &__xd_z; ++it) {
        if (*it) (*it)();
    }
}
}  // namespace qrn_runtime
