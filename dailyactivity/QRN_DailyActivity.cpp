#include "dailyactivity/QRN_DailyActivity.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

#include "DailyActivity/DAMsg.pb.h"
#include "dailyactivity/ClaimLimits.h"
#include "event/LuaCall.h"
#include "hostapi/HostContainerIds.h"
#include "hostapi/IClock.h"
#include "zor/Log.h"

namespace {

using qrn::DailyActivityModuleID;

constexpr const char* kIsHoliday = "HolidaySys.ActivityAward.IsHoliday";
constexpr const char* kIsHave = "HolidaySys.ActivityAward.IsHave";

using claim::IsBitSet;

// One check of a rule. When it fails and a reason is asked for, the reason is made.
template <class Reason>
bool Check(bool passes, std::string* why, Reason&& reason) {
    if (!passes && why) *why = reason();
    return passes;
}

std::string Str(long long n) { return std::to_string(n); }

// False when two instants lie too far apart to fall on one local calendar day: a local day
// lasts 24 hours of local time, and a zone's offset moves by far less than two days between
// two instants (summer time, or a zone skipping a whole day). Saves both conversions for the
// usual stamp, taken days ago or never.
bool MayBeSameLocalDay(__int64 a, __int64 b) {
    constexpr uint64_t kFar = 3 * 86400;
    const uint64_t distance = a > b ? static_cast<uint64_t>(a) - static_cast<uint64_t>(b)
                                    : static_cast<uint64_t>(b) - static_cast<uint64_t>(a);
    return distance < kFar;
}

bool IsEmptyEntry(const _ActivityReward& e) {
    return e.ActivityValue == 0 && e.RewardMoney == 0 && e.RewardBindMoney == 0 && e.RewardItemNum == 0 &&
           e.RewardItemList.empty();
}

bool IsEmptyEntry(const _SignInReward& e) { return e.SignInNum == 0 && e.ItemRewardList.empty(); }

}  // namespace

template <void (QRN_DailyActivity::*Handler)(ISender*, const NetMsg*)>
struct QRN_DailyActivity::LinkedHandler {
    LinkRef link;
    void operator()(ISender* sender, const NetMsg* msg) const {
        if (QRN_DailyActivity* service = link->service) (service->*Handler)(sender, msg);
    }
    bool operator==(const LinkedHandler& other) const { return link.get() == other.link.get(); }
};

QRN_DailyActivity::QRN_DailyActivity() : link_(new Link()) {}

QRN_DailyActivity::~QRN_DailyActivity() { Detach(); }

bool QRN_DailyActivity::RegisterMessageHandlers() {
    dispatcher_.Register(qrn::MsgDailyActivity, MsgHandler(LinkedHandler<&QRN_DailyActivity::OnDailyActivityMsg>{link_}));
    dispatcher_.Register(qrn::MsgClear, MsgHandler(LinkedHandler<&QRN_DailyActivity::OnClearMsg>{link_}));
    dispatcher_.Register(qrn::MsgActivityReward, MsgHandler(LinkedHandler<&QRN_DailyActivity::OnActivityRewardMsg>{link_}));
    dispatcher_.Register(qrn::MsgValue64, MsgHandler(LinkedHandler<&QRN_DailyActivity::OnValue64Msg>{link_}));
    return true;
}

void QRN_DailyActivity::UnregisterMessageHandlers() {
    dispatcher_.Unregister(qrn::MsgDailyActivity);
    dispatcher_.Unregister(qrn::MsgClear);
    dispatcher_.Unregister(qrn::MsgActivityReward);
    dispatcher_.Unregister(qrn::MsgValue64);
}

zor::Function<void()> QRN_DailyActivity::ResetHandler() {
    return zor::Function<void()>(zor::bind_n::bind(&QRN_DailyActivity::OnRoleSystemReset, this));
}

zor::Function<void(qrn::IRole*)> QRN_DailyActivity::RoleHandler() {
    return zor::Function<void(qrn::IRole*)>(zor::bind_n::bind(&QRN_DailyActivity::OnRoleSignal, this));
}

