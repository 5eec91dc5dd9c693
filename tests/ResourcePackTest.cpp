#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "resource/ResourcePack.h"
#include "resource/XmlDocument.h"
#include "TempDir.h"
#include "zor/Log.h"

namespace {

// The stand-in modules are built next to the test programs: libRennak.so, Rennak.dll.
std::string BesideUs(const char* name) { return platform::ProgramDirectory() + platform::ModuleFileName(name); }

template <class Fn>
Fn Extra(const ResourcePack& pack, const char* name) {
    return platform::ProcAddress<Fn>(pack.Module(), name);
}

void SetPackDirectory(const ResourcePack& pack, const std::string& dir) {
    Extra<void (*)(const char*)>(pack, "RennakSetPackDirectory")(dir.c_str());
}

int Outstanding(const ResourcePack& pack) { return Extra<int (*)()>(pack, "RennakOutstandingBlocks")(); }

const char* kPlain = "<root><entry Type=\"3\">text</entry></root>";

struct PackTest : ::testing::Test {
    ResourcePack pack{BesideUs("Rennak")};
    TempDir packDir;
    TempDir diskDir;
    void SetUp() override {
        ASSERT_TRUE(pack.IsLoaded()) << platform::LastLoaderError();
        SetPackDirectory(pack, packDir.Path());
        ASSERT_TRUE(pack.IsActive());
    }
    void TearDown() override { SetPackDirectory(pack, ""); }
};

TEST(ResourcePackLoader, InitializesOncePerLoad) {
    ResourcePack first(BesideUs("Rennak"));
    ASSERT_TRUE(first.IsLoaded());
    auto count = Extra<int (*)()>(first, "RennakInitializeCount");
    int before = count();
    {
        ResourcePack second(BesideUs("Rennak"));
        EXPECT_EQ(count(), before + 1);
        EXPECT_FALSE(second.IsActive());  // no pack directory configured
    }
    EXPECT_TRUE(first.IsLoaded());
}

TEST(ResourcePackLoader, MissingModuleOrEntryPointLeavesThePackAbsent) {
    ResourcePack missing(BesideUs("RennakDoesNotExist"));
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing.IsActive());
    ResourcePack noFree(BesideUs("RennakNoFree"));
    EXPECT_FALSE(noFree.IsLoaded());
    EXPECT_EQ(noFree.LoadFileData(), nullptr);
    EXPECT_EQ(noFree.IsLoadFromMpq(), nullptr);
}

TEST(ResourcePackLoader, ProcessWidePackIsFoundBesideTheLoadingModule) {
    ResourcePack& pack = ResourcePack::GetInstance();
    EXPECT_EQ(&pack, &ResourcePack::GetInstance());
    EXPECT_TRUE(pack.IsLoaded());
    EXPECT_FALSE(pack.IsActive());
}

TEST(ResourcePackLoader, OfflinePackReadsFromDisk) {
    ResourcePack offline(BesideUs("RennakOffline"));
    ASSERT_TRUE(offline.IsLoaded());
    TempDir dir;
    SetPackDirectory(offline, dir.Path());
    EXPECT_FALSE(offline.IsActive());
    std::string onDisk = dir.Write("disk.xml", kPlain);
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadFileThrough(offline, onDisk.c_str(), TIXML_ENCODING_UNKNOWN, false));
}

// The process's pack module is the one beside the program, found by the loader itself.
TEST(ResourcePackLoader, TheProcessPackIsTheOneBesideTheProgram) {
    ResourcePack& pack = ResourcePack::GetInstance();
    ASSERT_TRUE(pack.IsLoaded());
    EXPECT_EQ(platform::ModuleDirectoryOf(reinterpret_cast<const void*>(pack.LoadFileData())), platform::ProgramDirectory());
}

TEST_F(PackTest, FilesComeFromThePack) {
    packDir.Write("config/a.xml", kPlain);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFileThrough(pack, "config\\a.xml", TIXML_ENCODING_UNKNOWN, false));
    EXPECT_STREQ(doc.RootElement()->Value(), "root");
    EXPECT_EQ(Outstanding(pack), 0);
}

TEST_F(PackTest, XmlxNameFromThePackIsParsedUnchanged) {
    packDir.Write("plain.xmlx", kPlain);
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadFileThrough(pack, "plain.xmlx", TIXML_ENCODING_UNKNOWN, false));
}

