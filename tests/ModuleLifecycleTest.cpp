// The module as the host sees it: loading by file name, the four entry points, start,
// shutdown and release with host events fired after each, and what a failed start leaves.
#include <gtest/gtest.h>

#include <google/protobuf/descriptor.h>

#include <filesystem>
#include <set>

#include "ModuleFixture.h"
#include "resource/StringTable.h"

namespace moduletest {
namespace {

using host::Host;


TEST(ModuleEntryPoints, OnlyTheAcceptedParentGetsAService) {
    Host h;
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    host::PluginModule& m = *h.Module();
    host::HostContainer other(GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, 0, "Other");
    EXPECT_TRUE(m.initPlugin());
    EXPECT_TRUE(m.releasePlugin());
    EXPECT_TRUE(m.initPluginContainer(&other));
    EXPECT_TRUE(other.Children().empty());
    EXPECT_TRUE(m.initPluginContainer(nullptr));
    m.releasePluginContainer(&other);
    m.releasePluginContainer(nullptr);

    // The accepted parent got its service from LoadModule; release it, then release again.
    ASSERT_NE(h.Service(), nullptr);
    const std::string service = platform::TypeName(typeid(qrn::IDailyActivity));
    EXPECT_EQ(h.Service()->GetInterfaceName(), service);
    m.releasePluginContainer(&h.parent);
    EXPECT_EQ(h.Service(), nullptr);
    EXPECT_EQ(h.parent.Children().size(), 2u);  // the client and the role system stay
    m.releasePluginContainer(&h.parent);
}

TEST(ModuleEntryPoints, SecondServiceUnderTheSameParentIsRefusedAndFreed) {
    Host h;
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    qrn::IDailyActivity* first = h.Service();
    zor::LogCapture capture;
    EXPECT_TRUE(h.Module()->initPluginContainer(&h.parent));
    ASSERT_EQ(TextsAt(capture, 3).size(), 1u);
    const std::string service = platform::TypeName(typeid(qrn::IDailyActivity));
    EXPECT_NE(TextsAt(capture, 3)[0].find("same plugin(" + service + ")"), std::string::npos);
    EXPECT_EQ(h.Service(), first);  // untouched; the refused one is gone (LeakSanitizer checks)
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.Deliver(host::IntFrame(qrn::MsgActivityReward, 3, 2)));
}

#ifdef _WIN32
// The names in a loaded image's export directory.
std::set<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (dir.Size == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + rvas[i]));
    return names;
}

// The export table holds the four entry points and nothing else: a host casts to the published
// interfaces without any export, since this runtime compares type information by name.
TEST(ModuleEntryPoints, ExportsOnlyEntryPointsAndInterfaceTypes) {
    Host h;
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    EXPECT_EQ(ExportedNames(h.Module()->Handle()),
              (std::set<std::string>{"InitPlugin", "InitPluginContainer", "ReleasePlugin", "ReleasePluginContainer"}));
    ASSERT_TRUE(h.Start());
    EXPECT_NE(dynamic_cast<qrn::IDailyActivityExplain*>(h.Service()), nullptr);
}
#else
TEST(ModuleEntryPoints, ExportsOnlyEntryPointsAndInterfaceTypes) {
    Host h;
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    HMODULE m = h.Module()->Handle();
    for (const char* name : {"InitPlugin", "ReleasePlugin", "InitPluginContainer", "ReleasePluginContainer",
                             "_ZTIN3qrn14IDailyActivityE", "_ZTIN3qrn24IDailyActivityRewardListE",
                             "_ZTI22IRoleDailyActivityInfo"}) {
        EXPECT_NE(GetProcAddress(m, name), nullptr) << name;
    }
    for (const char* name : {"FiveElementsNames", "_ZN17QRN_DailyActivity17OnDailyActivityMsgEP7ISenderPK6NetMsg",
                             "_ZN6NetMsg9FindChunkEt", "_ZN16IPluginContainer22RegisterChildContainerEPS_",
                             "_ZN5DAMsg13DailyActivityC1Ev"}) {
        EXPECT_EQ(GetProcAddress(m, name), nullptr) << name << " leaks out of the module";
    }
}
#endif

