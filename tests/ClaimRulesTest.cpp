// The pre-checks and requests of qrn::IDailyActivity, from the host's role values, the
// configuration, the host's Lua script and the clock.
#include <gtest/gtest.h>

#include <climits>

#include "DailyActivity/IDailyActivityRewardList.h"
#include "ModuleFixture.h"

namespace moduletest {
namespace {

// The sample's tiers and sign-in rewards, plus a tier and a reward beyond the role values.
const char* const kConfig = R"(<Config>
  <ActivityReward>
    <T Index="1" ActivityValue="20" RewardItemTemplateID="11"/>
    <T Index="2" ActivityValue="50" RewardItemTemplateID="12"/>
    <T Index="4" ActivityValue="120" RewardItemTemplateID="14"/>
    <T Index="5" ActivityValue="1" RewardItemTemplateID="15"/>
  </ActivityReward>
  <SignInReward>
    <R Index="1" SignInNum="1"><I RewardValue="1"/></R>
    <R Index="5" SignInNum="1"><I RewardValue="1"/></R>
    <R Index="2" SignInNum="3"><I RewardValue="1"/><I RewardType="3" RewardItemTemplateID="7" RewardItemNum="1"/></R>
    <R Index="3" SignInNum="14"><I RewardValue="1"/><I RewardValue="2"/><I RewardValue="3"/></R>
    <R Index="6" SignInNum="1"><I RewardValue="1"/></R>
  </SignInReward>
</Config>)";

class ClaimRules : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        StartWithConfig(kConfig);
        explain = host.Explain();
        ASSERT_NE(explain, nullptr);
    }
    // Flags with the given days set.
    static __int64 Days(std::initializer_list<int> days) {
        uint64_t flags = 0;
        for (int d : days) flags |= uint64_t{1} << d;
        return static_cast<__int64>(flags);
    }
    qrn::IDailyActivityExplain* explain = nullptr;
};

TEST_F(ClaimRules, ActivityRewardChecksRunInOrder) {
    host::PlayerInfo& player = MainPlayer();
    player.SetActivityValue(1000);
    // No entry, or a tier without a role value: refused before any role value is read.
    for (int index : {0, 3, 9, 5}) {
        EXPECT_FALSE(service->CanTakeActivityReward(index)) << index;
    }
    EXPECT_EQ(player.ValueReads(), 0);
    EXPECT_EQ(explain->ExplainActivityReward(3), "tier 3 is not configured");
    EXPECT_EQ(explain->ExplainActivityReward(5), "tier 5 has no role value to record it (tiers 1..4 only)");

    EXPECT_TRUE(service->CanTakeActivityReward(1));
    player.SetValue(34, 1);
    EXPECT_FALSE(service->CanTakeActivityReward(1));
    EXPECT_EQ(explain->ExplainActivityReward(1), "tier 1 was already taken (role value 34 is 1)");
    player.SetValue(34, -5);
    EXPECT_TRUE(service->CanTakeActivityReward(1));
    player.SetValue(37, 1);
    EXPECT_FALSE(service->CanTakeActivityReward(4));

    player.SetActivityValue(50);
    EXPECT_TRUE(service->CanTakeActivityReward(2));
    player.SetActivityValue(49);
    EXPECT_FALSE(service->CanTakeActivityReward(2));
    EXPECT_EQ(explain->ExplainActivityReward(2), "tier 2: activity value 49 is below the 50 required");
    EXPECT_EQ(explain->ExplainActivityReward(1), "");
}

// The configured rewards, listed for other plugins whether they can be claimed or not; every
// Index listed is answered with its entry.
TEST_F(ClaimRules, ConfiguredRewardsAreListed) {
    auto* list = dynamic_cast<qrn::IDailyActivityRewardList*>(service);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetActivityRewardIndexes(), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(list->GetSignInRewardIndexes(), (std::vector<int>{1, 2, 3, 5, 6}));
    for (int index : list->GetActivityRewardIndexes()) EXPECT_GT(service->GetActivityReward(index).ActivityValue, 0);
    for (int index : list->GetSignInRewardIndexes()) EXPECT_GT(service->GetSignInReward(index).SignInNum, 0);
}

