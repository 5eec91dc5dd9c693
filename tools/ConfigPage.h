// The page dacheck --html writes: one self-contained HTML document (no scripts, no network, no
// other file) that shows designers their configuration: the verdict and every error and piece
// of advice, each linked to the line of the file it names (marked there); when the file loads,
// the activity table as a grid of types against completion counts, the tiers as a ladder on the
// activity-value axis and the sign-in rewards on a month of 31 days; then the file itself.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "dailyactivity/DailyActivityConfig.h"
#include "tools/ConfigAdvice.h"

namespace dacheck {

struct Note {
    bool error = false;
    std::string message;  // without the loader's "Warning:" mark
    DailyActivityConfig::Place place;
};

struct PageInput {
    std::string fileName;
    std::string text;    // the file's bytes, shown as they are (escaped)
    bool loads = false;  // the module would load it (no error)
    std::vector<Note> notes;
    const DailyActivityConfig* config = nullptr;  // drawn only when it loads
    const DailyActivityConfig::Places* places = nullptr;
};

// Text as HTML text or attribute value.
std::string Escape(const std::string& text);

// Writes the page; its size and the time it takes grow with the file's size alone.
void WritePage(std::ostream& out, const PageInput& input);

}  // namespace dacheck
