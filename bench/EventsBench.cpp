// Signals against Boost.Signals2 (single-threaded), and one message 0 end to end against the
// same message built and its chunk parsed in place.
#include <benchmark/benchmark.h>

#include <boost/signals2.hpp>

#include "DailyActivity/DAMsg.pb.h"
#include "event/Dispatcher.h"
#include "event/Signal.h"

namespace {

struct Slot {
    long long hits = 0;
    void Hit() { ++hits; }
};

void ZorSignalEmit(benchmark::State& state) {
    std::vector<Slot> slots(static_cast<size_t>(state.range(0)));
    zor::Signal<void()> signal;
    for (Slot& s : slots) signal += zor::bind_n::bind(&Slot::Hit, &s);
    for (auto _ : state) signal.Emit();
    benchmark::DoNotOptimize(slots.data());
}
BENCHMARK(ZorSignalEmit)->Arg(1)->Arg(8)->Arg(64);

using BoostSignal = boost::signals2::signal_type<void(), boost::signals2::keywords::mutex_type<
                                                             boost::signals2::dummy_mutex>>::type;

void BoostSignals2Emit(benchmark::State& state) {
    std::vector<Slot> slots(static_cast<size_t>(state.range(0)));
    BoostSignal signal;
    for (Slot& s : slots) signal.connect([&s] { s.Hit(); });
    for (auto _ : state) signal();
    benchmark::DoNotOptimize(slots.data());
}
BENCHMARK(BoostSignals2Emit)->Arg(1)->Arg(8)->Arg(64);

std::string MessageBytes() {
    DAMsg::DailyActivity da;
    da.set_roleid(1234567890123LL);
    da.set_temptype(7);
    da.set_completenum(3);
    da.set_isover(true);
    return da.SerializeAsString();
}

struct Service {
    int stored = 0;
    void OnDailyActivityMsg(ISender*, const NetMsg* msg) {
        DAMsg::DailyActivity da;
        if (NetMsgChunkCast(da, msg, 0)) stored = da.completenum();
    }
};

struct NullSender : ISender {};

void MessageZeroEndToEnd(benchmark::State& state) {
    const std::string bytes = MessageBytes();
    Service service;
    MsgDispatcher own;
    own.Register(0, MsgHandler(zor::bind_n::bind(&Service::OnDailyActivityMsg, &service)));
    zor::Function<void(ISender*, const NetMsg*)> hostCopy(own);
    NullSender sender;
    for (auto _ : state) {
        NetMsg msg(69, 0);
        msg.AddChunk(bytes.data(), static_cast<int>(bytes.size()), 0);
        hostCopy(&sender, &msg);
    }
    benchmark::DoNotOptimize(service.stored);
}
BENCHMARK(MessageZeroEndToEnd);

// The floor of the dispatch: the same message built in place and its chunk parsed in place,
// without the dispatcher and the handler copy each dispatch makes.
void FloorBuildAndParseInPlace(benchmark::State& state) {
    const std::string bytes = MessageBytes();
    int stored = 0;
    for (auto _ : state) {
        NetMsg msg(69, 0);
        msg.AddChunk(bytes.data(), static_cast<int>(bytes.size()), 0);
        const NetMsgChunk* chunk = msg.FindChunk(0);
        DAMsg::DailyActivity da;
        if (chunk && da.ParseFromArray(chunk->GetData(), chunk->GetDataSize())) stored = da.completenum();
        benchmark::DoNotOptimize(stored);
    }
}
BENCHMARK(FloorBuildAndParseInPlace);

// For reference: the parse alone.
void BareParseFromArray(benchmark::State& state) {
    const std::string bytes = MessageBytes();
    int stored = 0;
    for (auto _ : state) {
        DAMsg::DailyActivity da;
        if (da.ParseFromArray(bytes.data(), static_cast<int>(bytes.size()))) stored = da.completenum();
        benchmark::DoNotOptimize(stored);
    }
}
BENCHMARK(BareParseFromArray);

}  // namespace
