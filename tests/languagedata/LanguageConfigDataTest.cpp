// Checks the UI text table that ships beside the program (data/LanguageConfig.xml).
// Every caption and message of the program is fetched by its position in this
// file, so a missing, shifted or empty row shows up as a blank button or a blank
// message box in one of five languages. These tests load the file the way the
// program does (TinyXML, USER-CONFIGURATION/USER-DEF/DID, position = row) and
// hold it against the positions the pages use.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "CitedRows.h"

namespace {

const char* const kLanguages[] = {"Chinese", "English", "Russian", "Spanish", "Portug"};

struct Row {
    std::string item;                      // the "Item" attribute as written
    std::map<std::string, std::string> text;  // language attribute -> text; absent = missing
};

// True when s is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        unsigned int cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;  // sequence cut off at the end
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

bool IsBlank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

class LanguageConfigData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        doc_ = new TiXmlDocument();
        // Default encoding detection, as the program loads it: the declaration
        // (or a byte-order mark) has to make the parser read UTF-8.
        loaded_ = doc_->LoadFile(TARVEL_LANGUAGE_CONFIG, TIXML_DEFAULT_ENCODING);
        if (!loaded_) return;
        rows_ = new std::vector<Row>();
        // Same walk as the program: first DID under the path, then its siblings.
        TiXmlElement* root = doc_->RootElement();
        TiXmlElement* def = root ? root->FirstChildElement("USER-DEF") : nullptr;
        for (TiXmlElement* did = def ? def->FirstChildElement("DID") : nullptr; did;
             did = did->NextSiblingElement("DID")) {
            Row row;
            if (const char* item = did->Attribute("Item")) row.item = item;
            for (const char* lang : kLanguages) {
                if (const char* t = did->Attribute(lang)) row.text[lang] = t;
            }
            rows_->push_back(row);
        }
    }
    static void TearDownTestSuite() {
        delete rows_;
        rows_ = nullptr;
        delete doc_;
        doc_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << TARVEL_LANGUAGE_CONFIG << ": " << doc_->ErrorDesc() << " at line "
                             << doc_->ErrorRow() << ", column " << doc_->ErrorCol();
    }

    static const std::vector<Row>& Rows() { return *rows_; }

    static TiXmlDocument* doc_;
    static bool loaded_;
    static std::vector<Row>* rows_;
};

TiXmlDocument* LanguageConfigData::doc_ = nullptr;
bool LanguageConfigData::loaded_ = false;
std::vector<Row>* LanguageConfigData::rows_ = nullptr;

TEST_F(LanguageConfigData, IsUtf8XmlWithTheExpectedStructure) {
    const TiXmlNode* first = doc_->FirstChild();
    ASSERT_NE(first, nullptr);
    const TiXmlDeclaration* decl = first->ToDeclaration();
    ASSERT_NE(decl, nullptr) << "the file must start with an XML declaration";
    EXPECT_STREQ(decl->Encoding(), "UTF-8");

    const TiXmlElement* root = doc_->RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "USER-CONFIGURATION");
    const TiXmlElement* def = root->FirstChildElement("USER-DEF");
    ASSERT_NE(def, nullptr);
    // Anything but DID elements between the rows would not shift the positions
    // in TinyXML's sibling walk, but other readers may count child nodes: keep
    // the list clean.
    for (const TiXmlNode* n = def->FirstChild(); n; n = n->NextSibling()) {
        const TiXmlElement* e = n->ToElement();
        ASSERT_NE(e, nullptr) << "non-element node inside USER-DEF";
        EXPECT_STREQ(e->Value(), "DID");
    }
}

