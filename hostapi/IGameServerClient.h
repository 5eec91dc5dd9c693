// The host's connection to the game server. A sibling of the plugins' containers, registered
// under qrn::kGameServerClientID. Host and plugins compile this header alike: the order of
// the virtual operations and of the members is shared.
#pragma once

#include <memory>
#include <unordered_map>

#include "event/Function.h"
#include "event/NetMsg.h"
#include "plugin/IPluginContainer.h"
#include "event/ISender.h"

namespace qrn {

using ModuleHandler = zor::Function<void(ISender*, const NetMsg*)>;

// Handlers for whole modules: the host passes every message from the server whose module id
// has a handler to that handler, with its sender. Plugins only register; the rest is the
// host's.
class ModuleDispatcher {
public:
    virtual ~ModuleDispatcher() {}
    // Keeps a copy of handler for moduleId. The first registration of a module wins.
    virtual bool RegisterModule(unsigned short moduleId, ModuleHandler handler) {
        return handlers_.emplace(moduleId, std::make_shared<const ModuleHandler>(handler)).second;
    }

    // The host's side. A message is passed to the handler of its module, which stays alive
    // for the call even when it is withdrawn meanwhile. False when the module has none.
    bool Dispatch(ISender* sender, const NetMsg* msg) {
        auto it = msg ? handlers_.find(msg->GetModuleID()) : handlers_.end();
        if (it == handlers_.end()) return false;
        std::shared_ptr<const ModuleHandler> handler = it->second;
        (*handler)(sender, msg);
        return true;
    }
    // The handler registered for moduleId, or null.
    const ModuleHandler* Find(unsigned short moduleId) const {
        auto it = handlers_.find(moduleId);
        return it == handlers_.end() ? nullptr : it->second.get();
    }
    bool Unregister(unsigned short moduleId) { return handlers_.erase(moduleId) != 0; }

private:
    std::unordered_map<unsigned short, std::shared_ptr<const ModuleHandler>> handlers_;
};

class IGameServerClient : public IPluginContainer {
public:
    // Sends one message; true when it was sent. The message is read during the call only.
    virtual bool SendMsg(const NetMsg& msg) = 0;

    qrn::ModuleDispatcher ModuleDispatcher;
};

// Offered by a game server client that lets a plugin take its module registration back (a
// plugin asks for it with a run-time cast of the client). Hosts without it keep every
// registration for the life of the connection.
class IModuleWithdrawal {
public:
    // Removes moduleId's registration when it holds a handler equal to handler; true when
    // one was removed.
    virtual bool WithdrawModule(unsigned short moduleId, const ModuleHandler& handler) = 0;

protected:
    ~IModuleWithdrawal() = default;
};

}  // namespace qrn
