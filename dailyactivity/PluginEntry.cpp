// The entry points of the daily activity module. The module keeps no pointer to its
// container: the parent's children list is the only place where it is found.
#include "plugin/PluginEntry.h"

#include "dailyactivity/QRN_DailyActivity.h"
#include "platform/Platform.h"
#include "hostapi/HostContainerIds.h"

namespace {

// The protobuf runtime keeps pointers into the module (the DAMsg descriptor, its default
// instance) that cannot be withdrawn: once loaded, the module stays until the process ends.
const char g_anchor = 0;
const bool g_pinned = (platform::PinModuleOf(&g_anchor), true);

bool IsAcceptedParent(IPluginContainer* parent) {
    return parent && parent->GetContainerID() == qrn::kPluginParentID;
}

}  // namespace

bool InitPlugin() { return true; }

bool ReleasePlugin() { return true; }

bool InitPluginContainer(IPluginContainer* parent) {
    if (!IsAcceptedParent(parent)) return true;
    auto* service = new QRN_DailyActivity();
    service->RegisterMessageHandlers();
    parent->RegisterChildContainer(service);
    // Refused (a service is already registered there): nobody else will ever free it.
    if (service->GetParentContainer() != parent) delete service;
    return true;
}

void ReleasePluginContainer(IPluginContainer* parent) {
    if (!IsAcceptedParent(parent)) return;
    QRN_DailyActivity* service = nullptr;
    if (!parent->QueryChildContainer<QRN_DailyActivity>(service, qrn::kDailyActivityServiceID, false) || !service) {
        return;
    }
    service->UnregisterMessageHandlers();
    parent->UnregisterChildContainer(service);
    delete service;
}
