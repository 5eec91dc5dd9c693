#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "logging/LogHelpers.h"
#include "logging/SafeFormat.h"

namespace {

// Boost's own texts (the wording of too_many_args differs between Boost releases).
const char* kTooFew = boost::io::too_few_args(0, 0).what();
const char* kTooMany = boost::io::too_many_args(0, 0).what();
const char* kBadFormat = boost::io::bad_format_string(0, 0).what();

struct LevelGuard {
    ~LevelGuard() { zor::Log::GetInstance().SetEnabledLevels({0, 1, 2, 3}); }
};

void ExpectReport(const std::vector<zor::LogRecord>& records, size_t at, const char* text) {
    ASSERT_GT(records.size(), at + 1);
    EXPECT_EQ(records[at].kind, zor::LogKind::Plain);
    EXPECT_EQ(records[at].text, text);
    EXPECT_EQ(records[at + 1].kind, zor::LogKind::CallStack);
}

TEST(LogFormat, BoostTextsAreTheExpectedOnes) {
    EXPECT_STREQ(kTooFew, "boost::too_few_args: format-string referred to more arguments than were passed");
    EXPECT_STREQ(kBadFormat, "boost::bad_format_string: format-string is ill-formed");
    EXPECT_EQ(std::string(kTooMany).rfind("boost::too_many_args: format-string referred to ", 0), 0u);
}

TEST(LogFormat, WritesTheFormattedLineAtItsLevel) {
    zor::LogCapture capture;
    LogFormat<2>("start %s %s :: DoParentStart()", std::string("A"), std::string("B"));
    LogFormat<3>("%s() error with ModuleID(%d) MsgID(%d) : Chunk(%d) not found", "NetMsgChunkCast",
                 static_cast<unsigned short>(69), static_cast<unsigned short>(65535), static_cast<unsigned short>(0));
    ASSERT_EQ(capture.Records().size(), 2u);
    EXPECT_EQ(capture.Records()[0].level, 2);
    EXPECT_EQ(capture.Records()[0].text, "start A B :: DoParentStart()");
    EXPECT_EQ(capture.Records()[1].level, 3);
    EXPECT_EQ(capture.Records()[1].text, "NetMsgChunkCast() error with ModuleID(69) MsgID(65535) : Chunk(0) not found");
}

TEST(LogFormat, DisabledLevelFormatsNothing) {
    LevelGuard restore;
    zor::Log::GetInstance().SetLevelEnable(3, false);
    zor::LogCapture capture;
    LogFormat<3>("%s %s %", "would fail");  // ill-formed and too few: still silent
    LogText<3>("text");
    EXPECT_TRUE(capture.Records().empty());
}

TEST(LogFormat, NullFormatWritesNothing) {
    zor::LogCapture capture;
    LogFormat<2>(nullptr, "x");
    LogText<3>(nullptr);
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_EQ(FormatString(nullptr, "x"), "NullString");
    EXPECT_EQ(SafeFormat(nullptr).str(), "");
}

TEST(LogFormat, NullArgumentGivesTooFewArgsThenAnEmptyLine) {
    zor::LogCapture capture;
    LogFormat<3>("VerifyChunk() error : class=%s Chunk==NULL", static_cast<const char*>(nullptr));
    const auto& r = capture.Records();
    ASSERT_EQ(r.size(), 3u);
    ExpectReport(r, 0, kTooFew);
    EXPECT_EQ(r[2].kind, zor::LogKind::Level);
    EXPECT_EQ(r[2].level, 3);
    EXPECT_EQ(r[2].text, "");
}

TEST(LogFormat, SurplusArgumentIsDroppedAfterTheReport) {
    zor::LogCapture capture;
    LogFormat<0>("no placeholders", "extra");
    const auto& r = capture.Records();
    ASSERT_EQ(r.size(), 3u);
    ExpectReport(r, 0, kTooMany);
    EXPECT_EQ(r[2].level, 0);
    EXPECT_EQ(r[2].text, "no placeholders");
}

TEST(LogFormat, IllFormedFormatIsReportedAndTheCallGoesOn) {
    zor::LogCapture capture;
    LogFormat<2>("broken %", std::string("a"));
    const auto& r = capture.Records();
    ASSERT_GE(r.size(), 3u);
    ExpectReport(r, 0, kBadFormat);
    EXPECT_EQ(r.back().kind, zor::LogKind::Level);
}

TEST(FormatString, FormatsWithoutWriting) {
    zor::LogCapture capture;
    EXPECT_EQ(FormatString("%s/config/StringTable/%s.xml", std::string("/data"), std::string("common")),
              "/data/config/StringTable/common.xml");
    EXPECT_EQ(FormatString("%d", static_cast<unsigned short>(65535)), "65535");
    EXPECT_EQ(FormatString("%s", zor::String("z")), "z");
    // Numbers as the numbers they are, not cut to 16 bits.
    EXPECT_EQ(FormatString("%d %d %d", -5, 70000, -5000000000LL), "-5 70000 -5000000000");
    EXPECT_EQ(FormatString("%d %d", 18446744073709551615ULL, static_cast<int64_t>(INT64_MIN)),
              "18446744073709551615 -9223372036854775808");
    enum Tier { kFifth = 70005 };
    EXPECT_EQ(FormatString("%d %s", kFifth, 2.5), "70005 2.5");
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_EQ(FormatString("%s %s", "one"), "");
    EXPECT_EQ(capture.Records()[0].text, kTooFew);
}

// A character is refused at compile time (it is no number, and text goes as const char*).
template <class T, class = void>
struct Feeds : std::false_type {};
template <class T>
struct Feeds<T, decltype(void(std::declval<SafeFormat&>() % std::declval<T>()))> : std::true_type {};
static_assert(Feeds<long long>::value && Feeds<unsigned>::value && Feeds<const char*>::value, "numbers and text");
static_assert(!Feeds<char>::value && !Feeds<unsigned char>::value, "a character is refused");

struct NullWhat : std::exception {
    const char* what() const noexcept override { return nullptr; }
};

TEST(SafeFormat, ExceptionWithoutTextIsReportedWithTheFixedLine) {
    zor::LogCapture capture;
    bool ok = SafeFormat::Guarded(SafeFormat::Reporter::Text, [] { throw NullWhat(); });
    EXPECT_FALSE(ok);
    ExpectReport(capture.Records(), 0, "zor.format.SafeCall() throw exception");
}

TEST(SafeFormat, OtherExceptionTypesPassThrough) {
    EXPECT_THROW(SafeFormat::Guarded(SafeFormat::Reporter::Text, [] { throw 5; }), int);
}

}  // namespace
