#include "player/Session.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "host/SettableClock.h"

namespace host {

namespace {

// Days of a month of the Gregorian calendar (the C runtime's, also before 1582).
int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}


struct Operation {
    const char* name;
    int arguments;
};

// In the slot order of qrn::IDailyActivity.
const Operation kOperations[] = {
    {"GetRoleDailyActivityInfo", 0}, {"CanSignIn", 0}, {"RequestSignIn", 0},
    {"CanTakeActivityReward", 1},    {"RequestActivityReward", 1}, {"GetActivityReward", 1},
    {"GetSignInFlags", 0},           {"GetSignInCount", 0},        {"CanTakeSignInReward", 2},
    {"RequestSignInReward", 2},      {"GetSignInReward", 1},       {"CanTakeHolidayAward", 1},
    {"RequestHolidayAward", 1},      {"RequestValue64", 0},
};

bool KnownSignal(const std::string& name) {
    for (const char* s : {"OnDataChanged", "OnActivityRewardNotice", "OnValue64Notice"}) {
        if (name == s) return true;
    }
    return false;
}

// The white space of the "C" locale: what std::isspace and stream extraction split on.
const char kBlanks[] = " \t\n\v\f\r";

// A token quoted in an error: control bytes shown as \xNN, so that a message never carries them.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool IsBlank(char c) { return c != '\0' && std::strchr(kBlanks, c) != nullptr; }

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (true) {
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (at == text.size()) return words;
        const size_t start = at;
        while (at < text.size() && !IsBlank(text[at])) ++at;
        words.push_back(text.substr(start, at - start));
    }
}

// The text after the first n words.
std::string Rest(const std::string& text, size_t n) {
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
        while (at < text.size() && IsBlank(text[at])) ++at;
        while (at < text.size() && !IsBlank(text[at])) ++at;
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    return text.substr(at);
}

class LineParser {
public:
    LineParser(Step& step, std::vector<SessionError>& errors) : step_(step), errors_(errors) {}

    bool Fail(const std::string& message) {
        errors_.push_back(SessionError{step_.line, message});
        return false;
    }

    // A decimal or 0x hexadecimal number within [lo, hi].
    bool Number(const std::string& word, long long lo, long long hi, long long& out, const char* what) {
        // A token is a number only when all of it is read: a NUL inside would end the C text early.
        if (word.find('\0') != std::string::npos) return Fail(std::string(what) + " is not a number: '" + Printable(word) + "'");
        const char* text = word.c_str();
        bool negative = *text == '-';
        const char* digits = negative ? text + 1 : text;
        int base = (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) ? 16 : 10;
        if (base == 16) digits += 2;
        if (!*digits) return Fail(std::string(what) + " is not a number: '" + word + "'");
        errno = 0;
        char* end = nullptr;
        unsigned long long magnitude = std::strtoull(digits, &end, base);
        if (*end || errno == ERANGE || !std::isxdigit(static_cast<unsigned char>(*digits))) {
            return Fail(std::string(what) + " is not a number: '" + word + "'");
        }
        long long value;
        if (negative) {
            if (magnitude > static_cast<unsigned long long>(LLONG_MAX) + 1) return Fail(std::string(what) + " is out of range: " + word);
            value = magnitude == static_cast<unsigned long long>(LLONG_MAX) + 1 ? LLONG_MIN : -static_cast<long long>(magnitude);
        } else if (base == 16) {
            value = static_cast<long long>(magnitude);  // 0xFFFFFFFFFFFFFFFF is -1: a 64-bit pattern
        } else {
            if (magnitude > static_cast<unsigned long long>(LLONG_MAX)) return Fail(std::string(what) + " is out of range: " + word);
            value = static_cast<long long>(magnitude);
        }
        if (value < lo || value > hi) {
            return Fail(std::string(what) + " " + word + " is out of range (" + std::to_string(lo) + ".." + std::to_string(hi) + ")");
        }
        out = value;
        return true;
    }
    bool Int(const std::string& word, long long& out, const char* what) { return Number(word, INT_MIN, INT_MAX, out, what); }
    bool Id16(const std::string& word, long long& out, const char* what) { return Number(word, 0, 65535, out, what); }

