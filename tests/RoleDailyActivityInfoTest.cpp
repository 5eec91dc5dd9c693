#include <gtest/gtest.h>

#include <climits>

#include "dailyactivity/RoleDailyActivityInfo.h"

namespace {

int Count(const RoleDailyActivityInfo& r, int type) {
    int n = -1;
    EXPECT_TRUE(r.GetCompleteNum(type, n));
    return n;
}

TEST(RoleDailyActivityInfo, AddCompleteNumAddsPositiveAmountsOnly) {
    RoleDailyActivityInfo record;
    EXPECT_EQ(record.AddCompleteNum(4, 3), 3);
    EXPECT_EQ(record.AddCompleteNum(4, 2), 5);
    const int zero = 0, minus = -1;
    EXPECT_EQ(&record.AddCompleteNum(4, zero), &zero);  // the argument itself comes back
    EXPECT_EQ(record.AddCompleteNum(4, minus), -1);
    EXPECT_EQ(Count(record, 4), 5);
    EXPECT_EQ(record.AddCompleteNum(9, minus), -1);
    EXPECT_EQ(record.Size(), 1u);  // nothing stored for type 9
}

TEST(RoleDailyActivityInfo, SumsStopAtTheLargestInt) {
    RoleDailyActivityInfo record;
    record.SetCompleteNum(1, INT_MAX - 1);
    EXPECT_EQ(record.AddCompleteNum(1, 5), INT_MAX);
    EXPECT_EQ(record.AddCompleteNum(1, INT_MAX), INT_MAX);
    record.SetCompleteNum(2, INT_MIN);
    EXPECT_EQ(record.AddCompleteNum(2, INT_MAX), -1);
}

TEST(RoleDailyActivityInfo, StoresAndClears) {
    RoleDailyActivityInfo record;
    EXPECT_EQ(Count(record, -1), 0);
    record.SetCompleteNum(3, 5);
    record.SetCompleteNum(3, 2);
    EXPECT_EQ(Count(record, 3), 2);
    record.Clear();
    EXPECT_EQ(Count(record, 3), 0);
    EXPECT_EQ(record.GetEntityType(), 69u);
}

}  // namespace
