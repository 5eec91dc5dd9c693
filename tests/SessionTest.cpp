// Sessions as the host reads them, and the transcript's decoding of frames.
#include <gtest/gtest.h>

#include <sstream>

#include "event/NetMsg.h"
#include "host/DAMsgCodec.h"
#include "host/Host.h"
#include "player/Session.h"
#include "player/SessionRunner.h"
#include "host/SettableClock.h"
#include "player/Transcript.h"

namespace {

using host::ParseSession;
using host::SessionError;
using host::StepKind;

std::vector<SessionError> Errors(const std::string& text) {
    std::vector<SessionError> errors;
    ParseSession("t", text, errors);
    return errors;
}

TEST(SessionParse, StepsCommentsAndBlankLines) {
    std::vector<SessionError> errors;
    host::Session s = ParseSession("t",
                                   "# a comment\n\n  clock 2026-12-08 10:00 CST-8  # trailing\r\n"
                                   "value 32 bits 1,8\nvalue 47 0xFFFFFFFFFFFFFFFF\nvalue 19 at 2026-01-02 03:04:05\n"
                                   "server 0 2 3 over\nserver raw 9 0:0801 7:\ncall CanTakeSignInReward 2 -1\n"
                                   "expect sent 4 4=2 5=0, 2\nexpect sent none\nexpect signal OnValue64Notice -5\n"
                                   "say two  spaces\nadvance 90m\nfire role 12\n",
                                   errors);
    ASSERT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
    ASSERT_EQ(s.steps.size(), 13u);
    EXPECT_EQ(s.steps[0].line, 3);
    EXPECT_EQ(s.steps[0].text, "2026-12-08 10:00:00");
    EXPECT_EQ(s.steps[0].zone, "CST-8");
    EXPECT_EQ(s.steps[1].numbers[1], 0x102);
    EXPECT_EQ(s.steps[2].numbers[1], -1);
    EXPECT_EQ(s.steps[3].text, "2026-01-02 03:04:05");
    EXPECT_TRUE(s.steps[4].flag);
    ASSERT_EQ(s.steps[5].chunks.size(), 2u);
    EXPECT_EQ(s.steps[5].chunks[0].bytes, std::string("\x08\x01"));
    EXPECT_EQ(s.steps[5].chunks[1].id, 7);
    EXPECT_TRUE(s.steps[5].chunks[1].bytes.empty());
    EXPECT_EQ(s.steps[6].numbers, (std::vector<long long>{2, -1}));
    ASSERT_EQ(s.steps[7].sent.size(), 2u);
    EXPECT_EQ(s.steps[7].sent[0].chunks[1], (std::pair<unsigned short, long long>{5, 0}));
    EXPECT_TRUE(s.steps[8].sent.empty());
    EXPECT_EQ(s.steps[9].numbers[0], -5);
    EXPECT_EQ(s.steps[10].text, "two  spaces");
    EXPECT_EQ(s.steps[11].numbers[0], 5400);
    EXPECT_EQ(s.steps[12].kind, StepKind::FireRole);
}

// Every malformed line is reported with its number; no step of such a session is run.
TEST(SessionParse, MalformedLinesAreRefusedWithTheirLineNumbers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"jump 3", "unknown step 'jump'"},
        {"call CanTakeActivityReward", "CanTakeActivityReward takes 1 argument(s), not 0"},
        {"call Fly 1", "qrn::IDailyActivity has no operation 'Fly'"},
        {"call GetSignInReward 99999999999", "the argument 99999999999 is out of range"},
        {"clock 2026-13-01 10:00", "no such date or time: 2026-13-01 10:00"},
        {"clock 2026-02-29 10:00", "no such date or time: 2026-02-29 10:00"},  // not run as 1 March
        {"clock 2026-04-31 10:00", "no such date or time"},
        {"value 19 at 2100-02-29 10:00", "no such date or time"},              // no leap day in 2100
        {"clock tomorrow", "usage: clock YYYY-MM-DD HH:MM[:SS] [ZONE]"},
        {"value 32 bits 1,64", "a bit 64 is out of range (0..63)"},
        {"value 32", "usage: value KEY NUMBER"},
        {"holiday maybe", "expected on or off, not 'maybe'"},
        {"server 2", "the server sends messages 0, 1, 3 and 6 (or raw ones), not '2'"},
        {"server raw 0 0:0g", "not hex: '0g'"},
        {"server raw 0 0:080", "odd number of hex digits in '0:080'"},
        {"server 0 1 2 later", "usage: server 0 TYPE COUNT [over]"},
        {"expect signal OnLunch", "no signal 'OnLunch'"},
        {"expect sent 3 3:2", "a chunk is CHUNK=VALUE, not '3:2'"},
        {"expect sent 70000", "the message id 70000 is out of range (0..65535)"},
        {"expect count 2", "usage: expect count TYPE NUMBER"},
        {"advance soon", "the time to advance is not a number: 'soon'"},
        {"role 5 ghost", "unknown role option 'ghost'"},
    };
    std::string text = "role 1\n";
    for (const auto& c : cases) text += c.first + "\n";
    std::vector<SessionError> errors = Errors(text);
    ASSERT_EQ(errors.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(errors[i].line, static_cast<int>(i) + 2) << cases[i].first;
        EXPECT_EQ(errors[i].message.rfind(cases[i].second, 0), 0u) << cases[i].first << " -> " << errors[i].message;
    }
}

