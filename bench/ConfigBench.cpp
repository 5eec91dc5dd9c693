// Loading a large generated configuration through the module's loader, against a bare
// TinyXML load of the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <tinyxml.h>
#include <unistd.h>

#include "dailyactivity/DailyActivityConfig.h"
#include "zor/Log.h"

namespace {

const std::string& LargeConfig() {
    static const std::string path = [] {
        std::string file = "/tmp/zor_bench_config_" + std::to_string(getpid()) + ".xml";
        std::ofstream out(file);
        out << "<Config>\n<DailyActivity>\n";
        for (int type = 0; type < 23; ++type) {
            for (int n = 1; n <= 200; ++n) {
                out << "  <A Type=\"" << type << "\" CompleteNum=\"" << n << "\" RewardScore=\"" << n * 5 << "\"/>\n";
            }
        }
        out << "</DailyActivity>\n<ActivityReward>\n";
        for (int i = 1; i <= 1000; ++i) {
            out << "  <T Index=\"" << i << "\" ActivityValue=\"" << i * 10
                << "\" RewardMoney=\"100\" RewardBindMoney=\"50\" RewardItemTemplateID=\"100100001,100100002,4294967297\" "
                   "RewardItemNum=\"1\"/>\n";
        }
        out << "</ActivityReward>\n<SignInReward>\n";
        for (int i = 1; i <= 1000; ++i) {
            out << "  <R Index=\"" << i << "\" SignInNum=\"" << (i % 28) + 1 << "\">\n"
                << "    <I RewardType=\"0\" RewardValue=\"500\"/>\n"
                << "    <I RewardType=\"3\" RewardItemTemplateID=\"200100001\" RewardItemNum=\"2\"/>\n"
                << "    <I RewardType=\"2\" RewardValue=\"1000\"/>\n  </R>\n";
        }
        out << "</SignInReward>\n</Config>\n";
        return file;
    }();
    return path;
}

void LoadConfigLarge(benchmark::State& state) {
    const std::string& file = LargeConfig();
    for (auto _ : state) {
        DailyActivityConfig config;
        bool ok = config.LoadConfigFile(file);
        if (!ok) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(config.ActivityRewards().size());
    }
}
BENCHMARK(LoadConfigLarge)->Unit(benchmark::kMillisecond);

void BareTinyXmlLoad(benchmark::State& state) {
    const std::string& file = LargeConfig();
    for (auto _ : state) {
        TiXmlDocument doc;
        if (!doc.LoadFile(file.c_str(), TIXML_ENCODING_UNKNOWN)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.RootElement());
    }
}
BENCHMARK(BareTinyXmlLoad)->Unit(benchmark::kMillisecond);

struct Cleanup {
    ~Cleanup() { std::remove(LargeConfig().c_str()); }
} cleanup;

}  // namespace
