// The host stand-in's own promises to plugins.
#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "host/GameServerClient.h"
#include "host/Host.h"
#include "host/PluginAbi.h"

namespace {

struct Withdrawer {
    host::GameServerClient* client = nullptr;
    int calls = 0;
    void OnMessage(ISender* sender, const NetMsg* msg) {
        ++calls;
        EXPECT_NE(sender, nullptr);
        EXPECT_TRUE(client->WithdrawModule(msg->GetModuleID(), Handler()));
        EXPECT_FALSE(client->HasModule(msg->GetModuleID()));
    }
    qrn::ModuleHandler Handler() { return zor::bind_n::bind(&Withdrawer::OnMessage, this); }
};

// A handler that withdraws its own registration while it runs is kept alive for the call.
TEST(HostStandIn, HandlerMayWithdrawItsModuleWhileRunning) {
    host::GameServerClient client;
    Withdrawer w{&client};
    ASSERT_TRUE(client.ModuleDispatcher.RegisterModule(12, w.Handler()));
    EXPECT_FALSE(client.ModuleDispatcher.RegisterModule(12, w.Handler()));  // the first wins
    EXPECT_TRUE(client.Deliver(NetMsg(12, 1)));
    EXPECT_FALSE(client.Deliver(NetMsg(12, 1)));  // withdrawn
    EXPECT_EQ(w.calls, 1);
    EXPECT_FALSE(client.Deliver(std::string("\x0c\x00", 2)));  // refused frame
}

// Only an equal handler is withdrawn: another plugin's registration stays.
TEST(HostStandIn, WithdrawalNeedsTheRegisteredHandler) {
    host::GameServerClient client;
    Withdrawer mine{&client}, other{&client};
    ASSERT_TRUE(client.ModuleDispatcher.RegisterModule(12, other.Handler()));
    EXPECT_FALSE(client.WithdrawModule(12, mine.Handler()));
    EXPECT_TRUE(client.HasModule(12));
}

// A 64-bit PE image whose import table names these DLLs and functions, as a linker writes it
// (one section holding the descriptors, the names and the lookup tables).
std::string PeImage(const std::vector<std::pair<std::string, std::vector<std::string>>>& imports) {
    std::string image(0x200, '\0');
    auto put = [&](size_t at, const void* data, size_t size) { std::memcpy(&image[at], data, size); };
    auto put16 = [&](size_t at, uint16_t v) { put(at, &v, 2); };
    auto put32 = [&](size_t at, uint32_t v) { put(at, &v, 4); };
    put(0, "MZ", 2);
    put32(0x3C, 0x40);
    put(0x40, "PE\0\0", 4);
    put16(0x44, 0x8664);
    put16(0x46, 1);      // one section
    put16(0x54, 240);    // the optional header's size
    put16(0x58, 0x20B);  // PE32+
    put32(0x58 + 108, 16);
    const uint32_t base = 0x1000;  // the section's address; its bytes start at 0x200
    std::string data((imports.size() + 1) * 20, '\0');
    auto rva = [&]() { return static_cast<uint32_t>(base + data.size()); };
    auto add = [&](const std::string& bytes) {
        const uint32_t at = rva();
        data += bytes;
        return at;
    };
    for (size_t i = 0; i < imports.size(); ++i) {
        std::vector<uint32_t> hints;
        for (const std::string& name : imports[i].second) hints.push_back(add(std::string(2, '\0') + name + '\0'));
        while (data.size() % 8) data += '\0';
        const uint32_t lookup = rva();
        for (uint32_t h : hints) data += std::string(reinterpret_cast<const char*>(&h), 4) + std::string(4, '\0');
        data += std::string(8, '\0');
        const uint32_t name = add(imports[i].first + '\0');
        std::memcpy(&data[i * 20], &lookup, 4);
        std::memcpy(&data[i * 20 + 12], &name, 4);
        std::memcpy(&data[i * 20 + 16], &lookup, 4);
    }
    put32(0x58 + 112 + 8, base);  // the import directory
    put32(0x58 + 112 + 12, static_cast<uint32_t>((imports.size() + 1) * 20));
    const size_t section = 0x58 + 240;
    put(section, ".idata", 6);
    put32(section + 8, static_cast<uint32_t>(data.size()));
    put32(section + 12, base);
    put32(section + 16, static_cast<uint32_t>(data.size()));
    put32(section + 20, 0x200);
    return image + data;
}

// Plugins of the other C++ ABI, or of another standard library, are refused by what they
// import, both ways; the reason names the import. Damaged files are left to the loader.
TEST(PluginAbi, ModulesOfTheOtherAbiAreRefusedWithTheirReason) {
    using host::PluginAbiProblem;
    using host::WindowsAbi;
    TempDir dir;
    const std::string mingw = dir.Write("mingw.dll", PeImage({{"KERNEL32.dll", {"GetLastError"}},
                                                            {"libstdc++-6.dll", {"_ZdlPv"}}, {"msvcrt.dll", {"malloc"}}}));
    const std::string ours = dir.Write("ours.dll", PeImage({{"vcruntime140.dll", {"__CxxFrameHandler3"}},
                                                           {"msvcp140.dll", {"?__ExceptionPtrCreate@@YAXPEAX@Z"}},
                                                           {"ucrtbase.dll", {"malloc"}}}));
    const std::string stl = dir.Write("stl.dll", PeImage({{"MSVCP140.dll", {"?_Xlength_error@std@@YAXPEBD@Z"}},
                                                         {"VCRUNTIME140.dll", {"memcpy"}}}));
    const std::string plain = dir.Write("plain.dll", PeImage({{"KERNEL32.dll", {"Sleep"}}}));

    std::vector<host::PeImport> imports;
    ASSERT_TRUE(host::ReadPeImports(mingw, imports));
    ASSERT_EQ(imports.size(), 3u);
    EXPECT_EQ(imports[1].dll, "libstdc++-6.dll");
    EXPECT_EQ(imports[1].names, std::vector<std::string>{"_ZdlPv"});

    EXPECT_EQ(PluginAbiProblem(mingw, WindowsAbi::Microsoft),
              "mingw.dll was built with MinGW (GCC's C++ ABI, imports libstdc++-6.dll); this host uses Microsoft's C++ "
              "ABI with libc++: build the plugin with the Microsoft-ABI SDK");
    EXPECT_EQ(PluginAbiProblem(mingw, WindowsAbi::MinGW), "");
    EXPECT_EQ(PluginAbiProblem(ours, WindowsAbi::Microsoft), "");
    EXPECT_EQ(PluginAbiProblem(ours, WindowsAbi::MinGW),
              "ours.dll was built in Microsoft's C++ ABI (imports vcruntime140.dll); this host is MinGW's (GCC's C++ "
              "ABI, libstdc++-6.dll): build the plugin with the MinGW SDK");
    EXPECT_NE(PluginAbiProblem(stl, WindowsAbi::Microsoft).find("built against Microsoft's standard library (imports "
                                                                 "?_Xlength_error@std@@YAXPEBD@Z from msvcp140.dll)"),
              std::string::npos);
    EXPECT_EQ(PluginAbiProblem(plain, WindowsAbi::Microsoft), "");
    EXPECT_EQ(PluginAbiProblem(plain, WindowsAbi::MinGW), "");

    // Damaged images, cut anywhere or with offsets that point outside the file, are read
    // within their bytes (the sanitizer build checks every read); the headers cut, nothing is
    // said of them.
    const std::string whole = PeImage({{"libstdc++-6.dll", {"_ZdlPv"}}});
    for (size_t size = 0; size < whole.size(); size += 7) {
        const std::string problem = PluginAbiProblem(dir.Write("cut.dll", whole.substr(0, size)), WindowsAbi::Microsoft);
        if (size < 0x200) {
            EXPECT_EQ(problem, "") << size;
        }
    }
    std::string wild = whole;
    std::memset(&wild[0x58 + 240 + 20], 0xFF, 4);  // the section's bytes far past the end
    EXPECT_FALSE(host::ReadPeImports(dir.Write("wild.dll", wild), imports));
    EXPECT_FALSE(host::ReadPeImports(dir.Path("none.dll"), imports));
}

#ifdef _WIN32
// This build's own modules pass its host's check.
TEST(PluginAbi, ThisBuildsModulesAreAccepted) {
    const std::string module = platform::ProgramDirectory() + host::DailyActivityModuleFile();
    std::vector<host::PeImport> imports;
    ASSERT_TRUE(host::ReadPeImports(module, imports));
    EXPECT_FALSE(imports.empty());
    EXPECT_EQ(host::PluginAbiProblem(module, host::kHostAbi), "");
}
#endif

}  // namespace
