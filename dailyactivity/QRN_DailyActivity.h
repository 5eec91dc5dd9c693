// The daily activity service: the module's one plugin container. It keeps the main role's
// completion counts as the game server reports them (module 69), tells other plugins about
// changes through the signals of qrn::IDailyActivity, and answers their claim pre-checks and
// requests from the host's role values, the configuration and the host's Lua scripts.
#pragma once

#include <string>

#include "DailyActivity/DAMsg.pb.h"
#include "DailyActivity/IDailyActivity.h"
#include "DailyActivity/IDailyActivityExplain.h"
#include "DailyActivity/IDailyActivityRewardList.h"
#include "dailyactivity/DailyActivityConfig.h"
#include "dailyactivity/RoleDailyActivityInfo.h"
#include "event/Dispatcher.h"
#include "plugin/CastMemo.h"
#include "hostapi/IGameServerClient.h"
#include "hostapi/IPlayerInfo.h"
#include "hostapi/IRoleSystem.h"

class QRN_DailyActivity : public qrn::IDailyActivity,
                          public qrn::IDailyActivityExplain,
                          public qrn::IDailyActivityRewardList {
public:
    QRN_DailyActivity();
    // Takes back what a start set up with the host, if the host did not shut the tree down.
    ~QRN_DailyActivity() override;

    // Own dispatcher: ids 0, 1, 3, 6 -> the four message handlers. Always true.
    bool RegisterMessageHandlers();
    // Removes ids 0, 1, 3, 6 from the own dispatcher.
    void UnregisterMessageHandlers();

    // Start: finds the game server client and the role system, connects to the role system's
    // signals, registers a copy of the own dispatcher for module 69 and loads the
    // configuration. False stops the start; what was done stays until the shutdown.
    bool OnPrepareStart() override;
    bool OnStart() override;
    // Disconnects from the role system and withdraws the module 69 registration (where the
    // game server client allows it), so that nothing of the host reaches a released service.
    void OnShutdown() override;

    // Handlers of the server's messages of module 69.
    void OnDailyActivityMsg(ISender* sender, const NetMsg* msg);
    void OnClearMsg(ISender* sender, const NetMsg* msg);
    void OnActivityRewardMsg(ISender* sender, const NetMsg* msg);
    void OnValue64Msg(ISender* sender, const NetMsg* msg);
    // Handlers of the role system's signals: both empty the record, without notice.
    void OnRoleSystemReset();
    void OnRoleSignal(qrn::IRole* role);

    // qrn::IDailyActivity
    IRoleDailyActivityInfo* GetRoleDailyActivityInfo() override;
    bool CanSignIn() override;
    bool RequestSignIn() override;
    bool CanTakeActivityReward(const int& index) override;
    bool RequestActivityReward(const int& index) override;
    const _ActivityReward& GetActivityReward(const int& index) override;
    __int64 GetSignInFlags() override;
    int GetSignInCount() override;
    bool CanTakeSignInReward(const int& index, const int& item) override;
    bool RequestSignInReward(const int& index, const int& item) override;
    const _SignInReward& GetSignInReward(const int& index) override;
    bool CanTakeHolidayAward(const int& index) override;
    bool RequestHolidayAward(const int& index) override;
    bool RequestValue64() override;

    // qrn::IDailyActivityExplain
    std::string ExplainSignIn() override;
    std::string ExplainActivityReward(const int& index) override;
    std::string ExplainSignInReward(const int& index, const int& item) override;
    std::string ExplainHolidayAward(const int& index) override;

    // qrn::IDailyActivityRewardList
    std::vector<int> GetActivityRewardIndexes() override;
    std::vector<int> GetSignInRewardIndexes() override;

private:
    // The main role with its player info; info is null when there is none. The handle keeps
    // the role alive while the info is used.
    struct MainPlayer {
        zor::ObjectPtrT<qrn::IRole> role;
        qrn::IPlayerInfo* info = nullptr;
    };
    MainPlayer GetMainPlayerInfo();
    // Why GetMainPlayerInfo finds none, in words.
    std::string NoPlayerReason();
    // Whether a reward was taken: keys 34..37 when above 0, keys 38..42 when bit n+1 is set.
    // Any other key, or no main role, counts as taken. player: the caller's look-up of the
    // main player, made once per operation.
    bool IsRewardTaken(int key, int n, const MainPlayer& player);
    bool IsSignedInOnDay(int day);

    // The rules, each as its ordered checks. why, when given, receives the first failing
    // check in words; the answer is the same with or without it.
    bool CheckSignIn(std::string* why);
    bool CheckActivityReward(const int& index, std::string* why);
    bool CheckSignInReward(const int& index, const int& item, std::string* why);
    bool CheckHolidayAward(const int& index, std::string* why);

    // Sends one request of module 69 with 4-byte int chunks {id, value}, in order. False,
    // with nothing sent, unless the service has started.
    bool SendRequest(unsigned short msgId, std::initializer_list<std::pair<uint16_t, int>> chunks);

    // The message handlers reach the service through a link that it clears at its shutdown and
    // destruction: the host keeps a copy of the dispatcher, and a host that cannot withdraw it
    // then delivers to nothing instead of to a stopped or freed service.
    // Counted without atomics and without calls out of the module: the handlers are copied on
    // every dispatch, and they all run on the host's one thread.
    struct Link {
        QRN_DailyActivity* service = nullptr;
        int refs = 0;
    };
    class LinkRef {
    public:
        explicit LinkRef(Link* link) : link_(link) { ++link_->refs; }
        LinkRef(const LinkRef& other) : link_(other.link_) { ++link_->refs; }
        LinkRef& operator=(const LinkRef& other) {
            ++other.link_->refs;
            Drop();
            link_ = other.link_;
            return *this;
        }
        ~LinkRef() { Drop(); }
        Link* operator->() const { return link_; }
        Link* get() const { return link_; }

    private:
        void Drop() {
            if (--link_->refs == 0) delete link_;
        }
        Link* link_;  // never null
    };
    template <void (QRN_DailyActivity::*Handler)(ISender*, const NetMsg*)>
    struct LinkedHandler;

    zor::Function<void()> ResetHandler();
    zor::Function<void(qrn::IRole*)> RoleHandler();
    void Detach();

    RoleDailyActivityInfo record_;
    MsgDispatcher dispatcher_;
    qrn::IGameServerClient* gameServerClient_ = nullptr;  // sibling, not owned; set at start
    qrn::IRoleSystem* roleSystem_ = nullptr;              // sibling, not owned; set at start
    DailyActivityConfig config_;

    bool started_ = false;                // the last start succeeded and no shutdown followed
    bool connected_ = false;              // our handlers are connected to roleSystem_
    qrn::ModuleHandler moduleHandler_;    // what we registered for module 69, while registered
    LinkRef link_;                        // shared with every copy of the message handlers
    zor::CastMemo<qrn::IPlayerInfo, IEntityObject> playerInfoCast_;  // the main role's component 17
    DAMsg::DailyActivity received_;  // message 0 as last parsed (each parse starts afresh)
};
