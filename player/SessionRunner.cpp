#include "player/SessionRunner.h"

#include <iostream>

#include <cstring>
#include <memory>
#include <vector>

#include "host/Host.h"
#include "player/SimulatedServer.h"
#include "player/Transcript.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace host {

namespace {

// The log as transcript lines; a call stack is summed up in one line.
class TranscriptSink : public zor::LogSink {
public:
    explicit TranscriptSink(Transcript& transcript) : transcript_(transcript) {}
    void Write(const zor::LogRecord& r) override {
        switch (r.kind) {
            case zor::LogKind::Level:
                transcript_.Line(Transcript::Kind::Log, "[L" + std::to_string(r.level) + "] " + r.text);
                break;
            case zor::LogKind::Plain: transcript_.Line(Transcript::Kind::Log, r.text); break;
            case zor::LogKind::Debug: transcript_.Line(Transcript::Kind::Log, "[debug] " + r.text); break;
            case zor::LogKind::CallStack: {
                size_t frames = 0;
                for (char c : r.text) frames += c == '\n';
                transcript_.Line(Transcript::Kind::Log, "[call stack, " + std::to_string(frames) + " frames]");
                break;
            }
        }
    }

private:
    Transcript& transcript_;
};

std::string Describe(const _ActivityReward& e) {
    std::string items;
    for (size_t i = 0; i < e.RewardItemList.size(); ++i) items += (i ? ", " : "") + std::to_string(e.RewardItemList[i]);
    return "ActivityValue " + std::to_string(e.ActivityValue) + ", RewardMoney " + std::to_string(e.RewardMoney) +
           ", RewardBindMoney " + std::to_string(e.RewardBindMoney) + ", RewardItemList [" + items + "], RewardItemNum " +
           std::to_string(e.RewardItemNum);
}

std::string Describe(const _SignInReward& e) {
    std::string items;
    for (size_t i = 0; i < e.ItemRewardList.size(); ++i) {
        const _SignInItemReward& item = e.ItemRewardList[i];
        items += (i ? "; " : "") + std::string("RewardType ") + std::to_string(item.RewardType);
        if (item.RewardType == 3) {
            items += " RewardItemTemplateID " + std::to_string(item.RewardItemTemplateID) + " RewardItemNum " +
                     std::to_string(item.RewardItemNum);
        } else {
            items += " RewardValue " + std::to_string(item.RewardValue);
        }
    }
    return "SignInNum " + std::to_string(e.SignInNum) + ", ItemRewardList [" + items + "]";
}

// A sent message in the form of "expect sent": "4 4=2 5=0".
std::string SentText(const std::string& frame) {
    NetMsg msg(0, 0);
    zor::LogCapture quiet;  // a frame the module built always reads; this keeps a broken one silent
    if (!msg.ReadFrame(frame.data(), frame.size())) return "(a broken frame)";
    std::string text = std::to_string(msg.GetMsgID());
    if (msg.GetModuleID() != 69) text = "module " + std::to_string(msg.GetModuleID()) + " " + text;
    for (int i = 0; i < msg.GetChunkCount(); ++i) {
        const NetMsgChunk* c = msg.GetChunk(i);
        text += " " + std::to_string(c->ChunkID) + "=";
        if (c->GetDataSize() == 4) {
            int v;
            std::memcpy(&v, c->GetData(), 4);
            text += std::to_string(v);
        } else {
            text += "(" + std::to_string(c->GetDataSize()) + " bytes)";
        }
    }
    return text;
}

std::string ExpectedText(const SentExpectation& e) {
    std::string text = std::to_string(e.msgId);
    for (const auto& c : e.chunks) text += " " + std::to_string(c.first) + "=" + std::to_string(c.second);
    return text;
}

struct SignalEvent {
    std::string name;
    bool hasValue = false;
    long long value = 0;
};

class Player {
public:
    Player(const RunOptions& options, std::ostream& out)
        : options_(options), transcript_(out, options.quiet, [this] { return platform::LocalTimeText(host_.clock.Now()); }), server_(host_, transcript_) {}

    int Play(const Session& session, std::shared_ptr<zor::LogSink> logFile);

