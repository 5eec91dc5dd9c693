// A host stand-in with the daily activity module loaded by file name and started, as the
// game client runs it. Tests reach the module only through its entry points, the service's
// interfaces and the host's objects.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TempDir.h"
#include "event/NetMsg.h"
#include "host/Host.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace moduletest {

// A message the module sent, read back from its bytes.
struct SentMsg {
    unsigned short module = 0, id = 0, length = 0;
    std::vector<std::pair<unsigned short, std::string>> chunks;  // id, data
    int IntChunk(size_t i) const {
        int v = 0;
        if (i < chunks.size() && chunks[i].second.size() == sizeof v) std::memcpy(&v, chunks[i].second.data(), sizeof v);
        return v;
    }
};

inline SentMsg ReadSent(const std::string& bytes) {
    SentMsg out;
    NetMsg msg(0, 0);
    if (!msg.ReadFrame(bytes.data(), bytes.size())) return out;
    out.module = msg.GetModuleID();
    out.id = msg.GetMsgID();
    out.length = msg.GetLength();
    for (int i = 0; i < msg.GetChunkCount(); ++i) {
        const NetMsgChunk* c = msg.GetChunk(i);
        out.chunks.emplace_back(c->ChunkID, std::string(reinterpret_cast<const char*>(c->GetData()), c->GetDataSize()));
    }
    return out;
}

// Counts the emissions of the service's signals and keeps the values carried.
struct Listener {
    int changed = 0;
    std::vector<int> rewards;
    std::vector<__int64> values;
    void OnChanged() { ++changed; }
    void OnReward(int v) { rewards.push_back(v); }
    void OnValue(__int64 v) { values.push_back(v); }
    void ListenTo(qrn::IDailyActivity& s) {
        s.OnDataChanged += zor::bind_n::bind(&Listener::OnChanged, this);
        s.OnActivityRewardNotice += zor::bind_n::bind(&Listener::OnReward, this);
        s.OnValue64Notice += zor::bind_n::bind(&Listener::OnValue, this);
    }
};

inline std::vector<std::string> TextsAt(const zor::LogCapture& capture, int level) {
    std::vector<std::string> texts;
    for (const auto& r : capture.Records()) {
        if (r.kind == zor::LogKind::Level && r.level == level) texts.push_back(r.text);
    }
    return texts;
}

// Seconds since the epoch of a local time under the current zone.
inline __int64 At(int y, int mo, int d, int h = 12, int mi = 0, int s = 0) {
    __int64 t = 0;
    EXPECT_TRUE(host::LocalTimestamp(y, mo, d, h, mi, s, t));
    return t;
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::SetTimeZone("UTC0");
        previousConfigDir = zor::GetConfigDirectory();
        host.clock.Set(At(2026, 12, 8, 10, 0, 0));
        ASSERT_TRUE(host.clock.Installed());
        ASSERT_TRUE(host.LoadModule()) << host.Error();
        service = host.Service();
        ASSERT_NE(service, nullptr);
    }
    void TearDown() override {
        zor::SetConfigDirectory(previousConfigDir);
        host::SetTimeZone("");
        host.clock.UseSystemTime();
    }

    // Starts with the sample configuration (the tests run in the project's root).
    void Start() { ASSERT_TRUE(host.Start()); }
    // Starts with this text as config/DailyActivity/Config.xml.
    void StartWithConfig(const std::string& xml) {
        config.Write("config/DailyActivity/Config.xml", xml);
        zor::SetConfigDirectory(config.Path());
        ASSERT_TRUE(host.Start());
    }
    host::PlayerInfo& MainPlayer(__int64 id = 1001) { return *host.roles.SetMainRole(id).Info(); }
    std::vector<SentMsg> Sent() {
        std::vector<SentMsg> out;
        for (const std::string& bytes : host.client().Sent()) out.push_back(ReadSent(bytes));
        return out;
    }

    std::string previousConfigDir;
    TempDir config;
    host::Host host;
    qrn::IDailyActivity* service = nullptr;
};

}  // namespace moduletest
