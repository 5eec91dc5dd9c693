// The readable record of a session: one line per event, in order, each with the game time
// and a mark saying what it is (a session line, an answer, a message sent or received, a
// signal, the simulated server's decision, a role value, a log line of the module...).
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace host {

class Transcript {
public:
    enum class Kind {
        Step,     // a line of the session, as written
        Say,      // a session's own words
        Answer,   // what an operation of qrn::IDailyActivity answered
        Why,      // why a check said no
        Send,     // a request the module sent
        Receive,  // a message the server sent
        Signal,   // a signal of the service
        Server,   // what the simulated server decided
        Value,    // a role value changed
        Log,      // a log line of the module (or of the host's frame)
        Pass,     // an expectation held
        Fail,     // an expectation failed, or the session could not go on
        Note,     // the host's own remarks (start, end, summary)
    };

    // quiet: only session lines, failures and notes are written.
    Transcript(std::ostream& out, bool quiet, std::function<std::string()> gameTime);

    void Line(Kind kind, const std::string& text);
    int Failures() const { return failures_; }

private:
    std::ostream& out_;
    bool quiet_;
    std::function<std::string()> gameTime_;
    int failures_ = 0;
};

// "module 69 msg 3 MsgActivityReward: chunk 3 = 2", decoded for a reader. fromServer picks
// which way the ids are read (message 0 from the server carries a DAMsg.DailyActivity in
// chunk 0). A frame that breaks the format is described as such, never trusted.
std::string DescribeFrame(const std::string& bytes, bool fromServer);

// "0x100 (bits 8)" for role values.
std::string DescribeValue(long long value);

}  // namespace host
