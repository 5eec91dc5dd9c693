// A role of the host's role system. Host and plugins compile this header alike: the order of
// the virtual operations is shared.
#pragma once

#include "plugin/IEntityObject.h"

namespace qrn {

class IRole : public IEntityObject {
public:
    // Kind of the component that holds the role's player info (a qrn::IPlayerInfo).
    static constexpr int kPlayerInfoComponent = 17;

    // The role's component of that kind, or null. The role owns it.
    virtual IEntityObject* GetComponent(int kind) = 0;
};

}  // namespace qrn
