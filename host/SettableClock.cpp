#include "host/SettableClock.h"

#include <cstdlib>
#include <ctime>

#include "event/Function.h"
#include "zor/Files.h"

namespace host {

namespace {
struct Creator {
    SettableClock* clock;
    void* operator()() const { return static_cast<qrn::IClock*>(clock); }
    bool operator==(const Creator& other) const { return clock == other.clock; }
};
}  // namespace

SettableClock& SettableClock::Instance() {
    static SettableClock* clock = [] {
        auto* made = new SettableClock();  // lives as long as the registry: the process
        void* registered = zor::GetGlobalObject(qrn::kClockObjectName, zor::Function<void*()>(Creator{made}));
        made->installed_ = registered == static_cast<qrn::IClock*>(made);
        return made;
    }();
    return *clock;
}

__int64 SettableClock::Now() { return fixed_ ? now_ : static_cast<__int64>(std::time(nullptr)); }

void SetTimeZone(const std::string& zone) {
    if (zone.empty()) {
        unsetenv("TZ");
    } else {
        setenv("TZ", zone.c_str(), 1);
    }
    tzset();
}

bool LocalTimestamp(int year, int month, int day, int hour, int minute, int second, __int64& out) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    tzset();
    const time_t value = std::mktime(&t);
    if (value == static_cast<time_t>(-1)) return false;
    // mktime normalises: 31 February is refused rather than moved to March.
    if (t.tm_year != year - 1900 || t.tm_mon != month - 1 || t.tm_mday != day) return false;
    out = static_cast<__int64>(value);
    return true;
}

}  // namespace host