TEST_F(ClaimRules, WithoutPlayerInfoNothingCanBeTaken) {
    EXPECT_FALSE(service->CanTakeActivityReward(1));
    EXPECT_EQ(explain->ExplainActivityReward(1), "no main role");
    EXPECT_FALSE(service->CanTakeSignInReward(2, 0));
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
    EXPECT_TRUE(service->CanSignIn());
    EXPECT_EQ(service->GetSignInFlags(), 0);
    EXPECT_EQ(service->GetSignInCount(), 0);

    host::Role& role = host.roles.SetMainRole(1);
    role.SetComponent(qrn::IRole::kPlayerInfoComponent, new host::OtherComponent());  // the cast fails
    EXPECT_FALSE(service->CanTakeActivityReward(1));
    EXPECT_EQ(explain->ExplainActivityReward(1), "the main role has no player info (component 17)");
    role.SetComponent(qrn::IRole::kPlayerInfoComponent, nullptr);
    EXPECT_FALSE(service->CanTakeActivityReward(1));
    EXPECT_TRUE(service->CanSignIn());
}

TEST_F(ClaimRules, SignInRewardChecksRunInOrder) {
    host::PlayerInfo& player = MainPlayer();
    player.SetValue(32, Days({1, 2, 3}));
    EXPECT_TRUE(service->CanTakeSignInReward(2, 0));
    EXPECT_TRUE(service->CanTakeSignInReward(2, 1));
    EXPECT_FALSE(service->CanTakeSignInReward(2, 2));
    EXPECT_FALSE(service->CanTakeSignInReward(2, -1));
    EXPECT_EQ(explain->ExplainSignInReward(2, 2), "sign-in reward 2 has no item 2 (items 0..1)");
    EXPECT_FALSE(service->CanTakeSignInReward(4, 0));  // not configured
    EXPECT_FALSE(service->CanTakeSignInReward(6, 0));  // configured, but no role value
    EXPECT_EQ(explain->ExplainSignInReward(6, 0), "sign-in reward 6 has no role value to record it (rewards 1..5 only)");
    // Both out of range: the item is checked before the index.
    EXPECT_EQ(explain->ExplainSignInReward(6, 1), "sign-in reward 6 has no item 1 (items 0..0)");
    // The first and the last reward with a role value: 38 and 42.
    EXPECT_TRUE(service->CanTakeSignInReward(1, 0));
    EXPECT_TRUE(service->CanTakeSignInReward(5, 0));
    player.SetValue(38, Days({1}));
    player.SetValue(42, Days({1}));
    EXPECT_EQ(explain->ExplainSignInReward(1, 0), "item 0 of sign-in reward 1 was already taken (bit 1 of role value 38 is set)");
    EXPECT_EQ(explain->ExplainSignInReward(5, 0), "item 0 of sign-in reward 5 was already taken (bit 1 of role value 42 is set)");

    player.SetValue(39, Days({2}));  // bit item+1: item 1 taken, item 0 not
    EXPECT_TRUE(service->CanTakeSignInReward(2, 0));
    EXPECT_FALSE(service->CanTakeSignInReward(2, 1));
    EXPECT_EQ(explain->ExplainSignInReward(2, 1), "item 1 of sign-in reward 2 was already taken (bit 2 of role value 39 is set)");
    player.SetValue(39, Days({0}));  // bit 0 stands for no item
    EXPECT_TRUE(service->CanTakeSignInReward(2, 1));

    player.SetValue(32, Days({1, 2}));
    EXPECT_FALSE(service->CanTakeSignInReward(2, 0));
    EXPECT_EQ(explain->ExplainSignInReward(2, 0), "sign-in reward 2: 2 sign-ins are below the 3 required");
}