// Careless and hostile bytes: each line is a step, a blank or a refusal naming it.
TEST(SessionParse, HostileLinesAreBlankOrRefusedNeverRead) {
    std::vector<SessionError> errors;
    host::Session s = ParseSession("t", "\xEF\xBB\xBFrole 1\n\v\n\f\n \r\r\nadvance 1\r\r\n", errors);
    ASSERT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
    ASSERT_EQ(s.steps.size(), 2u);  // the byte order mark is no part of the first step
    EXPECT_EQ(s.steps[1].line, 5);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string("activity 5\0" "99", 13), "the activity value is not a number: '5\\x0099'"},
        {std::string("clock 2026-12-08\0x 10:00", 25), "expected a date and time"},
        {"clock 2026-12-08 12:00:60", "no such date or time"},  // no second 60, midday or midnight
        {"clock 2026-12-08 23:59:60", "no such date or time"},
        {"advance 2000000000d", "the time to advance 2000000000 is out of range"},  // the limit holds after the unit
        {"zone Etc/UTC", "a zone is a POSIX TZ text"},       // a file of the zone database
        {"zone /tmp/fifo", "a zone is a POSIX TZ text"},
        {"zone UTC", "a zone is a POSIX TZ text"},           // no offset: would run as UTC by accident
        {"zone CST-8CDT,M13.1.0,M1.1.0", "a zone is a POSIX TZ text"},
        {"zone AAA+1BBB,J0,J300", "a zone is a POSIX TZ text"},  // Julian days count from 1
        {"zone AAA+1BBB,J1,J366", "a zone is a POSIX TZ text"},
        {"zone AAA+1BBB,M3.0.0,M11.1.0", "a zone is a POSIX TZ text"},  // weeks count from 1
        {"clock 2026-12-08 10:00 nowhere", "a zone is a POSIX TZ text"},
    };
    std::string text;
    for (const auto& c : cases) text += c.first + "\n";
    errors = Errors(text);
    ASSERT_EQ(errors.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(errors[i].line, static_cast<int>(i) + 1);
        EXPECT_NE(errors[i].message.find(cases[i].second), std::string::npos) << i << " -> " << errors[i].message;
    }
    for (const char* zone : {"UTC0", "CST-8", "EST5EDT,M3.2.0,M11.1.0", "<+0330>-3:30", "AAA+1BBB,J60/2,300/-1:30",
                             "AAA+1BBB,J1,J365", "AAA+1BBB,0,365", "AAA+1BBB,M1.1.0,M12.5.6"}) {
        EXPECT_TRUE(Errors(std::string("zone ") + zone + "\n").empty()) << zone;
    }
}

