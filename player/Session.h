// Sessions: plain text, one step per line, '#' starts a comment. A session is read whole and
// checked before anything runs; a malformed line is refused with its line number and what is
// wrong. The steps are listed in the README ("Writing a session").
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace host {

enum class StepKind {
    Clock,          // text: "YYYY-MM-DD HH:MM:SS", zone: optional
    Zone,           // zone
    Advance,        // numbers[0]: seconds
    Role,           // numbers[0]: role id; flag: without player info
    RoleNone,
    Value,          // numbers[0]: key, numbers[1]: value
    Activity,       // numbers[0]
    Holiday,        // flag: on
    Have,           // numbers[0]: index, flag: on
    ServerMessage,  // numbers[0]: msg id; 0: type, count, flag IsOver; 3: value; 6: value
    ServerRaw,      // numbers[0]: msg id; chunks
    ServerMode,     // flag: automatic answers on
    ServerValue64,  // numbers[0]
    Call,           // word: operation; numbers: arguments
    FireReset,
    FireRole,       // word: "main", "none" or "" (numbers[0]: role id)
    Say,            // text
    Plugin,         // text: a further plugin module's file, loaded after the daily activity module
    // Expectations come last (the player tells them apart by order).
    ExpectAnswer,   // text
    ExpectWhy,      // text
    ExpectSent,     // sent (empty: none)
    ExpectSignal,   // word: signal; flag: with value numbers[0]
    ExpectNoSignal, // word: signal or ""
    ExpectCount,    // numbers[0]: type, numbers[1]: count
    ExpectValue,    // numbers[0]: key, numbers[1]: value
};

struct RawChunk {
    unsigned short id = 0;
    std::string bytes;
};

// One message expected among those sent: its id and chunk values (4-byte ints), in order.
struct SentExpectation {
    unsigned short msgId = 0;
    std::vector<std::pair<unsigned short, long long>> chunks;
};

struct Step {
    int line = 0;
    std::string source;  // the line as written, without comment and outer blanks
    StepKind kind = StepKind::Say;
    std::vector<long long> numbers;
    std::string word;
    std::string text;
    std::string zone;
    bool flag = false;
    std::vector<RawChunk> chunks;
    std::vector<SentExpectation> sent;
};

struct Session {
    std::string name;
    std::vector<Step> steps;
};

struct SessionError {
    int line = 0;
    std::string message;
};

// Parses text; every malformed line is reported. The session is usable when errors is empty.
Session ParseSession(const std::string& name, const std::string& text, std::vector<SessionError>& errors);

// Steps that set the scene (clock, zone, advance, say): those at the start of a session run
// before the modules load.
bool IsSettingStep(StepKind kind);

// The operations of qrn::IDailyActivity a session may call, and their argument counts.
bool KnownOperation(const std::string& name, int& arguments);

// The name of a message id of module 69 ("MsgSignIn" for 2), or null for another id.
const char* MessageName(unsigned short msgId);

}  // namespace host
