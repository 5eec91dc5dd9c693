// The host's Lua virtual machine with a small holiday script, installed as the core library's
// VM while the object lives. The script answers "HolidaySys.ActivityAward.IsHoliday" and
// "HolidaySys.ActivityAward.IsHave(index)" from what the host sets, and counts the calls.
#pragma once

#include <string>

#include "zor/Lua.h"

namespace host {

class HolidayScript {
public:
    HolidayScript();
    // Uninstalls the VM.
    ~HolidayScript();
    HolidayScript(const HolidayScript&) = delete;
    HolidayScript& operator=(const HolidayScript&) = delete;

    void SetHoliday(bool holiday);
    void SetHave(int index, bool have);
    // What the script's two functions would answer, read without calling them.
    bool Holiday();
    bool Have(int index);
    // Calls of IsHoliday / IsHave so far.
    int Calls(const char* function);
    // Runs more Lua (to replace the script's functions); false with the VM's error set.
    bool Run(const std::string& chunk);
    zor::lua::VM& VM() { return *vm_; }

private:
    zor::lua::VM* vm_;  // owned through the core library's reference while installed
    zor::ObjectPtrT<zor::lua::VM> hold_;
};

}  // namespace host