// The clock never leaves the years a clock step accepts, and the epoch's last second is a time.
TEST(SessionClock, StaysInsideTheYearsItAccepts) {
    host::SetTimeZone("UTC0");
    __int64 t = 0;
    if (host::kEarliestTime < 0) {
        ASSERT_TRUE(host::LocalTimestamp(1969, 12, 31, 23, 59, 59, t));
        EXPECT_EQ(t, -1);
    }
    EXPECT_TRUE(host::LocalTimestamp(host::kLastYear, 12, 31, 23, 59, 59, t));
    EXPECT_EQ(t, host::kLatestTime);
    EXPECT_FALSE(host::LocalTimestamp(host::kLastYear + 1, 1, 1, 0, 0, 0, t));
    host::SettableClock& clock = host::SettableClock::Instance();
    clock.Set(host::kLatestTime - 10);
    EXPECT_FALSE(clock.Advance(11));
    EXPECT_EQ(clock.Now(), host::kLatestTime - 10);
    EXPECT_TRUE(clock.Advance(10));
    // The clock's own limit of one step, also when it is called directly.
    clock.Set(0);
    EXPECT_FALSE(clock.Advance(host::kMaxAdvance + 1));
    EXPECT_EQ(clock.Now(), 0);
    EXPECT_FALSE(clock.Advance(-1));
    EXPECT_TRUE(clock.Advance(host::kMaxAdvance));
    clock.Set(0);
    for (int i = 0; i < 100; ++i) clock.Advance(host::kMaxAdvance);  // no wrap, no sanitizer report
    EXPECT_LE(clock.Now(), host::kLatestTime);
    host::SetTimeZone("");
    clock.UseSystemTime();
}

// Every range of the language on both sides of its edge: leap days, the first and last years a
// clock step takes, the longest step of the clock, bits, message ids, 64-bit values.
TEST(SessionParse, RangesAtTheirEdges) {
    const std::string first = std::to_string(host::kFirstYear), last = std::to_string(host::kLastYear);
    const std::string longest = std::to_string(host::kMaxAdvance);
    for (const std::string& ok : std::vector<std::string>{"clock 2024-02-29 10:00", "clock 2000-02-29 10:00", "clock 2026-12-31 23:59:59",
                                  "clock " + std::string(4 - first.size(), '0') + first + "-01-01 00:00",
                                  "clock " + last + "-12-31 23:59:59", "advance 36600d", "advance " + longest,
                                  "value 32 bits 0,63", "expect sent 65535", "value 47 -9223372036854775808",
                                  "value 47 9223372036854775807"}) {
        const std::vector<SessionError> errors = Errors(ok + "\n");
        EXPECT_TRUE(errors.empty()) << ok << " -> " << errors[0].message;
    }
    const std::string before = std::to_string(host::kFirstYear - 1), after = std::to_string(host::kLastYear + 1);
    for (const std::string& refused : std::vector<std::string>{"clock " + std::string(4 - before.size(), '0') + before + "-12-31 23:59",
                                       "clock " + after + "-01-01 00:00", "advance 36601d",
                                       "advance " + std::to_string(host::kMaxAdvance + 1), "value 32 bits -1",
                                       "expect sent 65536", "value 47 -9223372036854775809",
                                       "value 47 9223372036854775808"}) {
        EXPECT_EQ(Errors(refused + "\n").size(), 1u) << refused;
    }
}

// What the expectations claim is what they check: a signal's value, a signal heard by an
// unnamed "expect no signal"; and the clock's first and last second run.
TEST(SessionPlay, ExpectationsFailWhereTheyShould) {
    const std::string first = std::to_string(host::kFirstYear), last = std::to_string(host::kLastYear);
    const std::string text =
        "clock 2026-12-08 10:00 UTC0\n"                      // 1
        "role 1\n"                                           // 2
        "server 3 5\n"                                       // 3
        "expect signal OnActivityRewardNotice 5\n"           // 4: holds
        "server 3 5\n"                                       // 5
        "expect signal OnActivityRewardNotice 6\n"           // 6: another value
        "server 1\n"                                         // 7
        "expect no signal\n"                                 // 8: OnDataChanged was heard
        "server 1\n"                                         // 9
        "expect no signal OnValue64Notice\n"                 // 10: holds
        "clock " + last + "-12-31 23:59:59 UTC0\n"           // 11: runs
        "clock " + std::string(4 - first.size(), '0') + first + "-01-01 00:00 UTC0\n"  // 12: runs
        "expect count 2 0\n";                                // 13: holds
    std::vector<SessionError> errors;
    const host::Session session = ParseSession("t", text, errors);
    ASSERT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
    std::ostringstream out;
    host::RunOptions options;
    options.quiet = true;
    const int failures = host::PlaySession(session, options, out);
    std::vector<std::string> failed;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find("FAIL    ");
        if (at != std::string::npos) failed.push_back(line.substr(at + 8));
    }
    EXPECT_EQ(failed, (std::vector<std::string>{
                          "line 6: expected signal OnActivityRewardNotice(6), got OnActivityRewardNotice(5)",
                          "line 8: expected no signal, got OnDataChanged"}))
        << out.str();
    EXPECT_EQ(failures, 2);
    host::SetTimeZone("");
    host::SettableClock::Instance().UseSystemTime();
}

