#include "zor/Buffer.h"

#include <memory>
#include <mutex>
#include <vector>

namespace zor {

namespace {

// Bounds what the pool keeps; buffers beyond it are freed.
constexpr size_t kMaxPooled = 64;

// Its room is taken once: giving a buffer back never allocates, so it cannot fail and lose
// the buffer.
struct Pool {
    Pool() { free.reserve(kMaxPooled); }
    std::mutex mutex;
    std::vector<std::unique_ptr<TCPBuffer>> free;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

}  // namespace

TCPBuffer::TCPBuffer() : data_(new char[kCapacity]) {}
TCPBuffer::~TCPBuffer() { delete[] data_; }

TCPBuffer* AllocateBuffer() {
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
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.mutex);
    std::unique_ptr<TCPBuffer> owned(buffer);
    if (pool.free.size() >= kMaxPooled) return;
    pool.free.push_back(std::move(owned));
}

size_t PooledBufferCount() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.mutex);
    return pool.free.size();
}

}  // namespace zor