    bool Zone(const std::string& zone) {
        if (zone == "system" || IsPosixZone(zone)) return true;
        return Fail("a zone is a POSIX TZ text such as UTC0, CST-8 or EST5EDT,M3.2.0,M11.1.0 (or system), not '" +
                    Printable(zone) + "'");
    }

    bool OnOff(const std::string& word, bool& out) {
        if (word == "on") return out = true, true;
        if (word == "off") return out = false, true;
        return Fail("expected on or off, not '" + word + "'");
    }

    // "YYYY-MM-DD HH:MM[:SS]" as two words.
    bool DateTime(const std::string& date, const std::string& time, std::string& out) {
        int y, mo, d, h, mi, s = 0;
        char tail;
        if (date.find('\0') != std::string::npos || time.find('\0') != std::string::npos ||
            std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) != 3 ||
            (std::sscanf(time.c_str(), "%2d:%2d:%2d%c", &h, &mi, &s, &tail) != 3 &&
             (s = 0, std::sscanf(time.c_str(), "%2d:%2d%c", &h, &mi, &tail) != 2))) {
            return Fail("expected a date and time as YYYY-MM-DD HH:MM[:SS], not '" + Printable(date + " " + time) + "'");
        }
        // The clock counts no leap seconds: second 60 is no time of it, wherever in a day.
        if (y < kFirstYear || y > kLastYear || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h < 0 ||
            h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
            return Fail("no such date or time: " + date + " " + time);
        }
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
        out = text;
        return true;
    }

    // A role value: NUMBER, "bits B,B,...", or "at YYYY-MM-DD HH:MM[:SS]" (a time stamp, kept as
    // text and converted when the step runs, in the zone of that moment).
    bool Value(const std::vector<std::string>& w, size_t from, long long& out, std::string& at) {
        if (from >= w.size()) return Fail("a value is missing");
        if (w[from] == "bits") {
            if (from + 2 != w.size()) return Fail("expected bits B,B,... (numbers 0..63 separated by commas)");
            uint64_t bits = 0;
            std::string list = w[from + 1];
            size_t start = 0;
            while (start <= list.size()) {
                size_t comma = list.find(',', start);
                if (comma == std::string::npos) comma = list.size();
                long long bit;
                if (!Number(list.substr(start, comma - start), 0, 63, bit, "a bit")) return false;
                bits |= uint64_t{1} << bit;
                start = comma + 1;
            }
            out = static_cast<long long>(bits);
            return true;
        }
        if (w[from] == "at") {
            if (from + 3 != w.size()) return Fail("expected at YYYY-MM-DD HH:MM[:SS]");
            return DateTime(w[from + 1], w[from + 2], at);
        }
        if (from + 1 != w.size()) return Fail("one value expected after '" + w[from - 1] + "'");
        return Number(w[from], LLONG_MIN, LLONG_MAX, out, "the value");
    }

    bool Parse(const std::string& line);

private:
    bool Server(const std::vector<std::string>& w);
    bool Expect(const std::vector<std::string>& w);
    bool ExpectSent(const std::string& list);

    Step& step_;
    std::vector<SessionError>& errors_;
};

