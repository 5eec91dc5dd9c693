// Replaces the array forms of operator new and delete for the whole test program.
#include "GuardedAllocation.h"

#include <cstdlib>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Block {
    void* user;
    void* base;
    size_t length;
};

bool g_enabled = false;
Block g_blocks[4096];
int g_count = 0;

void* Guarded(size_t size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t span = (size + page - 1) / page * page;
    void* base = mmap(nullptr, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED || g_count == static_cast<int>(sizeof g_blocks / sizeof g_blocks[0])) throw std::bad_alloc();
    mprotect(static_cast<char*>(base) + span, page, PROT_NONE);
    void* user = static_cast<char*>(base) + span - size;
    g_blocks[g_count++] = Block{user, base, span + page};
    return user;
}

bool ReleaseGuarded(void* p) {
    for (int i = 0; i < g_count; ++i) {
        if (g_blocks[i].user == p) {
            munmap(g_blocks[i].base, g_blocks[i].length);
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
