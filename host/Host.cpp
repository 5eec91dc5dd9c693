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

std::string Frame(unsigned short moduleId, unsigned short msgId,
                  std::initializer_list<std::pair<unsigned short, std::string>> chunks) {
    NetMsg msg(moduleId, msgId);
    for (const auto& c : chunks) msg.AddChunk(c.second.data(), static_cast<int>(c.second.size()), c.first);
    return msg.ToBytes();
}

std::string DailyActivityFrame(__int64 roleId, int type, int count, bool isOver) {
    DailyActivityFields fields;
    fields.roleId = roleId;
    fields.tempType = type;
    fields.completeNum = count;
    fields.hasIsOver = true;
    fields.isOver = isOver;
    return Frame(qrn::DailyActivityModuleID, qrn::MsgDailyActivity, {{0, EncodeDailyActivity(fields)}});
}

std::string ClearFrame() { return Frame(qrn::DailyActivityModuleID, qrn::MsgClear, {}); }

std::string IntFrame(unsigned short msgId, unsigned short chunkId, int value) {
    return Frame(qrn::DailyActivityModuleID, msgId, {{chunkId, std::string(reinterpret_cast<const char*>(&value), sizeof value)}});
}

std::string Int64Frame(unsigned short msgId, unsigned short chunkId, __int64 value) {
    return Frame(qrn::DailyActivityModuleID, msgId, {{chunkId, std::string(reinterpret_cast<const char*>(&value), sizeof value)}});
}

}  // namespace host
