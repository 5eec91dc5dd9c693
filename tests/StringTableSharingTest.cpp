// The string table service shared between modules by slot, both ways: another module uses the
// service this one registered, and this one the service another module registered. Each test
// needs a process in which no service is registered yet (CTest runs each on its own).
#include <gtest/gtest.h>

#include "event/Function.h"
#include "platform/Platform.h"
#include "resource/StringTable.h"
#include "zor/Files.h"

// The contract's two slots, as another module calls them. External linkage: the compiler may
// not assume it sees every implementation.
namespace contract {
class SharedStringTable {
public:
    virtual bool LoadTable(const std::string& table) = 0;
    virtual const std::string& GetString(const std::string& table, const std::string& key) = 0;

protected:
    ~SharedStringTable() = default;
};
}  // namespace contract
using contract::SharedStringTable;

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
        return reinterpret_cast<Fn>(GetProcAddress(module, name));
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
    auto peerGet = peer.Get<const char* (*)(const char*)>("PeerGetCommonString");
    EXPECT_STREQ(peerGet("FiveElements_Wood"), "\xE6\x9C\xA8");  // registers the peer's
    ASSERT_TRUE(ServiceRegistered());
    EXPECT_EQ(GetCommonString("FiveElements_Wood"), "\xE6\x9C\xA8");
    auto* shared = static_cast<SharedStringTable*>(
        zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
    EXPECT_TRUE(shared->LoadTable("common"));
    EXPECT_EQ(shared->GetString("common", "FiveElements_Metal"), "\xE9\x87\x91");
}

}  // namespace
