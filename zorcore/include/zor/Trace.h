// The trace sink and the performance watch.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "zor/Export.h"

// Both must be true for trace points to write.
ZORCORE_API extern bool g_IsAllowTrace;
ZORCORE_API extern bool g_IsBeginTrace;
ZORCORE_API void WriteTrace(const std::string& line);

namespace zor {

ZORCORE_API extern bool g_IsWatchPerfInfo;

// The trace keeps the newest kMaxTraceLines lines (a ring): tracing may stay on for good.
constexpr size_t kMaxTraceLines = 10000;
// The trace lines kept, oldest first.
ZORCORE_API std::vector<std::string> GetTraceLines();
ZORCORE_API void ClearTraceLines();

// One timed record. A record made with new is taken over by the core library when it is
// built: the library keeps and frees it. Do not delete a record yourself. Records of the same
// name, file and line are one: a later one is added to the first when its Perf scope ends and
// then freed, so a watch left on for good keeps one record per place.
class ZORCORE_API _PerfInfo {
public:
    _PerfInfo(const std::string& name, const char* file, int line, const char* function);
    _PerfInfo(const _PerfInfo&) = delete;
    _PerfInfo& operator=(const _PerfInfo&) = delete;

    std::string name;
    std::string file;
    int line;
    std::string function;
    long long calls = 0;
    std::chrono::nanoseconds elapsed{0};

private:
    friend class Perf;
    _PerfInfo* first_ = nullptr;  // the record of the same place this one is added to, or null
};

// Times its scope into a record; a null record makes it do nothing.
class ZORCORE_API Perf {
public:
    // Without a record the watch is off: nothing is timed, and nothing called.
    explicit Perf(_PerfInfo* record) : record_(record) {
        if (record_) Start();
    }
    ~Perf() {
        if (record_) Stop();
    }
    Perf(const Perf&) = delete;
    Perf& operator=(const Perf&) = delete;

private:
    void Start();
    void Stop();

    _PerfInfo* record_;
    std::chrono::steady_clock::time_point start_;
};

// One record per name, file and line, in the order the places were first timed.
ZORCORE_API std::vector<const _PerfInfo*> GetPerfRecords();
ZORCORE_API void ClearPerfRecords();

}  // namespace zor
