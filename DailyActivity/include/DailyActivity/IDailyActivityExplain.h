// Why a claim would be refused. Offered beside qrn::IDailyActivity by the daily activity
// service (ask for it with a run-time cast of the service): the same ordered checks that give
// the CanTake... answers, with the first failing check in words, for tools, transcripts and
// testers. The order of the virtual operations is shared: do not reorder, insert or remove.
#pragma once

#include <string>

namespace qrn {

class IDailyActivityExplain {
public:
    // Each answer is empty when the matching CanSignIn / CanTake... answers true, and
    // otherwise the first check that failed ("tier 2: activity value 35 is below the 50
    // required").
    virtual std::string ExplainSignIn() = 0;
    virtual std::string ExplainActivityReward(const int& index) = 0;
    virtual std::string ExplainSignInReward(const int& index, const int& item) = 0;
    virtual std::string ExplainHolidayAward(const int& index) = 0;

protected:
    ~IDailyActivityExplain() = default;
};

}  // namespace qrn
