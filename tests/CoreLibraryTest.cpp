#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "FailingAllocation.h"
#include "zor/Buffer.h"
#include "zor/Files.h"
#include "zor/Log.h"
#include "zor/Object.h"
#include "zor/String.h"
#include "zor/ThreadLock.h"

// Outside the anonymous namespace so that the program exports its name (on Windows call stacks
// name exported functions only).
#ifdef _WIN32
__declspec(dllexport)
#endif
__attribute__((noinline)) void CallStackHelperFrame() {
    static volatile int afterCall = 0;  // keeps the call from becoming a tail call
    zor::ShowCallStack();
    afterCall = afterCall + 1;
}

namespace {

struct LevelGuard {
    LevelGuard() = default;
    ~LevelGuard() { zor::Log::GetInstance().SetEnabledLevels({0, 1, 2, 3}); }
};

TEST(Log, RecordsKeepTheirLevelOrTheLackOfOne) {
    zor::LogCapture capture;
    zor::WriteLog(3, 0, "abcdef", 3);
    zor::WriteLog("plain");
    zor::WriteLog(std::string("std"));
    zor::DebugLog("debug");
    zor::WriteLog(static_cast<const char*>(nullptr));
    ASSERT_EQ(capture.Records().size(), 5u);
    EXPECT_EQ(capture.Records()[0].kind, zor::LogKind::Level);
    EXPECT_EQ(capture.Records()[0].level, 3);
    EXPECT_EQ(capture.Records()[0].text, "abc");
    EXPECT_FALSE(capture.Records()[1].HasLevel());
    EXPECT_EQ(capture.Records()[1].text, "plain");
    EXPECT_EQ(capture.Records()[2].text, "std");
    EXPECT_EQ(capture.Records()[3].kind, zor::LogKind::Debug);
    EXPECT_EQ(capture.Records()[4].text, "");
}

TEST(Log, LevelsCanBeSwitchedByTheHost) {
    LevelGuard restore;
    zor::Log& log = zor::Log::GetInstance();
    EXPECT_TRUE(log.IsLevelEnable(2));
    log.SetLevelEnable(2, false);
    EXPECT_FALSE(log.IsLevelEnable(2));
    EXPECT_TRUE(log.IsLevelEnable(3));
    log.SetEnabledLevels({7});
    EXPECT_TRUE(log.IsLevelEnable(7));
    EXPECT_FALSE(log.IsLevelEnable(0));
}

TEST(Log, CaptureRestoresThePreviousSink) {
    zor::LogCapture outer;
    {
        zor::LogCapture inner;
        zor::WriteLog("inner");
        EXPECT_EQ(inner.Records().size(), 1u);
    }
    zor::WriteLog("outer");
    ASSERT_EQ(outer.Records().size(), 1u);
    EXPECT_EQ(outer.Records()[0].text, "outer");
}

TEST(Log, FileSinkAppendsLines) {
    std::string path = ::testing::TempDir() + "zor_log_test.txt";
    std::remove(path.c_str());
    {
        auto sink = std::make_shared<zor::FileSink>(path);
        ASSERT_TRUE(sink->IsOpen());
        auto previous = zor::Log::GetInstance().SetSink(sink);
        zor::WriteLog(2, 0, "hello", 5);
        zor::WriteLog("bye");
        zor::Log::GetInstance().SetSink(previous);
    }
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "[L2] hello\nbye\n");
}

TEST(Log, CallStackNamesTheCallingFunctions) {
    zor::LogCapture capture;
    CallStackHelperFrame();
    ASSERT_EQ(capture.Records().size(), 1u);
    EXPECT_EQ(capture.Records()[0].kind, zor::LogKind::CallStack);
    EXPECT_NE(capture.Records()[0].text.find("CallStackHelperFrame"), std::string::npos)
        << capture.Records()[0].text;
}

TEST(String, NullTextIsEmptyAndUpperCaseIsInPlace) {
    zor::String none(static_cast<const char*>(nullptr));
    EXPECT_TRUE(none.empty());
    zor::String ext("xMlX.1");
    EXPECT_EQ(ext.ToUpper(), "XMLX.1");
    EXPECT_EQ(&zor::GetEmptyString(), &zor::GetEmptyString());
    EXPECT_TRUE(zor::GetEmptyString().empty());
}

TEST(String, SplitLeavesOutEmptyPieces) {
    zor::StringArray pieces = zor::String("1001,1002, 1003").Split(",");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], "1001");
    EXPECT_EQ(pieces[2], " 1003");
    EXPECT_EQ(zor::String("").Split(",").size(), 0u);
    EXPECT_EQ(zor::String(",,a,,").Split(",").size(), 1u);
    EXPECT_EQ(zor::String("a::b").Split("::").size(), 2u);
    EXPECT_EQ(zor::String("abc").Split("").size(), 1u);
}

