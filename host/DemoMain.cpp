// The demo host: builds a container tree, starts and shuts it down, reads the sample daily
// activity configuration and string table, passes one server message through a dispatcher,
// and prints what happened. Run it from the game directory (the repository root).
#include <cstdio>

#include "DailyActivity/DAMsg.pb.h"
#include "dailyactivity/DailyActivityConfig.h"
#include "event/Dispatcher.h"
#include "host/HostContainer.h"
#include "resource/StringTable.h"
#include "zor/Log.h"

namespace {

struct Connection : ISender {};

struct Listener {
    void OnDailyActivityMsg(ISender*, const NetMsg* msg) {
        DAMsg::DailyActivity da;
        if (!NetMsgChunkCast(da, msg, 0)) return;
        std::printf("message 0: activity type %d completed %d times%s\n", da.temptype(), da.completenum(),
                    da.isover() ? " (announced)" : "");
    }
};

}  // namespace

int main() {
    using host::HostContainer;
    HostContainer root({0x95C395B2, 0x99B3, 0x4ABB, {0xBD, 0xFE, 0x55, 0x23, 0xBE, 0x8C, 0xDD, 0xB6}}, 0, "Host");
    HostContainer network({0xDBA482BF, 0xAD45, 0x4333, {0x8A, 0x8D, 0x99, 0x92, 0xA7, 0xA2, 0x7D, 0x18}}, 1,
                          "GameServerClient");
    HostContainer roles({0x90B07DFB, 0x05E6, 0x4220, {0xB4, 0x61, 0x2B, 0x0A, 0xF7, 0x1B, 0x21, 0x85}}, 2,
                        "RoleSystem");
    root.RegisterChildContainer(&network);
    root.RegisterChildContainer(&roles);

    bool started = root.StartContainer();
    std::printf("tree started: %s\n", started ? "yes" : "no");

    DailyActivityConfig config;
    bool loaded = config.LoadConfig();
    std::printf("configuration %s: %s, %zu rows, %zu activity reward tiers, %zu sign-in rewards\n",
                DailyActivityConfig::FileName().c_str(), loaded ? "loaded" : "FAILED", config.DailyActivities().size(),
                config.ActivityRewards().size(), config.SignInRewards().size());
    std::printf("five elements: %s %s %s %s %s (none: %s)\n", FiveElementsNames[0], FiveElementsNames[1],
                FiveElementsNames[2], FiveElementsNames[3], FiveElementsNames[4], FiveElementsNames[5]);

    Listener listener;
    MsgDispatcher dispatcher;
    dispatcher.Register(0, MsgHandler(zor::bind_n::bind(&Listener::OnDailyActivityMsg, &listener)));
    DAMsg::DailyActivity da;
    da.set_roleid(10001);
    da.set_temptype(2);
    da.set_completenum(3);
    da.set_isover(true);
    std::string payload = da.SerializeAsString();
    NetMsg sent(69, 0);
    sent.AddChunk(payload.data(), static_cast<int>(payload.size()), 0);
    std::string frame = sent.ToBytes();
    NetMsg received(0, 0);
    Connection connection;
    if (received.ReadFrame(frame.data(), frame.size())) dispatcher(&connection, &received);

    bool stopped = root.ShutdownContainer();
    std::printf("tree shut down: %s\n", stopped ? "yes" : "no");
    root.UnregisterChildContainer(&roles);
    root.UnregisterChildContainer(&network);
    return started && loaded && stopped ? 0 : 1;
}
