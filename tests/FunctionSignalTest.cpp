#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <future>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "event/Function.h"
#include "event/NetMsg.h"
#include "event/Signal.h"
#include "zor/Buffer.h"
#if defined(__MINGW32__)
#include "platform/ThreadKey.h"
#endif

namespace {

struct Listener {
    Listener(std::vector<std::string>* j, std::string n, zor::Signal<void()>* s = nullptr)
        : journal(j), name(std::move(n)), signal(s) {}
    std::vector<std::string>* journal;
    std::string name;
    zor::Signal<void()>* signal;
    zor::Function<void()> other;

    void Ping() { journal->push_back(name); }
    void Value(int v) { journal->push_back(name + std::to_string(v)); }
    void Pong() { journal->push_back(name + "!"); }
    void DisconnectOther() {
        journal->push_back(name);
        signal->Disconnect(other);
    }
    void ConnectOther() {
        journal->push_back(name);
        signal->Connect(other);
    }
};

using zor::bind_n::bind;

TEST(Function, EmptyFunctionsCompareAndCallQuietly) {
    zor::Function<void()> a, b;
    EXPECT_TRUE(a == b);
    a();  // does nothing
    std::vector<std::string> j;
    Listener l{&j, "l"};
    zor::Function<void()> full(bind(&Listener::Ping, &l));
    EXPECT_FALSE(a == full);
    EXPECT_FALSE(full == a);
    zor::Function<int()> withResult;
    EXPECT_EQ(withResult(), 0);
}

TEST(Function, EqualityFollowsObjectAndMember) {
    std::vector<std::string> j;
    Listener x{&j, "x"}, y{&j, "y"};
    zor::Function<void()> f1(bind(&Listener::Ping, &x));
    zor::Function<void()> f2(bind(&Listener::Ping, &x));
    zor::Function<void()> other(bind(&Listener::Ping, &y));
    zor::Function<void()> method(bind(&Listener::Pong, &x));
    EXPECT_TRUE(f1 == f2);
    EXPECT_FALSE(f1 == other);
    EXPECT_FALSE(f1 == method);
    zor::Function<void()> copy(f1);
    EXPECT_TRUE(copy == f1);
    copy = other;
    copy();
    EXPECT_EQ(j, std::vector<std::string>{"y"});
    zor::Function<void()>& same = copy;
    copy = same;  // self-assignment keeps the function
    EXPECT_TRUE(copy == other);
}

struct Plain {
    int* hits;
    void operator()() const { ++*hits; }
};

// Two kinds of callable whose own equality would say yes to anything.
struct AlwaysEqualA {
    bool operator==(const AlwaysEqualA&) const { return true; }
    void operator()() const {}
};
struct AlwaysEqualB {
    bool operator==(const AlwaysEqualB&) const { return true; }
    void operator()() const {}
};

TEST(Function, CallablesWithoutEqualityNeverCompareEqual) {
    int hits = 0;
    zor::Function<void()> a(Plain{&hits});
    zor::Function<void()> b(a);
    EXPECT_TRUE(a == a);  // the same invoker
    EXPECT_FALSE(a == b);
    b();
    EXPECT_EQ(hits, 1);
    // Callables of different kinds are never compared with each other's equality.
    EXPECT_TRUE(zor::Function<void()>(AlwaysEqualA()) == zor::Function<void()>(AlwaysEqualA()));
    EXPECT_FALSE(zor::Function<void()>(AlwaysEqualA()) == zor::Function<void()>(AlwaysEqualB()));
}

TEST(Signal, SameBindingConnectsOnceDifferentObjectsTwice) {
    std::vector<std::string> j;
    Listener x{&j, "x"}, y{&j, "y"};
    zor::Signal<void()> s;
    EXPECT_EQ(s.Count(), 0);
    s.Emit();
    EXPECT_TRUE(s.Connect(bind(&Listener::Ping, &x)));
    EXPECT_FALSE(s.Connect(bind(&Listener::Ping, &x)));
    s += bind(&Listener::Ping, &y);
    EXPECT_EQ(s.Count(), 2);
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"x", "y"}));
    s.Disconnect(bind(&Listener::Pong, &x));  // not connected: no change
    EXPECT_EQ(s.Count(), 2);
    s -= bind(&Listener::Ping, &x);
    EXPECT_EQ(s.Count(), 1);
    s.DisconnectAll();
    EXPECT_EQ(s.Count(), 0);
}

