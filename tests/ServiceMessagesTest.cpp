// The service's record and signals driven by server messages and role system signals, all
// delivered through the host.
#include <gtest/gtest.h>

#include <climits>

#include "ModuleFixture.h"

namespace moduletest {
namespace {

class ServiceMessages : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        Start();
        listener.ListenTo(*service);
    }
    int Count(int type) {
        int n = -12345;
        EXPECT_TRUE(service->GetRoleDailyActivityInfo()->GetCompleteNum(type, n));
        return n;
    }
    // A message of module 69 with the given chunks.
    static std::string Frame(unsigned short id, std::initializer_list<std::pair<unsigned short, std::string>> chunks) {
        return host::Frame(69, id, chunks);
    }
    static std::string Bytes(std::initializer_list<int> values) {
        std::string s;
        for (int v : values) s.push_back(static_cast<char>(v));
        return s;
    }
    Listener listener;
};

// The road of one claim, end to end.
TEST_F(ServiceMessages, RoadOfOneClaim) {
    host::PlayerInfo& player = MainPlayer();
    player.SetActivityValue(55);
    ASSERT_TRUE(host.Deliver(host::DailyActivityFrame(1001, 2, 3, false)));
    EXPECT_EQ(listener.changed, 0);
    ASSERT_TRUE(host.Deliver(host::DailyActivityFrame(1001, 7, 5, true)));
    EXPECT_EQ(listener.changed, 1);
    EXPECT_EQ(Count(2), 3);
    EXPECT_EQ(Count(7), 5);

    EXPECT_TRUE(service->CanTakeActivityReward(2));
    EXPECT_TRUE(service->RequestActivityReward(2));
    ASSERT_EQ(host.client().Sent().size(), 1u);
    EXPECT_EQ(host.client().Sent()[0], Bytes({69, 0, 3, 0, 14, 0, 3, 0, 8, 0, 2, 0, 0, 0}));

    ASSERT_TRUE(host.Deliver(host::IntFrame(qrn::MsgActivityReward, 3, 2)));
    EXPECT_EQ(listener.rewards, std::vector<int>{2});
}

TEST_F(ServiceMessages, CountsAreReplacedAsTheyArrive) {
    EXPECT_EQ(Count(-1), 0);
    host.Deliver(host::DailyActivityFrame(1, 3, 5, false));
    host.Deliver(host::DailyActivityFrame(1, 3, 2, false));
    EXPECT_EQ(Count(3), 2);
    host.Deliver(host::DailyActivityFrame(1, 99, -4, false));  // stored as it comes
    EXPECT_EQ(Count(99), -4);
    EXPECT_EQ(listener.changed, 0);
    // The wire bytes of the message's own description: 08 01 10 02 18 03 (20 01).
    host.Deliver(Frame(0, {{0, Bytes({0x08, 1, 0x10, 2, 0x18, 3})}}));
    EXPECT_EQ(Count(2), 3);
    EXPECT_EQ(listener.changed, 0);
    host.Deliver(Frame(0, {{0, Bytes({0x08, 1, 0x10, 2, 0x18, 4, 0x20, 1, 0x30, 9})}}));  // unknown field 6 kept
    EXPECT_EQ(Count(2), 4);
    EXPECT_EQ(listener.changed, 1);
}

TEST_F(ServiceMessages, BadMessageZeroIsLoggedAndChangesNothing) {
    host.Deliver(host::DailyActivityFrame(1, 2, 7, false));
    zor::LogCapture capture;
    host.Deliver(Frame(0, {{1, "x"}}));
    host.Deliver(Frame(0, {{0, Bytes({0x08, 1, 0x10, 2})}}));  // CompleteNum missing
    host.Deliver(Frame(0, {{0, Bytes({0xFF, 0xFF})}}));
    EXPECT_EQ(TextsAt(capture, 3),
              (std::vector<std::string>{"NetMsgChunkCast() error with ModuleID(69) MsgID(0) : Chunk(0) not found",
                                        "NetMsgChunkCast() error with ModuleID(69) MsgID(0) Chunk(0) : ParseFromString() return false",
                                        "NetMsgChunkCast() error with ModuleID(69) MsgID(0) Chunk(0) : ParseFromString() return false"}));
    int stacks = 0;
    for (const auto& r : capture.Records()) stacks += r.kind == zor::LogKind::CallStack;
    EXPECT_EQ(stacks, 3);
    EXPECT_EQ(Count(2), 7);
    EXPECT_EQ(listener.changed, 0);
}

TEST_F(ServiceMessages, ClearEmptiesAndAnnouncesEvenWhenEmpty) {
    host.Deliver(host::DailyActivityFrame(1, 4, 2, false));
    host.Deliver(host::ClearFrame());
    EXPECT_EQ(Count(4), 0);
    EXPECT_EQ(listener.changed, 1);
    host.Deliver(host::ClearFrame());
    EXPECT_EQ(listener.changed, 2);
}

