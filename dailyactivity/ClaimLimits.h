// The ranges within which the claim rules can grant anything: what the role values that record
// a claim can hold. The rules (QRN_DailyActivity) take their limits from here, and so does the
// designers' checker when it tells which configured rewards can never be claimed.
#pragma once

#include "DailyActivity/IDailyActivity.h"

namespace claim {

// Activity reward tiers 1..4, recorded in role values 34..37.
constexpr int kFirstTier = 1;
constexpr int kLastTier = 4;
constexpr int TierKey(int index) { return qrn::KeyActivityRewardTaken - kFirstTier + index; }
constexpr bool IsTier(int index) { return index >= kFirstTier && index <= kLastTier; }

// Sign-in rewards 1..5, recorded in role values 38..42: item n (from 0) is bit n+1 of a 64-bit
// value, so items 0..62 can be recorded.
constexpr int kFirstSignInReward = 1;
constexpr int kLastSignInReward = 5;
constexpr int SignInRewardKey(int index) { return qrn::KeySignInRewardTaken - kFirstSignInReward + index; }
constexpr bool IsSignInReward(int index) { return index >= kFirstSignInReward && index <= kLastSignInReward; }
constexpr int kValueBits = 64;
constexpr int kLastRecordableItem = kValueBits - 2;

// The sign-in count reads the flags of days 1..31 of the month (role value 32).
constexpr int kFirstCountedDay = 1;
constexpr int kLastCountedDay = 31;
constexpr int kCountedDays = kLastCountedDay - kFirstCountedDay + 1;

// Bit n of v; a position outside the value's bits is never set.
constexpr bool IsBitSet(__int64 v, long long n) {
    return n >= 0 && n < kValueBits && (static_cast<unsigned long long>(v) & (1ull << n)) != 0;
}

}  // namespace claim