bool QRN_DailyActivity::OnPrepareStart() {
    started_ = false;
    try {
        QuerySiblingContainer<qrn::IGameServerClient>(gameServerClient_, qrn::kGameServerClientID, true);
        QuerySiblingContainer<qrn::IRoleSystem>(roleSystem_, qrn::kRoleSystemID, true);
        roleSystem_->ResetSignal += ResetHandler();
        roleSystem_->RoleSignal += RoleHandler();
        connected_ = true;
        // Messages reach the service from here on, through a registration made now or kept
        // by the host from an earlier start.
        link_->service = this;
        // The host keeps a copy: later changes of the own dispatcher do not reach it.
        qrn::ModuleHandler handler{MsgDispatcher(dispatcher_)};
        if (gameServerClient_->ModuleDispatcher.RegisterModule(DailyActivityModuleID, handler)) {
            moduleHandler_ = handler;
        }
        if (!config_.LoadConfig()) return false;
    } catch (const zor::String& message) {
        zor::WriteLog(static_cast<const std::string&>(message));
        return false;
    }
    started_ = true;
    return true;
}

bool QRN_DailyActivity::OnStart() { return true; }

void QRN_DailyActivity::OnShutdown() { Detach(); }

void QRN_DailyActivity::Detach() {
    started_ = false;
    link_->service = nullptr;
    if (connected_ && roleSystem_) {
        roleSystem_->ResetSignal -= ResetHandler();
        roleSystem_->RoleSignal -= RoleHandler();
    }
    connected_ = false;
    if (!moduleHandler_.IsEmpty() && gameServerClient_) {
        // A host without the withdrawal keeps the registration (and must stop delivering).
        if (auto* withdrawal = dynamic_cast<qrn::IModuleWithdrawal*>(gameServerClient_)) {
            withdrawal->WithdrawModule(DailyActivityModuleID, moduleHandler_);
        }
    }
    moduleHandler_ = qrn::ModuleHandler();
}

void QRN_DailyActivity::OnDailyActivityMsg(ISender* sender, const NetMsg* msg) {
    if (!sender || !msg) return;
    // Read out before the signal: a slot may deliver another message.
    if (!NetMsgChunkCast(received_, msg, 0)) return;
    record_.SetCompleteNum(received_.temptype(), received_.completenum());
    if (received_.isover()) OnDataChanged.Emit();
}

void QRN_DailyActivity::OnClearMsg(ISender* sender, const NetMsg* msg) {
    if (!sender || !msg) return;
    record_.Clear();
    OnDataChanged.Emit();
}

void QRN_DailyActivity::OnActivityRewardMsg(ISender* sender, const NetMsg* msg) {
    if (!sender || !msg) return;
    int value = 0;
    if (!VerifyChunk(value, msg->FindChunk(qrn::MsgActivityReward))) return;
    OnActivityRewardNotice.Emit(value);
}

void QRN_DailyActivity::OnValue64Msg(ISender* sender, const NetMsg* msg) {
    if (!sender || !msg) return;
    __int64 value = 0;
    if (!VerifyChunk(value, msg->FindChunk(qrn::MsgValue64))) return;
    OnValue64Notice.Emit(value);
}

void QRN_DailyActivity::OnRoleSystemReset() { record_.Clear(); }

void QRN_DailyActivity::OnRoleSignal(qrn::IRole* role) {
    if (!roleSystem_) return;
    zor::ObjectPtrT<qrn::IRole> main = roleSystem_->GetMainRole();
    if (role == main.Get()) record_.Clear();
}

QRN_DailyActivity::MainPlayer QRN_DailyActivity::GetMainPlayerInfo() {
    MainPlayer player;
    if (!started_ || !roleSystem_) return player;
    player.role = roleSystem_->GetMainRole();
    if (!player.role) return player;
    IEntityObject* component = player.role->GetComponent(qrn::IRole::kPlayerInfoComponent);
    player.info = playerInfoCast_(component);
    return player;
}

std::string QRN_DailyActivity::NoPlayerReason() {
    if (!started_ || !roleSystem_) return "the service has not started";
    zor::ObjectPtrT<qrn::IRole> role = roleSystem_->GetMainRole();
    if (!role) return "no main role";
    return "the main role has no player info (component 17)";
}

bool QRN_DailyActivity::IsRewardTaken(int key, int n, const MainPlayer& player) {
    if (key < claim::TierKey(claim::kFirstTier) || key > claim::SignInRewardKey(claim::kLastSignInReward)) return true;
    if (!player.info) return true;
    const __int64 value = player.info->GetValue(key);
    if (key <= claim::TierKey(claim::kLastTier)) return value > 0;
    return IsBitSet(value, static_cast<long long>(n) + 1);
}

bool QRN_DailyActivity::IsSignedInOnDay(int day) { return IsBitSet(GetSignInFlags(), day); }

IRoleDailyActivityInfo* QRN_DailyActivity::GetRoleDailyActivityInfo() { return &record_; }

const _ActivityReward& QRN_DailyActivity::GetActivityReward(const int& index) {
    return config_.GetActivityReward(index);
}

