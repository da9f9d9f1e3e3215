#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "XmlHelpers.h"

namespace {

const char* kDoc =
    "<USER-CONFIGURATION>"
    "<USER-DEF><DID Item=\"1\"/><!-- a comment --><DID Item=\"2\"/><Other Item=\"3\"/></USER-DEF>"
    "<OTHER><DID Item=\"9\"/></OTHER>"
    "</USER-CONFIGURATION>";

} // namespace

TEST(FindXmlElementByPath, PathTable)
{
    TiXmlDocument doc;
    doc.Parse(kDoc);
    ASSERT_FALSE(doc.Error());
    struct Case {
        const char* path;
        const char* expectedItem; // nullptr: no element; "root": the root element
    };
    const Case cases[] = {
        {"USER-CONFIGURATION/USER-DEF/DID", "1"},
        {"ANY-ROOT-NAME/USER-DEF/DID", "1"},
        {"//USER-CONFIGURATION//USER-DEF/DID/", "1"},
        {"X/OTHER/DID", "9"},
        {"USER-CONFIGURATION", "root"},
        {"/whatever/", "root"},
        {"USER-CONFIGURATION/user-def/DID", nullptr},
        {"USER-CONFIGURATION/USER-DEF/NOPE", nullptr},
        {"USER-CONFIGURATION/USER-DEF/DID/DEEPER", nullptr},
        {"", nullptr},
        {"///", nullptr},
    };
    for (const Case& c : cases) {
        const TiXmlElement* e = FindXmlElementByPath(&doc, c.path);
        if (!c.expectedItem) {
            EXPECT_EQ(e, nullptr) << c.path;
        } else if (std::strcmp(c.expectedItem, "root") == 0) {
            EXPECT_EQ(e, doc.RootElement()) << c.path;
        } else {
            ASSERT_NE(e, nullptr) << c.path;
            EXPECT_STREQ(e->Attribute("Item"), c.expectedItem) << c.path;
        }
    }
    EXPECT_EQ(FindXmlElementByPath(&doc, nullptr), nullptr);
    EXPECT_EQ(FindXmlElementByPath(static_cast<TiXmlDocument*>(nullptr), "A/B"), nullptr);

    TiXmlDocument empty;
    EXPECT_EQ(FindXmlElementByPath(empty, std::string("USER-CONFIGURATION/USER-DEF/DID")), nullptr);
}

TEST(FindXmlElementByPath, RecordWalkSkipsCommentsAndKeepsOtherElements)
{
    TiXmlDocument doc;
    doc.Parse(kDoc);
    std::string items;
    for (const TiXmlElement* e = FindXmlElementByPath(doc, std::string("U/USER-DEF/DID")); e;
         e = e->NextSiblingElement()) {
        items += e->Attribute("Item");
    }
    EXPECT_EQ(items, "123");
}

TEST(XmlHelpers, DecimalReadingLikeTheCLibraryButClamped)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"42", 42},         {"  -7x", -7},       {"+3", 3},
        {"abc", 0},         {"", 0},             {"12abc", 12},
        {"- 5", 0},         {"2147483647", INT_MAX}, {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseDecimalInt(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseDecimalInt(nullptr), 0);
}

TEST(XmlHelpers, AttributesAreReadAsUtf8)
{
    TiXmlDocument doc;
    doc.Parse("<?xml version=\"1.0\" encoding=\"utf-8\" ?><R a=\"Test Result\xEF\xBC\x9A\" n=\"abc\" bad=\"x\xFFy\"/>");
    const TiXmlElement* r = doc.RootElement();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ReadTextAttribute(r, "a"), "Test Result\xEF\xBC\x9A");
    EXPECT_EQ(ReadTextAttribute(r, "bad"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(ReadTextAttribute(r, "missing"), "");
    EXPECT_EQ(ReadIntAttribute(r, "n", 7), 0);
    EXPECT_EQ(ReadIntAttribute(r, "missing", 7), 7);
}

TEST(TextConverters, Utf8ToCString)
{
    EXPECT_EQ(Utf8ToCString(std::string()), L"");
    EXPECT_EQ(Utf8ToCString(static_cast<const char*>(nullptr)), L"");
    EXPECT_EQ(Utf8ToCString("\xE4\xB8\xAD" "a"), L"\u4E2D" L"a");
    EXPECT_EQ(Utf8ToCString("\xE4\xB8"), L"\uFFFD");
}

TEST(TextConverters, WideToAnsiAllocGivesAFreeableZeroTerminatedText)
{
    char* empty = WideToAnsiAlloc(std::wstring());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    std::free(empty);

    char* text = WideToAnsiAlloc(L"\u4E2D\u00E9 ok");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "\xE4\xB8\xAD\xC3\xA9 ok");
    std::free(text);
}

