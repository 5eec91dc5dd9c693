// Every form of operator new and delete, over the C runtime's heap (one for the process, so a
// block may be freed by another module). A program may replace any of them: they are weak
// definitions, and as in Microsoft's runtime the others reach the replaceable ones (the nothrow
// and array forms call operator new(size_t); every delete calls operator delete(void*)). A
// failed allocation asks the new handler (_callnewh) and throws std::bad_alloc when there is
// none.
#include <malloc.h>
#include <new.h>
#include <new>
#include <stdlib.h>

#define QRN_REPLACEABLE __attribute__((weak))

namespace std {
// std::nothrow itself comes with libc++.
new_handler __cdecl get_new_handler() noexcept {
    const new_handler handler = set_new_handler(nullptr);
    set_new_handler(handler);
    return handler;
}
}  // namespace std

QRN_REPLACEABLE void* __cdecl operator new(size_t size) {
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = malloc(size)) return block;
        if (_callnewh(size) == 0) throw std::bad_alloc();
    }
}
QRN_REPLACEABLE void* __cdecl operator new[](size_t size) { return operator new(size); }
QRN_REPLACEABLE void* __cdecl operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
QRN_REPLACEABLE void* __cdecl operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

QRN_REPLACEABLE void __cdecl operator delete(void* block) noexcept { free(block); }
QRN_REPLACEABLE void __cdecl operator delete[](void* block) noexcept { operator delete(block); }
QRN_REPLACEABLE void __cdecl operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
QRN_REPLACEABLE void __cdecl operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete[](block); }
QRN_REPLACEABLE void __cdecl operator delete(void* block, size_t) noexcept { operator delete(block); }
QRN_REPLACEABLE void __cdecl operator delete[](void* block, size_t) noexcept { operator delete[](block); }

QRN_REPLACEABLE void* __cdecl operator new(size_t size, std::align_val_t alignment) {
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = _aligned_malloc(size, static_cast<size_t>(alignment))) return block;
        if (_callnewh(size) == 0) throw std::bad_alloc();
    }
}
QRN_REPLACEABLE void* __cdecl operator new[](size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
QRN_REPLACEABLE void* __cdecl operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return operator new(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
QRN_REPLACEABLE void* __cdecl operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return operator new[](size, alignment);
    } catch (...) {
        return nullptr;
    }
}

QRN_REPLACEABLE void __cdecl operator delete(void* block, std::align_val_t) noexcept { _aligned_free(block); }
QRN_REPLACEABLE void __cdecl operator delete[](void* block, std::align_val_t alignment) noexcept {
    operator delete(block, alignment);
}
QRN_REPLACEABLE void __cdecl operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    operator delete(block, alignment);
}
QRN_REPLACEABLE void __cdecl operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    operator delete[](block, alignment);
}
QRN_REPLACEABLE void __cdecl operator delete(void* block, size_t, std::align_val_t alignment) noexcept {
    operator delete(block, alignment);
}
QRN_REPLACEABLE void __cdecl operator delete[](void* block, size_t, std::align_val_t alignment) noexcept {
    operator delete[](block, alignment);
}
