// dacheck: reads a daily activity configuration through the module's own loader and prints
// its three tables, or every problem with the file, row and column where it stands.
//
//   dacheck [GAME_DIR]   reads GAME_DIR/config/DailyActivity/Config.xml (GAME_DIR: ".")
//
// Exit status: 0 when the file loads cleanly (warnings allowed), 1 when it has errors,
// 2 for a wrong command line.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "dailyactivity/DailyActivityConfig.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace {

void PrintTables(const DailyActivityConfig& config) {
    std::map<std::pair<int, int>, int> daily;
    for (const auto& row : config.DailyActivities()) daily[{row.first.Type, row.first.CompleteNum}] = row.second;
    std::cout << "DailyActivity (" << daily.size() << " rows)\n";
    std::cout << "  Type  CompleteNum  RewardScore\n";
    for (const auto& row : daily) {
        std::printf("  %4d  %11d  %11d\n", row.first.first, row.first.second, row.second);
    }

    std::map<int, const _ActivityReward*> tiers;
    for (const auto& e : config.ActivityRewards()) tiers[e.first] = &e.second;
    std::cout << "ActivityReward (" << tiers.size() << " tiers)\n";
    for (const auto& t : tiers) {
        const _ActivityReward& r = *t.second;
        std::cout << "  Index " << t.first << ": ActivityValue " << r.ActivityValue << ", RewardMoney " << r.RewardMoney
                  << ", RewardBindMoney " << r.RewardBindMoney << ", items [";
        for (size_t i = 0; i < r.RewardItemList.size(); ++i) std::cout << (i ? ", " : "") << r.RewardItemList[i];
        std::cout << "] x" << r.RewardItemNum << "\n";
    }

    std::map<int, const _SignInReward*> signIns;
    for (const auto& e : config.SignInRewards()) signIns[e.first] = &e.second;
    std::cout << "SignInReward (" << signIns.size() << " rewards)\n";
    for (const auto& s : signIns) {
        const _SignInReward& r = *s.second;
        std::cout << "  Index " << s.first << ": SignInNum " << r.SignInNum << "\n";
        for (size_t i = 0; i < r.ItemRewardList.size(); ++i) {
            const _SignInItemReward& item = r.ItemRewardList[i];
            std::cout << "    item " << i << ": RewardType " << item.RewardType;
            if (item.RewardType == 3) {
                std::cout << ", RewardItemTemplateID " << item.RewardItemTemplateID << " x" << item.RewardItemNum;
            } else {
                std::cout << ", RewardValue " << item.RewardValue;
            }
            std::cout << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && std::string(argv[1]).rfind("-", 0) == 0)) {
        std::cerr << "usage: dacheck [GAME_DIR]\n";
        return 2;
    }
    std::string dir = argc == 2 ? argv[1] : ".";
    std::string file = dir + "/" + zor::ToNativeFileName(DailyActivityConfig::FileName().c_str());

    DailyActivityConfig config;
    std::vector<DailyActivityConfig::Problem> problems;
    bool clean;
    {
        zor::LogCapture quiet;  // every problem is printed below, with its place
        clean = config.LoadConfigFile(file, &problems);
    }
    int errors = 0;
    for (const auto& p : problems) {
        bool warning = p.message.rfind("Warning:", 0) == 0;
        errors += warning ? 0 : 1;
        std::cout << file << ":" << p.row << ":" << p.column << ": " << (warning ? "warning: " : "error: ") << p.message
                  << "\n";
    }
    if (!clean) {
        std::cout << errors << " error(s); the module would stop its start at the first one.\n";
        return 1;
    }
    PrintTables(config);
    return 0;
}
