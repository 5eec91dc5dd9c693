// The host stand-in's own promises to plugins.
#include <gtest/gtest.h>

#include "host/GameServerClient.h"
#include "host/Host.h"

namespace {

struct Withdrawer {
    host::GameServerClient* client = nullptr;
    int calls = 0;
    void OnMessage(ISender* sender, const NetMsg* msg) {
        ++calls;
        EXPECT_NE(sender, nullptr);
        EXPECT_TRUE(client->WithdrawModule(msg->GetModuleID(), Handler()));
        EXPECT_FALSE(client->HasModule(msg->GetModuleID()));
    }
    qrn::ModuleHandler Handler() { return zor::bind_n::bind(&Withdrawer::OnMessage, this); }
};

// A handler that withdraws its own registration while it runs is kept alive for the call.
TEST(HostStandIn, HandlerMayWithdrawItsModuleWhileRunning) {
    host::GameServerClient client;
    Withdrawer w{&client};
    ASSERT_TRUE(client.ModuleDispatcher.RegisterModule(12, w.Handler()));
    EXPECT_FALSE(client.ModuleDispatcher.RegisterModule(12, w.Handler()));  // the first wins
    EXPECT_TRUE(client.Deliver(NetMsg(12, 1)));
    EXPECT_FALSE(client.Deliver(NetMsg(12, 1)));  // withdrawn
    EXPECT_EQ(w.calls, 1);
    EXPECT_FALSE(client.Deliver(std::string("\x0c\x00", 2)));  // refused frame
}

// Only an equal handler is withdrawn: another plugin's registration stays.
TEST(HostStandIn, WithdrawalNeedsTheRegisteredHandler) {
    host::GameServerClient client;
    Withdrawer mine{&client}, other{&client};
    ASSERT_TRUE(client.ModuleDispatcher.RegisterModule(12, other.Handler()));
    EXPECT_FALSE(client.WithdrawModule(12, mine.Handler()));
    EXPECT_TRUE(client.HasModule(12));
}

}  // namespace
