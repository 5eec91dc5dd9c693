#include <gtest/gtest.h>

#include <unistd.h>

#include "resource/XmlDocument.h"
#include "TempDir.h"
#include "zor/Files.h"
#include "zor/Log.h"

namespace {

std::string Print(const TiXmlDocument& doc) {
    TiXmlPrinter printer;
    doc.Accept(&printer);
    return printer.CStr();
}

std::string Scrambled(std::string text) {
    XmlDocument::Scramble(&text[0], text.size());
    return text;
}

const char* kPlain = "<root><entry Type=\"3\">text</entry></root>";

TEST(XmlMemory, LineEndsCountAsOneLineEach) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadMemory("<a>\r\n\r\n<b></a>", 15));
    EXPECT_EQ(doc.ErrorRow(), 3);
    EXPECT_FALSE(doc.LoadMemory("<a>\r\r<b></a>", 12));
    EXPECT_EQ(doc.ErrorRow(), 3);
    EXPECT_FALSE(doc.LoadMemory("<a>\n\r\n<b></a>", 13));
    EXPECT_EQ(doc.ErrorRow(), 3);
    EXPECT_TRUE(doc.LoadMemory("<a/>\r", 5));
    XmlDocument same;
    ASSERT_TRUE(same.LoadMemory("<a>\r\n<b x=\"1\"/>\r</a>\r\n", 22));
    XmlDocument unix;
    ASSERT_TRUE(unix.LoadMemory("<a>\n<b x=\"1\"/>\n</a>\n", 20));
    EXPECT_EQ(Print(same), Print(unix));
}

TEST(XmlMemory, ZeroByteEndsTheText) {
    XmlDocument doc;
    const char withTail[] = "<a/>\0<<<not xml";
    EXPECT_TRUE(doc.LoadMemory(withTail, sizeof withTail - 1));
    const char cut[] = "<a>\0</a>";
    EXPECT_FALSE(doc.LoadMemory(cut, sizeof cut - 1));
    EXPECT_FALSE(doc.LoadMemory("\0<a/>", 5));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
}

TEST(XmlMemory, LengthIsHonoured) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadMemory("<a/><b", 4));  // the rest lies beyond the length
    EXPECT_FALSE(doc.LoadMemory(nullptr, 4));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
    XmlDocument other;
    EXPECT_FALSE(other.LoadMemory("<a/>", 0));
    EXPECT_STREQ(other.ErrorDesc(), "Error document empty.");
}

TEST(XmlMemory, LoadReplacesThePreviousDocument) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory("<first/>", 8));
    ASSERT_TRUE(doc.LoadMemory("<second/>", 9));
    EXPECT_STREQ(doc.RootElement()->Value(), "second");
    EXPECT_EQ(doc.RootElement()->NextSiblingElement(), nullptr);
}

TEST(XmlFile, ScrambledExtensionInAnyCaseIsUnscrambled) {
    TempDir dir;
    for (const char* name : {"a.xmlx", "b.XMLX", "c.XmlX"}) {
        XmlDocument doc;
        ASSERT_TRUE(doc.LoadFile(dir.Write(name, Scrambled(kPlain)).c_str(), TIXML_ENCODING_UNKNOWN)) << name;
        EXPECT_STREQ(doc.RootElement()->FirstChildElement()->Attribute("Type"), "3");
    }
    for (const char* name : {"d.xml", "noextension", "e.xmlx.bak"}) {
        XmlDocument doc;
        EXPECT_TRUE(doc.LoadFile(dir.Write(name, kPlain).c_str(), TIXML_ENCODING_UNKNOWN)) << name;
    }
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFile(dir.Write("f.xml", Scrambled(kPlain)).c_str(), TIXML_ENCODING_UNKNOWN));
}

