// Stand-in for the host's role system: roles with components, a main role that can be switched
// or removed, role values that tests and the simulated server set, and the two signals.
#pragma once

#include <map>
#include <string>

#include "hostapi/HostContainerIds.h"
#include "hostapi/IPlayerInfo.h"
#include "hostapi/IRoleSystem.h"

namespace host {

// Component 17 of a role: its values as the server reports them.
class PlayerInfo : public qrn::IPlayerInfo {
public:
    const std::type_info& GetInterfaceType() const override { return typeid(qrn::IPlayerInfo); }
    void EntityHook() override {}
    __int64 GetValue(int key) override;
    int GetActivityValue() override { return activityValue_; }

    void SetValue(int key, __int64 value) { values_[key] = value; }
    void SetActivityValue(int value) { activityValue_ = value; }
    // Reads of GetValue so far (to see which values a rule looked at).
    int ValueReads() const { return valueReads_; }

private:
    std::map<int, __int64> values_;
    int activityValue_ = 0;
    int valueReads_ = 0;
};

// Some other entity, for a component kind that is not player info.
class OtherComponent : public IEntityObject {
public:
    const std::type_info& GetInterfaceType() const override { return typeid(OtherComponent); }
    void EntityHook() override {}
};

class Role : public qrn::IRole {
public:
    // A role with a PlayerInfo as component 17.
    explicit Role(__int64 id);
    const std::type_info& GetInterfaceType() const override { return typeid(qrn::IRole); }
    void EntityHook() override {}
    uint64_t GetEntityID() const override { return static_cast<uint64_t>(id_); }
    IEntityObject* GetComponent(int kind) override;

    // Replaces (or, with null, removes) a component; the role holds a reference to it.
    void SetComponent(int kind, IEntityObject* component);
    // Component 17 when it is a PlayerInfo, else null.
    PlayerInfo* Info();

private:
    __int64 id_;
    std::map<int, zor::ObjectPtrT<IEntityObject>> components_;
};

class RoleSystem : public qrn::IRoleSystem {
public:
    explicit RoleSystem(uint16_t startOrder = 2);
    const std::type_info& GetInterfaceType() const override { return typeid(qrn::IRoleSystem); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return qrn::kRoleSystemID; }
    uint16_t GetStartOrder() const override { return startOrder_; }
    zor::ObjectPtrT<qrn::IRole> GetMainRole() override;

    // The role with this id, made on first use.
    Role& AddRole(__int64 id);
    Role* FindRole(__int64 id);
    // Makes the role with this id (made if needed) the main role.
    Role& SetMainRole(__int64 id);
    void RemoveMainRole() { main_ = nullptr; }
    Role* MainRole() { return main_; }

    void FireReset() { ResetSignal.Emit(); }
    void FireRole(qrn::IRole* role) { RoleSignal.Emit(role); }

private:
    uint16_t startOrder_;
    std::map<__int64, zor::ObjectPtrT<Role>> roles_;
    Role* main_ = nullptr;  // one of roles_
};

}  // namespace host
