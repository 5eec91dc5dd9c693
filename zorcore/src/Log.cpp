#include "zor/Log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <cxxabi.h>
#include <execinfo.h>
#endif

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

#ifndef _WIN32
// "module(mangled+0x1f) [0x...]" -> "module: demangled+0x1f"
std::string DescribeFrame(const char* symbol) {
    std::string s(symbol);
    size_t open = s.find('('), plus = s.find('+', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || plus == std::string::npos || plus == open + 1) return s;
    std::string mangled = s.substr(open + 1, plus - open - 1);
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
    if (status != 0 || !demangled) return s;
    std::string out = s.substr(0, open) + ": " + demangled;
    std::free(demangled);
    size_t close = s.find(')', plus);
    if (close != std::string::npos) out += s.substr(plus, close - plus);
    return out;
}
#endif

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
#ifndef _WIN32
    void* frames[64];
    int count = backtrace(frames, 64);
    char** symbols = backtrace_symbols(frames, count);
    // Frame 0 is this function.
    for (int i = 1; i < count; ++i) {
        r.text += "  #" + std::to_string(i - 1) + " ";
        r.text += symbols ? DescribeFrame(symbols[i]) : std::string("?");
        r.text += '\n';
    }
    std::free(symbols);
#endif
    Log::GetInstance().Write(r);
}

}  // namespace zor
