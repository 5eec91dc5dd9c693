// The host's role system: the roles the client acts for. A sibling of the plugins' containers,
// registered under qrn::kRoleSystemID. Host and plugins compile this header alike: the order
// of the virtual operations and of the members is shared.
#pragma once

#include "event/Signal.h"
#include "plugin/IPluginContainer.h"
#include "hostapi/IRole.h"
#include "zor/Object.h"

namespace qrn {

class IRoleSystem : public IPluginContainer {
public:
    // The role the client acts for; an empty handle when there is none. Ask on each use:
    // the main role changes.
    virtual zor::ObjectPtrT<IRole> GetMainRole() = 0;

    // A role's state was reset or replaced (the role is passed).
    zor::Signal<void(IRole*)> RoleSignal;
    // The role system was reset as a whole.
    zor::Signal<void()> ResetSignal;
};

}  // namespace qrn
