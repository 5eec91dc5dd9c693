// The session the host plays when it is given none: one day of a player.
#include "player/SessionRunner.h"

namespace host {

const char* DefaultSessionText() {
    return R"(# One day of a player, with the sample configuration.
# The game runs on UTC; the player has signed in on days 1 to 7 of December.
clock 2026-12-08 07:55:00 UTC0
role 1001
value 32 bits 1,2,3,4,5,6,7
say The player logs in: first the sign-in of the day.
call CanSignIn
expect answer true
call RequestSignIn
expect sent 2
expect value 32 bits 1,2,3,4,5,6,7,8
call CanSignIn
expect answer false
call GetSignInCount
expect answer 8

say Activities are completed; the server reports the counts, the last one with IsOver.
advance 2h
server 0 2 1
expect no signal
server 0 2 3
server 0 5 1 over
expect signal OnDataChanged
expect count 2 3
expect count 5 1
activity 35

say Tier 1 needs 20 activity: reachable. Tier 2 needs 50: not yet.
call CanTakeActivityReward 1
expect answer true
call RequestActivityReward 1
expect sent 3 3=1
expect signal OnActivityRewardNotice 1
expect value 34 1
call CanTakeActivityReward 1
expect answer false
expect why tier 1 was already taken (role value 34 is 1)
call RequestActivityReward 2
expect answer false
expect why tier 2: activity value 35 is below the 50 required
expect sent none

say Two more dungeons later the activity value reaches 55: tier 2 is reachable now.
advance 3h
server 0 2 5 over
expect signal OnDataChanged
activity 55
call RequestActivityReward 2
expect answer true
expect sent 3 3=2
expect signal OnActivityRewardNotice 2

say Eight sign-ins reach sign-in reward 2 (7 needed): its first item.
call CanTakeSignInReward 2 0
expect answer true
call RequestSignInReward 2 0
expect sent 4 4=2 5=0
expect value 39 bits 1
call CanTakeSignInReward 2 0
expect answer false
call CanTakeSignInReward 3 0
expect answer false
expect why sign-in reward 3: 8 sign-ins are below the 14 required

say Holiday awards: an ordinary day first, then a holiday with awards 3 and 4.
call CanTakeHolidayAward 3
expect answer false
expect why HolidaySys.ActivityAward.IsHoliday() did not return true
holiday on
have 3 on
have 4 on
call RequestHolidayAward 3
expect answer true
expect sent 5 5=3
expect value 47 bits 4
say One holiday award a day: award 4 is refused the same day.
call CanTakeHolidayAward 4
expect answer false
expect why a holiday award was already taken today (role value 19 is 2026-12-08 12:55:00 local time)

say In the evening the server clears the counts.
advance 6h
server 1
expect signal OnDataChanged
expect count 2 0

say The player switches to another role; the host tells the module.
server 0 3 2 over
role 1002
fire role main
expect count 3 0
call GetSignInCount
expect answer 0
call RequestValue64
expect sent 6
expect signal OnValue64Notice 0

say Back to the first role, late in the evening; then midnight passes.
role 1001
clock 2026-12-08 23:59:50
call CanSignIn
expect answer false
advance 15s
call CanSignIn
expect answer true
call CanTakeHolidayAward 4
expect answer true
)";
}

}  // namespace host
