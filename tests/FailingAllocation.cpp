// Replaces the single-object operator new and delete for the whole test program.
#include "FailingAllocation.h"

#include <cstdlib>
#include <new>

namespace {
bool g_failing = false;
}

FailingAllocations::FailingAllocations() { g_failing = true; }
FailingAllocations::~FailingAllocations() { g_failing = false; }

void* operator new(size_t size) {
    if (g_failing) throw std::bad_alloc();
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