    // Signal handlers (bound with zor::bind_n).
    void OnDataChanged() { Heard("OnDataChanged", false, 0); }
    void OnActivityRewardNotice(int v) { Heard("OnActivityRewardNotice", true, v); }
    void OnValue64Notice(__int64 v) { Heard("OnValue64Notice", true, v); }

private:
    void Heard(const char* name, bool hasValue, long long value) {
        signals_.push_back(SignalEvent{name, hasValue, value});
        transcript_.Line(Transcript::Kind::Signal, hasValue ? std::string(name) + "(" + std::to_string(value) + ")" : name);
    }
    // Runs one step; the session's line is written first, except for expectations and
    // sayings, whose own line tells.
    // Steps that move the clock are written after they ran, in the new time.
    void Play(const Step& step) {
        const bool expectation = step.kind >= StepKind::ExpectAnswer;
        const bool echo = !expectation && step.kind != StepKind::Say;
        const bool clock = IsSettingStep(step.kind);
        const std::string line = "#" + std::to_string(step.line) + " " + step.source;
        if (echo && !clock) transcript_.Line(Transcript::Kind::Step, line);
        const bool ran = Run(step);
        if (echo && clock && ran) transcript_.Line(Transcript::Kind::Step, line);
        server_.Answer();
    }
    bool Run(const Step& step);
    bool Call(const Step& step);
    bool Expect(const Step& step);
    bool Check(const Step& step, bool held, const std::string& expected, const std::string& got);
    bool Fail(const Step& step, const std::string& message) {
        transcript_.Line(Transcript::Kind::Fail, "line " + std::to_string(step.line) + ": " + message);
        return false;
    }
    PlayerInfo* MainPlayer() {
        Role* role = host_.roles.MainRole();
        return role ? role->Info() : nullptr;
    }
    bool Timestamp(const Step& step, const std::string& text, long long& out);

    const RunOptions& options_;
    Host host_;
    Transcript transcript_;
    SimulatedServer server_;
    qrn::IDailyActivity* service_ = nullptr;
    std::vector<std::string> sent_;       // since the last "expect sent"
    std::vector<SignalEvent> signals_;    // since the last expectation on signals
    std::string answer_;                  // of the last call
    std::string why_;                     // of the last refused check
    bool called_ = false;
    int expectations_ = 0;
};

int Player::Play(const Session& session, std::shared_ptr<zor::LogSink> logFile) {
    // The module's log lines go to the file, or into the transcript, while the session plays.
    struct SinkScope {
        std::shared_ptr<zor::LogSink> previous;
        explicit SinkScope(std::shared_ptr<zor::LogSink> sink) : previous(zor::Log::GetInstance().SetSink(std::move(sink))) {}
        ~SinkScope() { zor::Log::GetInstance().SetSink(previous); }
    } scope(logFile ? logFile : std::make_shared<TranscriptSink>(transcript_));
    host_.client().SetSendObserver([this](const std::string& frame) {
        sent_.push_back(frame);
        transcript_.Line(Transcript::Kind::Send, DescribeFrame(frame, false));
        server_.Receive(frame);
    });
    // The clock and zone a session starts with are set before the module is loaded, so
    // that every line is in game time.
    size_t next = 0;
    while (next < session.steps.size() && IsSettingStep(session.steps[next].kind)) Play(session.steps[next++]);
    transcript_.Line(Transcript::Kind::Note, "session " + session.name + ": " + std::to_string(session.steps.size()) +
                                                 " steps; loading " + DailyActivityModuleFile());

    if (!host_.LoadModule()) {
        transcript_.Line(Transcript::Kind::Fail, "the module did not load: " + host_.Error());
        return transcript_.Failures();
    }
    service_ = host_.Service();
    if (!service_) {
        transcript_.Line(Transcript::Kind::Fail, "the module registered no service under the parent");
        return transcript_.Failures();
    }
    service_->SetContainerName("DailyActivity");
    // Further modules join the tree after the service, before it starts.
    std::vector<std::string> plugins = options_.plugins;
    for (const Step& step : session.steps) {
        if (step.kind == StepKind::Plugin) plugins.push_back(step.text);
    }
    for (const std::string& file : plugins) {
        if (!host_.LoadPlugin(file)) {
            transcript_.Line(Transcript::Kind::Fail, "the plugin " + file + " did not load: " + host_.Error());
            host_.ReleasePlugins();
            host_.ReleaseModule();
            return transcript_.Failures();
        }
        transcript_.Line(Transcript::Kind::Note, "plugin " + file + " loaded");
    }
    using zor::bind_n::bind;
    service_->OnDataChanged += bind(&Player::OnDataChanged, this);
    service_->OnActivityRewardNotice += bind(&Player::OnActivityRewardNotice, this);
    service_->OnValue64Notice += bind(&Player::OnValue64Notice, this);
    server_.LoadConfig();
    if (!host_.Start()) {
        transcript_.Line(Transcript::Kind::Fail, "the tree did not start (see the log lines above)");
        host_.Shutdown();
        host_.ReleasePlugins();
        host_.ReleaseModule();
        return transcript_.Failures();
    }
    transcript_.Line(Transcript::Kind::Note, "started; configuration directory " + zor::GetConfigDirectory());

    while (next < session.steps.size()) Play(session.steps[next++]);

    host_.Shutdown();
    host_.ReleasePlugins();
    host_.ReleaseModule();
    const int failures = transcript_.Failures();
    transcript_.Line(Transcript::Kind::Note, "done: " + std::to_string(session.steps.size()) + " steps, " +
                                                 std::to_string(expectations_) + " expectations, " +
                                                 std::to_string(failures) + " failed");
    return failures;
}

bool Player::Timestamp(const Step& step, const std::string& text, long long& out) {
    int y, mo, d, h, mi, s;
    __int64 t = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6 ||
        !LocalTimestamp(y, mo, d, h, mi, s, t)) {
        return Fail(step, "no such local time: " + text);
    }
    out = t;
    return true;
}

