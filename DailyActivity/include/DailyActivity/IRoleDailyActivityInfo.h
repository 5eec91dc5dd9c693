// The main role's completion count per activity type, as the game server last reported it.
// Other plugins read it through this interface; the order of the virtual operations is
// shared with them: do not reorder, insert or remove.
#pragma once

#include <cstdint>
#include <typeinfo>

#include "plugin/IEntityObject.h"

class IRoleDailyActivityInfo : public IEntityObject {
public:
    static constexpr uint32_t kEntityType = 69;

    /* 0 */ ~IRoleDailyActivityInfo() override {}
    /* 1 */ const std::type_info& GetInterfaceType() const override { return typeid(IRoleDailyActivityInfo); }
    /* 2 */ void EntityHook() override {}
    /* 3 */ uint32_t GetEntityType() const override { return kEntityType; }
    // 4 GetEntityID and 5 GetEntityName: IEntityObject's.
    // completeNum = the stored count of type, 0 when there is none. Always true.
    /* 6 */ virtual bool GetCompleteNum(const int& type, int& completeNum) const = 0;
};
