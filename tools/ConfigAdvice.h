// What the claim rules will do with a configuration that loads: rewards no player can ever
// claim, rewards some months never reach, and tiers out of order. Advice for designers only:
// the module loads such files as they are and never says a word about them.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
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

// Whether a sign-in reward or an item can ever be claimed, by the claim rules' limits (a tier:
// claim::IsTier).
bool SignInRewardClaimable(int index, const _SignInReward& reward);
bool ItemClaimable(int index, int position);
// The months too short for a sign-in reward needing signInNum sign-ins, named ("" when every
// month reaches it, and when no month does: more sign-ins than counted days).
std::string MonthsTooShort(int signInNum);

// A table's entries in the order of their Index.
template <class Entry>
std::map<int, const Entry*> ByIndex(const std::unordered_map<int, Entry>& table) {
    std::map<int, const Entry*> sorted;
    for (const auto& entry : table) sorted[entry.first] = &entry.second;
    return sorted;
}
// Where the entry of key stands; row 0 when unknown.
DailyActivityConfig::Place PlaceOf(const std::map<int, DailyActivityConfig::Place>& places, int key);

}  // namespace dacheck
