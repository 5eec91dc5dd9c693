// The host stand-in as one object: the parent container under which plugins install
// themselves, with the game server client and the role system as its children, the settable
// clock and the Lua holiday script; and the daily activity module loaded by file name and
// driven through its entry points, as the game client drives it.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DailyActivity/IDailyActivity.h"
#include "DailyActivity/IDailyActivityExplain.h"
#include "host/GameServerClient.h"
#include "host/HolidayScript.h"
#include "host/HostContainer.h"
#include "host/PluginModule.h"
#include "host/RoleSystem.h"
#include "host/SettableClock.h"

namespace host {

class Host {
public:
    // A host whose game server client offers the withdrawal of registrations (or not), and
    // that registers its settable clock as the process's clock (or leaves that to the plugins).
    explicit Host(bool withdrawal = true, bool registerClock = true);
    // Shuts the tree down and releases and unloads the module if that was not done.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Loads the module and calls InitPlugin and InitPluginContainer(parent). False, with
    // Error() set, when the module does not load.
    bool LoadModule(const std::string& file = DailyActivityModuleFile());
    bool Start() { return parent.StartContainer(); }
    bool Shutdown() { return parent.ShutdownContainer(); }
    // ReleasePluginContainer(parent) and ReleasePlugin; then unloads the module.
    void ReleaseModule();
    // A further plugin module in the same tree (another team's, using the service): loaded,
    // InitPlugin and InitPluginContainer(parent) called. False, with Error() set, when it does
    // not load.
    bool LoadPlugin(const std::string& file);
    // Releases and unloads the further modules, the last loaded first.
    void ReleasePlugins();
    const std::string& Error() const { return error_; }
    PluginModule* Module() { return module_.get(); }

    // The service registered under the parent, or null.
    qrn::IDailyActivity* Service();
    // Its explanations of refused claims, or null.
    qrn::IDailyActivityExplain* Explain();

    // Delivers a frame from the server; false when refused or without handler.
    bool Deliver(const std::string& frame) { return client().Deliver(frame); }
    BasicGameServerClient& client() { return *client_; }

    HostContainer parent;
    RoleSystem roles;
    HolidayScript lua;
    SettableClock& clock;

private:
    std::unique_ptr<BasicGameServerClient> client_;
    std::unique_ptr<PluginModule> module_;
    std::vector<std::unique_ptr<PluginModule>> plugins_;
    std::string error_;
};

// A frame of this module and message id with these chunks (id, bytes), in order.
std::string Frame(unsigned short moduleId, unsigned short msgId,
                  std::initializer_list<std::pair<unsigned short, std::string>> chunks);
// Frames of module 69 as the server sends them.
std::string DailyActivityFrame(__int64 roleId, int type, int count, bool isOver);
std::string ClearFrame();
std::string IntFrame(unsigned short msgId, unsigned short chunkId, int value);
std::string Int64Frame(unsigned short msgId, unsigned short chunkId, __int64 value);

}  // namespace host
