// Loading a large generated configuration through the module's loader, against a bare
// TinyXML load of the same file; and the designers' page of configurations of growing size,
// whose time grows with the size alone (the complexity Google Benchmark fits).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <tinyxml.h>
#include <unistd.h>

#include "dailyactivity/DailyActivityConfig.h"
#include "tools/ConfigPage.h"
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

// Takes what is written and keeps nothing: the page's own cost, not that of growing a buffer.
struct Discard : std::streambuf {
    std::streamsize bytes = 0;
    int_type overflow(int_type c) override { return ++bytes, c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return bytes += n, n; }
};

// A configuration of n rows of each kind (completion counts all different, so the activity
// grid is 23 by n), loaded once; the page is written to a stream that keeps nothing.
void ConfigPage(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string file = "/tmp/zor_bench_page_" + std::to_string(getpid()) + ".xml";
    {
        std::ofstream out(file);
        out << "<Config>\n<DailyActivity>\n";
        for (int i = 1; i <= n; ++i) out << "<A Type=\"" << i % 23 << "\" CompleteNum=\"" << i << "\" RewardScore=\"5\"/>\n";
        out << "</DailyActivity>\n<ActivityReward>\n";
        for (int i = 1; i <= n; ++i) out << "<T Index=\"" << i << "\" ActivityValue=\"" << i << "\" RewardItemTemplateID=\"7\"/>\n";
        out << "</ActivityReward>\n<SignInReward>\n";
        for (int i = 1; i <= n; ++i) out << "<R Index=\"" << i << "\" SignInNum=\"" << i % 40 + 1 << "\"><I RewardValue=\"1\"/></R>\n";
        out << "</SignInReward>\n</Config>\n";
    }
    DailyActivityConfig config;
    DailyActivityConfig::Places places;
    std::vector<DailyActivityConfig::Problem> problems;
    config.LoadConfigFile(file, &problems, &places);
    dacheck::PageInput input;
    input.fileName = file;
    {
        std::ifstream in(file);
        std::ostringstream text;
        text << in.rdbuf();
        input.text = text.str();
    }
    std::remove(file.c_str());
    input.loads = true;
    input.config = &config;
    input.places = &places;
    for (auto _ : state) {
        Discard sink;
        std::ostream page(&sink);
        dacheck::WritePage(page, input);
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetComplexityN(n);
}
BENCHMARK(ConfigPage)->RangeMultiplier(4)->Range(256, 16384)->Complexity()->Unit(benchmark::kMillisecond);

struct Cleanup {
    ~Cleanup() { std::remove(LargeConfig().c_str()); }
} cleanup;

}  // namespace
