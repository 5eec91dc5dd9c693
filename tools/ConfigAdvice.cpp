#include "tools/ConfigAdvice.h"

#include <map>

#include "dailyactivity/ClaimLimits.h"

namespace dacheck {

namespace {

std::string Str(long long n) { return std::to_string(n); }

}  // namespace

DailyActivityConfig::Place PlaceOf(const std::map<int, DailyActivityConfig::Place>& places, int key) {
    auto found = places.find(key);
    return found == places.end() ? DailyActivityConfig::Place{} : found->second;
}

bool SignInRewardClaimable(int index, const _SignInReward& reward) {
    return claim::IsSignInReward(index) && reward.SignInNum <= claim::kCountedDays;
}

bool ItemClaimable(int index, int position) {
    return claim::IsSignInReward(index) && position >= 0 && position <= claim::kLastRecordableItem;
}

std::string MonthsTooShort(int signInNum) {
    std::string months;
    if (signInNum > claim::kCountedDays) return months;
    auto add = [&](const char* name) { months += (months.empty() ? "" : ", ") + std::string(name); };
    if (signInNum > 29) {
        add("February");
    } else if (signInNum == 29) {
        add("February of common years");
    }
    if (signInNum > 30) {
        for (const char* name : {"April", "June", "September", "November"}) add(name);
    }
    return months;
}

std::vector<Advice> ClaimAdvice(const DailyActivityConfig& config, const DailyActivityConfig::Places& places) {
    std::vector<Advice> advice;
    const std::string tiers = "tiers " + Str(claim::kFirstTier) + ".." + Str(claim::kLastTier) + " (role values " +
                              Str(claim::TierKey(claim::kFirstTier)) + ".." + Str(claim::TierKey(claim::kLastTier)) + ")";
    const std::string rewards = "rewards " + Str(claim::kFirstSignInReward) + ".." + Str(claim::kLastSignInReward) +
                                " (role values " + Str(claim::SignInRewardKey(claim::kFirstSignInReward)) + ".." +
                                Str(claim::SignInRewardKey(claim::kLastSignInReward)) + ")";

    const _ActivityReward* before = nullptr;
    int beforeIndex = 0;
    for (const auto& tier : ByIndex(config.ActivityRewards())) {
        const DailyActivityConfig::Place place = PlaceOf(places.tiers, tier.first);
        if (!claim::IsTier(tier.first)) {
            advice.push_back({"tier Index " + Str(tier.first) + " can never be claimed: the claim rules take " + tiers,
                              place, true});
        }
        if (before && tier.second->ActivityValue <= before->ActivityValue) {
            advice.push_back({"tier Index " + Str(tier.first) + " needs activity value " +
                                  Str(tier.second->ActivityValue) + ", not more than tier Index " + Str(beforeIndex) +
                                  "'s " + Str(before->ActivityValue) + " (the values do not grow with the Index; it may be intended)",
                              place, false});
        }
        before = tier.second;
        beforeIndex = tier.first;
    }

    for (const auto& reward : ByIndex(config.SignInRewards())) {
        const int index = reward.first;
        const DailyActivityConfig::Place place = PlaceOf(places.signInRewards, index);
        if (!claim::IsSignInReward(index)) {
            advice.push_back({"sign-in reward Index " + Str(index) + " can never be claimed: the claim rules take " +
                                  rewards,
                              place, true});
            continue;
        }
        const int needed = reward.second->SignInNum;
        const std::string months = MonthsTooShort(needed);
        if (needed > claim::kCountedDays) {
            advice.push_back({"sign-in reward Index " + Str(index) + " needs " + Str(needed) +
                                  " sign-ins, never reached: the sign-in count reads days " +
                                  Str(claim::kFirstCountedDay) + ".." + Str(claim::kLastCountedDay) + " of a month",
                              place, true});
        } else if (!months.empty()) {
            advice.push_back({"sign-in reward Index " + Str(index) + " needs " + Str(needed) +
                                  " sign-ins, not reached in the months too short: " + months,
                              place, false});
        }
        const auto& items = reward.second->ItemRewardList;
        for (size_t position = 0; position < items.size(); ++position) {
            if (ItemClaimable(index, static_cast<int>(position))) continue;
            auto found = places.signInItems.find({index, static_cast<int>(position)});
            advice.push_back({"item " + Str(static_cast<long long>(position)) + " of sign-in reward Index " + Str(index) +
                                  " can never be claimed: its bit " + Str(static_cast<long long>(position) + 1) +
                                  " lies outside the " + Str(claim::kValueBits) + " bits of role value " +
                                  Str(claim::SignInRewardKey(index)),
                              found == places.signInItems.end() ? place : found->second, true});
        }
    }
    return advice;
}

}  // namespace dacheck
