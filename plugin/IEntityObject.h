// Base of every entity a plugin publishes. The order of the virtual operations is shared with
// the host and every other plugin: do not reorder, insert or remove operations.
#pragma once

#include <cstdint>
#include <typeinfo>

#include "zor/Object.h"
#include "zor/String.h"

class IEntityObject : public zor::Object {
public:
    ~IEntityObject() override {}
    // The object's published interface.
    virtual const std::type_info& GetInterfaceType() const = 0;
    virtual void EntityHook() = 0;
    virtual uint32_t GetEntityType() const { return 0; }
    virtual uint64_t GetEntityID() const { return 0; }
    virtual const zor::String& GetEntityName() const { return zor::GetEmptyString(); }
};
