// Replaces every form of operator new and delete for the whole test program.
#include "CountingAllocation.h"

#include <cstdlib>
#include <new>

namespace {

// A header in front of every block keeps its size.
constexpr size_t kHeader = 16;

size_t g_alive = 0, g_base = 0, g_peak = 0, g_big = 0;
int g_bigAlive = 0, g_bigPeak = 0;

#ifndef _WIN32
void* Allocate(size_t size) {
    char* p = static_cast<char*>(std::malloc(size + kHeader));
    if (!p) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(p) = size;
    g_alive += size;
    if (g_alive > g_peak) g_peak = g_alive;
    if (g_big && size >= g_big && ++g_bigAlive > g_bigPeak) g_bigPeak = g_bigAlive;
    return p + kHeader;
}

void Release(void* user) {
    if (!user) return;
    char* p = static_cast<char*>(user) - kHeader;
    const size_t size = *reinterpret_cast<size_t*>(p);
    g_alive -= size;
    if (g_big && size >= g_big && g_bigAlive > 0) --g_bigAlive;
    std::free(p);
}
#endif

}  // namespace

namespace counting {
bool Available() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}
void Reset(size_t bigBlock) {
    g_base = g_peak = g_alive;
    g_big = bigBlock;
    g_bigAlive = g_bigPeak = 0;
}
size_t PeakGrowth() { return g_peak - g_base; }
int PeakBigBlocks() { return g_bigPeak; }
}  // namespace counting

#ifndef _WIN32
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
#endif
