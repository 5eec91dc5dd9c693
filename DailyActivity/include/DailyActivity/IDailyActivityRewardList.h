// Which activity reward tiers and sign-in rewards are configured. Offered beside
// qrn::IDailyActivity by the daily activity service (ask for it with a run-time cast of the
// service), so that a plugin lists them instead of probing indexes. The order of the virtual
// operations is shared: do not reorder, insert or remove.
#pragma once

#include <vector>

namespace qrn {

class IDailyActivityRewardList {
public:
    // The Index of every configured tier, ascending (GetActivityReward answers each with its
    // entry), whether a player can claim it or not.
    virtual std::vector<int> GetActivityRewardIndexes() = 0;
    // The Index of every configured sign-in reward, ascending (GetSignInReward answers each).
    virtual std::vector<int> GetSignInRewardIndexes() = 0;

protected:
    ~IDailyActivityRewardList() = default;
};

}  // namespace qrn