bool Player::Run(const Step& step) {
    const auto& n = step.numbers;
    switch (step.kind) {
        case StepKind::Clock: {
            if (!step.zone.empty()) SetTimeZone(step.zone == "system" ? "" : step.zone);
            long long t = 0;
            if (!Timestamp(step, step.text, t)) return false;
            host_.clock.Set(t);
            return true;
        }
        case StepKind::Zone: SetTimeZone(step.zone == "system" ? "" : step.zone); return true;
        case StepKind::Advance:
            if (!host_.clock.Advance(n[0])) {
                return Fail(step, "the clock would leave the years " + std::to_string(kFirstYear) + ".." +
                                      std::to_string(kLastYear));
            }
            return true;
        case StepKind::Role: {
            Role& role = host_.roles.SetMainRole(n[0]);
            if (step.flag) role.SetComponent(qrn::IRole::kPlayerInfoComponent, new OtherComponent());
            transcript_.Line(Transcript::Kind::Value, "main role " + std::to_string(n[0]) +
                                                          (step.flag ? " (component 17 is no player info)" : ""));
            return true;
        }
        case StepKind::RoleNone:
            host_.roles.RemoveMainRole();
            transcript_.Line(Transcript::Kind::Value, "no main role");
            return true;
        case StepKind::Value: {
            PlayerInfo* player = MainPlayer();
            if (!player) return Fail(step, "no main role with player info to hold the value");
            long long value = n[1];
            if (!step.text.empty() && !Timestamp(step, step.text, value)) return false;
            player->SetValue(static_cast<int>(n[0]), value);
            transcript_.Line(Transcript::Kind::Value,
                             RoleValueChange(host_.roles.MainRole()->GetEntityID(), static_cast<int>(n[0]), value));
            return true;
        }
        case StepKind::Activity: {
            PlayerInfo* player = MainPlayer();
            if (!player) return Fail(step, "no main role with player info to hold the activity value");
            player->SetActivityValue(static_cast<int>(n[0]));
            transcript_.Line(Transcript::Kind::Value, "role " + std::to_string(host_.roles.MainRole()->GetEntityID()) +
                                                          " activity value := " + std::to_string(n[0]));
            return true;
        }
        case StepKind::Holiday: host_.lua.SetHoliday(step.flag); return true;
        case StepKind::Have: host_.lua.SetHave(static_cast<int>(n[0]), step.flag); return true;
        case StepKind::ServerMessage: {
            std::string frame;
            if (n[0] == 0) {
                Role* role = host_.roles.MainRole();
                frame = DailyActivityFrame(role ? static_cast<__int64>(role->GetEntityID()) : 0, static_cast<int>(n[1]),
                                           static_cast<int>(n[2]), step.flag);
            } else if (n[0] == 1) {
                frame = ClearFrame();
            } else if (n[0] == 3) {
                frame = IntFrame(qrn::MsgActivityReward, 3, static_cast<int>(n[1]));
            } else {
                frame = Int64Frame(qrn::MsgValue64, 6, n[1]);
            }
            transcript_.Line(Transcript::Kind::Receive, DescribeFrame(frame, true));
            host_.Deliver(frame);
            return true;
        }
        case StepKind::ServerRaw: {
            NetMsg msg(qrn::DailyActivityModuleID, static_cast<unsigned short>(n[0]));
            for (const RawChunk& c : step.chunks) {
                if (!msg.AddChunk(c.bytes.data(), static_cast<int>(c.bytes.size()), c.id)) {
                    return Fail(step, "the chunks do not fit one message");
                }
            }
            const std::string frame = msg.ToBytes();
            transcript_.Line(Transcript::Kind::Receive, DescribeFrame(frame, true));
            host_.Deliver(frame);
            return true;
        }
        case StepKind::ServerMode: server_.SetAutomatic(step.flag); return true;
        case StepKind::ServerValue64: server_.SetValue64(n[0]); return true;
        case StepKind::Call: return Call(step);
        case StepKind::FireReset: host_.roles.FireReset(); return true;
        case StepKind::FireRole: {
            qrn::IRole* role = nullptr;
            if (step.word == "main") {
                role = host_.roles.MainRole();
            } else if (step.word.empty()) {
                role = &host_.roles.AddRole(n[0]);
            }
            host_.roles.FireRole(role);
            return true;
        }
        case StepKind::Say: transcript_.Line(Transcript::Kind::Say, step.text); return true;
        case StepKind::Plugin: return true;  // loaded before the tree started
        default: return Expect(step);
    }
}

