// The bytes of a DAMsg.DailyActivity chunk, parsed by the generated class and by the host's
// reading through the message's description: both must agree on whether the bytes are a
// message and on what it holds.
#include <cstdio>
#include <cstdlib>

#include <google/protobuf/stubs/logging.h>

#include "DailyActivity/DAMsg.pb.h"
#include "host/DAMsgCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* silenced = google::protobuf::SetLogHandler(nullptr);
    (void)silenced;
    DAMsg::DailyActivity generated;
    const bool parsed = generated.ParseFromArray(data, static_cast<int>(size));
    host::DailyActivityFields fields;
    const bool decoded = host::DecodeDailyActivity(data, size, fields);
    if (parsed != decoded || (parsed && (generated.roleid() != fields.roleId || generated.temptype() != fields.tempType ||
                                         generated.completenum() != fields.completeNum ||
                                         generated.isover() != fields.isOver || generated.has_isover() != fields.hasIsOver))) {
        std::fprintf(stderr, "the two readings of DAMsg.DailyActivity disagree\n");
        std::abort();
    }
    if (parsed) {
        // What the host writes, the generated class reads back the same.
        const std::string again = host::EncodeDailyActivity(fields);
        DAMsg::DailyActivity back;
        if (!back.ParseFromString(again) || back.temptype() != fields.tempType || back.completenum() != fields.completeNum) {
            std::abort();
        }
    }
    return 0;
}