bool LineParser::Parse(const std::string& line) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) return Fail("a line of blanks the session does not read");
    const std::string& verb = w[0];
    const size_t n = w.size();
    auto Count = [&](size_t lo, size_t hi, const char* usage) {
        return (n >= lo && n <= hi) || Fail(std::string("usage: ") + usage);
    };
    long long a = 0, b = 0;
    if (verb == "clock") {
        if (!Count(3, 4, "clock YYYY-MM-DD HH:MM[:SS] [ZONE]")) return false;
        step_.kind = StepKind::Clock;
        if (n == 4) {
            step_.zone = w[3];
            if (!Zone(step_.zone)) return false;
        }
        return DateTime(w[1], w[2], step_.text);
    }
    if (verb == "zone") {
        if (!Count(2, 2, "zone ZONE (a POSIX TZ text such as UTC0 or CST-8, or system)")) return false;
        step_.kind = StepKind::Zone;
        step_.zone = w[1];
        return Zone(step_.zone);
    }
    if (verb == "advance") {
        if (!Count(2, 2, "advance N[s|m|h|d]")) return false;
        std::string amount = w[1];
        long long unit = 1;
        const char last = amount.empty() ? 0 : amount.back();
        if (last == 's' || last == 'm' || last == 'h' || last == 'd') {
            unit = last == 's' ? 1 : last == 'm' ? 60 : last == 'h' ? 3600 : 86400;
            amount.pop_back();
        }
        if (!Number(amount, 0, kMaxAdvance / unit, a, "the time to advance")) return false;
        step_.kind = StepKind::Advance;
        step_.numbers = {a * unit};
        return true;
    }
    if (verb == "role") {
        if (!Count(2, 3, "role ID [without-player-info] | role none")) return false;
        if (w[1] == "none") {
            if (n != 2) return Fail("usage: role none");
            step_.kind = StepKind::RoleNone;
            return true;
        }
        if (n == 3 && w[2] != "without-player-info") return Fail("unknown role option '" + w[2] + "'");
        step_.kind = StepKind::Role;
        step_.flag = n == 3;
        if (!Number(w[1], LLONG_MIN, LLONG_MAX, a, "the role id")) return false;
        step_.numbers = {a};
        return true;
    }
    if (verb == "value") {
        if (!Count(3, 5, "value KEY NUMBER | value KEY bits B,B | value KEY at YYYY-MM-DD HH:MM[:SS]")) return false;
        step_.kind = StepKind::Value;
        if (!Int(w[1], a, "the key") || !Value(w, 2, b, step_.text)) return false;
        step_.numbers = {a, b};
        return true;
    }
    if (verb == "activity") {
        if (!Count(2, 2, "activity NUMBER")) return false;
        step_.kind = StepKind::Activity;
        if (!Int(w[1], a, "the activity value")) return false;
        step_.numbers = {a};
        return true;
    }
    if (verb == "holiday") {
        if (!Count(2, 2, "holiday on|off")) return false;
        step_.kind = StepKind::Holiday;
        return OnOff(w[1], step_.flag);
    }
    if (verb == "have") {
        if (!Count(3, 3, "have INDEX on|off")) return false;
        step_.kind = StepKind::Have;
        if (!Int(w[1], a, "the index")) return false;
        step_.numbers = {a};
        return OnOff(w[2], step_.flag);
    }
    if (verb == "server") return Server(w);
    if (verb == "call") {
        if (n < 2) return Fail("usage: call OPERATION [ARGUMENT ...]");
        int arguments = 0;
        if (!KnownOperation(w[1], arguments)) return Fail("qrn::IDailyActivity has no operation '" + w[1] + "'");
        if (static_cast<int>(n) - 2 != arguments) {
            return Fail(w[1] + " takes " + std::to_string(arguments) + " argument(s), not " + std::to_string(n - 2));
        }
        step_.kind = StepKind::Call;
        step_.word = w[1];
        for (size_t i = 2; i < n; ++i) {
            if (!Int(w[i], a, "the argument")) return false;
            step_.numbers.push_back(a);
        }
        return true;
    }
    if (verb == "fire") {
        if (n >= 2 && w[1] == "reset" && n == 2) {
            step_.kind = StepKind::FireReset;
            return true;
        }
        if (n >= 2 && w[1] == "role" && n <= 3) {
            step_.kind = StepKind::FireRole;
            step_.word = n == 2 ? "main" : w[2];
            if (step_.word == "main" || step_.word == "none") return true;
            step_.word.clear();
            if (!Number(w[2], LLONG_MIN, LLONG_MAX, a, "the role id")) return false;
            step_.numbers = {a};
            return true;
        }
        return Fail("usage: fire reset | fire role [ID|main|none]");
    }
    if (verb == "plugin") {
        if (n < 2) return Fail("usage: plugin FILE");
        step_.kind = StepKind::Plugin;
        step_.text = Rest(line, 1);
        return true;
    }
    if (verb == "say") {
        step_.kind = StepKind::Say;
        step_.text = Rest(line, 1);
        return true;
    }
    if (verb == "expect") return Expect(w);
    return Fail("unknown step '" + Printable(verb) + "'");
}

