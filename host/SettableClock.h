// The host's clock for plugins: the system time until a time is set. One per process,
// registered as the process's qrn::IClock (see plugin/IClock.h).
#pragma once

#include <string>

#include "hostapi/IClock.h"

namespace host {

// The times a session may set: local dates of the years kFirstYear..kLastYear, and as instants
// kEarliestTime..kLatestTime (those years in UTC). No step moves the clock outside them. They
// are the years the C runtime converts: Windows' covers 1970 to 3000 only.
#ifdef _WIN32
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 3000;
constexpr __int64 kEarliestTime = 0;             // 1970-01-01 00:00:00 UTC
constexpr __int64 kLatestTime = 32535215999;     // 3000-12-31 23:59:59 UTC
#else
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;
constexpr __int64 kEarliestTime = -62135596800;  // 0001-01-01 00:00:00 UTC
constexpr __int64 kLatestTime = 253402300799;    // 9999-12-31 23:59:59 UTC
#endif
constexpr __int64 kMaxAdvance = 100LL * 366 * 86400;  // one step, after its unit

class SettableClock : public qrn::IClock {
public:
    // The process's settable clock. It is registered as the process's clock on the first call,
    // unless a plugin registered the system clock before (then Installed() is false).
    static SettableClock& Instance();
    // A clock that is never registered: for a host that leaves the process's clock to the
    // plugins (they then register the system clock).
    static SettableClock& Unregistered();
    bool Installed() const { return installed_; }

    __int64 Now() override;
    void Set(__int64 secondsSinceEpoch) { fixed_ = true, now_ = secondsSinceEpoch; }
    // Moves the time on (from the system time when none was set); false, nothing moved, when
    // that would leave kEarliestTime..kLatestTime.
    bool Advance(__int64 seconds);
    void UseSystemTime() { fixed_ = false; }

private:
    SettableClock() = default;
    bool fixed_ = false;
    __int64 now_ = 0;
    bool installed_ = false;
};

// Sets the process's time zone (the TZ variable, e.g. "UTC0" or "CST-8"); an empty zone unsets
// it (the system's zone).
void SetTimeZone(const std::string& zone);

// Whether zone is a POSIX TZ text with its rules spelt out ("std offset [dst [offset][,start,end]]"),
// so that it applies as written: no file of a zone database is named or opened through it.
bool IsPosixZone(const std::string& zone);

// Seconds since the epoch of a local date and time under the process's time zone; false when
// the date is not valid or the instant lies outside kEarliestTime..kLatestTime.
bool LocalTimestamp(int year, int month, int day, int hour, int minute, int second, __int64& out);

}  // namespace host
