#include "player/SimulatedServer.h"

#include <cstdint>
#include <cstring>
#include <ctime>

#include "DailyActivity/IDailyActivity.h"
#include "player/Session.h"

namespace host {

namespace {

bool Bit(long long v, long long n) { return n >= 0 && n <= 63 && (static_cast<uint64_t>(v) & (uint64_t{1} << n)); }
long long WithBit(long long v, long long n) { return static_cast<long long>(static_cast<uint64_t>(v) | (uint64_t{1} << n)); }

bool IntChunk(const NetMsg& msg, unsigned short id, int& out) {
    const NetMsgChunk* chunk = msg.FindChunk(id);
    if (!chunk || chunk->GetDataSize() != 4) return false;
    std::memcpy(&out, chunk->GetData(), 4);
    return true;
}

}  // namespace

std::string DescribeRoleValue(int key, long long value) {
    if (key == qrn::KeyHolidayAwardTime) return std::to_string(value) + " (" + platform::LocalTimeText(value) + " local)";
    if (key == qrn::KeySignInFlags || key == qrn::KeyHolidayAwardTaken ||
        (key >= qrn::KeySignInRewardTaken && key <= qrn::KeySignInRewardTaken + 4)) {
        return DescribeValue(value);
    }
    return std::to_string(value);
}

std::string RoleValueChange(unsigned long long roleId, int key, long long value) {
    return "role " + std::to_string(roleId) + " value " + std::to_string(key) + " := " + DescribeRoleValue(key, value);
}

SimulatedServer::SimulatedServer(Host& host, Transcript& transcript) : host_(host), transcript_(transcript) {}

void SimulatedServer::Answer() {
    while (!pending_.empty()) {
        std::string frame = pending_.front();
        pending_.pop_front();
        if (automatic_) Decide(frame);
    }
}

int SimulatedServer::Today() {
    std::tm local{};
    return platform::LocalTime(host_.clock.Now(), local) ? local.tm_mday : 0;
}

bool SimulatedServer::Refuse(const std::string& request, const std::string& why) {
    // Every request but message 6 passed the module's own check before it was sent.
    transcript_.Line(Transcript::Kind::Server, "refuses " + request + ": " + why + " (the client's check let it through)");
    return false;
}

long long SimulatedServer::Value(PlayerInfo& player, int key) {
    auto it = written_.find({static_cast<long long>(host_.roles.MainRole()->GetEntityID()), key});
    return it == written_.end() ? player.GetValue(key) : it->second;
}

void SimulatedServer::SetValue(PlayerInfo& player, int key, long long value) {
    written_[{static_cast<long long>(host_.roles.MainRole()->GetEntityID()), key}] = value;
    player.SetValue(key, value);
    transcript_.Line(Transcript::Kind::Value, RoleValueChange(host_.roles.MainRole()->GetEntityID(), key, value));
}

void SimulatedServer::Send(const std::string& frame) {
    transcript_.Line(Transcript::Kind::Receive, DescribeFrame(frame, true));
    host_.Deliver(frame);
}

void SimulatedServer::Decide(const std::string& frame) {
    NetMsg msg(0, 0);
    if (!msg.ReadFrame(frame.data(), frame.size()) || msg.GetModuleID() != qrn::DailyActivityModuleID) {
        Refuse("a message", "not a request of module 69");
        return;
    }
    Role* role = host_.roles.MainRole();
    PlayerInfo* player = role ? role->Info() : nullptr;
    const char* name = MessageName(msg.GetMsgID());
    const std::string request = name ? name : "message " + std::to_string(msg.GetMsgID());
    if (msg.GetMsgID() == qrn::MsgValue64) {
        transcript_.Line(Transcript::Kind::Server, "answers MsgValue64 with " + std::to_string(value64_));
        NetMsg answer(qrn::DailyActivityModuleID, qrn::MsgValue64);
        const __int64 value = value64_;
        answer.AddChunk(&value, sizeof value, qrn::MsgValue64);
        Send(answer.ToBytes());
        return;
    }
    if (!player) {
        Refuse(request, "no main role with player info");
        return;
    }
    int a = 0, b = 0;
    switch (msg.GetMsgID()) {
        case qrn::MsgSignIn:
            SignIn(*player);
            return;
        case qrn::MsgActivityReward:
            if (!IntChunk(msg, 3, a)) {
                Refuse(request, "chunk 3 does not hold a 4-byte tier");
            } else if (ActivityReward(*player, a)) {
                Send(IntFrame(qrn::MsgActivityReward, 3, a));
            }
            return;
        case qrn::MsgSignInReward:
            if (!IntChunk(msg, 4, a) || !IntChunk(msg, 5, b)) {
                Refuse(request, "chunks 4 and 5 do not hold the reward and the item");
            } else {
                SignInReward(*player, a, b);
            }
            return;
        case qrn::MsgHolidayAward:
            if (!IntChunk(msg, 5, a)) {
                Refuse(request, "chunk 5 does not hold the award");
            } else {
                HolidayAward(*player, a);
            }
            return;
        default:
            Refuse(request, "the server has no such request");
    }
}

bool SimulatedServer::SignIn(PlayerInfo& player) {
    const int day = Today();
    const long long flags = Value(player, qrn::KeySignInFlags);
    if (day == 0) return Refuse("MsgSignIn", "the server's clock has no valid local time");
    if (Bit(flags, day)) return Refuse("MsgSignIn", "already signed in on day " + std::to_string(day));
    transcript_.Line(Transcript::Kind::Server, "grants MsgSignIn: day " + std::to_string(day));
    SetValue(player, qrn::KeySignInFlags, WithBit(flags, day));
    return true;
}

bool SimulatedServer::ActivityReward(PlayerInfo& player, int tier) {
    const std::string request = "MsgActivityReward tier " + std::to_string(tier);
    if (!config_.HasActivityReward(tier)) return Refuse(request, "the tier is not configured");
    if (tier < 1 || tier > 4) return Refuse(request, "only tiers 1..4 can be recorded");
    const int key = qrn::KeyActivityRewardTaken - 1 + tier;
    if (Value(player, key) > 0) return Refuse(request, "already taken");
    const int required = config_.GetActivityReward(tier).ActivityValue;
    if (player.GetActivityValue() < required) {
        return Refuse(request, "activity value " + std::to_string(player.GetActivityValue()) + " is below " + std::to_string(required));
    }
    transcript_.Line(Transcript::Kind::Server, "grants " + request);
    SetValue(player, key, 1);
    return true;
}

bool SimulatedServer::SignInReward(PlayerInfo& player, int index, int item) {
    const std::string request = "MsgSignInReward " + std::to_string(index) + " item " + std::to_string(item);
    if (!config_.HasSignInReward(index)) return Refuse(request, "the reward is not configured");
    const _SignInReward& reward = config_.GetSignInReward(index);
    if (item < 0 || static_cast<size_t>(item) >= reward.ItemRewardList.size()) return Refuse(request, "no such item");
    if (index < 1 || index > 5) return Refuse(request, "only rewards 1..5 can be recorded");
    if (item + 1 > 63) return Refuse(request, "the item cannot be recorded");
    const int key = qrn::KeySignInRewardTaken - 1 + index;
    const long long taken = Value(player, key);
    if (Bit(taken, item + 1)) return Refuse(request, "already taken");
    int count = 0;
    for (int day = 1; day <= 31; ++day) count += Bit(Value(player, qrn::KeySignInFlags), day);
    if (count < reward.SignInNum) {
        return Refuse(request, std::to_string(count) + " sign-ins, " + std::to_string(reward.SignInNum) + " required");
    }
    transcript_.Line(Transcript::Kind::Server, "grants " + request);
    SetValue(player, key, WithBit(taken, item + 1));
    return true;
}

bool SimulatedServer::HolidayAward(PlayerInfo& player, int index) {
    const std::string request = "MsgHolidayAward " + std::to_string(index);
    if (!host_.lua.Holiday()) return Refuse(request, "today is no holiday");
    if (!host_.lua.Have(index)) return Refuse(request, "today's holiday has no award " + std::to_string(index));
    const long long now = host_.clock.Now();
    std::tm last{}, today{};
    if (platform::LocalTime(Value(player, qrn::KeyHolidayAwardTime), last) && platform::LocalTime(now, today) &&
        last.tm_year == today.tm_year && last.tm_yday == today.tm_yday) {
        return Refuse(request, "a holiday award was already taken today");
    }
    if (index + 1LL < 0 || index + 1LL > 63) return Refuse(request, "the award cannot be recorded");
    const long long taken = Value(player, qrn::KeyHolidayAwardTaken);
    if (Bit(taken, index + 1)) return Refuse(request, "already taken");
    transcript_.Line(Transcript::Kind::Server, "grants " + request);
    SetValue(player, qrn::KeyHolidayAwardTime, now);
    SetValue(player, qrn::KeyHolidayAwardTaken, WithBit(taken, index + 1));
    return true;
}

}  // namespace host
