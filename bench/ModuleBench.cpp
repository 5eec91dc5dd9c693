// The daily activity module as the host uses it, each against a floor measured in the same
// run: loading and starting against loading an empty library plus bare TinyXML loads of the
// same files; one CanTakeActivityReward against reading the same values directly; one
// CanTakeHolidayAward against the two bare Lua calls; one message 0 delivered as bytes through
// the host against a bare parse of its chunk.
#include <benchmark/benchmark.h>

#include <memory>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>
#include <lua.hpp>
#include <tinyxml.h>

#include "dailyactivity/DailyActivityConfig.h"
#include "host/DAMsgCodec.h"
#include "host/Host.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace {

// The module's own lines (start, shutdown) would drown the figures.
zor::LogCapture& Quiet() {
    static zor::LogCapture quiet;
    quiet.Clear();
    return quiet;
}

// A started host with a main role that may take tier 2, and a holiday with award 3.
struct StartedHost {
    host::Host h;
    StartedHost() {
        Quiet();
        if (!h.LoadModule() || !h.Start()) std::abort();
        host::PlayerInfo& info = *h.roles.SetMainRole(1).Info();
        info.SetActivityValue(60);
        h.lua.SetHoliday(true);
        h.lua.SetHave(3, true);
    }
};

void LoadAndStartModule(benchmark::State& state) {
    for (auto _ : state) {
        host::Host h;
        Quiet();
        if (!h.LoadModule() || !h.Start()) state.SkipWithError("start failed");
        state.PauseTiming();
        h.Shutdown();
        h.ReleaseModule();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadAndStartModule)->Unit(benchmark::kMicrosecond);

void FloorEmptyLibraryAndBareXml(benchmark::State& state) {
    const std::string dir = zor::GetConfigDirectory();
    const std::string empty = platform::ProgramDirectory() + platform::PluginFileName("bench_empty_module");
    for (auto _ : state) {
        HMODULE m = LoadLibraryA(empty.c_str());
        if (!m || !GetProcAddress(m, "InitPlugin")) state.SkipWithError("empty library missing");
        TiXmlDocument config, strings;
        if (!config.LoadFile((dir + "/config/DailyActivity/Config.xml").c_str(), TIXML_ENCODING_UNKNOWN) ||
            !strings.LoadFile((dir + "/config/StringTable/common.xml").c_str(), TIXML_ENCODING_UNKNOWN)) {
            state.SkipWithError("sample files missing");
        }
        benchmark::DoNotOptimize(config.RootElement());
        FreeLibrary(m);
    }
}
BENCHMARK(FloorEmptyLibraryAndBareXml)->Unit(benchmark::kMicrosecond);

void CanTakeActivityReward(benchmark::State& state) {
    StartedHost s;
    qrn::IDailyActivity* service = s.h.Service();
    const int tier = 2;
    for (auto _ : state) benchmark::DoNotOptimize(service->CanTakeActivityReward(tier));
}
BENCHMARK(CanTakeActivityReward);

void FloorDirectRoleValuesAndEntry(benchmark::State& state) {
    StartedHost s;
    DailyActivityConfig config;
    if (!config.LoadConfig()) state.SkipWithError("no configuration");
    const int tier = 2;
    for (auto _ : state) {
        zor::ObjectPtrT<qrn::IRole> role = s.h.roles.GetMainRole();
        auto* info = dynamic_cast<qrn::IPlayerInfo*>(role->GetComponent(17));
        const _ActivityReward& entry = config.GetActivityReward(tier);
        bool ok = info->GetValue(33 + tier) <= 0 && info->GetActivityValue() >= entry.ActivityValue;
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(FloorDirectRoleValuesAndEntry);

void CanTakeHolidayAward(benchmark::State& state) {
    StartedHost s;
    qrn::IDailyActivity* service = s.h.Service();
    const int award = 3;
    for (auto _ : state) benchmark::DoNotOptimize(service->CanTakeHolidayAward(award));
}
BENCHMARK(CanTakeHolidayAward);

bool BareCall(lua_State* L, const char* name, bool withArgument) {
    const int top = lua_gettop(L);
    lua_getglobal(L, "HolidaySys");
    lua_getfield(L, -1, "ActivityAward");
    lua_getfield(L, -1, name);
    if (withArgument) lua_pushinteger(L, 3);
    bool result = lua_pcall(L, withArgument ? 1 : 0, 1, 0) == LUA_OK && lua_toboolean(L, -1);
    lua_settop(L, top);
    return result;
}

void FloorTwoBareLuaCalls(benchmark::State& state) {
    StartedHost s;
    lua_State* L = s.h.lua.VM().GetState();
    for (auto _ : state) {
        bool ok = BareCall(L, "IsHoliday", false) && BareCall(L, "IsHave", true);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(FloorTwoBareLuaCalls);

void MessageZeroThroughHost(benchmark::State& state) {
    StartedHost s;
    const std::string frame = host::DailyActivityFrame(1234567890123LL, 7, 3, true);
    for (auto _ : state) {
        if (!s.h.Deliver(frame)) state.SkipWithError("not delivered");
    }
}
BENCHMARK(MessageZeroThroughHost);

void FloorBareParseOfTheChunk(benchmark::State& state) {
    StartedHost s;  // the module registered the generated message
    host::DailyActivityFields fields;
    fields.roleId = 1234567890123LL;
    fields.tempType = 7;
    fields.completeNum = 3;
    fields.hasIsOver = fields.isOver = true;
    const std::string bytes = host::EncodeDailyActivity(fields);
    const auto* type = google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName("DAMsg.DailyActivity");
    if (!type) {
        state.SkipWithError("DAMsg.DailyActivity is not registered");
        return;
    }
    std::unique_ptr<google::protobuf::Message> message(
        google::protobuf::MessageFactory::generated_factory()->GetPrototype(type)->New());
    for (auto _ : state) {
        if (!message->ParseFromArray(bytes.data(), static_cast<int>(bytes.size()))) state.SkipWithError("parse");
        benchmark::DoNotOptimize(message.get());
    }
}
BENCHMARK(FloorBareParseOfTheChunk);

}  // namespace
