// What the claim rules will do with a configuration that loads: rewards no player can ever
// claim, rewards some months never reach, and tiers out of order. Advice for designers only:
// the module loads such files as they are and never says a word about them.
#pragma once

#include <string>
#include <vector>

#include "dailyactivity/DailyActivityConfig.h"

namespace dacheck {

// One piece of advice, at the file place of the entry it names. never: the entry can never be
// claimed by any player.
struct Advice {
    std::string message;
    DailyActivityConfig::Place place;
    bool never = false;
};

std::vector<Advice> ClaimAdvice(const DailyActivityConfig& config, const DailyActivityConfig::Places& places);

// Whether a tier, a sign-in reward or an item can ever be claimed, by the claim rules' limits.
bool TierClaimable(int index);
bool SignInRewardClaimable(int index, const _SignInReward& reward);
bool ItemClaimable(int index, int position);
// The months in which a sign-in reward needing signInNum sign-ins cannot be reached ("" when
// every month can reach it; "every month" when none can).
std::string MonthsTooShort(int signInNum);

}  // namespace dacheck
