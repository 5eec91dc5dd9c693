// Plays a session against the daily activity module: loads it by file name into the host
// stand-in, starts the tree, runs every step with the simulated server answering requests,
// checks the expectations, shuts down, releases and unloads the module, and writes the
// transcript as it goes.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "player/Session.h"

namespace host {

struct RunOptions {
    bool quiet = false;       // only the session's own lines and failures
    std::string logFile;      // the module's log lines go here instead of the transcript
    std::string configDir;    // the host's configuration directory ("" keeps the default)
    std::vector<std::string> plugins;  // further plugin modules, loaded after the service
};

// Returns the number of failures: failed expectations and steps that could not run, plus
// one when the module did not load or start.
int PlaySession(const Session& session, const RunOptions& options, std::ostream& out);

// The embedded session: one day of a player.
const char* DefaultSessionText();

}  // namespace host
