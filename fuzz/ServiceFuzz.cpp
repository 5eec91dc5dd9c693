// Frames from the game server delivered through the host stand-in into the daily activity
// module, loaded by file name and started with the sample configuration, as in the game.
#include <cstdlib>

#include "host/Host.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace {

struct Started {
    zor::LogCapture quiet;
    host::Host h;
    qrn::IDailyActivity* service = nullptr;
    int changes = 0;
    void OnChanged() { ++changes; }
    Started() {
        zor::SetConfigDirectory(ZOR_SOURCE_DIR);
        if (!h.LoadModule() || !h.Start()) std::abort();
        service = h.Service();
        service->OnDataChanged += zor::bind_n::bind(&Started::OnChanged, this);
        h.roles.SetMainRole(1).Info()->SetActivityValue(60);
    }
};

Started* g_started = nullptr;  // made once, kept for the process

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_started = new Started();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Started& s = *g_started;
    s.quiet.Clear();
    s.h.client().ClearSent();
    s.h.Deliver(std::string(reinterpret_cast<const char*>(data), size));
    int count = 0;
    for (int type : {-1, 0, 2, 22}) s.service->GetRoleDailyActivityInfo()->GetCompleteNum(type, count);
    s.service->RequestActivityReward(1);
    return 0;
}
