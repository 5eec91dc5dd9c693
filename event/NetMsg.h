// Network messages: a 6-byte header (module id, message id, total length) followed by
// numbered chunks, each a 4-byte header (chunk id, chunk size) and its data. All numbers are
// unsigned 16-bit little-endian. The layout is shared with the host and the game server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "platform/Platform.h"
#include "zor/Buffer.h"

namespace google {
namespace protobuf {
class MessageLite;
}
}  // namespace google

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "messages are laid out in the machine's byte order, which must be little-endian"
#endif

#pragma pack(push, 1)
struct NetMsgHead {
    uint16_t ModuleID;
    uint16_t MsgID;
    uint16_t Length;  // the whole message, this header included
};

struct NetMsgChunk {
    uint16_t ChunkID;
    uint16_t ChunkSize;  // this chunk, its 4-byte header included

    // The data, in place. It may lie at any address: copy values out, never cast.
    const uint8_t* GetData() const { return reinterpret_cast<const uint8_t*>(this) + sizeof(NetMsgChunk); }
    int GetDataSize() const {
        int size = static_cast<int>(ChunkSize) - static_cast<int>(sizeof(NetMsgChunk));
        return size > 0 ? size : 0;
    }
};
#pragma pack(pop)

static_assert(sizeof(NetMsgHead) == 6, "message header is 6 bytes");
static_assert(sizeof(NetMsgChunk) == 4, "chunk header is 4 bytes");

// A message in one pooled buffer: the chunk table in the first 1024 bytes, the message
// bytes behind it. The table holds each chunk's 32-bit offset from the start of the message,
// so that 256 entries fit 1024 bytes whatever the pointer size. Not copyable; it lives on the stack of whoever builds or handles it.
class NetMsg {
public:
    static constexpr int kMaxChunks = 256;
    static constexpr int kMaxLength = 64512;          // 0xFC00, header included
    static constexpr int kMaxChunkDataSize = 64506;   // 0xFBFA

    NetMsg(uint16_t moduleId, uint16_t msgId);
    ~NetMsg();
    NetMsg(const NetMsg&) = delete;
    NetMsg& operator=(const NetMsg&) = delete;

    uint16_t GetModuleID() const { return header_->ModuleID; }
    uint16_t GetMsgID() const { return header_->MsgID; }
    uint16_t GetLength() const { return header_->Length; }
    int GetChunkCount() const { return chunkCount_; }
    const NetMsgChunk* GetChunk(int index) const {
        if (index < 0 || index >= chunkCount_) return nullptr;
        return reinterpret_cast<const NetMsgChunk*>(message_ + chunks_[index]);
    }

    // The first chunk with this id, or null.
    const NetMsgChunk* FindChunk(uint16_t id) const {
        for (int i = 0; i < chunkCount_; ++i) {
            const NetMsgChunk* chunk = GetChunk(i);
            if (chunk->ChunkID == id) return chunk;
        }
        return nullptr;
    }
    // Appends a chunk with a copy of size bytes. Refused (false, message unchanged) for null
    // data, a negative size or one above 64506, a 257th chunk, or a length above 64512.
    bool AddChunk(const void* data, int size, uint16_t id);

    // The message bytes, GetLength() of them, header first.
    const uint8_t* GetBytes() const { return message_; }
    std::string ToBytes() const { return std::string(reinterpret_cast<const char*>(message_), GetLength()); }

    // Replaces the message by the frame received from the network. The frame must be one
    // whole message: a header whose length equals the frame's, chunks that each lie inside
    // it and fill it exactly, at most 256 of them. A frame that breaks any of this is
    // refused with a level-3 log line, and the message is left as an empty message of the
    // ids it had.
    bool ReadFrame(const void* bytes, size_t size);

private:
    void Reset();
    bool RefuseFrame(const char* reason);

    zor::TCPBuffer* buffer_;  // owned; back to the pool on destruction
    uint8_t* message_;        // buffer data + 1024
    NetMsgHead* header_;      // == message_
    uint32_t* chunks_;        // the first 1024 bytes of the buffer: chunk offsets
    int32_t chunkCount_;
};

// Parses chunk chunkId of nmsg into message. Failures are logged at level 3 with the
// call stack.
bool NetMsgChunkCast(google::protobuf::MessageLite& message, const NetMsg* nmsg, uint16_t chunkId);

namespace netmsg_detail {
bool VerifyChunkSize(const NetMsgChunk* chunk, int size, const char* typeName);
}

// Checks that chunk holds exactly one T and points out at its data, in place. The data may
// be misaligned: read it with the copying overload below, not through out.
template <class T>
bool VerifyChunk(const T*& out, const NetMsgChunk* chunk) {
    if (!netmsg_detail::VerifyChunkSize(chunk, sizeof(T), platform::TypeName(typeid(T)).c_str())) return false;
    out = reinterpret_cast<const T*>(chunk->GetData());
    return true;
}

// The same check; on success the value is copied out of the chunk.
template <class T>
bool VerifyChunk(T& value, const NetMsgChunk* chunk) {
    static_assert(std::is_trivially_copyable<T>::value, "chunk values are copied bytewise");
    const T* at = nullptr;
    if (!VerifyChunk<T>(at, chunk)) return false;
    std::memcpy(&value, chunk->GetData(), sizeof(T));
    return true;
}

// Gives a message's dispatch key.
struct NetMsgTrait_MsgID {
    static uint16_t GetKey(const NetMsg* msg) { return msg->GetMsgID(); }
};