bool Player::Call(const Step& step) {
    qrn::IDailyActivity& s = *service_;
    qrn::IDailyActivityExplain* explain = host_.Explain();
    const std::string& op = step.word;
    const int a = step.numbers.size() > 0 ? static_cast<int>(step.numbers[0]) : 0;
    const int b = step.numbers.size() > 1 ? static_cast<int>(step.numbers[1]) : 0;
    std::string shown;
    bool isCheck = false, result = false;
    std::string why;
    if (op == "GetRoleDailyActivityInfo") {
        IRoleDailyActivityInfo* record = s.GetRoleDailyActivityInfo();
        answer_ = record ? "record" : "null";
        shown = record ? "the record (entity type " + std::to_string(record->GetEntityType()) + ")" : "null";
    } else if (op == "GetActivityReward") {
        answer_ = shown = Describe(s.GetActivityReward(a));
    } else if (op == "GetSignInReward") {
        answer_ = shown = Describe(s.GetSignInReward(a));
    } else if (op == "GetSignInFlags") {
        const long long flags = s.GetSignInFlags();
        answer_ = std::to_string(flags);
        shown = DescribeValue(flags);
    } else if (op == "GetSignInCount") {
        answer_ = shown = std::to_string(s.GetSignInCount());
    } else {
        isCheck = true;
        if (op == "CanSignIn" || op == "RequestSignIn") {
            result = op == "CanSignIn" ? s.CanSignIn() : s.RequestSignIn();
            if (!result && explain) why = explain->ExplainSignIn();
        } else if (op == "CanTakeActivityReward" || op == "RequestActivityReward") {
            result = op[0] == 'C' ? s.CanTakeActivityReward(a) : s.RequestActivityReward(a);
            if (!result && explain) why = explain->ExplainActivityReward(a);
        } else if (op == "CanTakeSignInReward" || op == "RequestSignInReward") {
            result = op[0] == 'C' ? s.CanTakeSignInReward(a, b) : s.RequestSignInReward(a, b);
            if (!result && explain) why = explain->ExplainSignInReward(a, b);
        } else if (op == "CanTakeHolidayAward" || op == "RequestHolidayAward") {
            result = op[0] == 'C' ? s.CanTakeHolidayAward(a) : s.RequestHolidayAward(a);
            if (!result && explain) why = explain->ExplainHolidayAward(a);
        } else if (op == "RequestValue64") {
            result = s.RequestValue64();
        }
        if (!result && why.empty() && op.rfind("Request", 0) == 0) why = "the request was not sent";
        answer_ = shown = result ? "true" : "false";
    }
    why_ = why;
    called_ = true;
    std::string args;
    for (size_t i = 0; i < step.numbers.size(); ++i) args += (i ? ", " : "") + std::to_string(step.numbers[i]);
    transcript_.Line(Transcript::Kind::Answer, op + "(" + args + ") = " + shown);
    if (isCheck && !result) transcript_.Line(Transcript::Kind::Why, why.empty() ? "(no reason given)" : why);
    return true;
}