TEST(TextConverters, Utf8ToAnsiInPlaceNeverGrowsTheText)
{
    struct Case {
        const char* name;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"valid stays", "caf\xC3\xA9 \xE4\xB8\xAD", "caf\xC3\xA9 \xE4\xB8\xAD"},
        {"one bad byte", "a\xFF" "b", "a?b"},
        {"truncated sequence", "ab\xE4\xB8", "ab?"},
        {"only bad bytes", "\x80\x80", "??"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        // A guard byte right after the terminator catches any write past it.
        std::string buffer = c.input;
        buffer.push_back('\0');
        buffer.push_back('#');
        Utf8ToAnsiInPlace(&buffer[0]);
        EXPECT_STREQ(buffer.c_str(), c.expected.c_str()) << c.name;
        EXPECT_EQ(buffer.back(), '#') << c.name;
        for (size_t i = c.expected.size(); i + 1 < buffer.size(); ++i) {
            EXPECT_EQ(buffer[i], '\0') << c.name << " byte " << i;
        }
    }
}

// ---- Loading files ----

namespace {

std::string Printed(const TiXmlDocument& doc)
{
    TiXmlPrinter printer;
    doc.Accept(&printer);
    return printer.CStr();
}

} // namespace

TEST(LoadXmlFile, ReadsEveryShippedFileAsTinyXmlsOwnLoaderDoes)
{
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TARVEL_DATA_DIR)) {
        if (entry.path().extension() != ".xml") continue;
        const std::string path = entry.path().string();
        TiXmlDocument ours, theirs;
        ASSERT_TRUE(LoadXmlFile(ours, path)) << path;
        ASSERT_TRUE(theirs.LoadFile(path.c_str())) << path;
        EXPECT_EQ(Printed(ours), Printed(theirs)) << path;
        ++files;
    }
    EXPECT_GT(files, 50u);

    // Line ends too: a file written with CR LF reads as TinyXML reads it.
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<R a=\"x\r\ny\rz\">\r\n"
                              "    <T>one\r\ntwo\rthree</T>\r\n</R>";
    TiXmlDocument ours, theirs;
    ASSERT_TRUE(ParseXmlBytes(ours, bytes));
    const std::string probe = (std::filesystem::temp_directory_path() / "tarvel-crlf-probe.xml").string();
    std::ofstream(probe, std::ios::binary) << bytes;
    ASSERT_TRUE(theirs.LoadFile(probe.c_str()));
    std::filesystem::remove(probe);
    EXPECT_EQ(Printed(ours), Printed(theirs));
}

TEST(LoadXmlFile, AFileCutInsideACharacterIsRefusedBeforeTheParserSeesIt)
{
    struct {
        std::string bytes;
        bool cut;
    } cases[] = {
        {std::string("<?xml><F>\xED", 10), true},
        {"<R a=\"1\"/>\n\xED", true},
        {"<R a=\"1\"/>\xF0\x9F\x98", true},
        {"<R a=\"1\"/>\xC3", true},
        {"<R a=\"\xC3\xA9\"/>", false},
        {"<R a=\"1\"/><!--\xF0\x9F\x98\x80-->", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EndsInsideUtf8Character(c.bytes), c.cut) << c.bytes;
        TiXmlDocument doc;
        if (c.cut) {
            EXPECT_FALSE(ParseXmlBytes(doc, c.bytes)) << c.bytes;
        }
    }
    TiXmlDocument doc;
    EXPECT_TRUE(ParseXmlBytes(doc, "<R a=\"\xC3\xA9\"/>"));
    EXPECT_STREQ(doc.RootElement()->Attribute("a"), "\xC3\xA9");
    EXPECT_FALSE(LoadXmlFile(doc, "/no/such/file.xml"));
    EXPECT_FALSE(LoadXmlFile(doc, std::string(TARVEL_DATA_DIR)));
}
