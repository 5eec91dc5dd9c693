#include <gtest/gtest.h>

#include <stdexcept>

#include "zor/vector.h"

namespace {

struct Item {
    int kind;
    long long id;
};

TEST(Vector, SubscriptIsCheckedInEveryForm) {
    zor::vector<long long> v;
    v.push_back(1);
    v.push_back(2);
    const zor::vector<long long>& cv = v;
    EXPECT_EQ(v[1], 2);
    EXPECT_EQ(cv.at(0), 1);
    for (size_t bad : {size_t(2), size_t(-1)}) {
        try {
            (void)v[bad];
            FAIL() << "no throw";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
        }
        EXPECT_THROW((void)cv[bad], std::out_of_range);
        EXPECT_THROW((void)v.at(bad), std::out_of_range);
        EXPECT_THROW((void)cv.at(bad), std::out_of_range);
    }
}

TEST(Vector, TooLongRequestsThrowLengthError) {
    zor::vector<Item> v;
    try {
        v.reserve(v.max_size() + 1);
        FAIL() << "no throw";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "vector<T> too long");
    }
    EXPECT_THROW(v.resize(v.max_size() + 1), std::length_error);
    EXPECT_THROW(v.assign(v.max_size() + 1, Item{}), std::length_error);
    v.push_back(Item{1, 2});
    EXPECT_THROW(v.insert(v.begin(), v.max_size(), Item{}), std::length_error);
    EXPECT_EQ(v.size(), 1u);
}

TEST(Vector, EditingOperations) {
    zor::vector<long long> v;
    v.pop_back();
    EXPECT_TRUE(v.empty());
    v.resize(3);
    EXPECT_EQ(v.size(), 3u);
    EXPECT_EQ(v[2], 0);
    v.resize(5, 7);
    EXPECT_EQ(v.back(), 7);
    v.resize(1);
    EXPECT_EQ(v.size(), 1u);
    v.assign(0, 9);
    EXPECT_TRUE(v.empty());
    const long long raw[] = {1, 2, 3, 4};
    v.assign(raw, raw + 4);
    EXPECT_EQ(v.front(), 1);
    auto it = v.insert(v.begin() + 1, 10);
    EXPECT_EQ(*it, 10);
    v.insert(v.end(), 2, 5);
    EXPECT_EQ(v.size(), 7u);
    zor::vector<long long> copy;
    copy.assign(static_cast<const zor::vector<long long>&>(v).begin(),
                static_cast<const zor::vector<long long>&>(v).end());
    EXPECT_EQ(copy.size(), 7u);
    auto after = v.erase(v.begin());
    EXPECT_EQ(*after, 10);
    auto end = v.erase(v.begin(), v.end());
    EXPECT_TRUE(v.empty());
    EXPECT_TRUE(end == v.end());
    EXPECT_EQ(copy[6], 5);
    long long sum = 0;
    for (auto r = copy.rbegin(); r != copy.rend(); ++r) sum += *r;
    EXPECT_EQ(sum, 1 + 10 + 2 + 3 + 4 + 5 + 5);
}

}  // namespace
