#include <gtest/gtest.h>

#include "resource/ResourcePack.h"
#include "resource/StringTable.h"
#include "TempDir.h"
#include "zor/Files.h"

namespace {

struct CountingTable : StringTable {
    int loads = 0;
    bool LoadTable(const std::string& table) override {
        ++loads;
        return StringTable::LoadTable(table);
    }
};

struct StringTableTest : ::testing::Test {
    TempDir dir;
    std::string previous;
    void SetUp() override {
        previous = zor::GetConfigDirectory();
        zor::SetConfigDirectory(dir.Path());
    }
    void TearDown() override { zor::SetConfigDirectory(previous); }
    void WriteTable(const std::string& name, const std::string& body) {
        dir.Write("config/StringTable/" + name + ".xml", body);
    }
};

TEST_F(StringTableTest, LastOfTwoEqualKeysWins) {
    WriteTable("t", "<root><A>x</A><B>b</B><A>y</A></root>");
    StringTable table;
    EXPECT_EQ(table.GetString("t", "A"), "y");
    EXPECT_EQ(table.GetString("t", "B"), "b");
    EXPECT_EQ(&table.GetString("t", "missing"), &StringTable::EmptyText());
    EXPECT_EQ(&table.GetString("other", "A"), &StringTable::EmptyText());
}

// A table is read in binary: a Ctrl-Z byte (the end of a text-mode file on Windows) ends
// neither the text nor the file.
TEST_F(StringTableTest, ControlBytesAreReadAsWritten) {
    WriteTable("t", "<root>\r\n<A>x\x1Ay</A>\r\n<B>after</B>\r\n</root>\r\n");
    StringTable table;
    EXPECT_EQ(table.GetString("t", "A"), "x\x1Ay");
    EXPECT_EQ(table.GetString("t", "B"), "after");
}

TEST_F(StringTableTest, EntriesWithoutLeadingTextAreSkipped) {
    WriteTable("t", "<root><Elem><i>x</i>after</Elem><Comment><!-- c -->after</Comment><Empty/>"
                    "<Spaced>  text  </Spaced><Attr v='1'>kept</Attr><Nested><Deep>d</Deep></Nested></root>");
    StringTable table;
    EXPECT_EQ(table.GetString("t", "Elem"), "");
    EXPECT_EQ(table.GetString("t", "Comment"), "");
    EXPECT_EQ(table.GetString("t", "Empty"), "");
    EXPECT_EQ(table.GetString("t", "Deep"), "");
    EXPECT_EQ(table.GetString("t", "Attr"), "kept");
    EXPECT_EQ(table.GetString("t", "Spaced"), "text");
}

TEST_F(StringTableTest, MissingTableIsReadOnlyOnce) {
    CountingTable table;
    EXPECT_EQ(&table.GetString("absent", "A"), &StringTable::EmptyText());
    EXPECT_EQ(&table.GetString("absent", "B"), &StringTable::EmptyText());
    EXPECT_EQ(table.loads, 1);
    WriteTable("absent", "<root><A>late</A></root>");
    EXPECT_EQ(table.GetString("absent", "A"), "");  // not tried again
    EXPECT_TRUE(table.LoadTable("absent"));         // an explicit load reads it
    EXPECT_EQ(table.GetString("absent", "A"), "late");
}

TEST_F(StringTableTest, BrokenOrRootlessFilesLoadNothing) {
    WriteTable("broken", "<root><A>x</root>");
    WriteTable("rootless", "<?xml version=\"1.0\"?><!-- only a comment -->");
    StringTable table;
    EXPECT_FALSE(table.LoadTable("broken"));
    EXPECT_FALSE(table.LoadTable("rootless"));
    EXPECT_EQ(table.GetString("broken", "A"), "");
}

// A table is one file in config/StringTable/: a name that leads elsewhere reads nothing.
TEST_F(StringTableTest, NamesThatLeadOutsideTheFolderAreRefused) {
    dir.Write("config/secret.xml", "<root><A>secret</A></root>");
    dir.Write("config/StringTable/sub/t.xml", "<root><A>nested</A></root>");
    CountingTable table;
    for (const char* name : {"../secret", "sub/t", "sub\\t", "..", "", "c:secret"}) {
        EXPECT_FALSE(table.LoadTable(name)) << name;
        EXPECT_EQ(&table.GetString(name, "A"), &StringTable::EmptyText()) << name;
    }
    EXPECT_EQ(table.loads, 6);  // each was made present: no second try
}

TEST_F(StringTableTest, TextsNeverMoveAcrossReloads) {
    WriteTable("t", "<root><A>first text that is long enough to live on the heap</A><B>b</B></root>");
    StringTable table;
    const std::string& before = table.GetString("t", "A");
    const char* chars = before.c_str();
    WriteTable("t", "<root><A>second</A></root>");
    ASSERT_TRUE(table.LoadTable("t"));
    EXPECT_EQ(before, "first text that is long enough to live on the heap");
    EXPECT_EQ(chars, before.c_str());
    EXPECT_EQ(table.GetString("t", "A"), "second");
    EXPECT_EQ(table.GetString("t", "B"), "b");  // not in the new file: kept
    for (int i = 0; i < 1000; ++i) table.LoadTable("t");
    EXPECT_EQ(before, "first text that is long enough to live on the heap");
}

TEST_F(StringTableTest, ActivePackGetsThePackRelativeName) {
    ResourcePack& pack = ResourcePack::GetInstance();
    ASSERT_TRUE(pack.IsLoaded());
    auto setDir = platform::ProcAddress<void (*)(const char*)>(pack.Module(), "RennakSetPackDirectory");
    TempDir packDir;
    packDir.Write("config/StringTable/packed.xml", "<root><A>from pack</A></root>");
    WriteTable("packed", "<root><A>from disk</A></root>");
    setDir(packDir.Path().c_str());
    StringTable table;
    EXPECT_EQ(table.GetString("packed", "A"), "from pack");
    setDir("");
    StringTable diskTable;
    EXPECT_EQ(diskTable.GetString("packed", "A"), "from disk");
}

TEST(SharedStringTable, ServiceIsSharedThroughTheRegistry) {
    void* registered = zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator()));
    ASSERT_NE(registered, nullptr);
    auto* service = static_cast<StringTable*>(registered);
    EXPECT_EQ(&GetCommonString("FiveElements_Metal"), &service->GetString("common", "FiveElements_Metal"));
    EXPECT_TRUE(zor::Function<void*()>(StringTableCreator()) == zor::Function<void*()>(StringTableCreator()));
}

TEST(SharedStringTable, FiveElementsNamesWereFilledAtLoad) {
    // The test program runs in the project's root, where config/StringTable/common.xml lives.
    EXPECT_STREQ(FiveElementsNames[0], "\xE9\x87\x91");
    EXPECT_STREQ(FiveElementsNames[4], "\xE5\x9C\x9F");
    EXPECT_STREQ(FiveElementsNames[5], "\xE6\x97\xA0");
    EXPECT_EQ(FiveElementsNames[1], GetCommonString("FiveElements_Wood").c_str());
    EXPECT_EQ(&GetCommonString("NoSuchKey"), &StringTable::EmptyText());
}

}  // namespace
