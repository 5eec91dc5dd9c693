// The daily activity module as the host uses it, each against a floor measured in the same
// run: loading and starting against loading an empty library plus bare TinyXML loads of the
// same files; one CanTakeActivityReward against reading the same values directly; one
// CanTakeHolidayAward against its two Lua calls by their dotted names; one message 0
// delivered as bytes through the host against the same delivery to a handler that only
// parses the chunk. Beside them, what a user asks next: the memory a
// started module holds (against an empty library, each in a fresh process) and the time of a whole day's session.
// Run from the checkout's root: it reads the sample configuration there.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>

#include <unistd.h>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>
#include <lua.hpp>
#include <tinyxml.h>

#include "dailyactivity/DailyActivityConfig.h"
#include "host/DAMsgCodec.h"
#include "host/Host.h"
#include "player/SessionRunner.h"
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

// The same call with the function found from its dotted name, as the bridge is given it: the
// name cut at its dots and each piece looked up raw, so that a script's metatables cannot
// raise an error outside a protected call. (Pushing the pieces from a terminated copy would let
// Lua's string cache serve them, but whether it does varies from one process to the next with
// the copy's address: the floor would not be one figure.)
bool DottedCall(lua_State* L, const char* name, bool withArgument) {
    const int top = lua_gettop(L);
    lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    for (const char* piece = name;;) {
        const char* dot = std::strchr(piece, '.');
        const size_t length = dot ? static_cast<size_t>(dot - piece) : std::strlen(piece);
        if (!lua_istable(L, -1)) {
            lua_settop(L, top);
            return false;
        }
        lua_pushlstring(L, piece, length);
        lua_rawget(L, -2);
        if (!dot) break;
        piece = dot + 1;
    }
    if (withArgument) lua_pushinteger(L, 3);
    bool result = lua_pcall(L, withArgument ? 1 : 0, 1, 0) == LUA_OK && lua_toboolean(L, -1);
    lua_settop(L, top);
    return result;
}

