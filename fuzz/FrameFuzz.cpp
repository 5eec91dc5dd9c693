// A frame from the network: read, then every chunk looked up and read as each kind the
// module reads.
#include <google/protobuf/stubs/logging.h>

#include "DailyActivity/DAMsg.pb.h"
#include "event/NetMsg.h"
#include "zor/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zor::LogCapture quiet;  // failures are logged; keep the run fast
    static auto* silenced = google::protobuf::SetLogHandler(nullptr);
    (void)silenced;
    quiet.Clear();
    NetMsg msg(0, 0);
    if (!msg.ReadFrame(data, size)) return 0;
    for (int i = 0; i < msg.GetChunkCount(); ++i) {
        const NetMsgChunk* chunk = msg.GetChunk(i);
        int narrow = 0;
        __int64 wide = 0;
        VerifyChunk(narrow, chunk);
        VerifyChunk(wide, chunk);
        DAMsg::DailyActivity da;
        NetMsgChunkCast(da, &msg, chunk->ChunkID);
    }
    return 0;
}
