// Hostile and broken XML through every loading path: nothing is read outside the buffers,
// nothing overflows the stack, and a text that was not read to its end is an error.
#include <gtest/gtest.h>

#include <string>

#include "GuardedAllocation.h"
#include "TempDir.h"
#include "dailyactivity/DailyActivityConfig.h"
#include "resource/StringTable.h"
#include "zor/Files.h"
#include "resource/ResourcePack.h"
#include "resource/XmlDocument.h"
#include "zor/Log.h"

namespace {

// UTF-8 documents whose last text or attribute value ends inside a multi-byte sequence.
std::vector<std::string> TruncatedSequences() {
    std::vector<std::string> docs;
    for (const std::string& head : {std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), std::string("\xEF\xBB\xBF")}) {
        for (const std::string& tail : {std::string("\xE0\x21"), std::string("\xF4"), std::string("\xE0"), std::string("\xF0\x90")}) {
            docs.push_back(head + "<a>" + tail);
            docs.push_back(head + "<a b=\"" + tail);
            docs.push_back(head + "<a" + tail);
            docs.push_back(head + "<a><" + tail);
            docs.push_back(head + tail);
        }
    }
    return docs;
}

// Each loading path, with every buffer ending at an inaccessible page.
TEST(XmlHardening, TruncatedMultiByteSequencesStayInsideTheBuffer) {
    TempDir dir;
    auto setPackDir = platform::ProcAddress<void (*)(const char*)>(ResourcePack::GetInstance().Module(), "RennakSetPackDirectory");
    ASSERT_NE(setPackDir, nullptr);
    zor::LogCapture quiet;
    int n = 0;
    for (const std::string& doc : TruncatedSequences()) {
        const std::string name = "doc" + std::to_string(n++);
        const std::string plain = dir.Write(name + ".xml", doc);
        std::string scrambled = doc;
        XmlDocument::Scramble(&scrambled[0], scrambled.size());
        const std::string xmlx = dir.Write(name + ".xmlx", scrambled);
        dir.Write("pack/" + name + ".xml", doc);
        dir.Write("config/StringTable/" + name + ".xml", doc);

        GuardedAllocations guard;
        for (TiXmlEncoding encoding : {TIXML_ENCODING_UNKNOWN, TIXML_ENCODING_UTF8}) {
            XmlDocument memory;
            EXPECT_FALSE(memory.LoadMemory(doc.data(), static_cast<int>(doc.size()), encoding) && memory.RootElement() &&
                         memory.RootElement()->NextSiblingElement());
        }
        XmlDocument disk, unscrambled, packed;
        disk.LoadFile(plain.c_str(), TIXML_ENCODING_UNKNOWN, true);
        unscrambled.LoadFile(xmlx.c_str(), TIXML_ENCODING_UNKNOWN, true);
        setPackDir(dir.Path("pack").c_str());
        packed.LoadFile((name + ".xml").c_str(), TIXML_ENCODING_UNKNOWN, false);
        setPackDir("");
        DailyActivityConfig config;
        config.LoadConfigFile(plain);
        const std::string previous = zor::GetConfigDirectory();
        zor::SetConfigDirectory(dir.Path());
        StringTable table;
        table.LoadTable(name);
        zor::SetConfigDirectory(previous);
    }
}

std::string Nested(int levels, const std::string& inner = "") {
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<a>";
    text += inner;
    for (int i = 0; i < levels; ++i) text += "</a>";
    return text;
}