bool LineParser::Server(const std::vector<std::string>& w) {
    const size_t n = w.size();
    const char* usage =
        "server 0 TYPE COUNT [over] | server 1 | server 3 VALUE | server 6 VALUE | "
        "server raw MSGID [CHUNK:HEX ...] | server auto | server manual | server value64 NUMBER";
    if (n < 2) return Fail(std::string("usage: ") + usage);
    long long a = 0, b = 0, c = 0;
    const std::string& what = w[1];
    if (what == "auto" || what == "manual") {
        if (n != 2) return Fail(std::string("usage: ") + usage);
        step_.kind = StepKind::ServerMode;
        step_.flag = what == "auto";
        return true;
    }
    if (what == "value64") {
        if (n != 3) return Fail("usage: server value64 NUMBER");
        step_.kind = StepKind::ServerValue64;
        if (!Number(w[2], LLONG_MIN, LLONG_MAX, a, "the value")) return false;
        step_.numbers = {a};
        return true;
    }
    if (what == "raw") {
        if (n < 3) return Fail("usage: server raw MSGID [CHUNK:HEX ...]");
        step_.kind = StepKind::ServerRaw;
        if (!Id16(w[2], a, "the message id")) return false;
        step_.numbers = {a};
        for (size_t i = 3; i < n; ++i) {
            size_t colon = w[i].find(':');
            if (colon == std::string::npos) return Fail("a raw chunk is CHUNK:HEX, not '" + w[i] + "'");
            RawChunk chunk;
            if (!Id16(w[i].substr(0, colon), b, "the chunk id")) return false;
            chunk.id = static_cast<unsigned short>(b);
            const std::string hex = w[i].substr(colon + 1);
            if (hex.size() % 2 != 0) return Fail("odd number of hex digits in '" + w[i] + "'");
            for (size_t k = 0; k < hex.size(); k += 2) {
                if (!std::isxdigit(static_cast<unsigned char>(hex[k])) || !std::isxdigit(static_cast<unsigned char>(hex[k + 1]))) {
                    return Fail("not hex: '" + hex + "'");
                }
                chunk.bytes.push_back(static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16)));
            }
            step_.chunks.push_back(chunk);
        }
        return true;
    }
    step_.kind = StepKind::ServerMessage;
    if (what == "0") {
        if (n < 4 || n > 5 || (n == 5 && w[4] != "over")) return Fail("usage: server 0 TYPE COUNT [over]");
        if (!Int(w[2], b, "the type") || !Int(w[3], c, "the count")) return false;
        step_.numbers = {0, b, c};
        step_.flag = n == 5;
        return true;
    }
    if (what == "1") {
        if (n != 2) return Fail("usage: server 1");
        step_.numbers = {1};
        return true;
    }
    if (what == "3") {
        if (n != 3) return Fail("usage: server 3 VALUE");
        if (!Int(w[2], b, "the value")) return false;
        step_.numbers = {3, b};
        return true;
    }
    if (what == "6") {
        if (n != 3) return Fail("usage: server 6 VALUE");
        if (!Number(w[2], LLONG_MIN, LLONG_MAX, b, "the value")) return false;
        step_.numbers = {6, b};
        return true;
    }
    return Fail("the server sends messages 0, 1, 3 and 6 (or raw ones), not '" + what + "'");
}

bool LineParser::Expect(const std::vector<std::string>& w) {
    const size_t n = w.size();
    if (n < 2) return Fail("usage: expect answer|why|sent|signal|no signal|count|value ...");
    const std::string& what = w[1];
    long long a = 0, b = 0;
    if (what == "answer" || what == "why") {
        if (n < 3) return Fail("usage: expect " + what + " TEXT");
        step_.kind = what == "answer" ? StepKind::ExpectAnswer : StepKind::ExpectWhy;
        step_.text = Rest(step_.source, 2);
        return true;
    }
    if (what == "sent") {
        if (n < 3) return Fail("usage: expect sent none | expect sent MSGID [CHUNK=VALUE ...][, MSGID ...]");
        step_.kind = StepKind::ExpectSent;
        if (n == 3 && w[2] == "none") return true;
        return ExpectSent(Rest(step_.source, 2));
    }
    if (what == "signal") {
        if (n < 3 || n > 4) return Fail("usage: expect signal NAME [VALUE]");
        step_.kind = StepKind::ExpectSignal;
        step_.word = w[2];
        if (!KnownSignal(step_.word)) {
            return Fail("no signal '" + step_.word + "' (OnDataChanged, OnActivityRewardNotice, OnValue64Notice)");
        }
        if (n == 4) {
            if (step_.word == "OnDataChanged") return Fail("OnDataChanged carries no value");
            if (!Number(w[3], LLONG_MIN, LLONG_MAX, a, "the value")) return false;
            step_.flag = true;
            step_.numbers = {a};
        }
        return true;
    }
    if (what == "no") {
        if (n < 3 || n > 4 || w[2] != "signal") return Fail("usage: expect no signal [NAME]");
        step_.kind = StepKind::ExpectNoSignal;
        if (n == 4) {
            step_.word = w[3];
            if (!KnownSignal(step_.word)) return Fail("no signal '" + step_.word + "'");
        }
        return true;
    }
    if (what == "count") {
        if (n != 4) return Fail("usage: expect count TYPE NUMBER");
        step_.kind = StepKind::ExpectCount;
        if (!Int(w[2], a, "the type") || !Int(w[3], b, "the count")) return false;
        step_.numbers = {a, b};
        return true;
    }
    if (what == "value") {
        if (n < 4) return Fail("usage: expect value KEY NUMBER | expect value KEY bits B,B");
        step_.kind = StepKind::ExpectValue;
        std::vector<std::string> rest(w.begin() + 1, w.end());  // "value KEY ..."
        if (!Int(rest[1], a, "the key") || !Value(rest, 2, b, step_.text)) return false;
        step_.numbers = {a, b};
        return true;
    }
    return Fail("unknown expectation '" + what + "'");
}