TEST(Signal, ArgumentsReachEverySlot) {
    std::vector<std::string> j;
    Listener a{&j, "a"}, b{&j, "b"};
    zor::Signal<void(int)> s;
    s += bind(&Listener::Value, &a);
    s += bind(&Listener::Value, &b);
    s.Emit(7);
    EXPECT_EQ(j, (std::vector<std::string>{"a7", "b7"}));
}

TEST(Signal, DisconnectDuringEmissionStillCallsTheRemovedSlotThisTime) {
    std::vector<std::string> j;
    zor::Signal<void()> s;
    Listener first{&j, "first", &s}, second{&j, "second"};
    first.other = bind(&Listener::Ping, &second);
    s += bind(&Listener::DisconnectOther, &first);
    s += first.other;
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"first", "second"}));
    j.clear();
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"first"}));
}

TEST(Signal, ConnectDuringEmissionTakesEffectNextTime) {
    std::vector<std::string> j;
    zor::Signal<void()> s;
    Listener first{&j, "first", &s}, late{&j, "late"};
    first.other = bind(&Listener::Ping, &late);
    s += bind(&Listener::ConnectOther, &first);
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"first"}));
    j.clear();
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"first", "late"}));
}

struct SelfRemover {
    zor::Signal<void()>* signal;
    int calls = 0;
    void Once() {
        ++calls;
        signal->Disconnect(bind(&SelfRemover::Once, this));
    }
};

TEST(Signal, SlotMayDisconnectItself) {
    zor::Signal<void()> s;
    SelfRemover r{&s};
    s += bind(&SelfRemover::Once, &r);
    s.Emit();
    s.Emit();
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(s.Count(), 0);
}

// The storage of an emission's copies: in place for a few slots, on the heap for many; what
// a slot does to the signal while it is emitted never reaches the copies being called.
struct Scenario {
    zor::Signal<void()>* signal = nullptr;
    std::vector<std::string>* journal = nullptr;
    std::string name;
    int depth = 0;
    bool throws = false;
    void Record() { journal->push_back(name); }
    void DisconnectEveryone() {
        Record();
        signal->DisconnectAll();
    }
    void EmitAgain() {
        Record();
        if (++depth < 3) signal->Emit();
    }
    void Throw() {
        Record();
        if (throws) throw std::runtime_error(name);
    }
};

TEST(SignalEmission, SlotDisconnectingEveryOtherStillLetsThemRunThisTime) {
    std::vector<std::string> j;
    zor::Signal<void()> s;
    std::vector<Scenario> slots(12);
    for (size_t i = 0; i < slots.size(); ++i) {
        slots[i] = Scenario{&s, &j, "s" + std::to_string(i)};
        s += i == 3 ? bind(&Scenario::DisconnectEveryone, &slots[i]) : bind(&Scenario::Record, &slots[i]);
    }
    s.Emit();
    ASSERT_EQ(j.size(), 12u);
    EXPECT_EQ(j.back(), "s11");
    EXPECT_EQ(s.Count(), 0);
    j.clear();
    s.Emit();
    EXPECT_TRUE(j.empty());
}

TEST(SignalEmission, SlotEmittingTheSameSignalAgain) {
    std::vector<std::string> j;
    zor::Signal<void()> s;
    Scenario a{&s, &j, "a"}, again{&s, &j, "again"}, z{&s, &j, "z"};
    s += bind(&Scenario::Record, &a);
    s += bind(&Scenario::EmitAgain, &again);
    s += bind(&Scenario::Record, &z);
    s.Emit();
    // Each nested emission runs whole before the outer one goes on.
    EXPECT_EQ(j, (std::vector<std::string>{"a", "again", "a", "again", "a", "again", "z", "z", "z"}));
}

