#include "player/Transcript.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/DAMsgCodec.h"
#include "player/Session.h"

namespace host {

namespace {

const char* Mark(Transcript::Kind kind) {
    switch (kind) {
        case Transcript::Kind::Step: return "  ";
        case Transcript::Kind::Say: return "say";
        case Transcript::Kind::Answer: return "answer";
        case Transcript::Kind::Why: return "why";
        case Transcript::Kind::Send: return "send";
        case Transcript::Kind::Receive: return "receive";
        case Transcript::Kind::Signal: return "signal";
        case Transcript::Kind::Server: return "server";
        case Transcript::Kind::Value: return "value";
        case Transcript::Kind::Log: return "log";
        case Transcript::Kind::Pass: return "ok";
        case Transcript::Kind::Fail: return "FAIL";
        case Transcript::Kind::Note: return "host";
    }
    return "?";
}

std::string Hex(const uint8_t* data, size_t size) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", data[i]);
        text += byte;
    }
    return text;
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::string DescribeChunk(uint16_t id, const uint8_t* data, size_t size, bool dailyActivity) {
    std::string text = "chunk " + std::to_string(id);
    if (dailyActivity) {
        DailyActivityFields fields;
        if (DecodeDailyActivity(data, size, fields)) return text + " DAMsg.DailyActivity{" + DescribeDailyActivity(fields) + "}";
        return text + " (" + std::to_string(size) + " bytes, not a DAMsg.DailyActivity): " + Hex(data, size);
    }
    if (size == 4) {
        int32_t v;
        std::memcpy(&v, data, 4);
        return text + " = " + std::to_string(v);
    }
    if (size == 8) {
        int64_t v;
        std::memcpy(&v, data, 8);
        return text + " = " + std::to_string(v) + " (64-bit)";
    }
    return text + " (" + std::to_string(size) + " bytes)" + (size ? ": " + Hex(data, size) : "");
}

}  // namespace

Transcript::Transcript(std::ostream& out, bool quiet, std::function<std::string()> gameTime)
    : out_(out), quiet_(quiet), gameTime_(std::move(gameTime)) {}

void Transcript::Line(Kind kind, const std::string& text) {
    if (kind == Kind::Fail) ++failures_;
    const bool own = kind == Kind::Step || kind == Kind::Say || kind == Kind::Fail || kind == Kind::Note;
    if (quiet_ && !own) return;
    char mark[16];
    std::snprintf(mark, sizeof mark, "%-8s", Mark(kind));
    out_ << "[" << gameTime_() << "] " << mark << text << "\n";
}

std::string DescribeFrame(const std::string& frame, bool fromServer) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    const size_t size = frame.size();
    if (size < 6) return "a frame of " + std::to_string(size) + " bytes, shorter than a message header";
    const uint16_t module = Read16(bytes), msgId = Read16(bytes + 2), length = Read16(bytes + 4);
    std::string text = "module " + std::to_string(module) + " msg " + std::to_string(msgId);
    const char* name = module == 69 ? MessageName(msgId) : nullptr;
    const bool known = name && (fromServer ? (msgId == 0 || msgId == 1 || msgId == 3 || msgId == 6) : msgId >= 2);
    if (known) {
        text += std::string(" ") + name;
    } else if (module == 69) {
        text += fromServer ? " (no handler for this id)" : " (unknown id)";
    }
    if (length != size) return text + ": header length " + std::to_string(length) + " differs from the frame's " + std::to_string(size);
    size_t at = 6;
    int chunks = 0;
    std::string parts;
    while (at < size) {
        if (size - at < 4) return text + ": chunk header cut off";
        const uint16_t id = Read16(bytes + at), chunkSize = Read16(bytes + at + 2);
        if (chunkSize < 4 || chunkSize > size - at) return text + ": chunk " + std::to_string(id) + " has a broken size " + std::to_string(chunkSize);
        const bool dailyActivity = fromServer && module == 69 && msgId == 0 && id == 0;
        parts += (chunks++ ? ", " : ": ") + DescribeChunk(id, bytes + at + 4, chunkSize - 4u, dailyActivity);
        at += chunkSize;
    }
    return text + (chunks ? parts : ": no chunk");
}

std::string DescribeValue(long long value) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(value));
    std::string text = std::to_string(value);
    if (value != 0 && (value < 0 || value > 9)) {
        text += std::string(" = ") + hex + " (bits";
        for (int bit = 0; bit < 64; ++bit) {
            if (static_cast<uint64_t>(value) & (uint64_t{1} << bit)) text += " " + std::to_string(bit);
        }
        text += ")";
    }
    return text;
}

}  // namespace host
