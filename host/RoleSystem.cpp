#include "host/RoleSystem.h"

namespace host {

__int64 PlayerInfo::GetValue(int key) {
    ++valueReads_;
    auto it = values_.find(key);
    return it == values_.end() ? 0 : it->second;
}

Role::Role(__int64 id) : id_(id) { SetComponent(kPlayerInfoComponent, new PlayerInfo()); }

IEntityObject* Role::GetComponent(int kind) {
    auto it = components_.find(kind);
    return it == components_.end() ? nullptr : it->second.Get();
}

void Role::SetComponent(int kind, IEntityObject* component) {
    if (component) {
        components_[kind] = zor::ObjectPtrT<IEntityObject>(component);
    } else {
        components_.erase(kind);
    }
}

PlayerInfo* Role::Info() { return dynamic_cast<PlayerInfo*>(GetComponent(kPlayerInfoComponent)); }

RoleSystem::RoleSystem(uint16_t startOrder) : startOrder_(startOrder) { SetContainerName("RoleSystem"); }

zor::ObjectPtrT<qrn::IRole> RoleSystem::GetMainRole() { return zor::ObjectPtrT<qrn::IRole>(main_); }

Role& RoleSystem::AddRole(__int64 id) {
    auto it = roles_.find(id);
    if (it == roles_.end()) it = roles_.emplace(id, zor::ObjectPtrT<Role>(new Role(id))).first;
    return *it->second;
}

Role* RoleSystem::FindRole(__int64 id) {
    auto it = roles_.find(id);
    return it == roles_.end() ? nullptr : it->second.Get();
}

Role& RoleSystem::SetMainRole(__int64 id) {
    main_ = &AddRole(id);
    return *main_;
}

}  // namespace host