TEST_F(ClaimRules, SignInCountReadsDaysOneToThirtyOne) {
    host::PlayerInfo& player = MainPlayer();
    player.SetValue(32, Days({0}));
    EXPECT_EQ(service->GetSignInCount(), 0);
    player.SetValue(32, Days({0, 32, 40, 63}));
    EXPECT_EQ(service->GetSignInCount(), 0);
    __int64 all = 0;
    for (int d = 1; d <= 31; ++d) all |= static_cast<__int64>(1) << d;
    player.SetValue(32, all);
    EXPECT_EQ(service->GetSignInCount(), 31);
    EXPECT_EQ(service->GetSignInFlags(), all);
    for (int day = 1; day <= 31; ++day) {
        host.clock.Set(At(2026, 12, day, 0, 0, 1));
        EXPECT_FALSE(service->CanSignIn()) << day;
    }
}

TEST_F(ClaimRules, SignInDayFollowsTheLocalCalendar) {
    host::PlayerInfo& player = MainPlayer();
    player.SetValue(32, Days({8}));
    host.clock.Set(At(2026, 12, 8, 23, 30, 0));  // 23:30 UTC on the 8th
    EXPECT_FALSE(service->CanSignIn());
    EXPECT_EQ(explain->ExplainSignIn(), "already signed in today (day 8 is set in the sign-in flags, role value 32)");
    host::SetTimeZone("CST-8");  // the same instant is 07:30 on the 9th eight hours east
    EXPECT_TRUE(service->CanSignIn());
    host::SetTimeZone("EST5");   // and 18:30 on the 8th five hours west
    EXPECT_FALSE(service->CanSignIn());

    host::SetTimeZone("UTC0");
    host.clock.Set(At(2026, 12, 31, 23, 59, 59));
    player.SetValue(32, Days({31}));
    EXPECT_FALSE(service->CanSignIn());
    host.clock.Advance(1);  // 1 January: day 1 is clear
    EXPECT_TRUE(service->CanSignIn());
    host::SetTimeZone("EST5");  // still 31 December five hours west
    EXPECT_FALSE(service->CanSignIn());
}

TEST_F(ClaimRules, HolidayAwardAsksLuaThenTheRoleValues) {
    host::PlayerInfo& player = MainPlayer();
    host.lua.SetHave(2, true);
    EXPECT_FALSE(service->CanTakeHolidayAward(2));
    EXPECT_EQ(host.lua.Calls("IsHoliday"), 1);
    EXPECT_EQ(host.lua.Calls("IsHave"), 0);  // not asked on an ordinary day
    EXPECT_EQ(explain->ExplainHolidayAward(2), "HolidaySys.ActivityAward.IsHoliday() did not return true");

    host.lua.SetHoliday(true);
    EXPECT_TRUE(service->CanTakeHolidayAward(2));
    EXPECT_FALSE(service->CanTakeHolidayAward(3));
    EXPECT_EQ(explain->ExplainHolidayAward(3), "HolidaySys.ActivityAward.IsHave(3) did not return true");

    player.SetValue(47, Days({3}));  // bit index+1
    EXPECT_FALSE(service->CanTakeHolidayAward(2));
    EXPECT_EQ(explain->ExplainHolidayAward(2), "holiday award 2 was already taken (bit 3 of role value 47 is set)");
    player.SetValue(47, Days({2, 4}));
    EXPECT_TRUE(service->CanTakeHolidayAward(2));

    // Taken today (any award): refused whatever the flags say.
    player.SetValue(19, At(2026, 12, 8, 0, 0, 0));
    EXPECT_FALSE(service->CanTakeHolidayAward(2));
    EXPECT_EQ(explain->ExplainHolidayAward(2),
              "a holiday award was already taken today (role value 19 is 2026-12-08 00:00:00 local time)");
    player.SetValue(47, Days({3}));  // taken today and its flag set: the day is checked first
    EXPECT_EQ(explain->ExplainHolidayAward(2),
              "a holiday award was already taken today (role value 19 is 2026-12-08 00:00:00 local time)");
    player.SetValue(47, Days({2, 4}));
    player.SetValue(19, At(2026, 12, 7, 23, 59, 59));
    EXPECT_TRUE(service->CanTakeHolidayAward(2));
    player.SetValue(19, At(2025, 12, 8, 10, 0, 0));  // same day of the year, a year before
    EXPECT_TRUE(service->CanTakeHolidayAward(2));
}