TEST(ModuleLoad, RegistersTheMessageAndReadsTheCommonTable) {
    Host h;
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    const auto* file = google::protobuf::DescriptorPool::generated_pool()->FindFileByName("DAMsg.proto");
    ASSERT_NE(file, nullptr);
    const auto* type = file->FindMessageTypeByName("DailyActivity");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->field_count(), 5);
    EXPECT_EQ(type->FindFieldByNumber(2)->name(), "TempType");

    // The process-wide string table service holds "common", read while the module loaded.
    auto* tables = static_cast<StringTable*>(
        zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(tables->GetString("common", "FiveElements_Metal"), "\xE9\x87\x91");
}

// Files are found under the host's configuration directory, whatever the working directory.
TEST(ModuleLoad, ReadsFilesUnderTheConfigurationDirectory) {
    if (platform::IsModuleLoaded(host::DailyActivityModuleFile().c_str())) {
        GTEST_SKIP() << "the module was loaded earlier in this process; run this test on its own";
    }
    const std::filesystem::path root = std::filesystem::current_path();
    TempDir elsewhere;
    std::filesystem::current_path(elsewhere.Path());
    zor::SetConfigDirectory(root.string());
    {
        Host h;
        bool loaded = h.LoadModule();
        bool started = loaded && h.Start();
        EXPECT_TRUE(loaded) << h.Error();
        EXPECT_TRUE(started);
        if (started) {
            EXPECT_TRUE(h.Service()->GetActivityReward(2).ActivityValue > 0);
            auto* tables = static_cast<StringTable*>(
                zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
            EXPECT_EQ(tables->GetString("common", "FiveElements_Earth"), "\xE5\x9C\x9F");
        }
    }
    std::filesystem::current_path(root);
}

// The configuration directory as hosts give it: with a trailing separator or none, and on
// Windows with backslashes, slashes or both.
TEST(ModuleLoad, ConfigurationDirectoryWithEitherSeparator) {
    const std::string previous = zor::GetConfigDirectory();
    const std::string root = std::filesystem::current_path().string();  // the checkout's root
    std::vector<std::string> forms = {root, root + "/"};
#ifdef _WIN32
    std::string slashes = root, backslashes = root;
    for (char& c : slashes) c = c == '\\' ? '/' : c;
    for (char& c : backslashes) c = c == '/' ? '\\' : c;
    forms.insert(forms.end(), {slashes, backslashes, backslashes + "\\"});
#endif
    for (const std::string& form : forms) {
        zor::SetConfigDirectory(form);
        Host h;
        ASSERT_TRUE(h.LoadModule()) << h.Error();
        EXPECT_TRUE(h.Start()) << form;
        EXPECT_GT(h.Service()->GetActivityReward(2).ActivityValue, 0) << form;
    }
    zor::SetConfigDirectory(previous);
}

// The protobuf runtime keeps pointers into the module: once loaded it stays, whatever the host
// releases.
TEST(ModuleLoad, StaysResidentOnceLoaded) {
    {
        Host h;
        ASSERT_TRUE(h.LoadModule()) << h.Error();
        h.ReleaseModule();
    }
    EXPECT_TRUE(platform::IsModuleLoaded(host::DailyActivityModuleFile().c_str()));
    EXPECT_NE(google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName("DAMsg.DailyActivity"), nullptr);
}

TEST(ModuleLoad, LoadsStartsAndUnloadsTwentyTimes) {
    for (int round = 0; round < 20; ++round) {
        Host h;
        zor::LogCapture capture;
        ASSERT_TRUE(h.LoadModule()) << h.Error();
        ASSERT_TRUE(h.Start()) << "round " << round;
        h.roles.SetMainRole(7);
        ASSERT_TRUE(h.Deliver(host::DailyActivityFrame(7, 3, round + 1, true)));
        int count = 0;
        h.Service()->GetRoleDailyActivityInfo()->GetCompleteNum(3, count);
        EXPECT_EQ(count, round + 1);
        EXPECT_TRUE(h.Service()->RequestSignIn());
        ASSERT_TRUE(h.Shutdown());
        h.ReleaseModule();
        EXPECT_TRUE(TextsAt(capture, 3).empty()) << TextsAt(capture, 3)[0];
    }
}

class Lifecycle : public ModuleTest {};

TEST_F(Lifecycle, StartConnectsAndShutdownTakesEverythingBack) {
    Start();
    EXPECT_EQ(host.roles.ResetSignal.Count(), 1);
    EXPECT_EQ(host.roles.RoleSignal.Count(), 1);
    EXPECT_TRUE(host.client().HasModule(69));

    ASSERT_TRUE(host.Shutdown());
    EXPECT_EQ(host.roles.ResetSignal.Count(), 0);
    EXPECT_EQ(host.roles.RoleSignal.Count(), 0);
    EXPECT_FALSE(host.client().HasModule(69));
    EXPECT_FALSE(host.Deliver(host::DailyActivityFrame(1, 1, 1, true)));
    // Stopped: nothing is claimed or sent.
    MainPlayer().SetActivityValue(500);
    EXPECT_FALSE(service->CanTakeActivityReward(1));
    EXPECT_FALSE(service->RequestValue64());
    EXPECT_TRUE(host.client().Sent().empty());

    // A later start connects and registers again.
    Start();
    EXPECT_EQ(host.roles.ResetSignal.Count(), 1);
    EXPECT_TRUE(host.client().HasModule(69));
    EXPECT_TRUE(service->CanTakeActivityReward(1));
}

TEST_F(Lifecycle, HostEventsAfterReleaseReachNothing) {
    Start();
    host::Role& main = host.roles.SetMainRole(5);
    ASSERT_TRUE(host.Shutdown());
    host.ReleaseModule();
    EXPECT_EQ(host.Service(), nullptr);
    host.roles.FireReset();
    host.roles.FireRole(&main);
    EXPECT_FALSE(host.Deliver(host::ClearFrame()));
    EXPECT_FALSE(host.Deliver(host::DailyActivityFrame(5, 2, 2, true)));
}

TEST_F(Lifecycle, HostEventsBetweenShutdownAndReleaseReachNothing) {
    Start();
    Listener listener;
    listener.ListenTo(*service);
    ASSERT_TRUE(host.Deliver(host::DailyActivityFrame(5, 2, 2, true)));
    ASSERT_TRUE(host.Shutdown());
    host.roles.FireReset();
    EXPECT_FALSE(host.Deliver(host::ClearFrame()));
    int count = 0;
    service->GetRoleDailyActivityInfo()->GetCompleteNum(2, count);
    EXPECT_EQ(count, 2);  // neither the reset nor the clear arrived
    EXPECT_EQ(listener.changed, 1);
}

TEST(LifecycleWithoutWithdrawal, HostThatKeepsRegistrationsKeepsOurs) {
    Host h(false);
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(h.Shutdown());
    EXPECT_TRUE(h.client().HasModule(69));         // as the host wants it
    EXPECT_EQ(h.roles.ResetSignal.Count(), 0);     // our own connections are ours to drop
    ASSERT_TRUE(h.Start());                        // the stale registration is refused, no harm
    EXPECT_TRUE(h.Deliver(host::DailyActivityFrame(1, 4, 9, false)));
}

// A host that keeps every registration still delivers to our handler after the shutdown, the
// release and the unloading: nothing changes and no freed memory is reached (AddressSanitizer).
TEST(LifecycleWithoutWithdrawal, KeptRegistrationReachesNothingOnceStopped) {
    Host h(false);
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    ASSERT_TRUE(h.Start());
    Listener listener;
    listener.ListenTo(*h.Service());
    ASSERT_TRUE(h.Deliver(host::DailyActivityFrame(5, 2, 2, true)));
    ASSERT_TRUE(h.Shutdown());
    const std::string frames[] = {host::DailyActivityFrame(5, 2, 7, true), host::ClearFrame(), host::IntFrame(3, 3, 1),
                                  host::Int64Frame(6, 6, 1)};
    for (const std::string& frame : frames) EXPECT_TRUE(h.Deliver(frame));  // the host still has our handler
    h.roles.FireReset();
    int count = 0;
    EXPECT_TRUE(h.Service()->GetRoleDailyActivityInfo()->GetCompleteNum(2, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(listener.changed, 1);
    EXPECT_TRUE(listener.rewards.empty() && listener.values.empty());

    h.ReleaseModule();  // the service is freed and the module unloaded; the registration stays
    for (const std::string& frame : frames) EXPECT_TRUE(h.Deliver(frame));
    h.roles.FireReset();
    h.roles.SetMainRole(6);
    EXPECT_EQ(listener.changed, 1);

    ASSERT_TRUE(h.LoadModule()) << h.Error();  // a new service under the same kept registration
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(h.Deliver(host::DailyActivityFrame(6, 3, 4, true)));
    EXPECT_TRUE(h.Service()->GetRoleDailyActivityInfo()->GetCompleteNum(3, count));
}

// A host that registers no clock of its own: the module's system clock is no leak at exit
// (LeakSanitizer checks this program's exit in the sanitizer build).
TEST(LifecycleWithoutHostClock, LeavesNothingToFreeAtExit) {
    Host h(true, false);
    ASSERT_TRUE(h.LoadModule()) << h.Error();
    ASSERT_TRUE(h.Start());
    h.roles.SetMainRole(3);
    qrn::IDailyActivity& s = *h.Service();
    s.CanSignIn();
    s.CanTakeActivityReward(1);
    s.CanTakeSignInReward(1, 0);
    s.CanTakeHolidayAward(1);
    s.GetSignInCount();
    EXPECT_NE(&qrn::GetClock(), static_cast<qrn::IClock*>(&h.clock));
    ASSERT_TRUE(h.Shutdown());
    h.ReleaseModule();
}

TEST_F(Lifecycle, StartFailsWithoutGameServerClient) {
    host.parent.UnregisterChildContainer(&host.client());
    zor::LogCapture capture;
    EXPECT_FALSE(host.Start());
    std::vector<std::string> plain;
    for (const auto& r : capture.Records()) {
        if (r.kind == zor::LogKind::Plain) plain.push_back(r.text);
    }
    ASSERT_EQ(plain.size(), 1u);
    using platform::TypeName;
    EXPECT_EQ(plain[0], "[" + TypeName(typeid(qrn::IDailyActivity)) + "]:[" + TypeName(typeid(host::HostContainer)) +
                            "]QuerySiblingContainer()[" + TypeName(typeid(qrn::IGameServerClient)) + "]\xCA\xA7\xB0\xDC");
    EXPECT_EQ(host.roles.ResetSignal.Count(), 0);
    MainPlayer();
    EXPECT_EQ(service->GetSignInFlags(), 0);
    EXPECT_FALSE(service->RequestSignIn());
    EXPECT_FALSE(service->RequestValue64());
    ASSERT_TRUE(host.Shutdown());
    host.parent.RegisterChildContainer(&host.client());
}

TEST_F(Lifecycle, StartFailsWithoutRoleSystemBeforeConnectingAnything) {
    host.parent.UnregisterChildContainer(&host.roles);
    zor::LogCapture capture;
    EXPECT_FALSE(host.Start());
    ASSERT_FALSE(capture.Records().empty());
    bool found = false;
    for (const auto& r : capture.Records()) {
        found |= r.text.find("QuerySiblingContainer()[" + platform::TypeName(typeid(qrn::IRoleSystem)) + "]") !=
                 std::string::npos;
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(host.client().HasModule(69));
    EXPECT_FALSE(service->RequestValue64());
    EXPECT_TRUE(host.client().Sent().empty());
    ASSERT_TRUE(host.Shutdown());
    host.parent.RegisterChildContainer(&host.roles);
}

TEST_F(Lifecycle, StartFailsOnConfigurationWithConnectionsMadeAndNoClaims) {
    zor::SetConfigDirectory(config.Path());  // holds no configuration
    zor::LogCapture capture;
    EXPECT_FALSE(host.Start());
    bool logged = false;
    for (const auto& r : capture.Records()) {
        logged |= r.kind == zor::LogKind::Plain && r.text == "config\\DailyActivity\\Config.xml load fail!";
    }
    EXPECT_TRUE(logged);
    // What was done stays until the shutdown...
    EXPECT_EQ(host.roles.ResetSignal.Count(), 1);
    EXPECT_TRUE(host.client().HasModule(69));
    // ...but no claim is built on it.
    MainPlayer().SetValue(qrn::KeySignInFlags, 0xFFFE);
    EXPECT_EQ(service->GetSignInFlags(), 0);
    EXPECT_TRUE(service->CanSignIn());  // as without a main role
    EXPECT_FALSE(service->RequestSignIn());
    EXPECT_FALSE(service->RequestValue64());
    EXPECT_FALSE(service->RequestActivityReward(1));
    EXPECT_TRUE(host.client().Sent().empty());
    // Messages still reach the record.
    EXPECT_TRUE(host.Deliver(host::DailyActivityFrame(1, 6, 2, false)));
    int count = 0;
    service->GetRoleDailyActivityInfo()->GetCompleteNum(6, count);
    EXPECT_EQ(count, 2);

    ASSERT_TRUE(host.Shutdown());
    EXPECT_EQ(host.roles.ResetSignal.Count(), 0);
    EXPECT_FALSE(host.client().HasModule(69));
    zor::SetConfigDirectory(previousConfigDir);
    Start();
    EXPECT_EQ(service->GetSignInFlags(), 0xFFFE);
    EXPECT_TRUE(service->RequestValue64());
}

}  // namespace
}  // namespace moduletest