const _SignInReward& QRN_DailyActivity::GetSignInReward(const int& index) { return config_.GetSignInReward(index); }

__int64 QRN_DailyActivity::GetSignInFlags() {
    MainPlayer player = GetMainPlayerInfo();
    return player.info ? player.info->GetValue(qrn::KeySignInFlags) : 0;
}

int QRN_DailyActivity::GetSignInCount() {
    int count = 0;
    for (int day = claim::kFirstCountedDay; day <= claim::kLastCountedDay; ++day) {
        if (IsSignedInOnDay(day)) ++count;
    }
    return count;
}

bool QRN_DailyActivity::CheckSignIn(std::string* why) {
    const __int64 now = qrn::GetClock().Now();
    std::tm local{};
    if (!Check(platform::LocalTime(now, local), why,
               [&] { return "the current time " + Str(now) + " cannot be converted to local time"; })) {
        return false;
    }
    const int day = local.tm_mday;
    return Check(!IsSignedInOnDay(day), why, [&] {
        return "already signed in today (day " + Str(day) + " is set in the sign-in flags, role value 32)";
    });
}

bool QRN_DailyActivity::CheckActivityReward(const int& index, std::string* why) {
    const _ActivityReward& entry = GetActivityReward(index);
    if (!Check(!IsEmptyEntry(entry), why, [&] { return "tier " + Str(index) + " is not configured"; })) return false;
    if (!Check(claim::IsTier(index), why, [&] {
            return "tier " + Str(index) + " has no role value to record it (tiers " + Str(claim::kFirstTier) + ".." +
                   Str(claim::kLastTier) + " only)";
        })) {
        return false;
    }
    const int key = claim::TierKey(index);
    MainPlayer player = GetMainPlayerInfo();
    if (!Check(!IsRewardTaken(key, -1, player), why, [&] {
            return player.info ? "tier " + Str(index) + " was already taken (role value " + Str(key) + " is " +
                                     Str(player.info->GetValue(key)) + ")"
                               : NoPlayerReason();
        })) {
        return false;
    }
    if (!Check(player.info != nullptr, why, [&] { return NoPlayerReason(); })) return false;
    const int value = player.info->GetActivityValue();
    return Check(value >= entry.ActivityValue, why, [&] {
        return "tier " + Str(index) + ": activity value " + Str(value) + " is below the " + Str(entry.ActivityValue) +
               " required";
    });
}

bool QRN_DailyActivity::CheckSignInReward(const int& index, const int& item, std::string* why) {
    const _SignInReward& entry = GetSignInReward(index);
    if (!Check(!IsEmptyEntry(entry), why, [&] { return "sign-in reward " + Str(index) + " is not configured"; })) {
        return false;
    }
    const size_t items = entry.ItemRewardList.size();
    if (!Check(item >= 0 && static_cast<size_t>(item) < items, why, [&] {
            return "sign-in reward " + Str(index) + " has no item " + Str(item) + " (items 0.." +
                   Str(static_cast<long long>(items) - 1) + ")";
        })) {
        return false;
    }
    if (!Check(claim::IsSignInReward(index), why, [&] {
            return "sign-in reward " + Str(index) + " has no role value to record it (rewards " +
                   Str(claim::kFirstSignInReward) + ".." + Str(claim::kLastSignInReward) + " only)";
        })) {
        return false;
    }
    const int key = claim::SignInRewardKey(index);
    MainPlayer player = GetMainPlayerInfo();
    if (!Check(!IsRewardTaken(key, item, player), why, [&] {
            return player.info ? "item " + Str(item) + " of sign-in reward " + Str(index) +
                                     " was already taken (bit " + Str(item + 1LL) + " of role value " + Str(key) +
                                     " is set)"
                               : NoPlayerReason();
        })) {
        return false;
    }
    if (!Check(player.info != nullptr, why, [&] { return NoPlayerReason(); })) return false;
    const int count = GetSignInCount();
    return Check(count >= entry.SignInNum, why, [&] {
        return "sign-in reward " + Str(index) + ": " + Str(count) + " sign-ins are below the " +
               Str(entry.SignInNum) + " required";
    });
}