TEST_F(ClaimRules, HolidayAwardDayBoundariesInTwoZones) {
    host::PlayerInfo& player = MainPlayer();
    host.lua.SetHoliday(true);
    host.lua.SetHave(1, true);
    // Taken at 23:30 UTC on New Year's Eve; now 00:10 UTC on New Year's Day.
    player.SetValue(19, At(2026, 12, 31, 23, 30, 0));
    host.clock.Set(At(2027, 1, 1, 0, 10, 0));
    EXPECT_TRUE(service->CanTakeHolidayAward(1));  // another day, another year
    host::SetTimeZone("CST-8");                    // both are 1 January there
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
    host::SetTimeZone("EST5");                     // both are 31 December there
    EXPECT_FALSE(service->CanTakeHolidayAward(1));

    host::SetTimeZone("UTC0");  // a month boundary
    player.SetValue(19, At(2026, 11, 30, 23, 0, 0));
    host.clock.Set(At(2026, 12, 1, 1, 0, 0));
    EXPECT_TRUE(service->CanTakeHolidayAward(1));
    host::SetTimeZone("EST5");
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
}

// A day of 25 hours (the clocks go back): an award stamped early on that day is still today
// more than 24 hours later. Where the C runtime applies no daylight saving rule of a TZ text
// (Windows'), the day has 24 hours and there is nothing to check.
TEST_F(ClaimRules, HolidayAwardOnTheDayTheClocksGoBack) {
    host::SetTimeZone("EST5EDT,M3.2.0,M11.1.0");  // 1 November 2026, 02:00 EDT becomes 01:00 EST
    std::tm summer{}, winter{};
    ASSERT_TRUE(platform::LocalTime(At(2026, 7, 1), summer));
    ASSERT_TRUE(platform::LocalTime(At(2026, 12, 1), winter));
    if (summer.tm_isdst == winter.tm_isdst) GTEST_SKIP() << "the C runtime applies no daylight saving rule of a TZ text";
    host::PlayerInfo& player = MainPlayer();
    host.lua.SetHoliday(true);
    host.lua.SetHave(1, true);
    player.SetValue(19, At(2026, 11, 1, 0, 5, 0));
    host.clock.Set(At(2026, 11, 1, 23, 55, 0));
    EXPECT_EQ(host.clock.Now() - player.GetValue(19), 24 * 3600 + 50 * 60);
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
    host.clock.Advance(10 * 60);  // 00:05 on 2 November
    EXPECT_TRUE(service->CanTakeHolidayAward(1));
}

TEST_F(ClaimRules, HolidayAwardOddValuesNeverCrash) {
    host::PlayerInfo& player = MainPlayer();
    host.lua.SetHoliday(true);
    host.lua.Run("function HolidaySys.ActivityAward.IsHave(i) return true end");
    // A time stamp the local-time conversion cannot take never counts as today.
    for (__int64 stamp : {LLONG_MAX, LLONG_MIN, -1LL}) {
        player.SetValue(19, stamp);
        EXPECT_TRUE(service->CanTakeHolidayAward(1)) << stamp;
    }
    // Bit positions outside 0..63 are never set; index -1 is bit 0.
    player.SetValue(47, -1);  // every bit
    EXPECT_FALSE(service->CanTakeHolidayAward(-1));
    EXPECT_FALSE(service->CanTakeHolidayAward(62));
    EXPECT_TRUE(service->CanTakeHolidayAward(63));
    EXPECT_TRUE(service->CanTakeHolidayAward(-2));
    EXPECT_TRUE(service->CanTakeHolidayAward(INT_MAX));
    EXPECT_TRUE(service->CanTakeHolidayAward(INT_MIN));

    host.lua.Run("function HolidaySys.ActivityAward.IsHave(i) error('broken script') end");
    zor::LogCapture capture;
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
    EXPECT_EQ(TextsAt(capture, 3).size(), 1u);

    zor::lua::SetVM(nullptr);
    EXPECT_FALSE(service->CanTakeHolidayAward(1));
    EXPECT_EQ(explain->ExplainHolidayAward(1), "no Lua virtual machine");
    zor::lua::SetVM(&host.lua.VM());
}

