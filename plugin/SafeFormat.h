// Formatting that never lets an exception out: Boost.Format's failures (ill-formed format,
// too few or too many arguments) are written to the log with the call stack, and the caller
// goes on with what the formatter holds.
#pragma once

#include <exception>
#include <string>

#include <boost/format.hpp>

#include "zor/Log.h"
#include "zor/String.h"

class SafeFormat {
public:
    // Which log writer reports a failed step; both write a line without level.
    enum class Reporter { StdString, Text };

    explicit SafeFormat(const char* format) {
        if (format) Guarded(Reporter::StdString, [&] { formatter_.parse(format); });
    }
    ~SafeFormat() {
        try {
            formatter_.clear_binds();
        } catch (...) {
        }
    }
    SafeFormat(const SafeFormat&) = delete;
    SafeFormat& operator=(const SafeFormat&) = delete;

    // A null text is not fed: its position stays unfilled.
    SafeFormat& operator%(const char* text) {
        if (text) Guarded(Reporter::StdString, [&] { formatter_ % text; });
        return *this;
    }
    SafeFormat& operator%(const std::string& text) {
        Guarded(Reporter::Text, [&] { formatter_ % text; });
        return *this;
    }
    SafeFormat& operator%(unsigned short number) {
        Guarded(Reporter::Text, [&] { formatter_ % number; });
        return *this;
    }
    SafeFormat& operator%(const zor::String& text) {
        Guarded(Reporter::Text, [&] { formatter_ % static_cast<const std::string&>(text); });
        return *this;
    }

    // The formatted text; empty when formatting fails.
    std::string str() {
        std::string text;
        Guarded(Reporter::StdString, [&] { text = formatter_.str(); });
        return text;
    }
    operator std::string() { return str(); }  // NOLINT: implicit by design

    // Runs step; a std::exception it throws is reported (its text, or a fixed text when
    // what() is null) followed by the call stack. Other exceptions pass through.
    template <class Step>
    static bool Guarded(Reporter reporter, Step&& step) {
        try {
            step();
            return true;
        } catch (const std::exception& e) {
            const char* what = e.what();
            const char* text = what ? what : "zor.format.SafeCall() throw exception";
            if (reporter == Reporter::StdString) {
                zor::WriteLog(std::string(text));
            } else {
                zor::WriteLog(text);
            }
            zor::ShowCallStack();
            return false;
        }
    }

private:
    boost::format formatter_;
};
