#include "tools/ConfigPage.h"

#include <algorithm>
#include <map>
#include <set>

#include "dailyactivity/ClaimLimits.h"

namespace dacheck {

namespace {

std::string Str(long long n) { return std::to_string(n); }

const char* const kStyle = R"(
body{font-family:"DejaVu Sans",Arial,sans-serif;margin:0 auto;padding:0 24px 40px;color:#1d2430;max-width:1232px;box-sizing:border-box}
h1{font-size:22px;margin:20px 0 4px}h2{font-size:18px;margin:30px 0 10px;border-bottom:1px solid #c9ced6;padding-bottom:4px}
.file{color:#556;margin:0 0 10px;overflow-wrap:anywhere}
.verdict{padding:8px 12px;font-weight:bold;border-radius:4px}.ok{background:#e1f3e1}.fail{background:#fadcdc}
ol.notes{padding-left:24px}ol.notes li{margin:4px 0;overflow-wrap:anywhere}li.error{color:#9b1111}li.warning{color:#6e4a00}
.kind{font-weight:bold}.none{color:#556}
.scroll{overflow-x:auto;max-width:100%}
table{border-collapse:collapse;font-size:13px}
table.grid td,table.grid th{border:1px solid #c9ced6;padding:2px 7px;text-align:right;white-space:nowrap}
table.grid th{background:#f1f3f6}table.grid td.empty{background:#fafafa}
.legend{font-size:13px;color:#556;margin:4px 0 10px}
.rung{display:flex;align-items:center;margin:5px 0;font-size:13px}
.rung .label{width:150px;flex:none}.rung .track{position:relative;flex:1;height:22px;background:#eef0f3;border-radius:3px}
.rung .bar{position:absolute;left:0;top:0;bottom:0;background:#5d93cf;border-radius:3px}
.rung .value{position:absolute;right:4px;top:3px;font-size:12px}
.rung .reward{width:380px;flex:none;padding-left:12px;overflow-wrap:anywhere}
.never .bar{background:repeating-linear-gradient(45deg,#b5b5b5 0 6px,#dedede 6px 12px)}
.never .label,.never .reward{color:#8a8a8a;text-decoration:line-through}
.tag{display:inline-block;font-size:11px;padding:0 5px;border-radius:3px;background:#8a8a8a;color:#fff;text-decoration:none;margin-left:6px}
.axis{display:flex;justify-content:space-between;margin-left:150px;margin-right:392px;font-size:11px;color:#556}
table.month{table-layout:fixed;width:100%}
table.month th,table.month td{border:1px solid #c9ced6;text-align:center;padding:2px 0;font-size:12px;overflow:hidden}
table.month th.name,table.month td.name{width:150px;text-align:left;padding-left:6px}
table.month .short{background:#fff0c2}
table.month td.upto{background:#dce8f6}table.month td.reached{background:#5d93cf;color:#fff;font-weight:bold}
table.month tr.never td.upto{background:#eeeeee}table.month tr.never td.reached{background:#9a9a9a}
table.month tr.items td{text-align:left;padding:2px 6px 6px;border-top:none;overflow-wrap:anywhere}
.item{display:inline-block;margin:2px 10px 2px 0}.item.never{color:#8a8a8a;text-decoration:line-through}
.source{font-family:"DejaVu Sans Mono",monospace;font-size:12px;border:1px solid #c9ced6}
.line{display:flex}.line .no{width:56px;flex:none;text-align:right;padding-right:8px;color:#8a8a8a;user-select:none}
.line code{white-space:pre-wrap;overflow-wrap:anywhere;min-width:0;flex:1}
.line.marked{background:#ffe083}.line.marked.error{background:#f7b9b9}
a{color:#1a5fb4}
)";

std::string LineLink(const DailyActivityConfig::Place& place) {
    if (place.row <= 0) return std::string();
    return "<a class=\"to-line\" href=\"#line-" + Str(place.row) + "\">line " + Str(place.row) + "</a>";
}

void Notes(std::ostream& out, const PageInput& in) {
    out << "<section id=\"notes\"><h2>Errors and advice</h2>\n";
    if (in.notes.empty()) {
        out << "<p class=\"none\">None: the file loads without a word, and every configured reward can be claimed.</p>\n";
    } else {
        out << "<ol class=\"notes\">\n";
        for (const Note& note : in.notes) {
            out << "<li class=\"" << (note.error ? "error" : "warning") << "\"><span class=\"kind\">"
                << (note.error ? "error" : "advice") << "</span> ";
            if (note.place.row > 0) {
                out << "<a class=\"note-link\" href=\"#line-" << note.place.row << "\">line " << note.place.row
                    << ", column " << note.place.column << "</a>";
            } else {
                out << "(no line)";
            }
            out << ": " << Escape(note.message) << "</li>\n";
        }
        out << "</ol>\n";
    }
    out << "</section>\n";
}

void ActivityGrid(std::ostream& out, const DailyActivityConfig& config) {
    std::set<int> counts;
    std::map<std::pair<int, int>, int> scores;
    for (const auto& row : config.DailyActivities()) {
        counts.insert(row.first.CompleteNum);
        scores[{row.first.Type, row.first.CompleteNum}] = row.second;
    }
    out << "<section id=\"activity\"><h2>Activity value per completion (" << scores.size() << " rows)</h2>\n"
        << "<p class=\"legend\">The activity value (RewardScore) an activity type earns when it reaches a completion "
           "count (CompleteNum).</p>\n<div class=\"scroll\"><table class=\"grid\"><tr><th>Type \\ CompleteNum</th>";
    for (int count : counts) out << "<th>" << count << "</th>";
    out << "</tr>\n";
    for (int type = 0; type <= 22; ++type) {
        out << "<tr><th>" << type << "</th>";
        auto it = scores.lower_bound({type, 0});
        for (int count : counts) {
            while (it != scores.end() && it->first.first == type && it->first.second < count) ++it;
            if (it != scores.end() && it->first.first == type && it->first.second == count) {
                out << "<td>" << it->second << "</td>";
            } else {
                out << "<td class=\"empty\"></td>";
            }
        }
        out << "</tr>\n";
    }
    out << "</table></div></section>\n";
}

void Ladder(std::ostream& out, const DailyActivityConfig& config, const DailyActivityConfig::Places& places) {
    const std::map<int, const _ActivityReward*> tiers = ByIndex(config.ActivityRewards());
    int top = 1;
    for (const auto& tier : tiers) top = std::max(top, tier.second->ActivityValue);
    out << "<section id=\"tiers\"><h2>Activity reward tiers (" << tiers.size() << ")</h2>\n"
        << "<p class=\"legend\">Each tier on the activity-value axis: a player may claim it once the activity value "
           "reaches its bar's end. Tiers "
        << claim::kFirstTier << ".." << claim::kLastTier << " can be claimed; struck-through tiers never.</p>\n"
        << "<div class=\"axis\"><span>0</span><span>" << top / 2 << "</span><span>" << top << "</span></div>\n";
    for (const auto& tier : tiers) {
        const _ActivityReward& r = *tier.second;
        const bool never = !claim::IsTier(tier.first);
        const double percent = 100.0 * std::max(0, r.ActivityValue) / top;
        out << "<div class=\"rung" << (never ? " never" : "") << "\" id=\"tier-" << tier.first
            << "\"><div class=\"label\">Index " << tier.first << (never ? " <span class=\"tag\">never claimable</span>" : "")
            << "</div><div class=\"track\"><div class=\"bar\" style=\"width:" << percent << "%\"></div><span class=\"value\">"
            << r.ActivityValue << "</span></div><div class=\"reward\">money " << r.RewardMoney << ", bound money "
            << r.RewardBindMoney << ", items ";
        for (size_t i = 0; i < r.RewardItemList.size(); ++i) out << (i ? ", " : "") << r.RewardItemList[i];
        out << " &times; " << r.RewardItemNum << " " << LineLink(PlaceOf(places.tiers, tier.first)) << "</div></div>\n";
    }
    out << "</section>\n";
}

const char* KindName(int type) {
    switch (type) {
        case 0: return "amount (kind 0)";
        case 1: return "amount (kind 1)";
        case 2: return "amount (kind 2)";
        case 3: return "item";
        default: return "unknown kind";
    }
}

void Month(std::ostream& out, const DailyActivityConfig& config, const DailyActivityConfig::Places& places) {
    const std::map<int, const _SignInReward*> rewards = ByIndex(config.SignInRewards());
    const int last = claim::kLastCountedDay;
    out << "<section id=\"signin\"><h2>Sign-in rewards on a month (" << rewards.size() << ")</h2>\n"
        << "<p class=\"legend\">Each reward is reached on the day its sign-in count (SignInNum) is; the count reads days "
        << claim::kFirstCountedDay << ".." << last << ". Days 29, 30 and 31 (shaded) are not in every month. Rewards "
        << claim::kFirstSignInReward << ".." << claim::kLastSignInReward
        << " can be claimed, each item on its own; struck-through ones never.</p>\n"
        << "<table class=\"month\"><tr><th class=\"name\">sign-ins</th>";
    for (int day = 1; day <= last; ++day) {
        out << "<th class=\"day" << (day > 28 ? " short" : "") << "\"" << (day > 28 ? " title=\"not in every month\"" : "")
            << ">" << day << "</th>";
    }
    out << "</tr>\n";
    for (const auto& reward : rewards) {
        const int index = reward.first;
        const _SignInReward& r = *reward.second;
        const bool never = !SignInRewardClaimable(index, r);
        out << "<tr class=\"reward" << (never ? " never" : "") << "\" id=\"signin-" << index << "\"><td class=\"name\">Index "
            << index << ": " << r.SignInNum << (never ? " <span class=\"tag\">never</span>" : "") << "</td>";
        for (int day = 1; day <= last; ++day) {
            const char* cls = day < r.SignInNum ? "upto" : day == r.SignInNum ? "reached" : "after";
            out << "<td class=\"" << cls << (day > 28 ? " short" : "") << "\">" << (day == r.SignInNum ? "&#9733;" : "")
                << "</td>";
        }
        out << "</tr>\n<tr class=\"items" << (never ? " never" : "") << "\"><td colspan=\"" << last + 1 << "\">";
        if (r.SignInNum > last) out << "needs " << r.SignInNum << " sign-ins: past the month's last day. ";
        const std::string months = MonthsTooShort(r.SignInNum);
        if (!months.empty()) out << "Not reached in: " << months << ". ";
        if (r.ItemRewardList.empty()) out << "<span class=\"none\">no items</span>";
        for (size_t i = 0; i < r.ItemRewardList.size(); ++i) {
            const _SignInItemReward& item = r.ItemRewardList[i];
            const bool itemNever = never || !ItemClaimable(index, static_cast<int>(i));
            auto place = places.signInItems.find({index, static_cast<int>(i)});
            out << "<span class=\"item" << (itemNever ? " never" : "") << "\">item " << i << ": " << KindName(item.RewardType);
            if (item.RewardType == 3) {
                out << " " << item.RewardItemTemplateID << " &times; " << item.RewardItemNum;
            } else {
                out << " " << item.RewardValue;
            }
            if (place != places.signInItems.end()) out << " " << LineLink(place->second);
            out << "</span>";
        }
        out << " " << LineLink(PlaceOf(places.signInRewards, index)) << "</td></tr>\n";
    }
    out << "</table></section>\n";
}

void Source(std::ostream& out, const PageInput& in) {
    // Lines with notes, marked; errors more strongly.
    std::map<int, bool> marked;
    for (const Note& note : in.notes) {
        if (note.place.row > 0) marked[note.place.row] = marked[note.place.row] || note.error;
    }
    out << "<section id=\"file\"><h2>The file</h2>\n<div class=\"source\">";
    int row = 1;
    size_t start = 0;
    const std::string& text = in.text;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto mark = marked.find(row);
        out << "<div class=\"line" << (mark != marked.end() ? (mark->second ? " marked error" : " marked") : "")
            << "\" id=\"line-" << row << "\"><span class=\"no\">" << row << "</span><code>" << Escape(line)
            << "</code></div>\n";
        if (end == text.size()) break;
        start = end + 1;
        ++row;
    }
    // Lines named past the end of the text (a loader's count of a last, unterminated line).
    for (auto mark = marked.upper_bound(row); mark != marked.end(); ++mark) {
        out << "<div class=\"line marked" << (mark->second ? " error" : "") << "\" id=\"line-" << mark->first
            << "\"><span class=\"no\">" << mark->first << "</span><code></code></div>\n";
    }
    out << "</div></section>\n";
}

}  // namespace

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '\0': out += "&#65533;"; break;
            default: out += c;
        }
    }
    return out;
}

void WritePage(std::ostream& out, const PageInput& in) {
    int errors = 0;
    for (const Note& note : in.notes) errors += note.error ? 1 : 0;
    const size_t advice = in.notes.size() - static_cast<size_t>(errors);
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>Daily activity configuration: "
        << Escape(in.fileName) << "</title><style>" << kStyle << "</style></head>\n<body>\n"
        << "<header id=\"verdict\"><h1>Daily activity configuration</h1><p class=\"file\">" << Escape(in.fileName)
        << "</p>\n";
    if (in.loads) {
        out << "<p class=\"verdict ok\">The module loads this file";
        if (advice > 0) out << "; " << advice << " piece(s) of advice below";
        out << ".</p>\n";
    } else {
        out << "<p class=\"verdict fail\">The module would not start with this file: " << errors
            << " error(s); it stops at the first one.</p>\n";
    }
    out << "</header>\n";
    Notes(out, in);
    if (in.loads && in.config && in.places) {
        ActivityGrid(out, *in.config);
        Ladder(out, *in.config, *in.places);
        Month(out, *in.config, *in.places);
    }
    Source(out, in);
    out << "</body></html>\n";
}

}  // namespace dacheck