TEST(SessionParse, TheEmbeddedSessionParses) {
    std::vector<SessionError> errors = Errors(host::DefaultSessionText());
    EXPECT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
}

TEST(TranscriptDecoding, FramesAreDecodedForAReader) {
    using host::DescribeFrame;
    using host::Frame;
    host::DailyActivityFields f;
    f.roleId = 1001;
    f.tempType = 2;
    f.completeNum = 3;
    f.hasIsOver = f.isOver = true;
    EXPECT_EQ(DescribeFrame(Frame(69, 0, {{0, host::EncodeDailyActivity(f)}}), true),
              "module 69 msg 0 MsgDailyActivity: chunk 0 DAMsg.DailyActivity{RoleID 1001 TempType 2 CompleteNum 3 IsOver true}");
    int tier = 2;
    EXPECT_EQ(DescribeFrame(Frame(69, 3, {{3, std::string(reinterpret_cast<char*>(&tier), 4)}}), false),
              "module 69 msg 3 MsgActivityReward: chunk 3 = 2");
    EXPECT_EQ(DescribeFrame(Frame(69, 2, {}), false), "module 69 msg 2 MsgSignIn: no chunk");
    // An id without a handler, and one no request has.
    EXPECT_EQ(DescribeFrame(Frame(69, 9, {{1, "abc"}}), true), "module 69 msg 9 (no handler for this id): chunk 1 (3 bytes): 61 62 63");
    EXPECT_EQ(DescribeFrame(Frame(69, 2, {}), true), "module 69 msg 2 (no handler for this id): no chunk");
    EXPECT_EQ(DescribeFrame(Frame(69, 40, {}), false), "module 69 msg 40 (unknown id): no chunk");
    EXPECT_EQ(DescribeFrame(Frame(7, 0, {{0, "\x08"}}), true), "module 7 msg 0: chunk 0 (1 bytes): 08");
}

TEST(TranscriptDecoding, BrokenChunksAndFramesAreShownNotTrusted) {
    using host::DescribeFrame;
    using host::Frame;
    EXPECT_EQ(DescribeFrame(Frame(69, 0, {{0, std::string("\x08\x01\x10\x02", 4)}}), true),
              "module 69 msg 0 MsgDailyActivity: chunk 0 (4 bytes, not a DAMsg.DailyActivity): 08 01 10 02");
    EXPECT_EQ(DescribeFrame(Frame(69, 0, {{0, ""}}), true),
              "module 69 msg 0 MsgDailyActivity: chunk 0 (0 bytes, not a DAMsg.DailyActivity): ");
    EXPECT_EQ(DescribeFrame(std::string("\x45\x00", 2), true), "a frame of 2 bytes, shorter than a message header");
    std::string frame = Frame(69, 1, {{1, "xy"}});
    EXPECT_EQ(DescribeFrame(frame.substr(0, 9), true),
              "module 69 msg 1 MsgClear: header length 12 differs from the frame's 9");
    frame[8] = 60;  // the chunk's size runs past the end
    EXPECT_EQ(DescribeFrame(frame, true), "module 69 msg 1 MsgClear: chunk 1 has a broken size 60");
}

TEST(TranscriptDecoding, RoleValuesShowTheirBits) {
    EXPECT_EQ(host::DescribeValue(0x102), "258 = 0x102 (bits 1 8)");
    EXPECT_EQ(host::DescribeValue(1), "1");
    EXPECT_EQ(host::DescribeValue(-1).substr(0, 25), "-1 = 0xffffffffffffffff (");
}

}  // namespace