TEST_F(ClaimRules, RequestsSendOneMessageAfterTheirCheck) {
    host::PlayerInfo& player = MainPlayer();
    player.SetValue(32, Days({1, 2, 3}));
    player.SetActivityValue(20);
    host.lua.SetHoliday(true);
    host.lua.SetHave(4, true);

    EXPECT_TRUE(service->RequestSignIn());
    EXPECT_TRUE(service->RequestActivityReward(1));
    EXPECT_FALSE(service->RequestActivityReward(2));  // refused: nothing sent
    EXPECT_TRUE(service->RequestSignInReward(2, 0));
    EXPECT_FALSE(service->RequestSignInReward(2, 5));
    EXPECT_TRUE(service->RequestHolidayAward(4));
    EXPECT_FALSE(service->RequestHolidayAward(3));
    EXPECT_TRUE(service->RequestValue64());

    std::vector<SentMsg> sent = Sent();
    ASSERT_EQ(sent.size(), 5u);
    for (const SentMsg& m : sent) EXPECT_EQ(m.module, 69);
    EXPECT_EQ(sent[0].id, 2);
    EXPECT_EQ(sent[0].length, 6);
    EXPECT_EQ(sent[1].id, 3);
    ASSERT_EQ(sent[1].chunks.size(), 1u);
    EXPECT_EQ(sent[1].chunks[0].first, 3);
    EXPECT_EQ(sent[1].IntChunk(0), 1);
    EXPECT_EQ(sent[2].id, 4);
    ASSERT_EQ(sent[2].chunks.size(), 2u);
    EXPECT_EQ(sent[2].chunks[0].first, 4);
    EXPECT_EQ(sent[2].IntChunk(0), 2);
    EXPECT_EQ(sent[2].chunks[1].first, 5);
    EXPECT_EQ(sent[2].IntChunk(1), 0);
    EXPECT_EQ(host.client().Sent()[2], std::string("\x45\0\x04\0\x16\0\x04\0\x08\0\x02\0\0\0\x05\0\x08\0\0\0\0\0", 22));
    EXPECT_EQ(sent[3].id, 5);
    ASSERT_EQ(sent[3].chunks.size(), 1u);
    EXPECT_EQ(sent[3].chunks[0].first, 5);
    EXPECT_EQ(sent[3].IntChunk(0), 4);
    EXPECT_EQ(sent[4].id, 6);
    EXPECT_TRUE(sent[4].chunks.empty());
}

TEST_F(ClaimRules, RequestsWithoutMainRoleAndFailedSends) {
    EXPECT_TRUE(service->RequestValue64());
    EXPECT_TRUE(service->RequestSignIn());  // the flags read as 0
    EXPECT_FALSE(service->RequestActivityReward(1));
    EXPECT_EQ(host.client().Sent().size(), 2u);
    host.client().SetSendResult(false);
    EXPECT_FALSE(service->RequestValue64());
    EXPECT_EQ(host.client().Sent().size(), 3u);  // tried once, not retried
}

TEST_F(ClaimRules, EntriesAreHandedOutByReference) {
    const _ActivityReward& tier = service->GetActivityReward(2);
    EXPECT_EQ(tier.ActivityValue, 50);
    ASSERT_EQ(tier.RewardItemList.size(), 1u);
    EXPECT_EQ(tier.RewardItemList[0], 12);
    EXPECT_EQ(&tier, &service->GetActivityReward(2));
    const _ActivityReward& none = service->GetActivityReward(3);
    EXPECT_EQ(&none, &service->GetActivityReward(-7));
    EXPECT_TRUE(none.RewardItemList.empty());
    const _SignInReward& reward = service->GetSignInReward(2);
    EXPECT_EQ(reward.SignInNum, 3);
    ASSERT_EQ(reward.ItemRewardList.size(), 2u);
    EXPECT_EQ(reward.ItemRewardList.at(1).RewardItemTemplateID, 7);
    EXPECT_EQ(service->GetSignInReward(4).SignInNum, 0);
}

}  // namespace
}  // namespace moduletest
