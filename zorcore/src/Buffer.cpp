#include "zor/Buffer.h"

#include <memory>
#include <mutex>
#include <vector>

namespace zor {

namespace {

// The process-wide pool, behind a lock. Its room is taken once: giving a buffer back never
// allocates, so it cannot fail and lose the buffer.
struct Pool {
    Pool() { free.reserve(kMaxPooledBuffers); }
    std::mutex mutex;
    std::vector<std::unique_ptr<TCPBuffer>> free;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

// A few buffers per thread, taken and given back without the lock (a message is built and
// released on one thread). Trivially destructible, so that it can be used until the thread is
// gone; the closer hands what it holds to the pool when the thread ends. The closer is set up
// by the first buffer kept, so that taking and keeping touch one thread-local object.
struct ThreadCache {
    TCPBuffer* buffers[kThreadCachedBuffers];
    size_t count;
    bool closed;
    bool closerArmed;
};

void GiveToPool(TCPBuffer* buffer) {
    std::unique_ptr<TCPBuffer> owned(buffer);
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.mutex);
    if (pool.free.size() < kMaxPooledBuffers) pool.free.push_back(std::move(owned));
}

struct Closer {
    ThreadCache* cache;
    ~Closer() {
        cache->closed = true;
        while (cache->count > 0) GiveToPool(cache->buffers[--cache->count]);
    }
};

ThreadCache& Cache() {
    static thread_local ThreadCache cache;  // zero-initialised
    return cache;
}

// The thread's first buffer kept sets up the closer; a full or closed cache gives to the pool.
void KeepSlowly(TCPBuffer* buffer) {
    ThreadCache& cache = Cache();
    if (!cache.closed && !cache.closerArmed) {
        static thread_local Closer closer{&cache};
        (void)closer;
        cache.closerArmed = true;
        cache.buffers[cache.count++] = buffer;
        return;
    }
    GiveToPool(buffer);
}

}  // namespace

TCPBuffer::TCPBuffer() : data_(new char[kCapacity]) {}
TCPBuffer::~TCPBuffer() { delete[] data_; }

TCPBuffer* AllocateBuffer() {
    ThreadCache& cache = Cache();
    if (cache.count > 0) return cache.buffers[--cache.count];
    Pool& pool = ThePool();
    {
        std::lock_guard<std::mutex> hold(pool.mutex);
        if (!pool.free.empty()) {
            TCPBuffer* buffer = pool.free.back().release();
            pool.free.pop_back();
            return buffer;
        }
    }
    return new TCPBuffer();
}

void DeallocateBuffer(TCPBuffer* buffer) {
    if (!buffer) return;
    ThreadCache& cache = Cache();
    if (cache.count < kThreadCachedBuffers && cache.closerArmed && !cache.closed) {
        cache.buffers[cache.count++] = buffer;
        return;
    }
    KeepSlowly(buffer);
}

size_t PooledBufferCount() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.mutex);
    return pool.free.size() + Cache().count;
}

}  // namespace zor
