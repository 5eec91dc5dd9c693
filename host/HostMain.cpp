// qrn_host: the game client's part for the daily activity module, as a program. It loads
// QRN_DailyActivity by file name, hangs it into its container tree, starts it, plays a
// session against a simulated game server and prints a transcript.
//
//   qrn_host [--quiet] [--log FILE] [--config DIR] [SESSION]
//   qrn_host --print-default
//
// Without SESSION it plays the embedded session (one day of a player). Exit status: 0 when
// every expectation held, 1 when one failed (or the module did not load or start), 2 for a
// malformed session or command line.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "host/SessionRunner.h"

namespace {

int Usage() {
    std::cerr << "usage: qrn_host [--quiet] [--log FILE] [--config DIR] [SESSION]\n"
                 "       qrn_host --print-default\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    host::RunOptions options;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--log" && i + 1 < argc) {
            options.logFile = argv[++i];
        } else if (arg == "--config" && i + 1 < argc) {
            options.configDir = argv[++i];
        } else if (arg == "--print-default" && argc == 2) {
            std::cout << host::DefaultSessionText();
            return 0;
        } else if (arg.rfind("-", 0) == 0 || !file.empty()) {
            return Usage();
        } else {
            file = arg;
        }
    }

    std::string name = "(embedded) one day of a player", text = host::DefaultSessionText();
    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << file << ": cannot be read\n";
            return 2;
        }
        name = file;
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<host::SessionError> errors;
    host::Session session = host::ParseSession(name, text, errors);
    if (!errors.empty()) {
        for (const host::SessionError& e : errors) std::cerr << name << ":" << e.line << ": error: " << e.message << "\n";
        std::cerr << errors.size() << " malformed line(s); nothing was run.\n";
        return 2;
    }
    const int failures = host::PlaySession(session, options, std::cout);
    return failures == 0 ? 0 : 1;
}
