// The core library's Lua virtual machine (Lua 5.4).
#pragma once

#include <string>

#include "zor/Export.h"
#include "zor/Object.h"
#include "zor/String.h"

struct lua_State;

namespace zor {
namespace lua {

// The text reported when a call names no function.
ZORCORE_API extern const char* const Error_NullFunc;

// The Lua-state part of the VM, through which calls are made. The order of the virtual
// operations is shared with the modules: do not reorder, insert or remove.
class ZORCORE_API LuaState {
public:
    // Records an error: the last-error text becomes text (with the code in front when it is
    // not 0).
    virtual void ReportError(int code, const char* text);
    // Pushes the function named by a dotted path through nested tables ("A.B.f"). False,
    // with the last-error text set and the stack as it was, when it is not found.
    virtual bool PushFunction(const char* name);
    virtual bool PushInteger(int value);
    // Protected call of the pushed function with argumentCount arguments, keeping
    // resultCount results. False on a Lua error, with the last-error text set and the error
    // value popped: a Lua error never unwinds through C++ frames.
    virtual bool Execute(int resultCount, int argumentCount);
    virtual ~LuaState();

    lua_State* GetState() const { return state_; }
    const zor::String& GetLastError() const { return lastError_; }

protected:
    explicit LuaState(lua_State* state) : state_(state) {}

    lua_State* state_;  // owned by the VM
    zor::String lastError_;
};

class ZORCORE_API VM : public zor::Object, public LuaState {
public:
    // A fresh Lua state with the standard libraries opened.
    VM();
    ~VM() override;
    VM(const VM&) = delete;
    VM& operator=(const VM&) = delete;

    // Runs a chunk of Lua text or a Lua file; false with the last-error text set on failure.
    bool DoString(const char* chunk);
    bool DoFile(const char* path);

    // Calls a Lua function by name and converts its result (see event/LuaCall.h).
    template <class R>
    R CallFunction(const char* name);
    template <class R>
    R CallFunction(const char* name, int argument);
};

// The VM the host installed, or an empty pointer.
ZORCORE_API ObjectPtrT<VM> GetVM();
// The host installs its VM (null removes it); the library holds a reference.
ZORCORE_API void SetVM(VM* vm);

// Puts the Lua stack back to the height it had at construction.
class ZORCORE_API AutoStack {
public:
    explicit AutoStack(lua_State* state);
    ~AutoStack();
    AutoStack(const AutoStack&) = delete;
    AutoStack& operator=(const AutoStack&) = delete;

private:
    lua_State* state_;
    int top_;
};

// The slot as a boolean; a missing slot or nil gives fallback.
ZORCORE_API bool LuaToBoolean(lua_State* state, int index, bool fallback);
// Writes the Lua traceback of state to the log.
ZORCORE_API void ShowCallStack(lua_State* state);

}  // namespace lua
}  // namespace zor
