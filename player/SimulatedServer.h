// A game server inside the host, for sessions: it answers the module's requests by the rules
// of the game, checked on its own from the same configuration, and changes the role values as
// the server would. It remembers what it wrote: a session that puts the host's copy of a value
// back (a client that has not heard of a grant yet) sees the server refuse the claim the
// client wrongly allowed. Turned to manual, it only records requests and the session answers
// for it.
#pragma once

#include <deque>
#include <map>
#include <string>

#include "dailyactivity/DailyActivityConfig.h"
#include "host/Host.h"
#include "player/Transcript.h"

namespace host {

class SimulatedServer {
public:
    SimulatedServer(Host& host, Transcript& transcript);

    // Reads the configuration the module reads; false when it does not load.
    bool LoadConfig() { return config_.LoadConfig(); }
    void SetAutomatic(bool on) { automatic_ = on; }
    void SetValue64(long long value) { value64_ = value; }

    // A request as the client sent it (bytes); answered by Answer().
    void Receive(const std::string& frame) { pending_.push_back(frame); }
    // Decides every pending request (when automatic) and sends the answers.
    void Answer();

private:
    void Decide(const std::string& frame);
    // Grants: false with the refusal written.
    bool SignIn(PlayerInfo& player);
    bool ActivityReward(PlayerInfo& player, int tier);
    bool SignInReward(PlayerInfo& player, int index, int item);
    bool HolidayAward(PlayerInfo& player, int index);
    // The server's view of a value of the main role: what it wrote last, else the host's.
    long long Value(PlayerInfo& player, int key);
    void SetValue(PlayerInfo& player, int key, long long value);
    bool Refuse(const std::string& request, const std::string& why);
    void Send(const std::string& frame);
    int Today();

    Host& host_;
    Transcript& transcript_;
    DailyActivityConfig config_;
    bool automatic_ = true;
    long long value64_ = 0;
    std::deque<std::string> pending_;
    std::map<std::pair<long long, int>, long long> written_;  // (role id, key) -> value
};

// A role value for a reader: flags as bits, time stamps as local time.
std::string DescribeRoleValue(int key, long long value);
// The transcript's line for a role value set: "role 1001 value 32 := ...".
std::string RoleValueChange(unsigned long long roleId, int key, long long value);

}  // namespace host
