// Network buffers: fixed blocks of at least 64 KiB, kept in a pool so that a message does
// not cost a fresh allocation.
#pragma once

#include <cstddef>

#include "zor/Export.h"

namespace zor {

class ZORCORE_API TCPBuffer {
public:
    static constexpr size_t kCapacity = 65536;

    TCPBuffer();
    ~TCPBuffer();
    TCPBuffer(const TCPBuffer&) = delete;
    TCPBuffer& operator=(const TCPBuffer&) = delete;

    char* Data() { return data_; }
    size_t Capacity() const { return kCapacity; }

private:
    char* data_;
};

// What the pool keeps: a few buffers per thread, and up to kMaxPooledBuffers shared.
constexpr size_t kThreadCachedBuffers = 8;
constexpr size_t kMaxPooledBuffers = 64;

// A buffer from the pool (a new one when the pool is empty). Never null.
ZORCORE_API TCPBuffer* AllocateBuffer();
// Gives a buffer back to the pool; null is ignored.
ZORCORE_API void DeallocateBuffer(TCPBuffer* buffer);
// Buffers currently waiting in the pool (the shared part and the calling thread's).
ZORCORE_API size_t PooledBufferCount();
// Buffers that exist, in use or pooled (to see that nothing is lost).
ZORCORE_API size_t LiveBufferCount();

}  // namespace zor
