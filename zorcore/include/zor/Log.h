// The core library's log: one process-wide log with a set of enabled levels and one sink.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "zor/Export.h"

namespace zor {

enum class LogKind {
    Level,      // WriteLog(level, 0, text, length)
    Plain,      // WriteLog(text): a line without level
    Debug,      // DebugLog(text)
    CallStack,  // ShowCallStack(): one record holding every frame, one per line
};

struct LogRecord {
    LogKind kind = LogKind::Plain;
    int level = -1;  // meaningful for LogKind::Level only
    std::string text;

    bool HasLevel() const { return kind == LogKind::Level; }
};

class ZORCORE_API LogSink {
public:
    virtual ~LogSink();
    virtual void Write(const LogRecord& record) = 0;
};

// Writes "[L2] text" lines (or "text" without a level) to standard error.
class ZORCORE_API StderrSink : public LogSink {
public:
    void Write(const LogRecord& record) override;
};

// Appends the same lines to a file, flushed after each record.
class ZORCORE_API FileSink : public LogSink {
public:
    explicit FileSink(const std::string& path);
    ~FileSink() override;
    bool IsOpen() const { return file_ != nullptr; }
    // Whether a record could not be written out (a full disk, a closed device); it stays so.
    bool Failed() const { return failed_; }
    void Write(const LogRecord& record) override;

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Keeps every record in memory; for tests and tools.
class ZORCORE_API CaptureSink : public LogSink {
public:
    void Write(const LogRecord& record) override { records_.push_back(record); }
    const std::vector<LogRecord>& Records() const { return records_; }
    void Clear() { records_.clear(); }

private:
    std::vector<LogRecord> records_;
};

class ZORCORE_API Log {
public:
    static Log& GetInstance();

    bool IsLevelEnable(int level) const;
    void SetLevelEnable(int level, bool enable);
    void SetEnabledLevels(const std::set<int>& levels);

    // Installs a sink; returns the one it replaces. A null sink means standard error.
    std::shared_ptr<LogSink> SetSink(std::shared_ptr<LogSink> sink);
    void Write(const LogRecord& record);

private:
    Log();
    mutable std::mutex mutex_;
    std::set<int> enabled_;
    std::shared_ptr<LogSink> sink_;
};

// Installs a CaptureSink for its lifetime and puts the previous sink back afterwards.
class ZORCORE_API LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<LogRecord>& Records() const { return sink_->Records(); }
    void Clear() { sink_->Clear(); }
    // Texts of every record, in order.
    std::vector<std::string> Texts() const;

private:
    std::shared_ptr<CaptureSink> sink_;
    std::shared_ptr<LogSink> previous_;
};

// Writes one line at a level. The second argument is reserved and always 0.
ZORCORE_API void WriteLog(int level, int reserved, const char* text, int length);
ZORCORE_API void WriteLog(const char* text);
ZORCORE_API void WriteLog(const std::string& text);
ZORCORE_API void DebugLog(const char* text);
// Writes the calling thread's call stack as one record.
ZORCORE_API void ShowCallStack();

}  // namespace zor
