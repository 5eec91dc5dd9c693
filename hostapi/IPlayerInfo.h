// The player data of a role, kept by the host as the game server reports it. Host and
// plugins compile this header alike: the order of the virtual operations is shared.
#pragma once

#include "platform/Platform.h"
#include "plugin/IEntityObject.h"

namespace qrn {

class IPlayerInfo : public IEntityObject {
public:
    // The role's value under key (0 when the host has none).
    virtual __int64 GetValue(int key) = 0;
    // The role's activity value of the day.
    virtual int GetActivityValue() = 0;
};

}  // namespace qrn
