#include "host/GameServerClient.h"

namespace host {

BasicGameServerClient::BasicGameServerClient(uint16_t startOrder) : startOrder_(startOrder) {
    SetContainerName("GameServerClient");
}

bool BasicGameServerClient::SendMsg(const NetMsg& msg) {
    sent_.push_back(msg.ToBytes());
    if (observer_) observer_(sent_.back());
    return sendResult_;
}

bool BasicGameServerClient::Deliver(const void* bytes, size_t size) {
    NetMsg msg(0, 0);
    if (!msg.ReadFrame(bytes, size)) return false;
    return ModuleDispatcher.Dispatch(&connection_, &msg);
}

bool GameServerClient::WithdrawModule(unsigned short moduleId, const qrn::ModuleHandler& handler) {
    const qrn::ModuleHandler* registered = ModuleDispatcher.Find(moduleId);
    if (!registered || !(*registered == handler)) return false;
    return ModuleDispatcher.Unregister(moduleId);
}

}  // namespace host
