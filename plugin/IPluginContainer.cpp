#include "plugin/IPluginContainer.h"

IPluginContainer::~IPluginContainer() {
    zor::ThreadLockHandle hold(lock_);
    parent_ = nullptr;
    children_.clear();
}

std::string IPluginContainer::GetContainerName() const { return name_; }

std::string IPluginContainer::GetInterfaceName() const { return InterfaceTypeName(); }

void IPluginContainer::OnSiblingRegistered(IPluginContainer*) {}
void IPluginContainer::OnSiblingUnregistered(IPluginContainer*) {}
bool IPluginContainer::OnPrepareStart() { return true; }
bool IPluginContainer::OnStart() { return true; }
void IPluginContainer::OnPrepareShutdown() {}
void IPluginContainer::OnShutdown() {}

bool IPluginContainer::DoPrepareParentStart() {
    LogFormat<2>("start %s %s :: DoPrepareParentStart()", GetContainerName(), GetInterfaceName());
    if (!OnPrepareStart()) return false;
    for (const ChildEntry& entry : Children()) {
        if (!entry.child->DoPrepareParentStart()) return false;
    }
    LogFormat<2>("%s %s :: DoPrepareParentStart() ok", GetContainerName(), GetInterfaceName());
    return true;
}

bool IPluginContainer::DoParentStart() {
    LogFormat<2>("start %s %s :: DoParentStart()", GetContainerName(), GetInterfaceName());
    if (!OnStart()) return false;
    for (const ChildEntry& entry : Children()) {
        if (!entry.child->DoParentStart()) return false;
    }
    LogFormat<2>("%s %s :: DoParentStart() ok", GetContainerName(), GetInterfaceName());
    return true;
}

void IPluginContainer::DoPrepareParentShutdown() {
    LogFormat<2>("start %s %s :: DoPrepareParentShutdown()", GetContainerName(), GetInterfaceName());
    OnPrepareShutdown();
    std::vector<ChildEntry> children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) it->child->DoPrepareParentShutdown();
    LogFormat<2>("%s %s :: DoPrepareParentShutdown() ok", GetContainerName(), GetInterfaceName());
}

void IPluginContainer::DoParentShutdown() {
    LogFormat<2>("start %s %s :: DoParentShutdown()", GetContainerName(), GetInterfaceName());
    OnShutdown();
    std::vector<ChildEntry> children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) it->child->DoParentShutdown();
    LogFormat<2>("%s %s :: DoParentShutdown() ok", GetContainerName(), GetInterfaceName());
}

IPluginContainer* IPluginContainer::GetParentContainer() const { return parent_; }

uint16_t IPluginContainer::GetStartOrder() const { return 0xFFFF; }

void IPluginContainer::SetContainerName(const zor::String& name) { name_ = name; }

bool IPluginContainer::RegisterChildContainer(IPluginContainer* cpc) {
    if (!cpc) {
        LogText<3>("IPluginContainer::RegisterChildContainer() error : cpc==NULL");
        zor::ShowCallStack();
        return false;
    }
    if (IPluginContainer* present = cpc->GetParentContainer()) {
        LogFormat<3>("IPluginContainer::RegisterChildContainer() error : cpc(%s) already registed to type=%s",
                     cpc->GetInterfaceName().c_str(), present->GetInterfaceName().c_str());
        zor::ShowCallStack();
        return false;
    }
    zor::ThreadLockHandle hold(lock_);
    const GUID id = cpc->GetContainerID();
    if (IPluginContainer* same = FindChildContainer(id)) {
        LogFormat<3>(
            "IPluginContainer::RegisterChildContainer() error : same plugin(%s) as cpc(%s) already registed to type=%s",
            cpc->GetInterfaceName().c_str(), same->GetInterfaceName().c_str(), GetInterfaceName().c_str());
        zor::ShowCallStack();
        return false;
    }
    cpc->parent_ = this;
    std::vector<ChildEntry> before = children_;
    const uint16_t order = cpc->GetStartOrder();
    auto at = children_.begin();
    while (at != children_.end() && at->child->GetStartOrder() <= order) ++at;
    children_.insert(at, ChildEntry{id, cpc});
    for (const ChildEntry& entry : before) entry.child->OnSiblingRegistered(cpc);
    return true;
}

bool IPluginContainer::UnregisterChildContainer(IPluginContainer* cpc) {
    if (!cpc || cpc->GetParentContainer() != this) return false;
    const GUID id = cpc->GetContainerID();
    zor::ThreadLockHandle hold(lock_);
    auto it = children_.begin();
    while (it != children_.end() && it->id != id) ++it;
    if (it == children_.end() || it->child != cpc) return false;
    std::vector<ChildEntry> others = children_;
    for (const ChildEntry& entry : others) {
        if (entry.child != cpc) entry.child->OnSiblingUnregistered(cpc);
    }
    // A sibling's hook may have changed the list: find the entry again.
    for (auto entry = children_.begin(); entry != children_.end(); ++entry) {
        if (entry->child == cpc) {
            children_.erase(entry);
            break;
        }
    }
    cpc->parent_ = nullptr;
    return true;
}

IPluginContainer* IPluginContainer::FindChildContainer(const GUID& id) {
    zor::ThreadLockHandle hold(lock_);
    for (const ChildEntry& entry : children_) {
        if (entry.id == id) return entry.child;
    }
    return nullptr;
}

bool IPluginContainer::StartContainer() {
    LogFormat<2>("start call %s::StartContainer()", GetContainerName());
    zor::ThreadLockHandle hold(lock_);
    if (IsContainerPrepared() || IsContainerActive()) return false;
    active_ = true;
    if (!DoPrepareParentStart()) return false;
    prepared_ = true;
    if (!DoParentStart()) return false;
    LogFormat<2>("call %s::StartContainer() ok", GetContainerName());
    return true;
}

bool IPluginContainer::ShutdownContainer() {
    zor::ThreadLockHandle hold(lock_);
    if (!IsContainerActive()) return false;
    LogFormat<2>("start call %s::ShutdownContainer()", GetContainerName());
    active_ = false;
    DoPrepareParentShutdown();
    prepared_ = false;
    DoParentShutdown();
    LogFormat<2>("call %s::ShutdownContainer() ok", GetContainerName());
    return true;
}

bool IPluginContainer::IsContainerPrepared() const {
    return parent_ ? parent_->IsContainerPrepared() : prepared_;
}

bool IPluginContainer::IsContainerActive() const { return parent_ ? parent_->IsContainerActive() : active_; }

bool IPluginContainer::IsContainerReady() const { return IsContainerPrepared(); }

std::vector<IPluginContainer::ChildEntry> IPluginContainer::Children() {
    zor::ThreadLockHandle hold(lock_);
    return children_;
}
