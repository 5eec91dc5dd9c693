#include "zor/Trace.h"

#include <deque>
#include <map>
#include <memory>
#include <tuple>

bool g_IsAllowTrace = false;
bool g_IsBeginTrace = false;

namespace zor {

bool g_IsWatchPerfInfo = false;

namespace {

std::deque<std::string>& TraceLines() {
    static std::deque<std::string> lines;
    return lines;
}

struct PerfStore {
    // The first record of each place, in order, owned.
    std::vector<std::unique_ptr<_PerfInfo>> firsts;
    std::map<std::tuple<std::string, std::string, int>, _PerfInfo*> byPlace;
    // Later records of a known place, owned until their scope ends and they are added up.
    std::map<_PerfInfo*, std::unique_ptr<_PerfInfo>> pending;
};

PerfStore& Store() {
    static PerfStore store;
    return store;
}

}  // namespace

std::vector<std::string> GetTraceLines() { return std::vector<std::string>(TraceLines().begin(), TraceLines().end()); }
void ClearTraceLines() { TraceLines().clear(); }

_PerfInfo::_PerfInfo(const std::string& name_, const char* file_, int line_, const char* function_)
    : name(name_), file(file_ ? file_ : ""), line(line_), function(function_ ? function_ : "") {
    PerfStore& store = Store();
    auto place = std::make_tuple(name, file, line);
    auto known = store.byPlace.find(place);
    if (known == store.byPlace.end()) {
        store.byPlace.emplace(place, this);
        store.firsts.emplace_back(this);
    } else {
        first_ = known->second;
        store.pending.emplace(this, std::unique_ptr<_PerfInfo>(this));
    }
}

void Perf::Start() { start_ = std::chrono::steady_clock::now(); }

void Perf::Stop() {
    record_->calls += 1;
    record_->elapsed += std::chrono::steady_clock::now() - start_;
    if (_PerfInfo* first = record_->first_) {
        first->calls += record_->calls;
        first->elapsed += record_->elapsed;
        Store().pending.erase(record_);  // frees it
    }
}

std::vector<const _PerfInfo*> GetPerfRecords() {
    std::vector<const _PerfInfo*> out;
    for (const auto& r : Store().firsts) out.push_back(r.get());
    return out;
}

void ClearPerfRecords() {
    PerfStore& store = Store();
    store.firsts.clear();
    store.byPlace.clear();
    store.pending.clear();
}

}  // namespace zor

void WriteTrace(const std::string& line) {
    auto& lines = zor::TraceLines();
    if (lines.size() == zor::kMaxTraceLines) lines.pop_front();
    lines.push_back(line);
}