bool Player::Check(const Step& step, bool held, const std::string& expected, const std::string& got) {
    ++expectations_;
    if (held) {
        transcript_.Line(Transcript::Kind::Pass, "#" + std::to_string(step.line) + " " + expected);
        return true;
    }
    return Fail(step, "expected " + expected + ", got " + got);
}

bool Player::Expect(const Step& step) {
    const auto& n = step.numbers;
    switch (step.kind) {
        case StepKind::ExpectAnswer:
            if (!called_) return Check(step, false, "answer " + step.text, "no call yet");
            return Check(step, answer_ == step.text, "answer " + step.text, answer_);
        case StepKind::ExpectWhy:
            if (!called_) return Check(step, false, "why " + step.text, "no call yet");
            return Check(step, why_ == step.text, "why " + step.text, why_.empty() ? "no refusal" : why_);
        case StepKind::ExpectSent: {
            std::string expected, got;
            for (const SentExpectation& e : step.sent) expected += (expected.empty() ? "" : ", ") + ExpectedText(e);
            for (const std::string& f : sent_) got += (got.empty() ? "" : ", ") + SentText(f);
            if (expected.empty()) expected = "none";
            if (got.empty()) got = "none";
            sent_.clear();
            return Check(step, expected == got, "sent " + expected, got);
        }
        case StepKind::ExpectSignal: {
            bool found = false;
            std::string heard;
            for (const SignalEvent& e : signals_) {
                heard += (heard.empty() ? "" : ", ") + e.name + (e.hasValue ? "(" + std::to_string(e.value) + ")" : "");
                found |= e.name == step.word && (!step.flag || (e.hasValue && e.value == n[0]));
            }
            signals_.clear();
            const std::string expected = "signal " + step.word + (step.flag ? "(" + std::to_string(n[0]) + ")" : "");
            return Check(step, found, expected, heard.empty() ? "no signal" : heard);
        }
        case StepKind::ExpectNoSignal: {
            std::string heard;
            for (const SignalEvent& e : signals_) {
                if (step.word.empty() || e.name == step.word) heard += (heard.empty() ? "" : ", ") + e.name;
            }
            signals_.clear();
            return Check(step, heard.empty(), "no signal" + (step.word.empty() ? "" : " " + step.word), heard);
        }
        case StepKind::ExpectCount: {
            int count = 0;
            service_->GetRoleDailyActivityInfo()->GetCompleteNum(static_cast<int>(n[0]), count);
            return Check(step, count == n[1], "count " + std::to_string(n[0]) + " " + std::to_string(n[1]), std::to_string(count));
        }
        case StepKind::ExpectValue: {
            PlayerInfo* player = MainPlayer();
            if (!player) return Check(step, false, "a value of the main role", "no main role with player info");
            long long expected = n[1];
            if (!step.text.empty() && !Timestamp(step, step.text, expected)) return false;
            const int key = static_cast<int>(n[0]);
            const long long value = player->GetValue(key);
            return Check(step, value == expected, "value " + std::to_string(key) + " " + DescribeRoleValue(key, expected),
                         DescribeRoleValue(key, value));
        }
        default: return Fail(step, "this step cannot run");
    }
}

}  // namespace

int PlaySession(const Session& session, const RunOptions& options, std::ostream& out) {
    std::shared_ptr<zor::FileSink> file;
    if (!options.logFile.empty()) {
        file = std::make_shared<zor::FileSink>(options.logFile);
        if (!file->IsOpen()) {
            std::cerr << "cannot write the log file " << options.logFile << "\n";
            return 1;
        }
    }
    if (!options.configDir.empty()) zor::SetConfigDirectory(options.configDir);
    Player player(options, out);
    int failures = player.Play(session, file);
    if (file && file->Failed()) {
        std::cerr << "the log file " << options.logFile << " could not be written in full\n";
        ++failures;
    }
    return failures;
}

}  // namespace host
