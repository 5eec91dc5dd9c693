// dacheck: reads a daily activity configuration through the module's own loader and prints
// its three tables, or every problem with the file, row and column where it stands.
//
//   dacheck [--strict] [--html PAGE] [GAME_DIR]   reads GAME_DIR/config/DailyActivity/Config.xml
//                                                 (GAME_DIR: "."); --html also writes PAGE
//
// Besides the module's own errors and warnings it advises designers (warnings too) of entries
// that replace earlier ones, of reward kinds the game does not know, and of what the claim rules
// will do with the file: rewards no player can ever claim, sign-in rewards some months never
// reach, tiers whose activity value does not grow with their Index.
// Exit status: 0 when the file loads cleanly (warnings allowed, unless --strict), 1 when it has
// errors (or warnings with --strict) or the report or the page could not be written, 2 for a
// wrong command line.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "dailyactivity/DailyActivityConfig.h"
#include "tools/ConfigAdvice.h"
#include "tools/ConfigPage.h"
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

int Usage() {
    std::cerr << "usage: dacheck [--strict] [--html PAGE] [GAME_DIR]\n";
    return 2;
}

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file that the loader read as empty although it has bytes is no XML text it can read.
bool HasBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char c;
    return in.get(c).good();
}

// Everything printed reached its destination.
int Written(int status) {
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "dacheck: the report could not be written\n";
        return 1;
    }
    return status;
}

int Check(const std::string& dir, bool strict, const std::string& page) {
    std::string file = dir + "/" + zor::ToNativeFileName(DailyActivityConfig::FileName().c_str());

    DailyActivityConfig config;
    std::vector<DailyActivityConfig::Problem> problems;
    DailyActivityConfig::Places places;
    bool clean;
    {
        zor::LogCapture quiet;  // every problem is printed below, with its place
        clean = config.LoadConfigFile(file, &problems, &places);
    }
    if (clean) {
        for (const dacheck::Advice& a : dacheck::ClaimAdvice(config, places)) {
            problems.push_back({"Warning:" + a.message, a.place.row, a.place.column});
        }
    }
    // In the order of the file.
    std::stable_sort(problems.begin(), problems.end(), [](const auto& a, const auto& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    int errors = 0, warnings = 0;
    std::vector<dacheck::Note> notes;
    for (const auto& p : problems) {
        bool warning = p.message.rfind("Warning:", 0) == 0;
        (warning ? warnings : errors) += 1;
        std::string message = p.message;
        if (!warning && p.row == 0 && p.message.find("Error document empty") != std::string::npos && HasBytes(file)) {
            message += "; the file is not XML text, or not in an encoding the loader reads (UTF-8 or a single-byte code page)";
        }
        std::cout << file << ":" << p.row << ":" << p.column << ": " << (warning ? "warning: " : "error: ") << message
                  << "\n";
        notes.push_back({!warning, warning ? message.substr(8) : message, {p.row, p.column}});
    }
    if (!page.empty()) {
        dacheck::PageInput input;
        input.fileName = file;
        input.text = ReadAll(file);
        input.loads = clean;
        input.notes = std::move(notes);
        input.config = &config;
        input.places = &places;
        std::ofstream out(page, std::ios::binary | std::ios::trunc);
        dacheck::WritePage(out, input);
        out.close();
        if (!out) {
            std::cerr << "dacheck: the page " << page << " could not be written\n";
            return 1;
        }
    }
    if (!clean) {
        std::cout << errors << " error(s); the module would stop its start at the first one.\n";
        return 1;
    }
    if (strict && warnings > 0) {
        std::cout << warnings << " warning(s); --strict fails on warnings.\n";
        return 1;
    }
    PrintTables(config);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool strict = false;
    std::string dir, page;
    bool haveDir = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--strict" && !strict) {
            strict = true;
        } else if (arg == "--html" && page.empty() && i + 1 < argc && argv[i + 1][0] != '\0') {
            page = argv[++i];
        } else if (arg.rfind("-", 0) == 0 || haveDir) {
            return Usage();
        } else {
            dir = arg;
            haveDir = true;
        }
    }
    if (haveDir && dir.empty()) {
        std::cerr << "dacheck: an empty GAME_DIR names no directory\n";
        return 2;
    }
    return Written(Check(haveDir ? dir : ".", strict, page));
}
