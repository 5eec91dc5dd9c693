#include <gtest/gtest.h>

#include <new>

#include "plugin/CastMemo.h"

namespace {

struct Base {
    virtual ~Base() = default;
};
struct Wanted {
    virtual ~Wanted() = default;
    int mark = 7;
};
struct Other : Base {};
struct Both : Base, Wanted {};
// Two Base subobjects: the same address can be either one's, depending on the object.
struct Left : Base {};
struct Right : Base, Wanted {};
struct Twice : Left, Right {
    long long pad = 0;
};

// Storage is reused by objects of another type, and the memo must not answer for the old one.
TEST(CastMemo, AnswersForTheObjectNowAtTheAddress) {
    zor::CastMemo<Wanted, Base> cast;
    EXPECT_EQ(cast(nullptr), nullptr);
    alignas(Both) unsigned char storage[sizeof(Both) + sizeof(Twice)];

    Both* both = new (storage) Both;
    Base* asBase = both;
    EXPECT_EQ(cast(asBase), static_cast<Wanted*>(both));
    EXPECT_EQ(cast(asBase), static_cast<Wanted*>(both));
    both->~Both();

    Other* other = new (storage) Other;
    EXPECT_EQ(cast(other), nullptr);
    other->~Other();

    Both* again = new (storage) Both;
    EXPECT_EQ(cast(static_cast<Base*>(again)), static_cast<Wanted*>(again));
    again->~Both();

    // Same pointer and dynamic type, but another subobject of another object.
    Twice* first = new (storage) Twice;
    Base* left = static_cast<Left*>(first);
    Base* right = static_cast<Right*>(first);
    EXPECT_EQ(cast(right), static_cast<Wanted*>(first));
    EXPECT_EQ(cast(left), static_cast<Wanted*>(first));
    first->~Twice();
    const auto shift = reinterpret_cast<unsigned char*>(right) - reinterpret_cast<unsigned char*>(left);
    ASSERT_GT(shift, 0);
    if (static_cast<size_t>(shift) <= sizeof(Both)) {
        Twice* second = new (storage + shift) Twice;  // its Left subobject lies where Right's was
        Base* secondLeft = static_cast<Left*>(second);
        ASSERT_EQ(secondLeft, right);
        EXPECT_EQ(cast(right), static_cast<Wanted*>(second));
        second->~Twice();
    }
}

}  // namespace
