#include "host/HolidayScript.h"

#include <lua.hpp>

namespace host {

namespace {
const char* const kScript = R"(
HolidaySys = { ActivityAward = { holiday = false, have = {}, calls = { IsHoliday = 0, IsHave = 0 } } }
local award = HolidaySys.ActivityAward
function award.IsHoliday()
    award.calls.IsHoliday = award.calls.IsHoliday + 1
    return award.holiday
end
function award.IsHave(index)
    award.calls.IsHave = award.calls.IsHave + 1
    return award.have[index] == true
end
)";
}  // namespace

HolidayScript::HolidayScript() : vm_(new zor::lua::VM()), hold_(vm_) {
    vm_->DoString(kScript);
    zor::lua::SetVM(vm_);
}

HolidayScript::~HolidayScript() { zor::lua::SetVM(nullptr); }

void HolidayScript::SetHoliday(bool holiday) {
    Run(std::string("HolidaySys.ActivityAward.holiday = ") + (holiday ? "true" : "false"));
}

void HolidayScript::SetHave(int index, bool have) {
    Run("HolidaySys.ActivityAward.have[" + std::to_string(index) + "] = " + (have ? "true" : "false"));
}

namespace {
// Pushes HolidaySys.ActivityAward; false when it is not a table.
bool PushAward(lua_State* state) {
    lua_getglobal(state, "HolidaySys");
    if (!lua_istable(state, -1)) return false;
    lua_getfield(state, -1, "ActivityAward");
    return lua_istable(state, -1);
}
}  // namespace

bool HolidayScript::Holiday() {
    lua_State* state = vm_->GetState();
    zor::lua::AutoStack keep(state);
    if (!PushAward(state)) return false;
    lua_getfield(state, -1, "holiday");
    return lua_toboolean(state, -1) != 0;
}

bool HolidayScript::Have(int index) {
    lua_State* state = vm_->GetState();
    zor::lua::AutoStack keep(state);
    if (!PushAward(state)) return false;
    lua_getfield(state, -1, "have");
    if (!lua_istable(state, -1)) return false;
    lua_rawgeti(state, -1, index);
    return lua_toboolean(state, -1) != 0;
}

int HolidayScript::Calls(const char* function) {
    lua_State* state = vm_->GetState();
    zor::lua::AutoStack keep(state);
    if (!PushAward(state)) return 0;
    lua_getfield(state, -1, "calls");
    if (!lua_istable(state, -1)) return 0;
    lua_getfield(state, -1, function);
    return static_cast<int>(lua_tointeger(state, -1));
}

bool HolidayScript::Run(const std::string& chunk) { return vm_->DoString(chunk.c_str()); }

}  // namespace host
