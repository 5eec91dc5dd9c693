#include <ctime>

#include "event/Function.h"
#include "hostapi/IClock.h"
#include "zor/Files.h"

namespace qrn {

namespace {

class SystemClock : public IClock {
public:
    __int64 Now() override { return static_cast<__int64>(std::time(nullptr)); }
};

// The system clock has no state: one object in static storage serves, never on the heap, so
// the registry holds nothing that anyone must free (the module stays loaded once loaded).
struct SystemClockCreator {
    void* operator()() const {
        static SystemClock clock;
        return static_cast<IClock*>(&clock);
    }
    bool operator==(const SystemClockCreator&) const { return true; }
};

}  // namespace

IClock& GetClock() {
    // The registry keeps the first clock for the life of the process, so it is asked once;
    // it never yields null here, since this creator always makes one.
    static IClock* const clock =
        static_cast<IClock*>(zor::GetGlobalObject(kClockObjectName, zor::Function<void*()>(SystemClockCreator())));
    return *clock;
}

}  // namespace qrn
