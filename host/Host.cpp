#include "host/Host.h"

#include "host/DAMsgCodec.h"
#include "plugin/HostContainerIds.h"

namespace host {

Host::Host(bool withdrawal)
    : parent(qrn::kPluginParentID, 0, "PluginParent"),
      clock(SettableClock::Instance()),
      client_(withdrawal ? std::make_unique<GameServerClient>() : std::make_unique<BasicGameServerClient>()) {
    parent.RegisterChildContainer(client_.get());
    parent.RegisterChildContainer(&roles);
}

Host::~Host() {
    Shutdown();
    ReleaseModule();
    parent.UnregisterChildContainer(&roles);
    parent.UnregisterChildContainer(client_.get());
}

bool Host::LoadModule(const std::string& file) {
    auto module = std::make_unique<PluginModule>(file);
    if (!module->IsLoaded()) {
        error_ = module->Error();
        return false;
    }
    module_ = std::move(module);
    module_->initPlugin();
    module_->initPluginContainer(&parent);
    return true;
}

void Host::ReleaseModule() {
    if (!module_) return;
    module_->releasePluginContainer(&parent);
    module_->releasePlugin();
    module_.reset();
}

qrn::IDailyActivity* Host::Service() {
    qrn::IDailyActivity* service = nullptr;
    parent.QueryChildContainer<qrn::IDailyActivity>(service, qrn::kDailyActivityServiceID, false);
    return service;
}

qrn::IDailyActivityExplain* Host::Explain() { return dynamic_cast<qrn::IDailyActivityExplain*>(Service()); }

std::string DailyActivityFrame(__int64 roleId, int type, int count, bool isOver) {
    DailyActivityFields fields;
    fields.roleId = roleId;
    fields.tempType = type;
    fields.completeNum = count;
    fields.hasIsOver = true;
    fields.isOver = isOver;
    const std::string payload = EncodeDailyActivity(fields);
    NetMsg msg(qrn::DailyActivityModuleID, qrn::MsgDailyActivity);
    msg.AddChunk(payload.data(), static_cast<int>(payload.size()), 0);
    return msg.ToBytes();
}

std::string ClearFrame() { return NetMsg(qrn::DailyActivityModuleID, qrn::MsgClear).ToBytes(); }

std::string IntFrame(unsigned short msgId, unsigned short chunkId, int value) {
    NetMsg msg(qrn::DailyActivityModuleID, msgId);
    msg.AddChunk(&value, sizeof value, chunkId);
    return msg.ToBytes();
}

std::string Int64Frame(unsigned short msgId, unsigned short chunkId, __int64 value) {
    NetMsg msg(qrn::DailyActivityModuleID, msgId);
    msg.AddChunk(&value, sizeof value, chunkId);
    return msg.ToBytes();
}

}  // namespace host
