// Level-gated log lines and formatting into a string. Nothing here throws and nothing is
// formatted for a disabled level.
#pragma once

#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "logging/SafeFormat.h"
#include "zor/Log.h"

// Writes one formatted line at Level when that level is enabled.
template <int Level, class... Args>
void LogFormat(const char* format, Args&&... args) {
    static_assert(Level == 0 || Level == 2 || Level == 3, "the module logs at levels 0, 2 and 3");
    if (!format) return;
    if (!zor::Log::GetInstance().IsLevelEnable(Level)) return;
    try {
        std::string text;
        {
            SafeFormat formatter(format);
            (void)(formatter % ... % std::forward<Args>(args));
            text = formatter.str();
        }
        zor::WriteLog(Level, 0, text.data(), static_cast<int>(text.size()));
    } catch (const std::exception& e) {
        if constexpr (Level == 0) {
            zor::WriteLog(e.what());
        } else {
            zor::DebugLog(e.what());
        }
    }
}

// Writes text unchanged at Level when that level is enabled.
template <int Level>
void LogText(const char* text) {
    if (!text) return;
    if (!zor::Log::GetInstance().IsLevelEnable(Level)) return;
    try {
        zor::WriteLog(Level, 0, text, static_cast<int>(std::strlen(text)));
    } catch (const std::exception& e) {
        zor::DebugLog(e.what());
    }
}

// The formatted text, with no level test and nothing written (but failures of the formatter,
// which are reported like every SafeFormat failure).
template <class... Args>
std::string FormatString(const char* format, Args&&... args) {
    if (!format) return "NullString";
    try {
        SafeFormat formatter(format);
        (void)(formatter % ... % std::forward<Args>(args));
        return formatter.str();
    } catch (const std::exception& e) {
        return std::string(e.what() ? e.what() : "");
    }
}
