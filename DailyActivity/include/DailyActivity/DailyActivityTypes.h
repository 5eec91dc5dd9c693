// The reward entries of the daily activity configuration. Other plugins receive them by
// const reference; the lists are zor::vector, read through its virtual operations. Field
// names are those of the XML attributes that fill them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Platform.h"
#include "zor/vector.h"

// Key of the daily activity table: an activity type (0 to 22) and a completion threshold.
struct _DailyActivityKey {
    int Type = 0;
    int CompleteNum = 0;

    bool operator==(const _DailyActivityKey& other) const {
        return Type == other.Type && CompleteNum == other.CompleteNum;
    }
};

struct _DailyActivityKeyHash {
    size_t operator()(const _DailyActivityKey& key) const {
        const uint64_t bits = (static_cast<uint64_t>(static_cast<uint32_t>(key.Type)) << 32) |
                              static_cast<uint32_t>(key.CompleteNum);
        return std::hash<uint64_t>()(bits);
    }
};

// One activity reward tier.
struct _ActivityReward {
    int ActivityValue = 0;    // activity value the tier requires
    int RewardMoney = 0;
    int RewardBindMoney = 0;
    zor::vector<__int64> RewardItemList;  // item template ids, in file order
    int RewardItemNum = 0;
};

// One item of a sign-in reward. Kinds 0, 1 and 2 carry an amount in RewardValue; kind 3 is
// an item (RewardItemTemplateID, RewardItemNum). A plain value.
struct _SignInItemReward {
    int RewardType = -1;
    int RewardValue = 0;
    __int64 RewardItemTemplateID = 0;
    int RewardItemNum = 0;
};

// One sign-in reward: the sign-ins it requires and its items, addressed by position from 0.
struct _SignInReward {
    int SignInNum = 0;
    zor::vector<_SignInItemReward> ItemRewardList;
};
