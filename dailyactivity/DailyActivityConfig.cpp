#include "dailyactivity/DailyActivityConfig.h"

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "logging/SafeFormat.h"
#include "resource/ResourcePack.h"
#include "resource/XmlDocument.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace {

// An element's attributes by name, as TiXmlElement::Attribute finds them. A search starts
// after the attribute found last and wraps around: entries list their attributes in the order
// they are read, so each is found at the first try.
class Attributes {
public:
    explicit Attributes(const TiXmlElement* element) : first_(element->FirstAttribute()), next_(first_) {}

    // The value of the attribute called name, or null.
    template <size_t N>
    const char* Get(const char (&name)[N]) {
        const TiXmlAttribute* start = next_ ? next_ : first_;
        for (const TiXmlAttribute* a = start; a;) {
            const std::string& held = a->NameTStr();
            if (held.size() == N - 1 && std::memcmp(held.data(), name, N - 1) == 0) {
                next_ = a->Next();
                return a->Value();
            }
            a = a->Next() ? a->Next() : first_;
            if (a == start) break;
        }
        return nullptr;
    }

private:
    const TiXmlAttribute* first_;
    const TiXmlAttribute* next_;
};

// Leaves target as it is when the attribute is absent or holds no number.
template <size_t N>
void ReadInt(Attributes& attributes, const char (&name)[N], int& target) {
    platform::ScanInt(attributes.Get(name), target);
}

// The ids of a RewardItemTemplateID text: what splitting it at every "," (empty pieces left
// out) and converting each piece with _atoi64 gives, read in place. _atoi64 stops at the first
// character that is no digit, so it never reads past its piece's comma.
void ReadIds(const char* text, zor::vector<__int64>& ids) {
    if (!text) return;
    size_t pieces = 0;
    for (const char* p = text; *p; ++p) {
        if (*p != ',' && (p == text || p[-1] == ',')) ++pieces;
    }
    ids.reserve(ids.size() + pieces);
    for (const char* p = text; *p;) {
        if (*p == ',') {
            ++p;
            continue;
        }
        ids.push_back(_atoi64(p));
        const char* comma = std::strchr(p, ',');
        if (!comma) break;
        p = comma + 1;
    }
}

}  // namespace

// One load: the CompleteNum and RewardScore holders live as long as the load.
struct DailyActivityConfig::Reader {
    Reader(DailyActivityConfig& target, std::vector<Problem>* collected, Places* placed)
        : config(target), problems(collected), places(placed ? placed : (collected ? &ownPlaces : nullptr)) {}

    DailyActivityConfig& config;
    std::vector<Problem>* problems;  // null: stop at the first error
    Places* places;                  // null: not asked for (nor needed for advice)
    Places ownPlaces;
    int completeNum = 0;
    int rewardScore = 0;
    bool clean = true;
    bool stop = false;

    void Report(const TiXmlElement* where, const char* message) {
        zor::WriteLog(message);
        if (problems) problems->push_back(Problem{message, where->Row(), where->Column()});
    }
    // Advice for designers only (the checker): never logged, never a failure of the load.
    void Advise(const TiXmlElement* where, const std::string& message) {
        if (problems) problems->push_back(Problem{"Warning:" + message, where->Row(), where->Column()});
    }
    // Records where a stored entry stands. One that replaces an earlier entry of the same key
    // (the later one is kept) is advised on; what() names the entry.
    template <class Key, class What>
    void Stored(std::map<Key, Place> Places::*table, const Key& key, const TiXmlElement* e, What&& what) {
        if (!places) return;
        std::map<Key, Place>& rows = places->*table;
        auto found = rows.find(key);
        if (found != rows.end()) {
            Advise(e, what() + " repeats the entry of row " + std::to_string(found->second.row) + "; the later entry is kept");
        }
        rows[key] = Place{e->Row(), e->Column()};
    }
    void Fail(const TiXmlElement* where, const char* message) {
        Report(where, message);
        clean = false;
        stop = problems == nullptr;
    }
    // Reads an attribute that must be above 0; false (and the problem reported) otherwise.
    template <size_t N>
    bool Positive(const TiXmlElement* e, Attributes& attributes, const char (&attribute)[N], int& target,
                  const char* message) {
        ReadInt(attributes, attribute, target);
        if (target > 0) return true;
        Fail(e, message);
        return false;
    }

