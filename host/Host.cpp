#include "host/Host.h"

#include "host/DAMsgCodec.h"
#include "hostapi/HostContainerIds.h"

namespace host {

Host::Host(bool withdrawal, bool registerClock)
    : parent(qrn::kPluginParentID, 0, "PluginParent"),
      clock(registerClock ? SettableClock::Instance() : SettableClock::Unregistered()),
      client_(withdrawal ? std::make_unique<GameServerClient>() : std::make_unique<BasicGameServerClient>()) {
    parent.RegisterChildContainer(client_.get());
    parent.RegisterChildContainer(&roles);
}

Host::~Host() {
    Shutdown();
    ReleasePlugins();
    ReleaseModule();
    parent.UnregisterChildContainer(&roles);
    parent.UnregisterChildContainer(client_.get());
}

namespace {
std::unique_ptr<PluginModule> Load(const std::string& file, HostContainer& parent, std::string& error) {
    auto module = std::make_unique<PluginModule>(file);
    if (!module->IsLoaded()) {
        error = module->Error();
        return nullptr;
    }
    module->initPlugin();
    module->initPluginContainer(&parent);
    return module;
}

void Release(PluginModule& module, HostContainer& parent) {
    module.releasePluginContainer(&parent);
    module.releasePlugin();
}
}  // namespace

bool Host::LoadModule(const std::string& file) {
    auto module = Load(file, parent, error_);
    if (!module) return false;
    module_ = std::move(module);
    return true;
}

bool Host::LoadPlugin(const std::string& file) {
    auto module = Load(file, parent, error_);
    if (!module) return false;
    plugins_.push_back(std::move(module));
    return true;
}

void Host::ReleasePlugins() {
    while (!plugins_.empty()) {
        Release(*plugins_.back(), parent);
        plugins_.pop_back();
    }
}

void Host::ReleaseModule() {
    if (!module_) return;
    Release(*module_, parent);
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
