#include "zor/Trace.h"

#include <memory>

bool g_IsAllowTrace = false;
bool g_IsBeginTrace = false;

namespace zor {

bool g_IsWatchPerfInfo = false;

namespace {

std::vector<std::string>& TraceLines() {
    static std::vector<std::string> lines;
    return lines;
}

std::vector<std::unique_ptr<_PerfInfo>>& PerfRecords() {
    static std::vector<std::unique_ptr<_PerfInfo>> records;
    return records;
}

}  // namespace

const std::vector<std::string>& GetTraceLines() { return TraceLines(); }
void ClearTraceLines() { TraceLines().clear(); }

_PerfInfo::_PerfInfo(const std::string& name_, const char* file_, int line_, const char* function_)
    : name(name_), file(file_ ? file_ : ""), line(line_), function(function_ ? function_ : "") {
    PerfRecords().emplace_back(this);
}

Perf::Perf(_PerfInfo* record) : record_(record), start_(std::chrono::steady_clock::now()) {}

Perf::~Perf() {
    if (!record_) return;
    record_->calls += 1;
    record_->elapsed += std::chrono::steady_clock::now() - start_;
}

std::vector<const _PerfInfo*> GetPerfRecords() {
    std::vector<const _PerfInfo*> out;
    for (const auto& r : PerfRecords()) out.push_back(r.get());
    return out;
}

void ClearPerfRecords() { PerfRecords().clear(); }

}  // namespace zor

void WriteTrace(const std::string& line) { zor::TraceLines().push_back(line); }
