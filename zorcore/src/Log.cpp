#include "zor/Log.h"

#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace zor {

namespace {

std::string FormatRecord(const LogRecord& record) {
    switch (record.kind) {
        case LogKind::Level: return "[L" + std::to_string(record.level) + "] " + record.text;
        case LogKind::Debug: return "[debug] " + record.text;
        case LogKind::CallStack: return "[stack]\n" + record.text;
        case LogKind::Plain: break;
    }
    return record.text;
}


}  // namespace

LogSink::~LogSink() = default;

void StderrSink::Write(const LogRecord& record) {
    std::string line = FormatRecord(record);
    std::fprintf(stderr, "%s\n", line.c_str());
}

FileSink::FileSink(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {}

FileSink::~FileSink() {
    if (file_) std::fclose(file_);
}

void FileSink::Write(const LogRecord& record) {
    if (!file_) return;
    std::string line = FormatRecord(record);
    if (std::fprintf(file_, "%s\n", line.c_str()) < 0 || std::fflush(file_) != 0) failed_ = true;
}

Log::Log() : enabled_{0, 1, 2, 3}, sink_(std::make_shared<StderrSink>()) {}

Log& Log::GetInstance() {
    static Log instance;
    return instance;
}

bool Log::IsLevelEnable(int level) const {
    std::lock_guard<std::mutex> hold(mutex_);
    return enabled_.count(level) != 0;
}

void Log::SetLevelEnable(int level, bool enable) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (enable) {
        enabled_.insert(level);
    } else {
        enabled_.erase(level);
    }
}

void Log::SetEnabledLevels(const std::set<int>& levels) {
    std::lock_guard<std::mutex> hold(mutex_);
    enabled_ = levels;
}

std::shared_ptr<LogSink> Log::SetSink(std::shared_ptr<LogSink> sink) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!sink) sink = std::make_shared<StderrSink>();
    sink.swap(sink_);
    return sink;
}

void Log::Write(const LogRecord& record) {
    std::shared_ptr<LogSink> sink;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        sink = sink_;
    }
    sink->Write(record);
}

LogCapture::LogCapture() : sink_(std::make_shared<CaptureSink>()) {
    previous_ = Log::GetInstance().SetSink(sink_);
}

LogCapture::~LogCapture() { Log::GetInstance().SetSink(previous_); }

std::vector<std::string> LogCapture::Texts() const {
    std::vector<std::string> texts;
    for (const LogRecord& r : Records()) texts.push_back(r.text);
    return texts;
}

void WriteLog(int level, int /*reserved*/, const char* text, int length) {
    LogRecord r;
    r.kind = LogKind::Level;
    r.level = level;
    if (text && length > 0) r.text.assign(text, static_cast<size_t>(length));
    Log::GetInstance().Write(r);
}

void WriteLog(const char* text) {
    LogRecord r;
    r.kind = LogKind::Plain;
    if (text) r.text = text;
    Log::GetInstance().Write(r);
}

void WriteLog(const std::string& text) {
    LogRecord r;
    r.kind = LogKind::Plain;
    r.text = text;
    Log::GetInstance().Write(r);
}

void DebugLog(const char* text) {
    LogRecord r;
    r.kind = LogKind::Debug;
    if (text) r.text = text;
    Log::GetInstance().Write(r);
}

void ShowCallStack() {
    LogRecord r;
    r.kind = LogKind::CallStack;
    const std::vector<std::string> frames = platform::CallStack(1);  // without this function
    for (size_t i = 0; i < frames.size(); ++i) r.text += "  #" + std::to_string(i) + " " + frames[i] + "\n";
    Log::GetInstance().Write(r);
}

}  // namespace zor
