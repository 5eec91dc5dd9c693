// Replaces the array forms of operator new and delete for the whole test program.
#include "GuardedAllocation.h"

#include <cstdlib>
#include <new>

#ifdef _WIN32
#include "platform/Platform.h"
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

struct Block {
    void* user;
    void* base;
    size_t length;
};

bool g_enabled = false;
Block g_blocks[4096];
int g_count = 0;

// Pages straight from the system, the last one closed to every access.
#ifdef _WIN32
size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}
void* MapPages(size_t length) { return VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }
void CloseLastPage(void* page, size_t length) {
    DWORD previous;
    VirtualProtect(page, length, PAGE_NOACCESS, &previous);
}
void UnmapPages(void* base, size_t) { VirtualFree(base, 0, MEM_RELEASE); }
#else
size_t PageSize() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }
void* MapPages(size_t length) {
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return base == MAP_FAILED ? nullptr : base;
}
void CloseLastPage(void* page, size_t length) { mprotect(page, length, PROT_NONE); }
void UnmapPages(void* base, size_t length) { munmap(base, length); }
#endif

void* Guarded(size_t size) {
    const size_t page = PageSize();
    const size_t span = (size + page - 1) / page * page;
    void* base = MapPages(span + page);
    if (!base || g_count == static_cast<int>(sizeof g_blocks / sizeof g_blocks[0])) throw std::bad_alloc();
    CloseLastPage(static_cast<char*>(base) + span, page);
    void* user = static_cast<char*>(base) + span - size;
    g_blocks[g_count++] = Block{user, base, span + page};
    return user;
}

bool ReleaseGuarded(void* p) {
    for (int i = 0; i < g_count; ++i) {
        if (g_blocks[i].user == p) {
            UnmapPages(g_blocks[i].base, g_blocks[i].length);
            g_blocks[i] = g_blocks[--g_count];
            return true;
        }
    }
    return false;
}

void* Allocate(size_t size) {
    if (g_enabled && size > 0) return Guarded(size);
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void Release(void* p) {
    if (!p) return;
    if (g_count > 0 && ReleaseGuarded(p)) return;
    std::free(p);
}

}  // namespace

GuardedAllocations::GuardedAllocations() { g_enabled = true; }
GuardedAllocations::~GuardedAllocations() { g_enabled = false; }

void* operator new[](size_t size) { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete[](void* p) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
