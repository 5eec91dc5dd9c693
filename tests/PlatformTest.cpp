#include <gtest/gtest.h>

#include <climits>

#include "platform/Platform.h"

namespace {

const GUID kService = {0x9AB3C831, 0x5A02, 0x452A, {0x83, 0xB9, 0x7B, 0x76, 0x82, 0x2D, 0x86, 0x2B}};

TEST(Guid, RegistryTextRoundTrips) {
    EXPECT_EQ(platform::GuidToString(kService), "{9AB3C831-5A02-452A-83B9-7B76822D862B}");
    GUID parsed{};
    ASSERT_TRUE(platform::GuidFromString("{9ab3c831-5a02-452a-83b9-7b76822d862b}", parsed));
    EXPECT_EQ(parsed, kService);
    ASSERT_TRUE(platform::GuidFromString("9AB3C831-5A02-452A-83B9-7B76822D862B", parsed));
    EXPECT_EQ(parsed, kService);
}

TEST(Guid, BadTextLeavesTheTargetAlone) {
    GUID out = kService;
    EXPECT_FALSE(platform::GuidFromString(nullptr, out));
    EXPECT_FALSE(platform::GuidFromString("{9AB3C831-5A02-452A-83B9-7B76822D862}", out));
    EXPECT_FALSE(platform::GuidFromString("{9AB3C831+5A02-452A-83B9-7B76822D862B}", out));
    EXPECT_FALSE(platform::GuidFromString("{9AB3C831-5A02-452A-83B9-7B76822D862G}", out));
    EXPECT_FALSE(platform::GuidFromString("(9AB3C831-5A02-452A-83B9-7B76822D862B)", out));
    EXPECT_EQ(out, kService);
}

TEST(Guid, EqualityLooksAtEveryField) {
    GUID other = kService;
    other.Data4[7] ^= 1;
    EXPECT_NE(other, kService);
    other = kService;
    other.Data3 ^= 1;
    EXPECT_NE(other, kService);
}

TEST(ScanInt, BehavesLikeScanfPercentD) {
    int v = -7;
    EXPECT_TRUE(platform::ScanInt("  42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(platform::ScanInt("12abc", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(platform::ScanInt("-3", v));
    EXPECT_EQ(v, -3);
    EXPECT_TRUE(platform::ScanInt("+8", v));
    EXPECT_EQ(v, 8);
    v = 99;
    EXPECT_FALSE(platform::ScanInt("abc", v));
    EXPECT_FALSE(platform::ScanInt("", v));
    EXPECT_FALSE(platform::ScanInt("-", v));
    EXPECT_FALSE(platform::ScanInt(nullptr, v));
    EXPECT_EQ(v, 99);
}

TEST(ScanInt, OutOfRangeSaturates) {
    int v = 0;
    EXPECT_TRUE(platform::ScanInt("2147483647", v));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_TRUE(platform::ScanInt("2147483648", v));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_TRUE(platform::ScanInt("-2147483648", v));
    EXPECT_EQ(v, INT_MIN);
    EXPECT_TRUE(platform::ScanInt("-99999999999999999999999", v));
    EXPECT_EQ(v, INT_MIN);
}

TEST(Atoi64, ReadsWhatItCan) {
    EXPECT_EQ(_atoi64(" 4294967297"), 4294967297LL);
    EXPECT_EQ(_atoi64("-12x"), -12);
    EXPECT_EQ(_atoi64("x12"), 0);
#ifndef _MSC_VER  // Microsoft's C runtime ends the program on a null text (an invalid parameter)
    EXPECT_EQ(_atoi64(nullptr), 0);
#endif
    EXPECT_EQ(_atoi64("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(_atoi64("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(_atoi64("99999999999999999999"), LLONG_MAX);
    // Around the bounds, past the digits read without checks, signs and white space.
    EXPECT_EQ(_atoi64("9223372036854775808"), LLONG_MAX);
    EXPECT_EQ(_atoi64("-9223372036854775809"), LLONG_MIN);
    EXPECT_EQ(_atoi64("-922337203685477580"), -922337203685477580LL);
    EXPECT_EQ(_atoi64("0000000000000000000000009"), 9);
    EXPECT_EQ(_atoi64("\t\n +5"), 5);
    EXPECT_EQ(_atoi64("+-5"), 0);
}

TEST(Loader, MissingModulesAndFilesFailCleanly) {
    EXPECT_EQ(LoadLibraryA("libNoSuchModule_zor.so"), nullptr);
    EXPECT_FALSE(platform::LastLoaderError().empty());
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
    EXPECT_EQ(FreeLibrary(nullptr), 0);
    FILE* f = reinterpret_cast<FILE*>(1);
    EXPECT_NE(fopen_s(&f, "/nonexistent/zor/file", "rb"), 0);
    EXPECT_EQ(f, nullptr);
}

TEST(TypeName, IsReadable) {
#if defined(_MSC_VER)  // Microsoft's type information names the kind of class
    EXPECT_EQ(platform::TypeName(typeid(GUID)), "struct _GUID");  // the Windows headers' own struct
    EXPECT_EQ(platform::TypeName(typeid(__int64)), "__int64");
    EXPECT_EQ(platform::ModuleFileName("Rennak"), "Rennak.dll");
#elif defined(_WIN32)
    EXPECT_EQ(platform::TypeName(typeid(GUID)), "_GUID");
    EXPECT_EQ(platform::ModuleFileName("Rennak"), "Rennak.dll");
#else
    EXPECT_EQ(platform::TypeName(typeid(GUID)), "GUID");
    EXPECT_EQ(platform::TypeName(typeid(__int64)), "long long");
    EXPECT_EQ(platform::ModuleFileName("Rennak"), "libRennak.so");
#endif
}

}  // namespace