TEST(XmlFile, MissingAndEmptyFiles) {
    TempDir dir;
    zor::LogCapture capture;
    XmlDocument missing;
    EXPECT_FALSE(missing.LoadFile(dir.Path("none.xml").c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(missing.ErrorId(), TiXmlBase::TIXML_ERROR_OPENING_FILE);
    EXPECT_STREQ(missing.ErrorDesc(), "Failed to open file");
    XmlDocument empty;
    EXPECT_FALSE(empty.LoadFile(dir.Write("empty.xml", "").c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(empty.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
    XmlDocument none;
    EXPECT_FALSE(none.LoadFile(static_cast<const char*>(nullptr), TIXML_ENCODING_UNKNOWN));
    EXPECT_FALSE(none.LoadFile(static_cast<FILE*>(nullptr)));
    EXPECT_FALSE(none.LoadScrambledFile(nullptr));
    EXPECT_TRUE(capture.Records().empty());  // disk failures write no log line
}

TEST(XmlFile, NameFormsAndStoredName) {
    TempDir dir;
    dir.Write("sub/conf.xml", kPlain);
    std::string windowsName = dir.Path() + "\\sub\\conf.xml";
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(windowsName.c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(std::string(doc.Value()), zor::ToNativeFileName(windowsName.c_str()));  // '/' on Linux
    EXPECT_TRUE(doc.LoadFile(TIXML_ENCODING_UNKNOWN));
    EXPECT_TRUE(doc.LoadFile(std::string(dir.Path("sub/conf.xml"))));
}

TEST(XmlSave, XmlxNamesAreSavedScrambledAndLoadBackEqual) {
    TempDir dir;
    XmlDocument original;
    ASSERT_TRUE(original.LoadMemory(kPlain, static_cast<int>(strlen(kPlain))));
    const std::string scrambledName = dir.Path("out.XmlX");
    ASSERT_TRUE(original.SaveFile(scrambledName));
    std::string bytes = TempDir::Read(scrambledName);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], static_cast<char>('<' ^ 0x6B));
    XmlDocument back;
    ASSERT_TRUE(back.LoadFile(scrambledName.c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(Print(back), Print(original));

    const std::string plainName = dir.Path("out.xml");
    ASSERT_TRUE(original.SaveFile(plainName.c_str()));
    EXPECT_EQ(TempDir::Read(plainName)[0], '<');
    EXPECT_FALSE(original.SaveFile(dir.Path("no/such/dir/x.xml").c_str()));
}

TEST(XmlSave, SaveWithTheStoredName) {
    TempDir dir;
    XmlDocument doc(dir.Path("stored.xmlx").c_str());
    doc.LinkEndChild(new TiXmlElement("root"));
    ASSERT_TRUE(doc.SaveFile());
    XmlDocument back;
    EXPECT_TRUE(back.LoadFile(dir.Path("stored.xmlx").c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_STREQ(back.RootElement()->Value(), "root");
}

// Files are read in binary: scrambled bytes 0x0D 0x0A and 0x1A (Ctrl-Z, the end of a text-mode
// file on Windows) come through as they are.
TEST(XmlFile, ScrambledBytesThatTextModeWouldChange) {
    const char mask = static_cast<char>(XmlDocument::kScrambleMask);
    // Characters whose scrambled bytes are 0x1A, 0x0D and 0x0A.
    const std::string value = {static_cast<char>(0x1A ^ mask), static_cast<char>(0x0D ^ mask), static_cast<char>(0x0A ^ mask)};
    const std::string plain = "<a v=\"" + value + value + "\">" + value + "</a>";
    std::string scrambled = plain;
    for (char& c : scrambled) c = static_cast<char>(c ^ mask);
    ASSERT_NE(scrambled.find('\x1A'), std::string::npos);
    ASSERT_NE(scrambled.find("\r\n"), std::string::npos);
    TempDir dir;
    const std::string file = dir.Write("bytes.xmlx", scrambled);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(file.c_str(), TIXML_ENCODING_UNKNOWN)) << doc.ErrorDesc();
    EXPECT_EQ(std::string(doc.RootElement()->Attribute("v")), value + value);
    EXPECT_EQ(std::string(doc.RootElement()->GetText()), value);
}

// The name a document saves under is the one it loads from; a write or a scrambling pass
// that fails is a failed save, never plain text under an XMLX name reported as done.
TEST(XmlSave, NativeNamesAndFailedWrites) {
    TempDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory(kPlain, static_cast<int>(strlen(kPlain))));
    dir.Write("sub/keep.txt", "");
    const std::string windowsName = dir.Path() + "\\sub\\saved.xmlx";
    ASSERT_TRUE(doc.SaveFile(windowsName));
    EXPECT_FALSE(TempDir::Read(dir.Path("sub/saved.xmlx")).empty());
    XmlDocument back;
    EXPECT_TRUE(back.LoadFile(windowsName.c_str(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(Print(back), Print(doc));

#ifndef _WIN32  // a full device: /dev/full
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_EQ(symlink("/dev/full", dir.Path("full.xmlx").c_str()), 0);
        ASSERT_EQ(symlink("/dev/full", dir.Path("full.xml").c_str()), 0);
        EXPECT_FALSE(doc.SaveFile(dir.Path("full.xmlx")));
        EXPECT_FALSE(doc.SaveFile(dir.Path("full.xml")));
    }
#endif
}

}  // namespace