    // The child elements of an entry: room for its items is made once.
    static size_t CountChildren(const TiXmlElement* entry) {
        size_t n = 0;
        for (const TiXmlElement* e = entry->FirstChildElement(); e; e = e->NextSiblingElement()) ++n;
        return n;
    }

    // Each section reader returns false when the load must stop. An entry in error is left
    // out (in collecting mode the load goes on with the next one).
    bool DailyActivitySection(const TiXmlElement* section) {
        for (const TiXmlElement* e = section->FirstChildElement(); e && !stop; e = e->NextSiblingElement()) {
            Attributes a(e);
            int type = -1;
            ReadInt(a, "Type", type);
            if (type < 0 || type >= 23) {
                Fail(e, "The value of Type is invalid");
                continue;
            }
            if (!Positive(e, a, "CompleteNum", completeNum, "The value of CompleteNum is invalid") ||
                !Positive(e, a, "RewardScore", rewardScore, "The value of RewardScore is invalid")) {
                continue;
            }
            config.daily_[_DailyActivityKey{type, completeNum}] = rewardScore;
            Stored(&Places::daily, std::make_pair(type, completeNum), e, [&] {
                return "Type " + std::to_string(type) + " with CompleteNum " + std::to_string(completeNum);
            });
        }
        return !stop;
    }

    bool ActivityRewardSection(const TiXmlElement* section) {
        for (const TiXmlElement* e = section->FirstChildElement(); e && !stop; e = e->NextSiblingElement()) {
            Attributes a(e);
            int index = 0;
            _ActivityReward entry;
            if (!Positive(e, a, "Index", index, "The value of Index is invalid") ||
                !Positive(e, a, "ActivityValue", entry.ActivityValue, "The value of ActivityValue is invalid")) {
                continue;
            }
            ReadInt(a, "RewardMoney", entry.RewardMoney);
            ReadInt(a, "RewardBindMoney", entry.RewardBindMoney);
            // An absent attribute is an empty text: no piece, so the entry is dropped below.
            ReadIds(a.Get("RewardItemTemplateID"), entry.RewardItemList);
            if (entry.RewardItemList.empty()) {
                Report(e, "Warning:The RewardItemList's size is 0");
                continue;
            }
            ReadInt(a, "RewardItemNum", entry.RewardItemNum);
            config.activityRewards_[index] = std::move(entry);
            Stored(&Places::tiers, index, e, [&] { return "Index " + std::to_string(index); });
        }
        return !stop;
    }

    bool SignInRewardSection(const TiXmlElement* section) {
        for (const TiXmlElement* e = section->FirstChildElement(); e && !stop; e = e->NextSiblingElement()) {
            Attributes a(e);
            int index = 0;
            _SignInReward entry;
            if (!Positive(e, a, "Index", index, "The value of Index is invalid") ||
                !Positive(e, a, "SignInNum", entry.SignInNum, "The value of SignInNum is invalid")) {
                continue;
            }
            bool itemsOk = true;
            entry.ItemRewardList.reserve(CountChildren(e));
            std::vector<Place> itemPlaces;
            for (const TiXmlElement* it = e->FirstChildElement(); it && !stop; it = it->NextSiblingElement()) {
                Attributes ia(it);
                _SignInItemReward item;
                ReadInt(ia, "RewardType", item.RewardType);
                ReadInt(ia, "RewardValue", item.RewardValue);
                if (item.RewardType <= 2 && item.RewardValue <= 0) {
                    Fail(it, "The SignInReward value Must be > 0");
                    itemsOk = false;
                    continue;
                }
                // Read as a 32-bit number, widened with its sign.
                int id = 0;
                ReadInt(ia, "RewardItemTemplateID", id);
                item.RewardItemTemplateID = id;
                ReadInt(ia, "RewardItemNum", item.RewardItemNum);
                if (item.RewardType == 3 && item.RewardItemNum <= 0) {
                    Fail(it, "The SignInReward Item Num Must be > 0");
                    itemsOk = false;
                    continue;
                }
                if (item.RewardType < 0 || item.RewardType > 3) {
                    Advise(it, "RewardType " + std::to_string(item.RewardType) +
                                   " is none of the kinds the game knows (0, 1 and 2 amounts, 3 an item)");
                }
                entry.ItemRewardList.push_back(item);
                if (places) itemPlaces.push_back(Place{it->Row(), it->Column()});
            }
            if (itemsOk) {
                config.signInRewards_[index] = std::move(entry);
                Stored(&Places::signInRewards, index, e, [&] { return "Index " + std::to_string(index); });
                if (places) {
                    auto& items = places->signInItems;
                    items.erase(items.lower_bound({index, 0}), items.upper_bound({index, INT_MAX}));  // a replaced entry's
                    for (size_t i = 0; i < itemPlaces.size(); ++i) items[{index, static_cast<int>(i)}] = itemPlaces[i];
                }
            }
        }
        return !stop;
    }
};