TEST(SignalEmission, ExceptionFromTheSecondOfThreeEndsTheEmissionOnly) {
    std::vector<std::string> j;
    zor::Signal<void()> s;
    Scenario a{&s, &j, "a"}, b{&s, &j, "b"}, c{&s, &j, "c"};
    b.throws = true;
    s += bind(&Scenario::Record, &a);
    s += bind(&Scenario::Throw, &b);
    s += bind(&Scenario::Record, &c);
    EXPECT_THROW(s.Emit(), std::runtime_error);
    EXPECT_EQ(j, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(s.Count(), 3);
    b.throws = false;
    j.clear();
    s.Emit();
    EXPECT_EQ(j, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(SignalEmission, AThousandSlotsInOrder) {
    std::vector<std::string> j;
    zor::Signal<void(int)> s;
    std::vector<Listener> slots;
    slots.reserve(1000);
    for (int i = 0; i < 1000; ++i) slots.emplace_back(&j, std::to_string(i));
    for (Listener& l : slots) EXPECT_TRUE(s.Connect(bind(&Listener::Value, &l)));
    for (int round = 0; round < 3; ++round) {
        j.clear();
        s.Emit(round);
        ASSERT_EQ(j.size(), 1000u);
        EXPECT_EQ(j.front(), "0" + std::to_string(round));
        EXPECT_EQ(j[999], "999" + std::to_string(round));
    }
    EXPECT_EQ(s.Count(), 1000);
}

// Invokers of every size, made on one thread and destroyed on another: nothing is lost or
// given back twice (the sanitizer build checks).
struct Big {
    char bytes[300] = {};
    void operator()() const {}
};

// Callables whose copies do what emissions must survive: fail, keep a copy of a function of
// their own beyond the emission, or not fit an emission's places.
struct CopyProbe {
    std::vector<std::string>* journal;
    std::string name;
    int* copiesBeforeFailure;                     // null: copies never fail
    std::vector<zor::Function<void()>>* kept;     // null: copies keep nothing
    zor::Function<void()> inner;
    char padding[8] = {};

    CopyProbe(std::vector<std::string>* j, std::string n, int* failAfter, std::vector<zor::Function<void()>>* k)
        : journal(j), name(std::move(n)), copiesBeforeFailure(failAfter), kept(k) {}
    CopyProbe(const CopyProbe& other)
        : journal(other.journal), name(other.name), copiesBeforeFailure(other.copiesBeforeFailure),
          kept(other.kept), inner(other.inner) {
        if (copiesBeforeFailure && (*copiesBeforeFailure)-- == 0) throw std::runtime_error("copy");
        if (kept) kept->push_back(inner);  // outlives the copy, and the emission
    }
    void operator()() const { journal->push_back(name); }
};

TEST(SignalEmission, CopiesThatFailOrOutliveTheEmission) {
    std::vector<std::string> j;
    std::vector<zor::Function<void()>> kept;
    Listener inner(&j, "inner");
    std::deque<Listener> listeners;
    int failAfter = -1;
    zor::Signal<void()> s;
    for (int i = 0; i < 70; ++i) {  // more than an emission has places for
        if (i % 3 == 0) {
            CopyProbe probe(&j, "p" + std::to_string(i), &failAfter, &kept);
            probe.inner = bind(&Listener::Ping, &inner);
            s += probe;
        } else {
            listeners.emplace_back(&j, "b" + std::to_string(i));
            s += bind(&Listener::Ping, &listeners.back());
        }
    }
    kept.clear();  // what connecting copied
    s.Emit();
    ASSERT_EQ(j.size(), 70u);
    EXPECT_EQ(j[68], "b68");
    EXPECT_EQ(j[69], "p69");
    // The functions kept by the copies work after the emission's places are gone.
    j.clear();
    ASSERT_EQ(kept.size(), 24u);
    for (auto& f : kept) f();
    EXPECT_EQ(j, std::vector<std::string>(24, "inner"));

    // A copy that fails ends the emission before any call; the next one runs whole.
    j.clear();
    failAfter = 5;
    EXPECT_THROW(s.Emit(), std::runtime_error);
    EXPECT_TRUE(j.empty());
    failAfter = -1;
    s.Emit();
    EXPECT_EQ(j.size(), 70u);
}

// Copies of a callable with a destructor are counted: an emission ends every copy it made,
// wherever the copies of the others among them were built.
struct Counted {
    static int live;
    std::vector<std::string>* journal;
    explicit Counted(std::vector<std::string>* j) : journal(j) { ++live; }
    Counted(const Counted& other) : journal(other.journal) { ++live; }
    ~Counted() { --live; }
    void operator()() const { journal->push_back("counted"); }
};
int Counted::live = 0;

// Small, with nothing to end, and a copy that fails when asked.
struct FailingCopy {
    static bool fail;
    FailingCopy() = default;
    FailingCopy(const FailingCopy&) {
        if (fail) throw std::runtime_error("copy");
    }
    void operator()() const {}
};
bool FailingCopy::fail = false;

TEST(SignalEmission, EveryCopyWithADestructorIsEndedAmongOthers) {
    std::vector<std::string> j;
    std::deque<Listener> listeners;
    zor::Signal<void()> s;
    for (int i = 0; i < 6; ++i) {
        listeners.emplace_back(&j, "b");
        s += bind(&Listener::Ping, &listeners.back());
        if (i == 2) s += zor::Function<void()>();  // an empty function among them
        if (i == 4) s += Counted(&j);
    }
    s += FailingCopy();
    ASSERT_EQ(s.Count(), 9);
    const int connected = Counted::live;
    s.Emit();
    EXPECT_EQ(j.size(), 7u);
    EXPECT_EQ(Counted::live, connected);

    // A copy failing after others were made ends them too, and calls nothing.
    j.clear();
    FailingCopy::fail = true;
    EXPECT_THROW(s.Emit(), std::runtime_error);
    FailingCopy::fail = false;
    EXPECT_TRUE(j.empty());
    EXPECT_EQ(Counted::live, connected);
    s.DisconnectAll();
    EXPECT_EQ(Counted::live, 0);
}

// Emissions at every count around the edges of their paths (a few clones from the storage, up
// to 64 in the emission's places, more beyond), each with one copy to end among them: every
// function is called once, in order, and every copy with a destructor ended.
TEST(SignalEmission, EveryCountAroundThePathsCallsAndEndsAll) {
    for (const size_t count : {1u, 2u, 3u, 63u, 64u, 65u, 66u}) {
        std::vector<std::string> j;
        std::deque<Listener> listeners;
        zor::Signal<void()> s;
        for (size_t i = 0; i + 1 < count; ++i) {
            listeners.emplace_back(&j, std::to_string(i));
            s += bind(&Listener::Ping, &listeners.back());
        }
        s += Counted(&j);  // the last: the one copy not in a place
        const int connected = Counted::live;
        s.Emit();
        ASSERT_EQ(j.size(), count) << count;
        for (size_t i = 0; i + 1 < count; ++i) EXPECT_EQ(j[i], std::to_string(i)) << count;
        EXPECT_EQ(j.back(), "counted");
        EXPECT_EQ(Counted::live, connected) << count;
    }
    EXPECT_EQ(Counted::live, 0);
}

// The blocks a thread keeps: more than it keeps of every size given back and taken again, all
// sizes interleaved; no block is handed out twice.
TEST(InvokerStorage, KeepsBlocksOfEverySizeApart) {
    using Storage = zor::function::InvokerStorage;
    constexpr size_t kPerClass = Storage::kKeepPerClass + 6;
    std::vector<std::pair<void*, size_t>> blocks;
    for (int round = 0; round < 2; ++round) {
        for (size_t c = 0; c < Storage::kClasses; ++c) {
            for (size_t i = 0; i < kPerClass; ++i) {
                const size_t size = (c + 1) * Storage::kGranule;
                blocks.emplace_back(Storage::Allocate(size), size);
                std::memset(blocks.back().first, static_cast<int>(c), size);
            }
        }
        std::set<void*> distinct;
        for (const auto& b : blocks) distinct.insert(b.first);
        EXPECT_EQ(distinct.size(), blocks.size());
        for (const auto& b : blocks) {
            EXPECT_EQ(static_cast<const unsigned char*>(b.first)[b.second - 1], b.second / Storage::kGranule - 1);
        }
        for (const auto& b : blocks) Storage::Release(b.first, b.second);
        blocks.clear();
    }
}

// A hundred threads that used signals and messages end, whatever order their end's
// notifications come in: every pool of invokers they opened is closed, every buffer they
// cached is back in the process's pool (or freed), and nothing crashed.
TEST(InvokerStorage, HundredThreadsEndWithNothingLeft) {
    const int pools = zor::function::InvokerStorage::OpenPools();
    const size_t buffers = zor::LiveBufferCount();
    std::vector<std::thread> threads;
    std::atomic<int> calls{0};
    for (int t = 0; t < 100; ++t) {
        threads.emplace_back([&calls] {
            std::vector<std::string> j;
            std::deque<Listener> ls;
            zor::Signal<void()> s;
            for (int i = 0; i < 70; ++i) {
                ls.emplace_back(&j, "x");
                s += bind(&Listener::Ping, &ls.back());
            }
            s.Emit();
            for (int i = 0; i < 3; ++i) {
                NetMsg msg(69, 3);
                msg.AddChunk(&i, 4, 3);
            }
            calls += static_cast<int>(j.size());
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(calls.load(), 100 * 70);
    // On Windows a thread's end may still be running when its join returns.
    for (int waited = 0; waited < 100 && zor::function::InvokerStorage::OpenPools() != pools; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(zor::function::InvokerStorage::OpenPools(), pools);
    EXPECT_LE(zor::LiveBufferCount(), buffers + zor::kMaxPooledBuffers);
}

TEST(InvokerStorage, CopiesOfEverySizeAcrossThreads) {
    std::vector<zor::Function<void()>> made;
    Listener l{nullptr, "l"};
    std::vector<std::string> j;
    l.journal = &j;
    for (int i = 0; i < 2000; ++i) {
        made.emplace_back(bind(&Listener::Ping, &l));
        made.emplace_back(Big());
        zor::Function<void()> copy = made.back();
        made.push_back(copy);
    }
    std::thread other([&] {
        std::vector<zor::Function<void()>> copies(made.begin(), made.end());
        made.clear();  // destroyed here, on another thread
        for (auto& f : copies) f();
    });
    other.join();
    EXPECT_EQ(j.size(), 2000u);
}

// A thread-local whose destructor runs after the thread's storage is closed (it was made
// before the storage's first use, so it is destroyed after it): copies and emissions still
// work, from and to the heap, and nothing is lost or freed twice (checked under ASan).
struct LateEmitter {
    std::vector<std::string>* journal = nullptr;
    std::promise<void>* done = nullptr;  // set when the destructor has run (on Windows that may
                                         // be after the thread's join returned)
    ~LateEmitter() {
        if (!journal) return;
        std::vector<Listener> ls;
        ls.reserve(70);
        zor::Signal<void()> s;
        for (int i = 0; i < 70; ++i) {
            ls.emplace_back(journal, "late");
            s += bind(&Listener::Ping, &ls.back());
        }
        s.Emit();
        zor::Function<void()> f(bind(&Listener::Ping, &ls.front()));
        zor::Function<void()> copy(f);
        copy();
        done->set_value();
    }
};

#if defined(__MINGW32__)
// MinGW's thread-locals are emulated, and the emulation may free a thread-local before its
// destructor runs: the late emitter is ended by Windows' own thread-exit callback instead, which
// runs before or after the storage's end, as Windows chooses.
struct LateHook {
    platform::ThreadKey key{[](void* late) { delete static_cast<LateEmitter*>(late); }};
};
LateEmitter& LateOnThisThread() {
    static LateHook hook;
    auto* late = new LateEmitter();
    hook.key.Set(late);
    return *late;
}
#else
LateEmitter& LateOnThisThread() {
    static thread_local LateEmitter late;
    return late;
}
#endif

TEST(InvokerStorage, ServesThreadLocalDestructorsAfterTheThreadsEnd) {
    std::vector<std::string> j;
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread t([&] {
        LateEmitter& late = LateOnThisThread();
        late.journal = &j;
        late.done = &done;
        std::vector<Listener> ls(3, Listener{&j, "early"});
        zor::Signal<void()> s;
        for (auto& l : ls) s += bind(&Listener::Ping, &l);
        s.Emit();  // the storage's first use
    });
    t.join();
    ASSERT_EQ(ended.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    ASSERT_EQ(j.size(), 74u);
    EXPECT_EQ(j.front(), "early");
    EXPECT_EQ(j.back(), "late");
}

}  // namespace
