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

SettableClock& SettableClock::Unregistered() {
    static SettableClock clock;
    return clock;
}

__int64 SettableClock::Now() { return fixed_ ? now_ : static_cast<__int64>(std::time(nullptr)); }

bool SettableClock::Advance(__int64 seconds) {
    const __int64 now = Now();
    if (seconds < 0 || seconds > kMaxAdvance || now > kLatestTime - seconds) return false;
    Set(now + seconds);
    return true;
}

namespace {

// A small reader of the POSIX TZ grammar; each part advances p only when it matched.
class ZoneReader {
public:
    explicit ZoneReader(const std::string& text) : p_(text.c_str()), end_(text.c_str() + text.size()) {}

    bool Zone() {
        if (!Name() || !Offset(24)) return false;
        if (AtEnd()) return true;
        if (!Name()) return false;
        if (!AtEnd() && *p_ != ',' && !Offset(24)) return false;
        if (AtEnd()) return true;
        return Take(',') && Rule() && Take(',') && Rule() && AtEnd();
    }

private:
    bool AtEnd() const { return p_ == end_; }
    bool Take(char c) { return !AtEnd() && *p_ == c ? (++p_, true) : false; }
    static bool Alpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
    static bool Digit(char c) { return c >= '0' && c <= '9'; }

    // Three letters or more, or <...> with letters, digits, '+' and '-'.
    bool Name() {
        const char* start = p_;
        if (Take('<')) {
            while (!AtEnd() && (Alpha(*p_) || Digit(*p_) || *p_ == '+' || *p_ == '-')) ++p_;
            return p_ - start - 1 >= 3 && Take('>');
        }
        while (!AtEnd() && Alpha(*p_)) ++p_;
        return p_ - start >= 3;
    }
    bool Number(int digits, int lo, int hi, int& out) {
        int value = 0, read = 0;
        while (read < digits && !AtEnd() && Digit(*p_)) value = value * 10 + (*p_++ - '0'), ++read;
        out = value;
        return read > 0 && value >= lo && value <= hi;
    }
    // [+-]hh[:mm[:ss]]
    bool Offset(int maxHours) {
        if (!AtEnd() && (*p_ == '+' || *p_ == '-')) ++p_;
        int v;
        if (!Number(maxHours > 99 ? 3 : 2, 0, maxHours, v)) return false;
        for (int i = 0; i < 2 && Take(':'); ++i) {
            if (!Number(2, 0, 59, v)) return false;
        }
        return true;
    }
    // Jn, n or Mm.w.d, then an optional /time.
    bool Rule() {
        int v;
        bool ok;
        if (Take('J')) {
            ok = Number(3, 1, 365, v);
        } else if (Take('M')) {
            ok = Number(2, 1, 12, v) && Take('.') && Number(1, 1, 5, v) && Take('.') && Number(1, 0, 6, v);
        } else {
            ok = Number(3, 0, 365, v);
        }
        return ok && (!Take('/') || Offset(167));
    }

    const char* p_;
    const char* end_;
};

}  // namespace

bool IsPosixZone(const std::string& zone) {
    return zone.size() <= 64 && zone.find('\0') == std::string::npos && ZoneReader(zone).Zone();
}

void SetTimeZone(const std::string& zone) { platform::SetTimeZone(zone); }

bool LocalTimestamp(int year, int month, int day, int hour, int minute, int second, __int64& out) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    t.tm_wday = -1;  // set by a successful conversion: -1 is also the valid answer for 1969-12-31 23:59:59
    platform::ApplyTimeZone();
    const time_t value = std::mktime(&t);
    if (value == static_cast<time_t>(-1) && t.tm_wday == -1) return false;
    if (value < kEarliestTime || value > kLatestTime) return false;
    // mktime normalises: 31 February is refused rather than moved to March.
    if (t.tm_year != year - 1900 || t.tm_mon != month - 1 || t.tm_mday != day) return false;
    out = static_cast<__int64>(value);
    return true;
}

}  // namespace host
