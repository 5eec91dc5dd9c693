#include "event/NetMsg.h"

#include <google/protobuf/message_lite.h>

#include "logging/LogHelpers.h"

static_assert(NetMsg::kMaxChunks * sizeof(uint32_t) == 1024, "the chunk table fills the first 1024 bytes");
static_assert(1024 + NetMsg::kMaxLength <= static_cast<int>(zor::TCPBuffer::kCapacity), "buffers hold a whole message");

NetMsg::NetMsg(uint16_t moduleId, uint16_t msgId)
    : buffer_(zor::AllocateBuffer()),
      message_(reinterpret_cast<uint8_t*>(buffer_->Data()) + 1024),
      header_(reinterpret_cast<NetMsgHead*>(message_)),
      chunks_(reinterpret_cast<uint32_t*>(buffer_->Data())),
      chunkCount_(0) {
    header_->ModuleID = moduleId;
    header_->MsgID = msgId;
    header_->Length = sizeof(NetMsgHead);
}

NetMsg::~NetMsg() { zor::DeallocateBuffer(buffer_); }

bool NetMsg::AddChunk(const void* data, int size, uint16_t id) {
    if (!data || size < 0 || size > kMaxChunkDataSize) return false;
    if (chunkCount_ >= kMaxChunks) return false;
    const int length = header_->Length;
    if (length + static_cast<int>(sizeof(NetMsgChunk)) + size > kMaxLength) return false;
    auto* chunk = reinterpret_cast<NetMsgChunk*>(message_ + length);
    chunk->ChunkID = id;
    chunk->ChunkSize = static_cast<uint16_t>(size + sizeof(NetMsgChunk));
    std::memcpy(message_ + length + sizeof(NetMsgChunk), data, static_cast<size_t>(size));
    chunks_[chunkCount_++] = static_cast<uint32_t>(length);
    header_->Length = static_cast<uint16_t>(length + chunk->ChunkSize);
    return true;
}

void NetMsg::Reset() {
    header_->Length = sizeof(NetMsgHead);
    chunkCount_ = 0;
}

bool NetMsg::RefuseFrame(const char* reason) {
    Reset();
    LogFormat<3>("%s() error : frame refused, %s", "NetMsg::ReadFrame", reason);
    zor::ShowCallStack();
    return false;
}

bool NetMsg::ReadFrame(const void* bytes, size_t size) {
    if (!bytes) return RefuseFrame("no bytes");
    if (size < sizeof(NetMsgHead)) return RefuseFrame("shorter than a message header");
    if (size > static_cast<size_t>(kMaxLength)) return RefuseFrame("longer than 64512 bytes");
    NetMsgHead head;
    std::memcpy(&head, bytes, sizeof head);
    if (head.Length != size) return RefuseFrame("header length differs from the frame length");

    // Check every chunk before anything is taken over.
    const auto* in = static_cast<const uint8_t*>(bytes);
    size_t at = sizeof(NetMsgHead);
    int count = 0;
    while (at < size) {
        if (count == kMaxChunks) return RefuseFrame("more than 256 chunks");
        if (size - at < sizeof(NetMsgChunk)) return RefuseFrame("chunk header cut off");
        NetMsgChunk chunk;
        std::memcpy(&chunk, in + at, sizeof chunk);
        if (chunk.ChunkSize < sizeof(NetMsgChunk)) return RefuseFrame("chunk size below its header");
        if (chunk.ChunkSize > size - at) return RefuseFrame("chunk runs past the end of the frame");
        at += chunk.ChunkSize;
        ++count;
    }

    std::memmove(message_, bytes, size);  // the frame may be this message's own bytes
    chunkCount_ = 0;
    for (at = sizeof(NetMsgHead); at < size;) {
        chunks_[chunkCount_++] = static_cast<uint32_t>(at);
        at += reinterpret_cast<const NetMsgChunk*>(message_ + at)->ChunkSize;
    }
    return true;
}

bool NetMsgChunkCast(google::protobuf::MessageLite& message, const NetMsg* nmsg, uint16_t chunkId) {
    if (!nmsg) {
        LogFormat<3>("%s() error nmsg is null", "NetMsgChunkCast");
        zor::ShowCallStack();
        return false;
    }
    const NetMsgChunk* chunk = nmsg->FindChunk(chunkId);
    if (!chunk) {
        LogFormat<3>("%s() error with ModuleID(%d) MsgID(%d) : Chunk(%d) not found", "NetMsgChunkCast",
                     nmsg->GetModuleID(), nmsg->GetMsgID(), chunkId);
        zor::ShowCallStack();
        return false;
    }
    // The same answer as ParseFromArray, without the runtime's own report of missing required
    // fields on standard error: the failure is ours to log.
    if (!message.ParsePartialFromArray(chunk->GetData(), chunk->GetDataSize()) || !message.IsInitialized()) {
        LogFormat<3>("%s() error with ModuleID(%d) MsgID(%d) Chunk(%d) : ParseFromString() return false",
                     "NetMsgChunkCast", nmsg->GetModuleID(), nmsg->GetMsgID(), chunkId);
        zor::ShowCallStack();
        return false;
    }
    return true;
}

namespace netmsg_detail {

bool VerifyChunkSize(const NetMsgChunk* chunk, int size, const char* typeName) {
    if (!chunk) {
        LogFormat<3>("VerifyChunk() error : class=%s Chunk==NULL", typeName);
        zor::ShowCallStack();
        return false;
    }
    if (static_cast<int>(chunk->ChunkSize) - static_cast<int>(sizeof(NetMsgChunk)) != size) {
        LogFormat<3>("VerifyChunk() error : class=%s ChunkID==%d ChunkSize=%d", typeName,
                     static_cast<uint16_t>(chunk->ChunkID), static_cast<uint16_t>(chunk->ChunkSize));
        zor::ShowCallStack();
        return false;
    }
    return true;
}

}  // namespace netmsg_detail