// The parser recurses once per level: a deep document is refused before it reaches it.
TEST(XmlHardening, DeepNestingIsRefusedBeforeParsing) {
    XmlDocument fits;
    EXPECT_TRUE(fits.LoadMemory(Nested(XmlDocument::kMaxDepth).c_str(), XmlDocument::kMaxDepth * 7));
    for (int levels : {XmlDocument::kMaxDepth + 1, 100000}) {
        const std::string text = "<?xml version=\"1.0\"?>\n" + Nested(levels, "<b x='<'/><!-- <c> --><![CDATA[<d>]]>");
        XmlDocument deep;
        EXPECT_FALSE(deep.LoadMemory(text.data(), static_cast<int>(text.size())));
        EXPECT_EQ(deep.ErrorId(), TiXmlBase::TIXML_ERROR_PARSING_ELEMENT);
        EXPECT_STREQ(deep.ErrorDesc(), "Error parsing Element: nested deeper than 1000 levels");
        EXPECT_EQ(deep.ErrorRow(), 2);
        EXPECT_EQ(deep.ErrorCol(), 3 * XmlDocument::kMaxDepth + 1);
        EXPECT_EQ(deep.RootElement(), nullptr);
    }
    // Self-closed and closed elements do not add up.
    std::string wide = "<r>";
    for (int i = 0; i < 5000; ++i) wide += "<a/><b></b><c x='/>'/>";
    wide += "</r>";
    XmlDocument flat;
    EXPECT_TRUE(flat.LoadMemory(wide.data(), static_cast<int>(wide.size()))) << flat.ErrorDesc();
}

// Each attribute is compared with all earlier ones of its element: an absurd number of them
// would keep the parser busy for minutes.
TEST(XmlHardening, ElementsWithAbsurdlyManyAttributesAreRefused) {
    auto element = [](int attributes) {
        std::string text = "<a";
        for (int i = 0; i < attributes; ++i) text += " k" + std::to_string(i) + "='=" + std::to_string(i) + "'";
        return text + "/>";
    };
    XmlDocument fits;
    const std::string ok = element(XmlDocument::kMaxAttributes);
    EXPECT_TRUE(fits.LoadMemory(ok.data(), static_cast<int>(ok.size()))) << fits.ErrorDesc();
    const std::string many = "<r>\n  " + element(100000) + "</r>";
    XmlDocument refused;
    EXPECT_FALSE(refused.LoadMemory(many.data(), static_cast<int>(many.size())));
    EXPECT_EQ(refused.ErrorId(), TiXmlBase::TIXML_ERROR_PARSING_ELEMENT);
    EXPECT_STREQ(refused.ErrorDesc(), "Error parsing Element: more than 1000 attributes");
    EXPECT_EQ(refused.ErrorRow(), 2);
    EXPECT_EQ(refused.ErrorCol(), 3);
}

// The parser stops without an error at text it cannot place: that is a broken document.
TEST(XmlHardening, TextNotReadToItsEndIsAnError) {
    for (const std::string& text : {std::string("<?xml version='1.0'?>\n ]<a/>"),
                                    std::string("<!DOCTYPE a [ <!ELEMENT a ANY> ]>\n<a/>")}) {
        XmlDocument doc;
        EXPECT_FALSE(doc.LoadMemory(text.data(), static_cast<int>(text.size()))) << text;
        EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR) << text;
        EXPECT_STREQ(doc.ErrorDesc(), "Error: the text could not be read past this point");
    }
    XmlDocument stray;
    const std::string text = "<?xml version='1.0'?>\n ]<a/>";
    stray.LoadMemory(text.data(), static_cast<int>(text.size()));
    EXPECT_EQ(stray.ErrorRow(), 2);
    EXPECT_EQ(stray.ErrorCol(), 2);
    // A later good load clears the error.
    EXPECT_TRUE(stray.LoadMemory("<a/>  \n", 6));
    EXPECT_FALSE(stray.Error());
    EXPECT_STREQ(stray.ErrorDesc(), "");
}

// A deep common.xml would have killed a host while it loaded the module.
TEST(XmlHardening, DeepStringTableLoadsAsMissing) {
    TempDir dir;
    dir.Write("config/StringTable/deep.xml", Nested(100000));
    const std::string previous = zor::GetConfigDirectory();
    zor::SetConfigDirectory(dir.Path());
    StringTable table;
    EXPECT_FALSE(table.LoadTable("deep"));
    EXPECT_EQ(&table.GetString("deep", "a"), &StringTable::EmptyText());
    zor::SetConfigDirectory(previous);
}

}  // namespace
