// Formatting that never lets an exception out: Boost.Format's failures (ill-formed format,
// too few or too many arguments) are written to the log with the call stack, and the caller
// goes on with what the formatter holds.
#pragma once

#include <exception>
#include <string>
#include <type_traits>

#include <boost/format.hpp>

#include "zor/Log.h"
#include "zor/String.h"

class SafeFormat {
    template <class T>
    struct IsCharacter
        : std::integral_constant<bool, std::is_same<T, char>::value || std::is_same<T, signed char>::value ||
                                           std::is_same<T, unsigned char>::value || std::is_same<T, wchar_t>::value ||
                                           std::is_same<T, char16_t>::value || std::is_same<T, char32_t>::value> {};

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
    // Every other number as the number it is ("%d" of -5 is -5, of 5000000000 is 5000000000),
    // and an enumerator as its value. A character is refused: text goes as const char*.
    template <class Number, std::enable_if_t<(std::is_arithmetic<Number>::value || std::is_enum<Number>::value) &&
                                                 !IsCharacter<Number>::value,
                                             int> = 0>
    SafeFormat& operator%(Number number) {
        if constexpr (std::is_enum<Number>::value) {
            return *this % static_cast<std::underlying_type_t<Number>>(number);
        } else {
            Guarded(Reporter::Text, [&] { formatter_ % number; });
            return *this;
        }
    }
    template <class Character, std::enable_if_t<IsCharacter<Character>::value, int> = 0>
    SafeFormat& operator%(Character) = delete;
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