bool LineParser::ExpectSent(const std::string& list) {
    std::string rest = list;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t comma = rest.find(',', start);
        if (comma == std::string::npos) comma = rest.size();
        std::vector<std::string> w = Words(rest.substr(start, comma - start));
        if (w.empty()) return Fail("an empty message in the list of sent messages");
        SentExpectation expectation;
        long long id = 0;
        if (!Id16(w[0], id, "the message id")) return false;
        expectation.msgId = static_cast<unsigned short>(id);
        for (size_t i = 1; i < w.size(); ++i) {
            size_t eq = w[i].find('=');
            long long chunk = 0, value = 0;
            if (eq == std::string::npos) return Fail("a chunk is CHUNK=VALUE, not '" + w[i] + "'");
            if (!Id16(w[i].substr(0, eq), chunk, "the chunk id") || !Int(w[i].substr(eq + 1), value, "the chunk value")) {
                return false;
            }
            expectation.chunks.emplace_back(static_cast<unsigned short>(chunk), value);
        }
        step_.sent.push_back(expectation);
        start = comma + 1;
    }
    return true;
}

}  // namespace

Session ParseSession(const std::string& name, const std::string& text, std::vector<SessionError>& errors) {
    Session session;
    session.name = name;
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    std::istringstream in(text.compare(0, 3, kByteOrderMark) == 0 ? text.substr(3) : text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        // The blanks are those that split words, so a line is blank exactly when it holds no word.
        std::string line = raw.substr(0, raw.find('#'));
        size_t first = line.find_first_not_of(kBlanks);
        if (first == std::string::npos) continue;
        line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
        Step step;
        step.line = number;
        step.source = line;
        LineParser parser(step, errors);
        if (!parser.Parse(line)) continue;
        // Further modules join the tree before it starts: only settings may come before them.
        if (step.kind == StepKind::Plugin && !session.steps.empty() && session.steps.back().kind != StepKind::Plugin &&
            !IsSettingStep(session.steps.back().kind)) {
            errors.push_back(SessionError{number, "plugin steps come before every step but clock, zone, advance and say: "
                                                  "the modules load before the tree starts"});
            continue;
        }
        session.steps.push_back(step);
    }
    return session;
}

bool IsSettingStep(StepKind kind) {
    return kind == StepKind::Clock || kind == StepKind::Zone || kind == StepKind::Advance || kind == StepKind::Say;
}

bool KnownOperation(const std::string& name, int& arguments) {
    for (const Operation& op : kOperations) {
        if (name == op.name) {
            arguments = op.arguments;
            return true;
        }
    }
    return false;
}

const char* MessageName(unsigned short msgId) {
    switch (msgId) {
        case 0: return "MsgDailyActivity";
        case 1: return "MsgClear";
        case 2: return "MsgSignIn";
        case 3: return "MsgActivityReward";
        case 4: return "MsgSignInReward";
        case 5: return "MsgHolidayAward";
        case 6: return "MsgValue64";
        default: return nullptr;
    }
}

}  // namespace host