// The floor of CanTakeHolidayAward: its two Lua calls, by the dotted names it is given.
void FloorTwoDottedLuaCalls(benchmark::State& state) {
    StartedHost s;
    lua_State* L = s.h.lua.VM().GetState();
    for (auto _ : state) {
        bool ok = DottedCall(L, "HolidaySys.ActivityAward.IsHoliday", false) &&
                  DottedCall(L, "HolidaySys.ActivityAward.IsHave", true);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(FloorTwoDottedLuaCalls);

// For reference: the same calls with the names cut beforehand.
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

// The chunk parsed in place, as a module handler that does nothing else would.
struct BareParseHandler {
    google::protobuf::Message* message;  // not owned
    void operator()(ISender*, const NetMsg* msg) const {
        const NetMsgChunk* chunk = msg->FindChunk(0);
        if (!chunk || !message->ParseFromArray(chunk->GetData(), chunk->GetDataSize())) std::abort();
    }
};

std::unique_ptr<google::protobuf::Message> NewDailyActivityMessage() {
    const auto* type = google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName("DAMsg.DailyActivity");
    if (!type) return nullptr;
    return std::unique_ptr<google::protobuf::Message>(
        google::protobuf::MessageFactory::generated_factory()->GetPrototype(type)->New());
}

// The floor of message 0 through the host: the host's own work (the frame read into a
// message, routed by module id to one registered function) and a bare parse of the chunk.
// What the module adds on top is its own: the dispatch by message id with the copy of the
// handler it makes, the checks of the chunk cast, the record and the signal.
void FloorHostDeliveryAndBareParse(benchmark::State& state) {
    StartedHost s;  // the module registered the generated message
    std::unique_ptr<google::protobuf::Message> message = NewDailyActivityMessage();
    if (!message) {
        state.SkipWithError("DAMsg.DailyActivity is not registered");
        return;
    }
    qrn::ModuleDispatcher& modules = s.h.client().ModuleDispatcher;
    modules.Unregister(qrn::DailyActivityModuleID);
    modules.RegisterModule(qrn::DailyActivityModuleID, qrn::ModuleHandler(BareParseHandler{message.get()}));
    const std::string frame = host::DailyActivityFrame(1234567890123LL, 7, 3, true);
    for (auto _ : state) {
        if (!s.h.Deliver(frame)) state.SkipWithError("not delivered");
    }
}
BENCHMARK(FloorHostDeliveryAndBareParse);

// For reference: the parse alone, without the host's delivery.
void FloorBareParseOfTheChunk(benchmark::State& state) {
    StartedHost s;
    host::DailyActivityFields fields;
    fields.roleId = 1234567890123LL;
    fields.tempType = 7;
    fields.completeNum = 3;
    fields.hasIsOver = fields.isOver = true;
    const std::string bytes = host::EncodeDailyActivity(fields);
    std::unique_ptr<google::protobuf::Message> message = NewDailyActivityMessage();
    if (!message) {
        state.SkipWithError("DAMsg.DailyActivity is not registered");
        return;
    }
    for (auto _ : state) {
        if (!message->ParseFromArray(bytes.data(), static_cast<int>(bytes.size()))) state.SkipWithError("parse");
        benchmark::DoNotOptimize(message.get());
    }
}
BENCHMARK(FloorBareParseOfTheChunk);

// Resident bytes of this process (/proc/self/statm).
long long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// What loading (and, for the module, starting) adds to the resident bytes of a fresh process:
// this program runs again with --resident-child=module|empty and prints the figure (a module
// stays loaded once it was, and a forked child would share what the parent loaded).
long long ResidentGrowthInFreshProcess(const char* what) {
    const std::string command = "'" + platform::ProgramDirectory() + "bench_module' --resident-child=" + what;
    FILE* child = popen(command.c_str(), "r");
    if (!child) return -1;
    long long growth = -1;
    if (std::fscanf(child, "%lld", &growth) != 1) growth = -1;
    return pclose(child) == 0 ? growth : -1;
}

int ResidentChild(const std::string& what) {
    const long long before = ResidentBytes();
    if (what == "module") {
        auto* h = new host::Host();  // kept: the figure is of a started module
        Quiet();
        if (!h->LoadModule() || !h->Start()) return 1;
    } else if (!LoadLibraryA((platform::ProgramDirectory() + platform::PluginFileName("bench_empty_module")).c_str())) {
        return 1;
    }
    std::printf("%lld\n", ResidentBytes() - before);
    return 0;
}

// Counters: the resident bytes a loaded and started module adds, an empty library's, and
// their difference (what the module itself holds).
void ResidentBytesOfAStartedModule(benchmark::State& state) {
    long long module = 0, empty = 0;
    for (auto _ : state) {
        module = ResidentGrowthInFreshProcess("module");
        empty = ResidentGrowthInFreshProcess("empty");
        if (module < 0 || empty < 0) state.SkipWithError("measurement failed");
    }
    state.counters["module_bytes"] = static_cast<double>(module);
    state.counters["empty_library_bytes"] = static_cast<double>(empty);
    state.counters["held_bytes"] = static_cast<double>(module - empty);
}
BENCHMARK(ResidentBytesOfAStartedModule)->Iterations(3)->Unit(benchmark::kMillisecond);

// The demo host's embedded day (97 steps: load, start, the day, shutdown, release), quiet.
void FullDaySession(benchmark::State& state) {
    std::vector<host::SessionError> errors;
    const host::Session day = host::ParseSession("day", host::DefaultSessionText(), errors);
    host::RunOptions options;
    options.quiet = true;
    std::ostream nowhere(nullptr);
    for (auto _ : state) {
        Quiet();
        if (host::PlaySession(day, options, nowhere) != 0) state.SkipWithError("the day failed");
    }
}
BENCHMARK(FullDaySession)->Unit(benchmark::kMicrosecond);

}  // namespace

// The figures need the sample configuration under the working directory and the module beside
// the program: without them, say so and stop, before the benchmark library runs anything.
int main(int argc, char** argv) {
    const std::string childFlag = "--resident-child=";
    if (argc == 2 && std::string(argv[1]).rfind(childFlag, 0) == 0) return ResidentChild(argv[1] + childFlag.size());
    const std::string config = zor::GetConfigDirectory() + "/config/DailyActivity/Config.xml";
    const std::string module = platform::ProgramDirectory() + host::DailyActivityModuleFile();
    for (const std::string& needed : {config, module}) {
        if (!std::ifstream(needed)) {
            std::fprintf(stderr, "bench_module: %s not found; run it from the checkout's root, beside a build of the module\n",
                         needed.c_str());
            return 2;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
