// The plugin container frame: a tree of containers keyed by 16-byte ids, started and shut
// down in two phases. Host and plugins compile these classes alike, so the order of the
// virtual operations and of the fields is a contract: do not reorder, insert or remove.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "plugin/IEntityObject.h"
#include "logging/LogHelpers.h"
#include "zor/String.h"
#include "zor/ThreadLock.h"

class IPluginContainer : public IEntityObject {
public:
    struct ChildEntry {
        GUID id;
        IPluginContainer* child;  // not owned
    };

    IPluginContainer() = default;
    IPluginContainer(const IPluginContainer&) = delete;
    IPluginContainer& operator=(const IPluginContainer&) = delete;
    // Forgets parent and children without telling them.
    ~IPluginContainer() override;

    virtual std::string GetContainerName() const;
    virtual std::string GetInterfaceName() const;
    virtual void OnSiblingRegistered(IPluginContainer* sibling);
    virtual void OnSiblingUnregistered(IPluginContainer* sibling);
    // The container's own work in each phase.
    virtual bool OnPrepareStart();
    virtual bool OnStart();
    virtual void OnPrepareShutdown();
    virtual void OnShutdown();
    // The phases over this subtree: own hook first, then the children (in reverse order for
    // the shutdown phases), each over a copy of the children list.
    virtual bool DoPrepareParentStart();
    virtual bool DoParentStart();
    virtual void DoPrepareParentShutdown();
    virtual void DoParentShutdown();
    virtual IPluginContainer* GetParentContainer() const;
    virtual const GUID& GetContainerID() const = 0;
    virtual uint16_t GetStartOrder() const;
    virtual void SetContainerName(const zor::String& name);
    virtual bool RegisterChildContainer(IPluginContainer* cpc);
    virtual bool UnregisterChildContainer(IPluginContainer* cpc);
    virtual IPluginContainer* FindChildContainer(const GUID& id);
    virtual bool StartContainer();
    virtual bool ShutdownContainer();
    // The state questions are answered by the root of the tree.
    virtual bool IsContainerPrepared() const;
    virtual bool IsContainerActive() const;
    virtual bool IsContainerReady() const;

    // The child registered under id, as T (the id stands for the type: no run-time check).
    // On failure out is left as it was; with throwOnFail a zor::String message is thrown.
    template <class T>
    bool QueryChildContainer(T*& out, const GUID& id, bool throwOnFail) {
        IPluginContainer* found = FindChildContainer(id);
        if (found) {
            out = static_cast<T*>(found);
            return true;
        }
        if (throwOnFail) {
            throw zor::String(FormatString("[%s]QueryChildContainer()[%s]\xCA\xA7\xB0\xDC",
                                           InterfaceTypeName().c_str(),
                                           platform::TypeName(typeid(T)).c_str()));
        }
        return false;
    }

    // The parent's child registered under id, as T. Without a parent nothing is found, and
    // the thrown message names an empty parent.
    template <class T>
    bool QuerySiblingContainer(T*& out, const GUID& id, bool throwOnFail) {
        IPluginContainer* found = parent_ ? parent_->FindChildContainer(id) : nullptr;
        if (found) {
            out = static_cast<T*>(found);
            return true;
        }
        if (throwOnFail) {
            std::string parentName = parent_ ? parent_->InterfaceTypeName() : std::string();
            throw zor::String(FormatString("[%s]:[%s]QuerySiblingContainer()[%s]\xCA\xA7\xB0\xDC",
                                           InterfaceTypeName().c_str(), parentName.c_str(),
                                           platform::TypeName(typeid(T)).c_str()));
        }
        return false;
    }

    // A snapshot of the children, in start order.
    std::vector<ChildEntry> Children();

private:
    std::string InterfaceTypeName() const { return platform::TypeName(GetInterfaceType()); }

    IPluginContainer* parent_ = nullptr;  // not owned
    std::vector<ChildEntry> children_;    // sorted by start order, stable
    zor::ThreadLock lock_;
    bool prepared_ = false;
    bool active_ = false;
    zor::String name_;
};
