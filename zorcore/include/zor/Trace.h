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

// The trace lines written so far, oldest first.
ZORCORE_API const std::vector<std::string>& GetTraceLines();
ZORCORE_API void ClearTraceLines();

// One timed record. A record made with new is taken over by the core library when it is
// built: the library keeps and frees it. Do not delete a record yourself.
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
};

// Times its scope into a record; a null record makes it do nothing.
class ZORCORE_API Perf {
public:
    explicit Perf(_PerfInfo* record);
    ~Perf();
    Perf(const Perf&) = delete;
    Perf& operator=(const Perf&) = delete;

private:
    _PerfInfo* record_;
    std::chrono::steady_clock::time_point start_;
};

// Every record the library holds, in the order they were made.
ZORCORE_API std::vector<const _PerfInfo*> GetPerfRecords();
ZORCORE_API void ClearPerfRecords();

}  // namespace zor