TEST_F(LanguageConfigData, EveryDidCarriesItsPositionAndFiveTexts) {
    ASSERT_EQ(Rows().size(), static_cast<size_t>(kHighestCitedRow) + 1)
        << "one DID per row from 0 to the highest row the program uses";
    for (size_t i = 0; i < Rows().size(); ++i) {
        const Row& row = Rows()[i];
        EXPECT_EQ(row.item, std::to_string(i)) << "DID number " << i << " has Item \"" << row.item << "\"";
        for (const char* lang : kLanguages) {
            auto it = row.text.find(lang);
            ASSERT_NE(it, row.text.end()) << "row " << i << " has no " << lang << " attribute";
            EXPECT_FALSE(IsBlank(it->second)) << "row " << i << " is empty in " << lang;
            EXPECT_TRUE(IsValidUtf8(it->second)) << "row " << i << " in " << lang << " is not UTF-8";
            // The program keeps texts of up to 2047 bytes.
            EXPECT_LT(it->second.size(), 2048u) << "row " << i << " in " << lang << " is too long";
        }
    }
}

TEST_F(LanguageConfigData, CitedRowsHaveTheirCaptionsInEveryLanguage) {
    ASSERT_GT(sizeof(kCitedRows) / sizeof(kCitedRows[0]), 0u);
    int lastRow = -1;
    for (const CitedRow& cited : kCitedRows) {
        ASSERT_GT(cited.row, lastRow) << "the table of used rows must be sorted";
        lastRow = cited.row;
        ASSERT_LT(static_cast<size_t>(cited.row), Rows().size()) << "row " << cited.row << " is missing";
        const Row& row = Rows()[static_cast<size_t>(cited.row)];
        for (const char* lang : kLanguages) {
            auto it = row.text.find(lang);
            ASSERT_NE(it, row.text.end()) << "row " << cited.row << " has no " << lang << " text";
            EXPECT_FALSE(IsBlank(it->second)) << "row " << cited.row << " is empty in " << lang;
        }
        if (cited.english != nullptr) {
            EXPECT_EQ(row.text.at("English"), std::string(cited.english)) << "row " << cited.row;
        }
    }
    EXPECT_EQ(lastRow, kHighestCitedRow);
}

// Parameter rows of the ECU definition files are recognised by their displayed
// name being equal to one of these rows. Two equal names would make one
// parameter set the flag or plate field of another, so within each language
// these rows must all differ.
TEST_F(LanguageConfigData, ParameterNameRowsAreDistinctInEveryLanguage) {
    std::vector<int> names = {170, 172, 349, 356, 357, 360, 361, 364, 404, 405, 406, 462, 569, 579, 586};
    for (int r = 315; r <= 348; ++r) names.push_back(r);
    for (int r = 368; r <= 371; ++r) names.push_back(r);
    for (int r = 411; r <= 428; ++r) names.push_back(r);
    for (int r : {431, 432, 433, 434, 435, 437, 439, 440, 442, 443, 444}) names.push_back(r);
    for (int r = 508; r <= 515; ++r) names.push_back(r);
    for (int r = 599; r <= 630; ++r) names.push_back(r);

    for (const char* lang : kLanguages) {
        std::map<std::string, int> seen;
        for (int r : names) {
            ASSERT_LT(static_cast<size_t>(r), Rows().size());
            const std::string& text = Rows()[static_cast<size_t>(r)].text.at(lang);
            auto inserted = seen.emplace(text, r);
            EXPECT_TRUE(inserted.second) << lang << ": rows " << inserted.first->second << " and " << r
                                         << " share the name \"" << text << "\"";
        }
    }
}

// A page is chosen by comparing the clicked caption with these rows in order;
// the first equal row wins. Two equal captions (or a tree root equal to a page
// caption) would open the wrong page, so they must all differ.
TEST_F(LanguageConfigData, NavigationCaptionsAreDistinctInEveryLanguage) {
    const int nav[] = {8,  9,  10, 11, 12, 13,  14,  15,  16,  17,  18,  19,
                       20, 21, 22, 24, 276, 298, 448, 488, 516, 580};
    for (const char* lang : kLanguages) {
        std::set<std::string> seen;
        for (int r : nav) {
            ASSERT_LT(static_cast<size_t>(r), Rows().size());
            EXPECT_TRUE(seen.insert(Rows()[static_cast<size_t>(r)].text.at(lang)).second)
                << lang << ": navigation row " << r << " repeats an earlier caption";
        }
    }
}

}  // namespace
