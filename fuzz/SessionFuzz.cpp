// A session file as testers write it: every line becomes a step, a blank or a refusal that
// names the line, and nothing else.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "player/Session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<host::SessionError> errors;
    host::Session session = host::ParseSession("fuzz", text, errors);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::set<int> used;
    for (const host::Step& step : session.steps) {
        if (step.line < 1 || step.line > lines || !used.insert(step.line).second) std::abort();
    }
    for (const host::SessionError& error : errors) {
        if (error.line < 1 || error.line > lines || used.count(error.line) || error.message.empty()) std::abort();
    }
    return 0;
}