const zor::String& DailyActivityConfig::FileName() {
    static const zor::String name("config\\DailyActivity\\Config.xml");
    return name;
}

std::string DailyActivityConfig::ConfigPath() {
    if (ResourcePack::GetInstance().IsActive()) return FileName();
    return zor::GetConfigDirectory() + "/" + FileName();
}

bool DailyActivityConfig::LoadConfig() { return Load(ConfigPath(), FileName(), nullptr, nullptr); }

bool DailyActivityConfig::LoadConfigFile(const zor::String& fileName, std::vector<Problem>* problems, Places* places) {
    return Load(fileName, fileName, problems, places);
}

bool DailyActivityConfig::Load(const std::string& path, const zor::String& name, std::vector<Problem>* problems,
                               Places* places) {
    XmlDocument document;
    const bool loaded = document.LoadFile(path.c_str(), TIXML_ENCODING_UNKNOWN);
    // A document without a root element holds no configuration: that is a failed load too.
    const TiXmlNode* rootless = loaded && !document.RootElement() ? document.FirstChild() : nullptr;
    if (!loaded || !document.RootElement()) {
        std::string line;
        {
            SafeFormat format("%s load fail!");
            format % name;
            line = format.str();
        }
        zor::WriteLog(line);
        if (problems) {
            if (loaded) {
                problems->push_back(Problem{line + " (the document has no root element)", rootless ? rootless->Row() : 1,
                                            rootless ? rootless->Column() : 1});
            } else {
                problems->push_back(Problem{line + " (" + document.ErrorDesc() + ")", document.ErrorRow(), document.ErrorCol()});
            }
        }
        return false;
    }
    return LoadConfigDocument(document, problems, places);
}

bool DailyActivityConfig::LoadConfigDocument(const TiXmlDocument& document, std::vector<Problem>* problems,
                                             Places* places) {
    // A document without root element (only a declaration or comments) is no configuration.
    const TiXmlElement* root = document.RootElement();
    if (!root) return false;

    Reader reader(*this, problems, places);
    for (const TiXmlElement* section = root->FirstChildElement(); section; section = section->NextSiblingElement()) {
        const std::string name = section->ValueStr();
        bool goOn = true;
        if (name == "DailyActivity") {
            goOn = reader.DailyActivitySection(section);
        } else if (name == "ActivityReward") {
            goOn = reader.ActivityRewardSection(section);
        } else if (name == "SignInReward") {
            goOn = reader.SignInRewardSection(section);
        }
        if (!goOn) return false;
    }
    return reader.clean;
}

bool DailyActivityConfig::FindDailyActivity(const _DailyActivityKey& key, int& rewardScore) const {
    auto it = daily_.find(key);
    if (it == daily_.end()) return false;
    rewardScore = it->second;
    return true;
}

bool DailyActivityConfig::HasActivityReward(const int& index) const { return activityRewards_.count(index) != 0; }

const _ActivityReward& DailyActivityConfig::GetActivityReward(const int& index) const {
    auto it = activityRewards_.find(index);
    return it == activityRewards_.end() ? EmptyActivityReward() : it->second;
}

bool DailyActivityConfig::HasSignInReward(const int& index) const { return signInRewards_.count(index) != 0; }

const _SignInReward& DailyActivityConfig::GetSignInReward(const int& index) const {
    auto it = signInRewards_.find(index);
    return it == signInRewards_.end() ? EmptySignInReward() : it->second;
}

const _ActivityReward& DailyActivityConfig::EmptyActivityReward() {
    static const _ActivityReward empty;
    return empty;
}

const _SignInReward& DailyActivityConfig::EmptySignInReward() {
    static const _SignInReward empty;
    return empty;
}
