// A plain container of the host's tree: an id, a start order and a published interface.
#pragma once

#include "plugin/IPluginContainer.h"

namespace host {

class HostContainer : public IPluginContainer {
public:
    HostContainer(const GUID& id, uint16_t startOrder, const char* name) : id_(id), order_(startOrder) {
        SetContainerName(name);
    }
    const std::type_info& GetInterfaceType() const override { return typeid(HostContainer); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return id_; }
    uint16_t GetStartOrder() const override { return order_; }

private:
    GUID id_;
    uint16_t order_;
};

}  // namespace host