bool QRN_DailyActivity::CheckHolidayAward(const int& index, std::string* why) {
    MainPlayer player = GetMainPlayerInfo();
    if (!Check(player.info != nullptr, why, [&] { return NoPlayerReason(); })) return false;
    {
        zor::ObjectPtrT<zor::lua::VM> vm = zor::lua::GetVM();
        if (!Check(static_cast<bool>(vm), why, [] { return "no Lua virtual machine"; })) return false;
        if (!Check(vm->CallFunction<bool>(kIsHoliday), why,
                   [] { return std::string(kIsHoliday) + "() did not return true"; })) {
            return false;
        }
        if (!Check(vm->CallFunction<bool>(kIsHave, index), why,
                   [&] { return std::string(kIsHave) + "(" + Str(index) + ") did not return true"; })) {
            return false;
        }
    }
    // Taken today: role value 19 falls on today's local calendar day. A stamp that cannot be
    // converted never counts as today.
    const __int64 stamp = player.info->GetValue(qrn::KeyHolidayAwardTime);
    const __int64 now = qrn::GetClock().Now();
    std::tm taken{}, today{};
    const bool sameDay = MayBeSameLocalDay(stamp, now) && platform::LocalTime(stamp, taken) &&
                         platform::LocalTime(now, today) && taken.tm_year == today.tm_year &&
                         taken.tm_yday == today.tm_yday;
    if (!Check(!sameDay, why, [&] {
            return "a holiday award was already taken today (role value 19 is " + platform::LocalTimeText(taken) + " local time)";
        })) {
        return false;
    }
    const __int64 flags = player.info->GetValue(qrn::KeyHolidayAwardTaken);
    return Check(!IsBitSet(flags, static_cast<long long>(index) + 1), why, [&] {
        return "holiday award " + Str(index) + " was already taken (bit " + Str(index + 1LL) + " of role value 47 is set)";
    });
}

bool QRN_DailyActivity::CanSignIn() { return CheckSignIn(nullptr); }
bool QRN_DailyActivity::CanTakeActivityReward(const int& index) { return CheckActivityReward(index, nullptr); }
bool QRN_DailyActivity::CanTakeSignInReward(const int& index, const int& item) {
    return CheckSignInReward(index, item, nullptr);
}
bool QRN_DailyActivity::CanTakeHolidayAward(const int& index) { return CheckHolidayAward(index, nullptr); }

namespace {
// The first failing check of a rule, or "" when it passes.
template <class Rule>
std::string Explain(Rule&& rule) {
    std::string why;
    return rule(&why) ? std::string() : why;
}
}  // namespace

std::string QRN_DailyActivity::ExplainSignIn() {
    return Explain([&](std::string* why) { return CheckSignIn(why); });
}
std::string QRN_DailyActivity::ExplainActivityReward(const int& index) {
    return Explain([&](std::string* why) { return CheckActivityReward(index, why); });
}
std::string QRN_DailyActivity::ExplainSignInReward(const int& index, const int& item) {
    return Explain([&](std::string* why) { return CheckSignInReward(index, item, why); });
}
std::string QRN_DailyActivity::ExplainHolidayAward(const int& index) {
    return Explain([&](std::string* why) { return CheckHolidayAward(index, why); });
}

namespace {
template <class Table>
std::vector<int> SortedIndexes(const Table& table) {
    std::vector<int> indexes;
    indexes.reserve(table.size());
    for (const auto& entry : table) indexes.push_back(entry.first);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}
}  // namespace

std::vector<int> QRN_DailyActivity::GetActivityRewardIndexes() { return SortedIndexes(config_.ActivityRewards()); }
std::vector<int> QRN_DailyActivity::GetSignInRewardIndexes() { return SortedIndexes(config_.SignInRewards()); }

bool QRN_DailyActivity::SendRequest(unsigned short msgId, std::initializer_list<std::pair<uint16_t, int>> chunks) {
    if (!started_ || !gameServerClient_) return false;
    NetMsg msg(DailyActivityModuleID, msgId);
    for (const auto& chunk : chunks) msg.AddChunk(&chunk.second, static_cast<int>(sizeof(int)), chunk.first);
    return gameServerClient_->SendMsg(msg);
}

bool QRN_DailyActivity::RequestSignIn() {
    if (!CanSignIn()) return false;
    return SendRequest(qrn::MsgSignIn, {});
}

bool QRN_DailyActivity::RequestActivityReward(const int& index) {
    if (!CanTakeActivityReward(index)) return false;
    return SendRequest(qrn::MsgActivityReward, {{3, index}});
}

bool QRN_DailyActivity::RequestSignInReward(const int& index, const int& item) {
    if (!CanTakeSignInReward(index, item)) return false;
    return SendRequest(qrn::MsgSignInReward, {{4, index}, {5, item}});
}

bool QRN_DailyActivity::RequestHolidayAward(const int& index) {
    if (!CanTakeHolidayAward(index)) return false;
    return SendRequest(qrn::MsgHolidayAward, {{5, index}});
}

bool QRN_DailyActivity::RequestValue64() { return SendRequest(qrn::MsgValue64, {}); }
