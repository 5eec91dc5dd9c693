// Stand-in for the host's connection to the game server: keeps the module registrations,
// delivers frames received from the network to the registered handler of their module, and
// records every message a plugin sends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hostapi/HostContainerIds.h"
#include "hostapi/IGameServerClient.h"

namespace host {

// The connection without the withdrawal of registrations: a host that keeps every
// registration for the life of the connection.
class BasicGameServerClient : public qrn::IGameServerClient {
public:
    explicit BasicGameServerClient(uint16_t startOrder = 1);

    const std::type_info& GetInterfaceType() const override { return typeid(qrn::IGameServerClient); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return qrn::kGameServerClientID; }
    uint16_t GetStartOrder() const override { return startOrder_; }

    // Records the message's bytes; answers what SetSendResult set (true at first).
    bool SendMsg(const NetMsg& msg) override;

    // A frame as it arrives from the server: read with NetMsg::ReadFrame and passed, with
    // this connection as sender, to its module's handler. False when the frame is refused or
    // its module has no handler.
    bool Deliver(const void* bytes, size_t size);
    bool Deliver(const std::string& frame) { return Deliver(frame.data(), frame.size()); }
    bool Deliver(const NetMsg& msg) { return Deliver(msg.ToBytes()); }

    bool HasModule(unsigned short moduleId) { return ModuleDispatcher.Find(moduleId) != nullptr; }

    // Every message given to SendMsg, as bytes, oldest first.
    const std::vector<std::string>& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }
    void SetSendResult(bool result) { sendResult_ = result; }
    // Called with the bytes of every message given to SendMsg, during the call.
    void SetSendObserver(std::function<void(const std::string&)> observer) { observer_ = std::move(observer); }

private:
    struct Connection : ISender {};

    uint16_t startOrder_;
    bool sendResult_ = true;
    std::vector<std::string> sent_;
    std::function<void(const std::string&)> observer_;
    Connection connection_;
};

// The stand-in as the host ships it: registrations can be withdrawn.
class GameServerClient : public BasicGameServerClient, public qrn::IModuleWithdrawal {
public:
    using BasicGameServerClient::BasicGameServerClient;
    bool WithdrawModule(unsigned short moduleId, const qrn::ModuleHandler& handler) override;
};

}  // namespace host
