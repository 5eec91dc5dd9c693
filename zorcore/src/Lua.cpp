#include "zor/Lua.h"

#include <cstring>

#include <lua.hpp>

#include "zor/Log.h"

namespace zor {
namespace lua {

const char* const Error_NullFunc = "function name is null";

namespace {

ObjectPtrT<VM>& InstalledVM() {
    static ObjectPtrT<VM> vm;
    return vm;
}

}  // namespace

void LuaState::ReportError(int code, const char* text) {
    lastError_ = code != 0 ? zor::String(std::to_string(code) + ": " + (text ? text : "")) : zor::String(text);
}

namespace {
constexpr size_t kNameCopy = 256;
constexpr int kStackRoom = 8;  // slots asked of Lua at a time while walking a name
}  // namespace

bool LuaState::PushFunction(const char* name) {
    if (!name) {
        ReportError(0, Error_NullFunc);
        return false;
    }
    const int top = lua_gettop(state_);
    const auto refuse = [&](const std::string& why) {
        lua_settop(state_, top);
        ReportError(0, why.c_str());
        return false;
    };
    const auto notFound = [&] { return refuse(std::string("function not found: ") + name); };
    if (!lua_checkstack(state_, kStackRoom)) return refuse("Lua stack overflow");
    // Raw look-ups only: nothing here may raise a Lua error outside a protected call. A name
    // that fits is copied once and each dot of the copy becomes a terminator, so every piece
    // is pushed from its own place in the copy: Lua finds a string pushed again from the same
    // address in its cache instead of hashing it. The tables walked stay on the stack until
    // the end.
    char copy[kNameCopy];
    const size_t length = std::strlen(name);
    const bool copied = length < sizeof copy;
    if (copied) std::memcpy(copy, name, length + 1);
    lua_rawgeti(state_, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    int room = kStackRoom - 1;
    size_t start = 0;
    while (true) {
        const void* dot = std::memchr(name + start, '.', length - start);
        const size_t end = dot ? static_cast<size_t>(static_cast<const char*>(dot) - name) : length;
        if (end == start || !lua_istable(state_, -1)) return notFound();
        if (room == 0) {
            if (!lua_checkstack(state_, kStackRoom)) return refuse("Lua stack overflow");
            room = kStackRoom;
        }
        if (copied) {
            copy[end] = '\0';
            lua_pushstring(state_, copy + start);
        } else {
            lua_pushlstring(state_, name + start, end - start);
        }
        lua_rawget(state_, -2);
        --room;
        if (!dot) break;
        start = end + 1;
    }
    if (!lua_isfunction(state_, -1)) return notFound();
    lua_copy(state_, -1, top + 1);
    lua_settop(state_, top + 1);
    return true;
}

bool LuaState::PushInteger(int value) {
    if (!lua_checkstack(state_, 1)) return false;
    lua_pushinteger(state_, value);
    return true;
}

bool LuaState::Execute(int resultCount, int argumentCount) {
    if (lua_gettop(state_) < argumentCount + 1) {
        ReportError(0, "nothing to call");
        return false;
    }
    if (lua_pcall(state_, argumentCount, resultCount, 0) != LUA_OK) {
        const char* text = lua_tostring(state_, -1);
        ReportError(0, text ? text : "Lua error without a message");
        lua_pop(state_, 1);
        return false;
    }
    return true;
}

LuaState::~LuaState() = default;

VM::VM() : LuaState(luaL_newstate()) {
    if (state_) luaL_openlibs(state_);
}

VM::~VM() {
    if (state_) lua_close(state_);
}

bool VM::DoString(const char* chunk) {
    if (!chunk) {
        ReportError(0, "chunk is null");
        return false;
    }
    AutoStack keep(state_);
    if (luaL_loadstring(state_, chunk) != LUA_OK) {
        ReportError(0, lua_tostring(state_, -1));
        return false;
    }
    return Execute(0, 0);
}

bool VM::DoFile(const char* path) {
    AutoStack keep(state_);
    if (!path || luaL_loadfile(state_, path) != LUA_OK) {
        ReportError(0, path ? lua_tostring(state_, -1) : "path is null");
        return false;
    }
    return Execute(0, 0);
}

ObjectPtrT<VM> GetVM() { return InstalledVM(); }

void SetVM(VM* vm) { InstalledVM() = ObjectPtrT<VM>(vm); }

AutoStack::AutoStack(lua_State* state) : state_(state), top_(state ? lua_gettop(state) : 0) {}

AutoStack::~AutoStack() {
    if (state_) lua_settop(state_, top_);
}

bool LuaToBoolean(lua_State* state, int index, bool fallback) {
    if (!state || lua_isnoneornil(state, index)) return fallback;
    return lua_toboolean(state, index) != 0;
}

void ShowCallStack(lua_State* state) {
    LogRecord record;
    record.kind = LogKind::CallStack;
    if (state) {
        luaL_traceback(state, state, "lua", 0);
        const char* text = lua_tostring(state, -1);
        record.text = text ? text : "";
        lua_pop(state, 1);
    }
    Log::GetInstance().Write(record);
}

}  // namespace lua
}  // namespace zor
