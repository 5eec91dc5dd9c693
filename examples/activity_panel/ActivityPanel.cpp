// The daily activity panel: shows the main role's counts and what may be claimed now. At start
// it finds the daily activity service in the container tree, listens to its three signals, and
// on each writes one line: the counts, then every configured tier and sign-in item, claimable
// or with the reason why not.
#include <algorithm>
#include <string>
#include <vector>

#include "DailyActivity/IDailyActivity.h"
#include "DailyActivity/IDailyActivityExplain.h"
#include "DailyActivity/IDailyActivityRewardList.h"
#include "hostapi/HostContainerIds.h"
#include "plugin/PluginEntry.h"

namespace {

// Our own container id.
constexpr GUID kActivityPanelID = {0x3F0C2A61, 0x7D14, 0x4E52, {0x9B, 0x0A, 0x51, 0x6E, 0x22, 0xC4, 0x8D, 0x17}};
// Activity types are 0..22 in the daily activity configuration.
constexpr int kActivityTypes = 23;

class ActivityPanel : public IPluginContainer {
public:
    const std::type_info& GetInterfaceType() const override { return typeid(ActivityPanel); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return kActivityPanelID; }

    bool OnStart() override {
        // The service prepared its start before any container starts: it is there to find.
        if (!QuerySiblingContainer<qrn::IDailyActivity>(service_, qrn::kDailyActivityServiceID, false)) {
            LogText<2>("[panel] no daily activity service: the panel stays empty");
            return true;
        }
        explain_ = dynamic_cast<qrn::IDailyActivityExplain*>(service_);
        rewards_ = dynamic_cast<qrn::IDailyActivityRewardList*>(service_);
        service_->OnDataChanged += zor::bind_n::bind(&ActivityPanel::OnDataChanged, this);
        service_->OnActivityRewardNotice += zor::bind_n::bind(&ActivityPanel::OnRewardNotice, this);
        service_->OnValue64Notice += zor::bind_n::bind(&ActivityPanel::OnValue64, this);
        Show("started");
        return true;
    }

    void OnShutdown() override {
        if (!service_) return;
        service_->OnDataChanged -= zor::bind_n::bind(&ActivityPanel::OnDataChanged, this);
        service_->OnActivityRewardNotice -= zor::bind_n::bind(&ActivityPanel::OnRewardNotice, this);
        service_->OnValue64Notice -= zor::bind_n::bind(&ActivityPanel::OnValue64, this);
        service_ = nullptr;
        explain_ = nullptr;
        rewards_ = nullptr;
    }

private:
    void OnDataChanged() { Show("data changed"); }
    void OnRewardNotice(int tier) { Show("the server granted tier " + std::to_string(tier)); }
    void OnValue64(__int64 value) { Show("value " + std::to_string(value)); }

    // "yes", or "no (reason)".
    static std::string Verdict(bool can, const std::string& why) { return can ? "yes" : "no (" + why + ")"; }

    void Show(const std::string& event) {
        std::string line = "[panel] " + event + "; counts:";
        for (int type = 0; type < kActivityTypes; ++type) {
            int count = 0;
            service_->GetRoleDailyActivityInfo()->GetCompleteNum(type, count);
            if (count > 0) line += " " + std::to_string(type) + "=" + std::to_string(count);
        }
        line += "; tiers:";
        const std::vector<int> tiers = rewards_ ? rewards_->GetActivityRewardIndexes() : std::vector<int>();
        for (const int tier : tiers) {
            const std::string why = explain_ ? explain_->ExplainActivityReward(tier) : "";
            line += " " + std::to_string(tier) + " " + Verdict(service_->CanTakeActivityReward(tier), why);
        }
        line += "; sign-in (" + std::to_string(service_->GetSignInCount()) + " days):";
        const std::vector<int> signIns = rewards_ ? rewards_->GetSignInRewardIndexes() : std::vector<int>();
        for (const int index : signIns) {
            // One verdict for a reward whose items all answer alike, else one per item.
            const int items = static_cast<int>(service_->GetSignInReward(index).ItemRewardList.size());
            std::vector<std::string> verdicts;
            for (int item = 0; item < items; ++item) {
                const std::string why = explain_ ? explain_->ExplainSignInReward(index, item) : "";
                verdicts.push_back(Verdict(service_->CanTakeSignInReward(index, item), why));
            }
            if (std::all_of(verdicts.begin(), verdicts.end(), [&](const std::string& v) { return v == verdicts[0]; })) {
                if (!verdicts.empty()) line += " " + std::to_string(index) + " " + verdicts[0];
                continue;
            }
            for (int item = 0; item < items; ++item) {
                line += " " + std::to_string(index) + "." + std::to_string(item) + " " + verdicts[item];
            }
        }
        LogText<2>(line.c_str());
    }

    qrn::IDailyActivity* service_ = nullptr;        // a sibling, not owned; while started
    qrn::IDailyActivityExplain* explain_ = nullptr;  // the same object, when it explains
    qrn::IDailyActivityRewardList* rewards_ = nullptr;  // the same object, when it lists its rewards
};

bool IsHostParent(IPluginContainer* parent) { return parent && parent->GetContainerID() == qrn::kPluginParentID; }

}  // namespace

bool InitPlugin() { return true; }

bool ReleasePlugin() { return true; }

bool InitPluginContainer(IPluginContainer* parent) {
    if (!IsHostParent(parent)) return true;
    auto* panel = new ActivityPanel();
    if (!parent->RegisterChildContainer(panel)) delete panel;
    return true;
}

void ReleasePluginContainer(IPluginContainer* parent) {
    if (!IsHostParent(parent)) return;
    IPluginContainer* panel = parent->FindChildContainer(kActivityPanelID);
    if (!panel) return;
    parent->UnregisterChildContainer(panel);
    delete panel;
}
