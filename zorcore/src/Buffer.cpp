#include "zor/Buffer.h"

#if defined(__MINGW32__)
#include "platform/ThreadKey.h"
#endif

#include <atomic>
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
// released on one thread). When the thread ends, what it holds goes to the pool; buffers given
// back on it later go straight to the pool.
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

void Close(ThreadCache& cache) {
    cache.closed = true;
    while (cache.count > 0) GiveToPool(cache.buffers[--cache.count]);
}

#if defined(__MINGW32__)
// MinGW's thread-locals are emulated and may be freed before the destructors of the thread's
// thread-locals run: the cache is a heap block reached through a TLS index, ended by Windows'
// callback at the thread's end (platform/ThreadKey.h). A thread without one (after its end)
// takes from and gives to the pool.
struct KeyedCache : ThreadCache {
    KeyedCache() : ThreadCache() { closerArmed = true; }  // the key's end closes it
};
void CloseKeyed(KeyedCache& cache) { Close(cache); }
ThreadCache* Cache() { return platform::ThreadObject<KeyedCache, &CloseKeyed>::Get(); }
void KeepSlowly(TCPBuffer* buffer) { GiveToPool(buffer); }
#else
// Trivially destructible, so that it can be used until the thread is gone; the closer hands
// what it holds to the pool when the thread ends. The closer is set up by the first buffer
// kept, so that taking and keeping touch one thread-local object.
struct Closer {
    ThreadCache* cache;
    ~Closer() { Close(*cache); }
};

ThreadCache* Cache() {
    static thread_local ThreadCache cache;  // zero-initialised
    return &cache;
}

// The thread's first buffer kept sets up the closer; a full or closed cache gives to the pool.
void KeepSlowly(TCPBuffer* buffer) {
    ThreadCache& cache = *Cache();
    if (!cache.closed && !cache.closerArmed) {
        static thread_local Closer closer{&cache};
        (void)closer;
        cache.closerArmed = true;
        cache.buffers[cache.count++] = buffer;
        return;
    }
    GiveToPool(buffer);
}
#endif

std::atomic<size_t> liveBuffers{0};

}  // namespace

TCPBuffer::TCPBuffer() : data_(new char[kCapacity]) { ++liveBuffers; }
TCPBuffer::~TCPBuffer() {
    delete[] data_;
    --liveBuffers;
}

TCPBuffer* AllocateBuffer() {
    ThreadCache* cache = Cache();
    if (cache && cache->count > 0) return cache->buffers[--cache->count];
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
    ThreadCache* cache = Cache();
    if (!cache) return GiveToPool(buffer);
    if (cache->count < kThreadCachedBuffers && cache->closerArmed && !cache->closed) {
        cache->buffers[cache->count++] = buffer;
        return;
    }
    KeepSlowly(buffer);
}

size_t PooledBufferCount() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.mutex);
    const ThreadCache* cache = Cache();
    return pool.free.size() + (cache ? cache->count : 0);
}

size_t LiveBufferCount() { return liveBuffers.load(); }

}  // namespace zor
