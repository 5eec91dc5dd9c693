// The host's connection to the game server. A sibling of the plugins' containers, registered
// under qrn::kGameServerClientID. Host and plugins compile this header alike: the order of
// the virtual operations and of the members is shared.
#pragma once

#include "event/Dispatcher.h"
#include "event/NetMsg.h"
#include "plugin/IPluginContainer.h"
#include "plugin/ISender.h"

namespace qrn {

using ModuleHandler = zor::Function<void(ISender*, const NetMsg*)>;

// Gives a message's module id, the key under which the host routes whole modules.
struct NetMsgTrait_ModuleID {
    static uint16_t GetKey(const NetMsg* msg) { return msg->GetModuleID(); }
};

// Handlers for whole modules: the host passes every message from the server whose module id
// has a handler to a copy of that handler, with its sender.
class ModuleDispatcher : public DispatcherBase<unsigned short, ModuleHandler, NetMsgTrait_ModuleID> {
public:
    // Keeps a copy of handler for moduleId. The first registration of a module wins.
    virtual bool RegisterModule(unsigned short moduleId, ModuleHandler handler) { return Register(moduleId, handler); }
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
