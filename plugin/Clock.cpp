#include <ctime>

#include "event/Function.h"
#include "plugin/IClock.h"
#include "zor/Files.h"

namespace qrn {

namespace {

class SystemClock : public IClock {
public:
    __int64 Now() override { return static_cast<__int64>(std::time(nullptr)); }
};

struct SystemClockCreator {
    void* operator()() const { return static_cast<IClock*>(new SystemClock()); }
    bool operator==(const SystemClockCreator&) const { return true; }
};

}  // namespace

IClock& GetClock() {
    // The registry keeps the first clock for the life of the process; it never yields null
    // here, since this creator always makes one.
    void* object = zor::GetGlobalObject(kClockObjectName, zor::Function<void*()>(SystemClockCreator()));
    return *static_cast<IClock*>(object);
}

}  // namespace qrn
