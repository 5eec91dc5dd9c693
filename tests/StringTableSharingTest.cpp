// The string table service shared between modules by slot, both ways: another module, built
// from the contract alone, uses the service this one registered, and this one uses the
// service another module registered. Each test needs a process in which no service is
// registered yet (CTest runs each on its own).
#include <gtest/gtest.h>

#include "event/Function.h"
#include "platform/Platform.h"
#include "resource/StringTable.h"
#include "zor/Files.h"

namespace {

struct NothingCreator {
    bool* asked;
    void* operator()() const {
        *asked = true;
        return nullptr;  // the registry keeps nothing and asks again next time
    }
    bool operator==(const NothingCreator&) const { return true; }
};

bool ServiceRegistered() {
    bool asked = false;
    zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(NothingCreator{&asked}));
    return !asked;
}

struct Peer {
    HMODULE module = LoadLibraryA(platform::PluginFileName("string_table_peer").c_str());
    template <class Fn>
    Fn Get(const char* name) {
        return platform::ProcAddress<Fn>(module, name);
    }
    ~Peer() {
        if (module) FreeLibrary(module);
    }
};

TEST(StringTableSharing, AnotherModuleUsesOursBySlot) {
    if (ServiceRegistered()) GTEST_SKIP() << "a service is registered already; run this test on its own";
    EXPECT_EQ(GetCommonString("FiveElements_Water"), "\xE6\xB0\xB4");  // registers ours
    Peer peer;
    ASSERT_NE(peer.module, nullptr) << platform::LastLoaderError();
    auto load = peer.Get<bool (*)(const char*)>("PeerLoadTableBySlot");
    auto get = peer.Get<const char* (*)(const char*, const char*)>("PeerGetStringBySlot");
    EXPECT_TRUE(load("common"));
    EXPECT_STREQ(get("common", "FiveElements_Fire"), "\xE7\x81\xAB");
    EXPECT_STREQ(get("common", "NoSuchKey"), "");
    EXPECT_EQ(GetCommonString("FiveElements_Fire"), "\xE7\x81\xAB");
}

TEST(StringTableSharing, WeUseAnotherModulesServiceBySlot) {
    if (ServiceRegistered()) GTEST_SKIP() << "a service is registered already; run this test on its own";
    Peer peer;
    ASSERT_NE(peer.module, nullptr) << platform::LastLoaderError();
    peer.Get<void (*)()>("PeerRegisterService")();
    ASSERT_TRUE(ServiceRegistered());
    EXPECT_EQ(GetCommonString("FiveElements_Wood"), "peer:common");  // through slot 1
    auto* shared = static_cast<StringTable*>(
        zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
    EXPECT_TRUE(shared->LoadTable("other"));  // through slot 0
    EXPECT_EQ(shared->GetString("other", "FiveElements_Wood"), "peer:other");
    peer.module = nullptr;  // the service lives in the peer: keep its code for the process
}

}  // namespace
