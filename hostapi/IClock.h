// The time the game runs on. One clock per process, shared through the core library's
// registry of global objects under kClockObjectName, so that a host (or a test) can run the
// plugins on a time of its choosing. A host that wants its own clock registers it before any
// plugin asks; otherwise the first plugin to ask registers the system clock.
#pragma once

#include "platform/Platform.h"

namespace qrn {

inline constexpr const char* kClockObjectName = "ClockObject";

class IClock {
public:
    // Seconds since 1970-01-01 00:00 UTC.
    virtual __int64 Now() = 0;

protected:
    ~IClock() = default;
};

// The registered clock (the registry holds it as a qrn::IClock*, for the life of the process);
// registers the system clock when none is.
IClock& GetClock();

}  // namespace qrn
