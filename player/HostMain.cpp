// qrn_host: the game client's part for the daily activity module, as a program. It loads
// QRN_DailyActivity by file name, hangs it into its container tree, starts it, plays a
// session against a simulated game server and prints a transcript.
//
//   qrn_host [--quiet] [--log FILE] [--config DIR] [--plugin FILE]... [SESSION]
//   qrn_host --print-default
//
// Without SESSION it plays the embedded session (one day of a player); SESSION "-" is read from
// standard input. Exit status: 0 when every expectation held, 1 when one failed (or the module
// did not load or start, or the transcript or log could not be written), 2 for a malformed or
// unreadable session or command line.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "player/SessionRunner.h"

namespace {

// A session file is text written by hand: larger files or longer lines are refused, so that a
// wrong name (a device, an endless pipe) cannot hold the host.
constexpr size_t kMaxSessionBytes = 16u << 20;
constexpr size_t kMaxLineBytes = 1u << 20;

// Reads a session from a regular file, a FIFO or standard input ("-"), within the limits;
// otherwise says why on standard error.
bool ReadSession(const std::string& file, std::string& text) {
    std::ifstream opened;
    std::istream* in = &std::cin;
    if (file != "-") {
        std::error_code error;
        const auto status = std::filesystem::status(file, error);
        if (error || !std::filesystem::exists(status)) {
            std::cerr << file << ": cannot be read\n";
            return false;
        }
        if (!std::filesystem::is_regular_file(status) && status.type() != std::filesystem::file_type::fifo) {
            std::cerr << file << ": is not a regular file\n";
            return false;
        }
        opened.open(file, std::ios::binary);
        if (!opened) {
            std::cerr << file << ": cannot be read\n";
            return false;
        }
        in = &opened;
    }
    char block[65536];
    size_t line = 0;
    while (in->read(block, sizeof block) || in->gcount() > 0) {
        const size_t got = static_cast<size_t>(in->gcount());
        if (text.size() + got > kMaxSessionBytes) {
            std::cerr << file << ": larger than " << (kMaxSessionBytes >> 20) << " MB, not a session\n";
            return false;
        }
        for (size_t i = 0; i < got; ++i) {
            line = block[i] == '\n' ? 0 : line + 1;
            if (line > kMaxLineBytes) {
                std::cerr << file << ": a line longer than " << (kMaxLineBytes >>20) << " MB, not a session\n";
                return false;
            }
        }
        text.append(block, got);
    }
    if (in->bad()) {
        std::cerr << file << ": cannot be read\n";
        return false;
    }
    return true;
}

int Usage() {
    std::cerr << "usage: qrn_host [--quiet] [--log FILE] [--config DIR] [--plugin FILE]... [SESSION]\n"
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
        } else if (arg == "--plugin" && i + 1 < argc) {
            options.plugins.push_back(argv[++i]);
        } else if (arg == "--print-default" && argc == 2) {
            std::cout << host::DefaultSessionText();
            if (std::cout.flush()) return 0;
            std::cerr << "qrn_host: the session could not be written\n";
            return 1;
        } else if ((arg.rfind("-", 0) == 0 && arg != "-") || !file.empty()) {
            return Usage();
        } else {
            file = arg;
        }
    }

    std::string name = "(embedded) one day of a player", text = host::DefaultSessionText();
    if (!file.empty()) {
        text.clear();
        if (!ReadSession(file, text)) return 2;
        name = file == "-" ? "(standard input)" : file;
    }

    std::vector<host::SessionError> errors;
    host::Session session = host::ParseSession(name, text, errors);
    if (!errors.empty()) {
        for (const host::SessionError& e : errors) std::cerr << name << ":" << e.line << ": error: " << e.message << "\n";
        std::cerr << errors.size() << " malformed line(s); nothing was run.\n";
        return 2;
    }
    const int failures = host::PlaySession(session, options, std::cout);
    if (!std::cout.flush()) {
        std::cerr << "qrn_host: the transcript could not be written\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
