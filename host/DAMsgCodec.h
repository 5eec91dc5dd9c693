// DAMsg.DailyActivity as the game server writes it, encoded and decoded by the protobuf runtime
// from the message's description, without the generated class. The generated class belongs to
// the daily activity module, which registers it in the process's generated pool; a second
// registration of "DAMsg.proto" in one process would be fatal, so hosts and tools use this.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace host {

struct DailyActivityFields {
    __int64 roleId = 0;
    int tempType = 0;
    int completeNum = 0;
    bool hasIsOver = false;
    bool isOver = false;
    bool hasIsClear = false;
    bool isClear = false;
};

// The protobuf encoding (fields that are set, in field order).
std::string EncodeDailyActivity(const DailyActivityFields& fields);
// Parses bytes as DAMsg.DailyActivity; false when they are no valid encoding or a required
// field is missing. Unknown fields are skipped.
bool DecodeDailyActivity(const void* data, size_t size, DailyActivityFields& out);
// "RoleID 1 TempType 2 CompleteNum 3 IsOver true", fields that are set only.
std::string DescribeDailyActivity(const DailyActivityFields& fields);

}  // namespace host
