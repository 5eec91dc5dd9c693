#include <gtest/gtest.h>

#include <lua.hpp>

#include "event/LuaCall.h"

namespace {

using Bridge = zor::lua::_CallFunction<bool>;

struct LuaBridge : ::testing::Test {
    void SetUp() override {
        vm = new zor::lua::VM();
        holder = zor::ObjectPtrT<zor::lua::VM>(vm);
        ASSERT_TRUE(vm->DoString(R"(
            HolidaySys = { ActivityAward = {} }
            function HolidaySys.ActivityAward.IsHoliday() return true end
            function HolidaySys.ActivityAward.IsHave(index) return index == 3 end
            function ReturnsNothing() end
            function ReturnsNil() return nil end
            function ReturnsFalse() return false end
            function ReturnsNumber() return 0 end
            function ReturnsTwo() return true, false end
            function Raises() error("no holiday today") end
            NotAFunction = 5
        )")) << vm->GetLastError();
        zor::ClearPerfRecords();
        zor::ClearTraceLines();
    }
    void TearDown() override {
        g_IsAllowTrace = g_IsBeginTrace = false;
        zor::g_IsWatchPerfInfo = false;
        zor::ClearPerfRecords();
        zor::ClearTraceLines();
    }
    int Top() const { return lua_gettop(vm->GetState()); }

    zor::lua::VM* vm = nullptr;
    zor::ObjectPtrT<zor::lua::VM> holder;
};

TEST_F(LuaBridge, ResultsConvertToBool) {
    EXPECT_TRUE(vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHoliday"));
    EXPECT_TRUE(vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHave", 3));
    EXPECT_FALSE(vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHave", 4));
    EXPECT_FALSE(vm->CallFunction<bool>("ReturnsNothing"));
    EXPECT_FALSE(vm->CallFunction<bool>("ReturnsNil"));
    EXPECT_FALSE(vm->CallFunction<bool>("ReturnsFalse"));
    EXPECT_TRUE(vm->CallFunction<bool>("ReturnsNumber"));  // Lua: 0 is true
    EXPECT_TRUE(vm->CallFunction<bool>("ReturnsTwo"));     // only the first result is kept
    EXPECT_EQ(Top(), 0);
}

TEST_F(LuaBridge, NullVmLogsOnceAtLevelZero) {
    zor::LogCapture capture;
    EXPECT_FALSE(Bridge::Call(nullptr, "F"));
    ASSERT_EQ(capture.Records().size(), 1u);
    EXPECT_EQ(capture.Records()[0].level, 0);
    EXPECT_EQ(capture.Records()[0].text, "zor::lua::_CallFunction<bool>::Call(F) error : vm==0");
}

TEST_F(LuaBridge, NullNameIsReportedToTheVmOnly) {
    zor::LogCapture capture;
    EXPECT_FALSE(Bridge::Call(vm, nullptr, 1));
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_EQ(vm->GetLastError(), zor::lua::Error_NullFunc);
}

TEST_F(LuaBridge, MissingFunctionKeepsTheStackAndLogs) {
    lua_pushinteger(vm->GetState(), 11);
    zor::LogCapture capture;
    for (const char* name : {"HolidaySys.Missing.IsHoliday", "NotAFunction", "NotAFunction.x", "", "a..b"}) {
        capture.Clear();
        EXPECT_FALSE(vm->CallFunction<bool>(name, 2)) << name;
        EXPECT_EQ(Top(), 1);
        ASSERT_EQ(capture.Records().size(), 3u);
        EXPECT_EQ(capture.Records()[0].level, 3);
        EXPECT_EQ(capture.Records()[0].text, std::string("zor::lua::_CallFunction<bool>::Call(") + name +
                                                 ") error : " + vm->GetLastError());
        EXPECT_EQ(capture.Records()[1].kind, zor::LogKind::CallStack);  // Lua traceback
        EXPECT_EQ(capture.Records()[2].kind, zor::LogKind::CallStack);  // process call stack
    }
}

// Deeper than the stack room taken at a time, longer than the name copy, pieces that repeat,
// and one buffer reused for other names: each resolves to its own function.
TEST_F(LuaBridge, NamesOfAnyDepthAndLength) {
    std::string deep = "D";
    std::string script = "D = {}\n";
    for (int i = 0; i < 20; ++i) {
        script += deep + ".a = {}\n";
        deep += ".a";
    }
    const std::string longPiece(300, 'x');
    script += "function " + deep + ".F() return true end\n";
    script += "L = { " + longPiece + " = { G = function() return true end } }\n";
    script += "function " + deep + ".Nope() return false end\n";
    ASSERT_TRUE(vm->DoString(script.c_str())) << vm->GetLastError();
    std::string name;
    for (const std::string& n : {deep + ".F", "L." + longPiece + ".G", deep + ".F"}) {
        name = n;
        EXPECT_TRUE(vm->CallFunction<bool>(name.c_str())) << n.substr(0, 40);
    }
    name = deep + ".Nope";
    EXPECT_FALSE(vm->CallFunction<bool>(name.c_str()));
    name = "L." + longPiece + ".H";
    EXPECT_FALSE(vm->CallFunction<bool>(name.c_str()));
    EXPECT_EQ(vm->GetLastError(), "function not found: " + name);
    EXPECT_EQ(Top(), 0);
}

TEST_F(LuaBridge, LuaErrorIsCaughtAndReported) {
    zor::LogCapture capture;
    EXPECT_FALSE(vm->CallFunction<bool>("Raises"));
    EXPECT_EQ(Top(), 0);
    ASSERT_FALSE(capture.Records().empty());
    EXPECT_NE(capture.Records()[0].text.find("no holiday today"), std::string::npos);
}

TEST_F(LuaBridge, SuccessfulCallTracesTwoLines) {
    g_IsAllowTrace = g_IsBeginTrace = true;
    EXPECT_TRUE(vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHoliday"));
    EXPECT_EQ(zor::GetTraceLines(),
              (std::vector<std::string>{"zor::lua::_CallFunction<bool>::Call(HolidaySys.ActivityAward.IsHoliday) begin",
                                        "zor::lua::_CallFunction<bool>::Call(HolidaySys.ActivityAward.IsHoliday) end normal"}));
    zor::ClearTraceLines();
    zor::LogCapture quiet;
    EXPECT_FALSE(vm->CallFunction<bool>("Missing"));
    EXPECT_EQ(zor::GetTraceLines().back(), "zor::lua::_CallFunction<bool>::Call(Missing) end return false )");
    EXPECT_FALSE(Bridge::Call(nullptr, "F"));
    EXPECT_EQ(zor::GetTraceLines().back(), "zor::lua::_CallFunction<bool>::Call(F) end for if( 0==vm ))");
    EXPECT_FALSE(Bridge::Call(vm, nullptr));
    EXPECT_EQ(zor::GetTraceLines().back(), "zor::lua::_CallFunction<bool>::Call() end for if( 0==fn ))");
}

TEST_F(LuaBridge, TraceNeedsBothFlags) {
    g_IsAllowTrace = true;
    vm->CallFunction<bool>("ReturnsFalse");
    EXPECT_TRUE(zor::GetTraceLines().empty());
}

TEST_F(LuaBridge, PerformanceRecordPerFoundCall) {
    zor::g_IsWatchPerfInfo = true;
    zor::LogCapture quiet;
    vm->CallFunction<bool>("ReturnsFalse");
    vm->CallFunction<bool>("Raises");
    vm->CallFunction<bool>("Missing");
    auto records = zor::GetPerfRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->name, "ReturnsFalse");
    EXPECT_EQ(records[0]->file, "ZorCore/LuaScript/CallFunction");
    EXPECT_EQ(records[0]->line, 60);
    EXPECT_EQ(records[0]->function, "zor::lua::_CallFunction<bool>::Call");
    EXPECT_EQ(records[0]->calls, 1);
    EXPECT_EQ(records[1]->name, "Raises");
}

// A watch or a trace left on for good stays bounded: one record per place, a ring of lines.
TEST_F(LuaBridge, LongWatchAndTraceStayBounded) {
    zor::g_IsWatchPerfInfo = true;
    g_IsAllowTrace = g_IsBeginTrace = true;
    for (int i = 0; i < 20000; ++i) {
        vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHoliday");
        vm->CallFunction<bool>("HolidaySys.ActivityAward.IsHave", i);
    }
    auto records = zor::GetPerfRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->name, "HolidaySys.ActivityAward.IsHoliday");
    EXPECT_EQ(records[0]->calls, 20000);
    EXPECT_EQ(records[1]->calls, 20000);
    EXPECT_GT(records[1]->elapsed.count(), 0);
    auto lines = zor::GetTraceLines();
    ASSERT_EQ(lines.size(), zor::kMaxTraceLines);
    EXPECT_EQ(lines.back(), "zor::lua::_CallFunction<bool>::Call(HolidaySys.ActivityAward.IsHave) end normal");
    EXPECT_EQ(lines[lines.size() - 2], "zor::lua::_CallFunction<bool>::Call(HolidaySys.ActivityAward.IsHave) begin");
}

TEST(LuaVM, HostInstallsTheVm) {
    zor::lua::SetVM(nullptr);
    EXPECT_FALSE(zor::lua::GetVM());
    zor::lua::SetVM(new zor::lua::VM());
    auto vm = zor::lua::GetVM();
    ASSERT_TRUE(vm);
    EXPECT_FALSE(vm->DoString("this is not lua"));
    EXPECT_FALSE(vm->GetLastError().empty());
    zor::lua::SetVM(nullptr);
    EXPECT_TRUE(vm->DoString("x = 1"));  // still held by this pointer
}

}  // namespace