TEST_F(ServiceMessages, NumbersArePublishedAndWrongSizesLogged) {
    host.Deliver(host::IntFrame(3, 3, -7));
    host.Deliver(host::Int64Frame(6, 6, -1234567890123LL));
    host.Deliver(Frame(6, {{5, "ignored"}, {6, std::string("\x01\0\0\0\0\0\0\x80", 8)}}));
    EXPECT_EQ(listener.rewards, std::vector<int>{-7});
    EXPECT_EQ(listener.values, (std::vector<__int64>{-1234567890123LL, static_cast<__int64>(0x8000000000000001ULL)}));

    zor::LogCapture capture;
    host.Deliver(host::Int64Frame(3, 3, 2));
    host.Deliver(host::IntFrame(6, 6, 2));
    host.Deliver(Frame(3, {}));
    host.Deliver(host::IntFrame(3, 4, 2));  // the tier in the wrong chunk
    const std::string wide = platform::TypeName(typeid(__int64));
    EXPECT_EQ(TextsAt(capture, 3), (std::vector<std::string>{"VerifyChunk() error : class=int ChunkID==3 ChunkSize=12",
                                                             "VerifyChunk() error : class=" + wide + " ChunkID==6 ChunkSize=8",
                                                             "VerifyChunk() error : class=int Chunk==NULL",
                                                             "VerifyChunk() error : class=int Chunk==NULL"}));
    EXPECT_EQ(listener.rewards.size(), 1u);
    EXPECT_EQ(listener.values.size(), 2u);
}

// Every bit of a 64-bit chunk or role value survives the trip (long is 32 bits on Windows).
TEST_F(ServiceMessages, SixtyFourBitValuesAtTheirExtremes) {
    for (__int64 v : {LLONG_MAX, LLONG_MIN, static_cast<__int64>(0x00000000FFFFFFFFLL), static_cast<__int64>(0x100000000LL)}) {
        host.Deliver(host::Int64Frame(6, 6, v));
    }
    host.Deliver(host::IntFrame(3, 3, INT_MIN));
    host.Deliver(host::IntFrame(3, 3, INT_MAX));
    EXPECT_EQ(listener.values, (std::vector<__int64>{LLONG_MAX, LLONG_MIN, 0xFFFFFFFFLL, 0x100000000LL}));
    EXPECT_EQ(listener.rewards, (std::vector<int>{INT_MIN, INT_MAX}));
    host::PlayerInfo& player = MainPlayer(LLONG_MIN);
    for (__int64 v : {LLONG_MIN, LLONG_MAX, static_cast<__int64>(0x8000000100000000LL)}) {
        player.SetValue(32, v);
        EXPECT_EQ(service->GetSignInFlags(), v);
    }
}

TEST_F(ServiceMessages, RequestIdsFromTheServerFindNoHandler) {
    host.Deliver(host::DailyActivityFrame(1, 4, 2, false));
    zor::LogCapture capture;
    for (unsigned short id : {2, 4, 5, 7, 65535}) {
        EXPECT_TRUE(host.Deliver(host::IntFrame(id, 0, 1)));  // the module's handler got it...
    }
    EXPECT_TRUE(capture.Records().empty());  // ...and dropped it silently
    EXPECT_EQ(Count(4), 2);
    EXPECT_EQ(listener.changed, 0);
}

TEST_F(ServiceMessages, RoleSystemResetsEmptyTheRecordSilently) {
    host::Role& main = host.roles.SetMainRole(1);
    host::Role& other = host.roles.AddRole(2);
    host.Deliver(host::DailyActivityFrame(1, 4, 2, false));
    host.roles.FireRole(&other);
    EXPECT_EQ(Count(4), 2);
    host.roles.FireRole(&main);
    EXPECT_EQ(Count(4), 0);

    host.Deliver(host::DailyActivityFrame(1, 4, 2, false));
    host.roles.FireReset();
    EXPECT_EQ(Count(4), 0);

    host.Deliver(host::DailyActivityFrame(1, 4, 2, false));
    host.roles.RemoveMainRole();
    host.roles.FireRole(&other);
    EXPECT_EQ(Count(4), 2);
    host.roles.FireRole(nullptr);  // no main role: compared with null
    EXPECT_EQ(Count(4), 0);
    EXPECT_EQ(listener.changed, 0);
}

TEST_F(ServiceMessages, RecordAnswersAsItsInterfaceSays) {
    IRoleDailyActivityInfo* record = service->GetRoleDailyActivityInfo();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, service->GetRoleDailyActivityInfo());
    EXPECT_EQ(record->GetEntityType(), 69u);
    EXPECT_EQ(record->GetEntityID(), 0u);
    EXPECT_TRUE(record->GetEntityName().empty());
    EXPECT_TRUE(record->GetInterfaceType() == typeid(IRoleDailyActivityInfo));
    EXPECT_TRUE(service->GetInterfaceType() == typeid(qrn::IDailyActivity));
    EXPECT_TRUE(service->GetContainerID() == qrn::kDailyActivityServiceID);
    EXPECT_EQ(service->GetEntityType(), 0u);
}

TEST_F(ServiceMessages, ListenersConnectOnce) {
    Listener again;
    EXPECT_TRUE(service->OnDataChanged.Connect(zor::bind_n::bind(&Listener::OnChanged, &again)));
    EXPECT_FALSE(service->OnDataChanged.Connect(zor::bind_n::bind(&Listener::OnChanged, &again)));
    host.Deliver(host::ClearFrame());
    EXPECT_EQ(again.changed, 1);
    EXPECT_EQ(listener.changed, 1);
}

}  // namespace
}  // namespace moduletest