TEST_F(PackTest, MissingFileDoesNotFallBackToTheDisk) {
    std::string onDisk = diskDir.Write("only-on-disk.xml", kPlain);
    zor::LogCapture capture;
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFileThrough(pack, onDisk.c_str(), TIXML_ENCODING_UNKNOWN, false));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_OPENING_FILE);
    ASSERT_EQ(capture.Records().size(), 1u);
    EXPECT_EQ(capture.Records()[0].level, 3);
    EXPECT_EQ(capture.Records()[0].text, "TiXmlDocument::LoadFile() error : load " + onDisk + " fail");
    EXPECT_TRUE(doc.LoadFileThrough(pack, onDisk.c_str(), TIXML_ENCODING_UNKNOWN, true));  // skip the pack
}

TEST_F(PackTest, EmptyBlockIsGivenBack) {
    packDir.Write("empty.xml", "");
    zor::LogCapture capture;
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFileThrough(pack, "empty.xml", TIXML_ENCODING_UNKNOWN, false));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_OPENING_FILE);
    EXPECT_EQ(Outstanding(pack), 0);
}

TEST_F(PackTest, ParseErrorFromThePackIsTinyXmls) {
    packDir.Write("broken.xml", "<root><a></root>");
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFileThrough(pack, "broken.xml", TIXML_ENCODING_UNKNOWN, false));
    EXPECT_NE(doc.ErrorId(), TiXmlBase::TIXML_ERROR_OPENING_FILE);
    EXPECT_EQ(Outstanding(pack), 0);
}

TEST_F(PackTest, PackNamesMayNotClimbOut) {
    diskDir.Write("secret.xml", kPlain);
    zor::LogCapture capture;
    XmlDocument doc;
    std::string climbing = "../" + std::filesystem::path(diskDir.Path()).filename().string() + "/secret.xml";
    EXPECT_FALSE(doc.LoadFileThrough(pack, climbing.c_str(), TIXML_ENCODING_UNKNOWN, false));
}

// Only regular files inside the pack directory are served: no link out of it, and nothing
// that would block (a FIFO) or is no file at all.
#ifndef _WIN32  // links, FIFOs and fork: POSIX only
TEST_F(PackTest, OnlyRegularFilesInsideThePackAreServed) {
    const std::string secret = diskDir.Write("secret.xml", kPlain);
    packDir.Write("inside.xml", kPlain);
    ASSERT_EQ(symlink(secret.c_str(), packDir.Path("out.xml").c_str()), 0);
    ASSERT_EQ(symlink(packDir.Path("inside.xml").c_str(), packDir.Path("in.xml").c_str()), 0);
    ASSERT_EQ(mkfifo(packDir.Path("fifo.xml").c_str(), 0600), 0);
    std::filesystem::create_directories(packDir.Path("dir.xml"));
    zor::LogCapture capture;
    const pid_t child = fork();
    if (child == 0) {
        // A reader blocked on the FIFO would hang here: the parent gives up after 10 s.
        XmlDocument doc;
        bool servedOutside = doc.LoadFileThrough(pack, "out.xml", TIXML_ENCODING_UNKNOWN, false);
        bool servedFifo = doc.LoadFileThrough(pack, "fifo.xml", TIXML_ENCODING_UNKNOWN, false);
        bool servedDir = doc.LoadFileThrough(pack, "dir.xml", TIXML_ENCODING_UNKNOWN, false);
        bool servedInside = doc.LoadFileThrough(pack, "in.xml", TIXML_ENCODING_UNKNOWN, false);
        _exit(!servedOutside && !servedFifo && !servedDir && servedInside ? 0 : 1);
    }
    int status = 0;
    bool done = false;
    for (int i = 0; i < 1000 && !done; ++i) {
        done = waitpid(child, &status, WNOHANG) == child;
        if (!done) usleep(10000);
    }
    if (!done) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_TRUE(done) << "the pack blocked on a FIFO";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "served a file it must not, or not the one inside";
}
#endif

// A block with a negative size is refused like a missing one: logged, given back.
TEST(ResourcePackLoader, NegativeBlockSizeIsAFailedRead) {
    ResourcePack negative(BesideUs("RennakNegative"));
    ASSERT_TRUE(negative.IsLoaded());
    TempDir dir;
    dir.Write("a.xml", kPlain);
    SetPackDirectory(negative, dir.Path());
    zor::LogCapture capture;
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFileThrough(negative, "a.xml", TIXML_ENCODING_UNKNOWN, false));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_OPENING_FILE);
    ASSERT_EQ(capture.Records().size(), 1u);
    EXPECT_EQ(capture.Records()[0].text, "TiXmlDocument::LoadFile() error : load a.xml fail");
    EXPECT_EQ(Outstanding(negative), 0);
    SetPackDirectory(negative, "");
}

}  // namespace
