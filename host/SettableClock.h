// The host's clock for plugins: the system time until a time is set. One per process,
// registered as the process's qrn::IClock (see plugin/IClock.h).
#pragma once

#include <string>

#include "plugin/IClock.h"

namespace host {

class SettableClock : public qrn::IClock {
public:
    // The process's settable clock. It is registered as the process's clock on the first call,
    // unless a plugin registered the system clock before (then Installed() is false).
    static SettableClock& Instance();
    bool Installed() const { return installed_; }

    __int64 Now() override;
    void Set(__int64 secondsSinceEpoch) { fixed_ = true, now_ = secondsSinceEpoch; }
    // Moves the time on (from the system time when none was set).
    void Advance(__int64 seconds) { Set(Now() + seconds); }
    void UseSystemTime() { fixed_ = false; }

private:
    SettableClock() = default;
    bool fixed_ = false;
    __int64 now_ = 0;
    bool installed_ = false;
};

// Sets the process's time zone (the TZ variable, e.g. "UTC0" or "Asia/Shanghai"); an empty
// zone unsets it (the system's zone).
void SetTimeZone(const std::string& zone);

// Seconds since the epoch of a local date and time under the process's time zone; false when
// the date is not valid.
bool LocalTimestamp(int year, int month, int day, int hour, int minute, int second, __int64& out);

}  // namespace host
