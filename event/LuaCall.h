// Calls a Lua function of the host's VM by its dotted name and reads its result as bool,
// with trace lines, the performance watch and the Lua stack put back on every way out.
// Every failure gives false; nothing is thrown by the bridge itself.
#pragma once

#include <memory>
#include <string>

#include <lua.hpp>

#include "logging/LogHelpers.h"
#include "zor/Lua.h"
#include "zor/Trace.h"

namespace zor {
namespace lua {

template <class R>
struct _CallFunction;

template <>
struct _CallFunction<bool> {
    static constexpr const char* kName = "zor::lua::_CallFunction<bool>::Call";
    static constexpr const char* kPerfFile = "ZorCore/LuaScript/CallFunction";
    static constexpr int kPerfLine = 60;

    static bool Call(LuaState* vm, const char* name) { return Run(vm, name, false, 0); }
    static bool Call(LuaState* vm, const char* name, int argument) { return Run(vm, name, true, argument); }

private:
    static bool TraceOn() { return g_IsAllowTrace && g_IsBeginTrace; }
    static void Trace(const char* format, const char* name) {
        if (TraceOn()) WriteTrace(FormatString(format, kName, name ? name : ""));
    }

    static bool Run(LuaState* vm, const char* name, bool withArgument, int argument) {
        Trace("%s(%s) begin", name);
        if (!vm) {
            LogFormat<0>("%s(%s) error : vm==0", kName, name);
            Trace("%s(%s) end for if( 0==vm ))", name);
            return false;
        }
        if (!name) {
            vm->ReportError(0, Error_NullFunc);
            Trace("%s(%s) end for if( 0==fn ))", name);
            return false;
        }
        lua_State* state = vm->GetState();
        AutoStack keepStack(state);
        if (!vm->PushFunction(name)) return Fail(vm, name);
        if (withArgument) vm->PushInteger(argument);

        _PerfInfo* record = g_IsWatchPerfInfo ? new _PerfInfo(std::string(name), kPerfFile, kPerfLine, kName) : nullptr;
        Perf watch(record);  // the record now belongs to the core library
        if (!vm->Execute(1, withArgument ? 1 : 0)) return Fail(vm, name);
        bool result = LuaToBoolean(state, lua_gettop(state), false);
        Trace("%s(%s) end normal", name);
        return result;
    }

    static bool Fail(LuaState* vm, const char* name) {
        LogFormat<3>("%s(%s) error : %s", kName, name, vm->GetLastError());
        ShowCallStack(vm->GetState());
        zor::ShowCallStack();
        Trace("%s(%s) end return false )", name);
        return false;
    }
};

template <class R>
R VM::CallFunction(const char* name) {
    return _CallFunction<R>::Call(static_cast<LuaState*>(this), name);
}

template <class R>
R VM::CallFunction(const char* name, int argument) {
    return _CallFunction<R>::Call(static_cast<LuaState*>(this), name, argument);
}

}  // namespace lua
}  // namespace zor