// The core library is another module: what it builds runs its own code through the virtual
// table, its exceptions are caught here, and memory passes both ways (one C++ runtime, shared).
TEST(ModuleBoundary, ExceptionsAndMemoryCrossTheCoreLibrary) {
    zor::StringArray pieces = zor::String("a,b").Split(",");  // made and filled inside the core library
    try {
        pieces.at(2);  // the core library's at(), through the vector's virtual table
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
    pieces.push_back(zor::String(std::string(1000, 'x')));  // ours, kept and later freed by it
    EXPECT_EQ(pieces.size(), 3u);
    pieces.clear();
    std::string directory = zor::GetConfigDirectory();  // its allocation, freed here
    directory.append(4096, '/');
    EXPECT_GT(directory.size(), 4096u);
}

TEST(String, ThrownStringIsCaughtAsStdString) {
    try {
        throw zor::String("boom");
    } catch (const std::string& text) {
        EXPECT_EQ(text, "boom");
    }
}

TEST(Files, NamesAndExtensions) {
#ifdef _WIN32
    EXPECT_EQ(zor::ToNativeFileName("config\\DailyActivity\\Config.xml"), "config\\DailyActivity\\Config.xml");
#else
    EXPECT_EQ(zor::ToNativeFileName("config\\DailyActivity\\Config.xml"), "config/DailyActivity/Config.xml");
#endif
    EXPECT_EQ(zor::ToNativeFileName(nullptr), "");
    EXPECT_EQ(zor::GetFileExt("a/b.c/Config.XmlX"), "XmlX");
    EXPECT_EQ(zor::GetFileExt("a.d/noext"), "");
    EXPECT_EQ(zor::GetFileExt("name."), "");
    EXPECT_EQ(zor::GetFileExt(nullptr), "");
}

TEST(Files, ConfigDirectoryDefaultsToWorkingDirectoryAndCanBeSet) {
    const std::filesystem::path workingDirectory = std::filesystem::current_path();
    std::string before = zor::GetConfigDirectory();  // the first call of this test program
    EXPECT_EQ(before, workingDirectory.string());
    // The directory as it was at the first call, whatever the working directory is later.
    std::filesystem::current_path(workingDirectory.root_path());
    EXPECT_EQ(zor::GetConfigDirectory(), before);
    std::filesystem::current_path(workingDirectory);
    zor::SetConfigDirectory("/tmp/zor-config");
    EXPECT_EQ(zor::GetConfigDirectory(), "/tmp/zor-config");
    zor::SetConfigDirectory(before);
}

struct Counter {
    int* calls;
    void* operator()() const {
        ++*calls;
        return new int(42);
    }
};

TEST(Files, GlobalObjectIsMadeOnceByName) {
    int calls = 0;
    void* first = zor::GetGlobalObject("CoreLibraryTest.Counter", zor::Function<void*()>(Counter{&calls}));
    void* second = zor::GetGlobalObject("CoreLibraryTest.Counter", zor::Function<void*()>(Counter{&calls}));
    EXPECT_EQ(first, second);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(*static_cast<int*>(first), 42);
    delete static_cast<int*>(first);  // the registry keeps but never frees it
}

struct Tracked : zor::Object {
    explicit Tracked(bool* gone) : gone_(gone) {}
    ~Tracked() override { *gone_ = true; }
    bool* gone_;
};

TEST(Object, LastPointerReleasesTheObject) {
    bool gone = false;
    {
        zor::ObjectPtrT<Tracked> a(new Tracked(&gone));
        zor::ObjectPtrT<Tracked> b(a);
        EXPECT_EQ(a->RefCount(), 2);
        a = zor::ObjectPtrT<Tracked>();
        EXPECT_FALSE(gone);
    }
    EXPECT_TRUE(gone);
}

TEST(ThreadLock, IsReentrant) {
    zor::ThreadLock lock;
    zor::ThreadLockHandle outer(lock);
    zor::ThreadLockHandle inner(lock);
    SUCCEED();
}

// Giving buffers back never needs memory: with none to be had, the pool still takes them all
// (up to its bound) and loses none.
TEST(BufferPool, GivingBackWorksWhenMemoryHasRunOut) {
    const size_t before = zor::PooledBufferCount();
    std::vector<zor::TCPBuffer*> taken;
    for (int i = 0; i < 80; ++i) taken.push_back(zor::AllocateBuffer());
    int failures = 0;
    {
        FailingAllocations noMemory;
        for (zor::TCPBuffer* buffer : taken) {
            try {
                zor::DeallocateBuffer(buffer);
            } catch (...) {
                ++failures;
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(zor::PooledBufferCount(), zor::kMaxPooledBuffers + zor::kThreadCachedBuffers);
    EXPECT_LE(before, zor::kMaxPooledBuffers + zor::kThreadCachedBuffers);
}

}  // namespace
