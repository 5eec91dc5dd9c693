// The daily activity rules read from config\DailyActivity\Config.xml: how much a completion
// threshold of an activity type is worth, the activity reward tiers and the sign-in rewards.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "DailyActivity/DailyActivityTypes.h"
#include "zor/String.h"

class TiXmlDocument;

class DailyActivityConfig {
public:
    // The configuration file, relative to the game directory (or to the resource pack).
    static const zor::String& FileName();

    // A problem found while reading, where it was found (row and column from 1; 0 when
    // unknown).
    struct Problem {
        std::string message;
        int row = 0;
        int column = 0;
    };

    // Where each stored entry stands in the file (the later one of a repeated key), for tools
    // that point at it.
    struct Place {
        int row = 0;
        int column = 0;
    };
    struct Places {
        std::map<std::pair<int, int>, Place> daily;        // by (Type, CompleteNum)
        std::map<int, Place> tiers;                         // by Index
        std::map<int, Place> signInRewards;                 // by Index
        std::map<std::pair<int, int>, Place> signInItems;   // by (Index, item position)
    };

    DailyActivityConfig() = default;
    ~DailyActivityConfig() = default;

    // Where LoadConfig reads FileName(): under the host's configuration directory, or as a
    // pack-relative name when the resource pack is active.
    static std::string ConfigPath();

    // Reads FileName() into the tables. False at the first error, which is logged; what was
    // stored before it stays. A second load merges into the tables.
    bool LoadConfig();
    // The same for another file. With problems given, the load goes on past errors: an entry
    // in error is left out, every problem is recorded, and the result tells whether there was
    // none. With places given, where each stored entry stands is recorded too.
    bool LoadConfigFile(const zor::String& fileName, std::vector<Problem>* problems = nullptr, Places* places = nullptr);
    // The tables of a document already loaded, with the same checks.
    bool LoadConfigDocument(const TiXmlDocument& document, std::vector<Problem>* problems = nullptr,
                            Places* places = nullptr);

    // True, with rewardScore set, when the table has key.
    bool FindDailyActivity(const _DailyActivityKey& key, int& rewardScore) const;
    bool HasActivityReward(const int& index) const;
    // The entry, or the shared empty entry when there is none.
    const _ActivityReward& GetActivityReward(const int& index) const;
    bool HasSignInReward(const int& index) const;
    const _SignInReward& GetSignInReward(const int& index) const;

    // The shared empty entries: default-constructed on first use.
    static const _ActivityReward& EmptyActivityReward();
    static const _SignInReward& EmptySignInReward();

    // Read access for tools.
    const std::unordered_map<_DailyActivityKey, int, _DailyActivityKeyHash>& DailyActivities() const { return daily_; }
    const std::unordered_map<int, _ActivityReward>& ActivityRewards() const { return activityRewards_; }
    const std::unordered_map<int, _SignInReward>& SignInRewards() const { return signInRewards_; }

private:
    struct Reader;
    // Loads path; a failure to load is logged as "<name> load fail!".
    bool Load(const std::string& path, const zor::String& name, std::vector<Problem>* problems, Places* places);

    std::unordered_map<_DailyActivityKey, int, _DailyActivityKeyHash> daily_;
    std::unordered_map<int, _ActivityReward> activityRewards_;
    std::unordered_map<int, _SignInReward> signInRewards_;
};
