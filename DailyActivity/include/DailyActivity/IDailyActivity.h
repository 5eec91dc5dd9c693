// The daily activity service as other plugins see it: the main role's completion counts, the
// reward tables, the sign-in state, may-I-claim pre-checks and claim requests to the game
// server. Other plugins compile this header: the order of the signals and of the virtual
// operations is a wire format. Do not reorder, insert or remove.
//
// The service grants nothing itself. Each Request... runs its pre-check again and, when it
// passes, sends one request of module 69; the server decides, and its outcome arrives as role
// values of the host and as the signals below.
#pragma once

#include <typeinfo>

#include "DailyActivity/DailyActivityTypes.h"
#include "DailyActivity/IRoleDailyActivityInfo.h"
#include "event/Signal.h"
#include "platform/Platform.h"
#include "plugin/IPluginContainer.h"

namespace qrn {

// The module id of the daily activity messages.
inline constexpr unsigned short DailyActivityModuleID = 69;
// Messages of module 69: ids 0, 1, 3 and 6 come from the server; 2 to 6 go to it.
enum DailyActivityMsgID : unsigned short {
    MsgDailyActivity = 0,   // from the server; chunk 0: one DAMsg.DailyActivity
    MsgClear = 1,           // from the server; the record is emptied
    MsgSignIn = 2,          // to the server; no chunk
    MsgActivityReward = 3,  // both ways; chunk 3: the tier (4-byte int)
    MsgSignInReward = 4,    // to the server; chunk 4: reward index, chunk 5: item number
    MsgHolidayAward = 5,    // to the server; chunk 5: holiday award index
    MsgValue64 = 6,         // both ways; from the server chunk 6: an 8-byte signed value
};

// Keys of the main role's values that the rules read (qrn::IPlayerInfo::GetValue).
enum DailyActivityRoleKey : int {
    KeyHolidayAwardTime = 19,        // seconds since the epoch of the last holiday award
    KeySignInFlags = 32,             // bit d: signed in on day d (1..31) of the month
    KeyActivityRewardTaken = 34,     // 34..37: tier 1..4 taken when above 0
    KeySignInRewardTaken = 38,       // 38..42: reward 1..5; bit item+1: item taken
    KeyHolidayAwardTaken = 47,       // bit index+1: holiday award index taken
};

// The id under which other containers find the service.
inline constexpr GUID kDailyActivityServiceID = {0x9AB3C831, 0x5A02, 0x452A, {0x83, 0xB9, 0x7B, 0x76, 0x82, 0x2D, 0x86, 0x2B}};

class IDailyActivity : public IPluginContainer {
public:
    // A count with IsOver arrived from the server, or the server cleared the record.
    zor::Signal<void()> OnDataChanged;
    // The server's answer to an activity reward request (message 3): the tier.
    zor::Signal<void(int)> OnActivityRewardNotice;
    // The server's 64-bit value (message 6).
    zor::Signal<void(__int64)> OnValue64Notice;

    const std::type_info& GetInterfaceType() const override { return typeid(IDailyActivity); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return kDailyActivityServiceID; }

    // Before the service has started (or after a start that failed), every rule answers as if
    // there were no main role and every request sends nothing and returns false.

    /* 1 */ virtual IRoleDailyActivityInfo* GetRoleDailyActivityInfo() = 0;  // never null
    // Today's day of the month (local time) is not yet set in the sign-in flags.
    /* 2 */ virtual bool CanSignIn() = 0;
    /* 3 */ virtual bool RequestSignIn() = 0;
    // Tier index (1..4) is configured, not yet taken, and the activity value reaches it.
    /* 4 */ virtual bool CanTakeActivityReward(const int& index) = 0;
    /* 5 */ virtual bool RequestActivityReward(const int& index) = 0;
    // The configured tier, or the shared empty entry.
    /* 6 */ virtual const _ActivityReward& GetActivityReward(const int& index) = 0;
    // Role value 32: bit d set means signed in on day d of the month. 0 without a main role.
    /* 7 */ virtual __int64 GetSignInFlags() = 0;
    // How many of the days 1..31 are set in the sign-in flags.
    /* 8 */ virtual int GetSignInCount() = 0;
    // Item item (from 0) of sign-in reward index (1..5) is configured, not yet taken, and the
    // role has signed in often enough.
    /* 9 */ virtual bool CanTakeSignInReward(const int& index, const int& item) = 0;
    /* 10 */ virtual bool RequestSignInReward(const int& index, const int& item) = 0;
    // The configured sign-in reward, or the shared empty entry.
    /* 11 */ virtual const _SignInReward& GetSignInReward(const int& index) = 0;
    // The host's scripts say today is a holiday with award index, it was not taken today,
    // and its flag is clear.
    /* 12 */ virtual bool CanTakeHolidayAward(const int& index) = 0;
    /* 13 */ virtual bool RequestHolidayAward(const int& index) = 0;
    // Asks the server for its 64-bit value (no pre-check).
    /* 14 */ virtual bool RequestValue64() = 0;
};

}  // namespace qrn
