// Every definition file that ships in data/, loaded with the program's reader
// in every language: no box, the same numbers in all five languages, the
// layout rules the pages rely on, and the row names the program recognises.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>

#include "DefinitionFiles.h"
#include "ProgramPaths.h"
#include "Prompter.h"

namespace {

using defdata::FileOf;

class DefinitionData : public ::testing::Test {
protected:
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    tarvel::ScopedProgramFolder useData{defdata::DataFolder()};

    // Loads one family's file in all five languages; each must load without a box.
    template <class Did>
    std::vector<std::vector<Did>> LoadAll(const std::string& base)
    {
        std::vector<std::vector<Did>> all;
        for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
            bool loaded = false;
            all.push_back(defdata::Load<Did>(FileOf(base, lang), &loaded));
            EXPECT_TRUE(loaded) << FileOf(base, lang);
            EXPECT_FALSE(all.back().empty()) << FileOf(base, lang);
            EXPECT_EQ(prompter.Count(), 0u) << FileOf(base, lang) << ": "
                                           << (prompter.Count() ? prompter.Boxes()[0].text : "");
            prompter.Clear();
        }
        return all;
    }

    // Same DIDs, sub-field counts and numeric attributes as the English file.
    template <class Did>
    void ExpectSameNumbers(const std::vector<std::vector<Did>>& all, const std::string& base)
    {
        const auto& en = all[1];
        for (size_t lang = 0; lang < all.size(); ++lang) {
            SCOPED_TRACE(FileOf(base, lang));
            ASSERT_EQ(all[lang].size(), en.size());
            for (size_t d = 0; d < en.size(); ++d) {
                const Did& a = all[lang][d];
                const Did& b = en[d];
                EXPECT_EQ(a.DidNumber, b.DidNumber);
                EXPECT_EQ(a.RWType, b.RWType);
                EXPECT_FALSE(a.name.empty()) << a.DidNumber;
                ASSERT_EQ(a.SubFields.size(), b.SubFields.size()) << a.DidNumber;
                for (size_t k = 0; k < b.SubFields.size(); ++k) {
                    const auto& x = a.SubFields[k];
                    const auto& y = b.SubFields[k];
                    SCOPED_TRACE(a.DidNumber + " sub-field " + std::to_string(k));
                    EXPECT_EQ(x.ByteIndex, y.ByteIndex);
                    EXPECT_EQ(x.StartBit, y.StartBit);
                    EXPECT_EQ(x.BitLenth, y.BitLenth);
                    EXPECT_EQ(x.Conversion, y.Conversion);
                    EXPECT_EQ(x.Offset, y.Offset);
                    EXPECT_EQ(x.DataType, y.DataType);
                    EXPECT_EQ(x.SecurityLeve, y.SecurityLeve);
                    if constexpr (!std::is_same_v<Did, _tagStoredDIDdesc_>) {
                        EXPECT_EQ(x.DecimalValid, y.DecimalValid);
                    }
                    if constexpr (std::is_same_v<Did, _tagConnDIDdesc_>) {
                        EXPECT_EQ(x.SubDataID, y.SubDataID);
                        EXPECT_EQ(x.Abbreviation, y.Abbreviation);
                    } else {
                        EXPECT_FALSE(x.SubDataName.empty());
                    }
                }
            }
        }
    }
};

bool IsAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c > 0x7F)
            return false;
    return true;
}

// The layout of a parameter block written back whole: sub-fields in rising
// ByteIndex with no gap, every byte of bit fields filled up to bit 8 by two or
// more fields, whole-byte numbers of at most 4 bytes, and a 1-byte checksum last.
template <class Sub>
void ExpectWritableBlockLayout(const std::vector<Sub>& subs, bool unsignedOnly)
{
    ASSERT_FALSE(subs.empty());
    int nextByte = 0;
    int nextBit = 0;  // within a byte of bit fields; 0 when none is open
    int fieldsInByte = 0;
    for (size_t k = 0; k < subs.size(); ++k) {
        const Sub& s = subs[k];
        SCOPED_TRACE("sub-field " + std::to_string(k));
        if (unsignedOnly) {
            EXPECT_EQ(s.DataType, "Unsigned");
        }
        if (s.BitLenth < 8) {
            ASSERT_GT(s.BitLenth, 0);
            if (nextBit == 0) {
                EXPECT_EQ(s.ByteIndex, nextByte);
                EXPECT_EQ(s.StartBit, 0);
                fieldsInByte = 0;
            } else {
                EXPECT_EQ(s.ByteIndex, nextByte);
                EXPECT_EQ(s.StartBit, nextBit);
            }
            ++fieldsInByte;
            nextBit = s.StartBit + s.BitLenth;
            ASSERT_LE(nextBit, 8);
            if (nextBit == 8) {
                EXPECT_GE(fieldsInByte, 2) << "a byte of bit fields needs two fields to be written";
                nextBit = 0;
                ++nextByte;
            }
        } else {
            EXPECT_EQ(nextBit, 0) << "a byte of bit fields ends before bit 8";
            EXPECT_EQ(s.ByteIndex, nextByte);
            EXPECT_EQ(s.BitLenth % 8, 0);
            if (s.DataType == "Unsigned") {
                EXPECT_LE(s.BitLenth, 32);
            }
            nextByte = s.ByteIndex + s.BitLenth / 8;
        }
    }
    EXPECT_EQ(nextBit, 0);
    const Sub& last = subs.back();
    EXPECT_EQ(last.DataType, "Unsigned");
    EXPECT_EQ(last.BitLenth, 8);
    EXPECT_EQ(last.Conversion, 1.0f);
    EXPECT_EQ(last.Offset, 0.0f);
}

TEST_F(DefinitionData, StoredParametersAreTheEightIdentificationDids)
{
    auto all = LoadAll<_tagStoredDIDdesc_>(defdata::kStored);
    ExpectSameNumbers(all, defdata::kStored);
    const std::vector<std::string> want{"F18A", "F192", "F193", "F194", "F195", "F197", "F1F4", "F1F5"};
    ASSERT_EQ(all[1].size(), want.size());
    for (size_t d = 0; d < want.size(); ++d) {
        const auto& did = all[1][d];
        EXPECT_EQ(did.DidNumber, want[d]);
        ASSERT_EQ(did.SubFields.size(), 1u) << did.DidNumber;
        const auto& s = did.SubFields[0];
        // What the device-information page's decode supports.
        const bool wholeByteUnsigned = s.DataType == "Unsigned" && s.BitLenth % 8 == 0 && s.BitLenth <= 32;
        const bool bcd1 = s.DataType == "BCD1" && s.BitLenth == 8;
        const bool ascii = s.DataType == "ASCII" && s.BitLenth % 8 == 0 && s.BitLenth <= 99 * 8;
        EXPECT_TRUE(wholeByteUnsigned || bcd1 || ascii) << did.DidNumber << " " << s.DataType;
        EXPECT_EQ(s.ByteIndex, 0);
    }
}

TEST_F(DefinitionData, BasicParameterFilesHoldVinAndCalibrationParameters)
{
    for (const char* base : {defdata::kBasicDefault, defdata::kBasicMapped}) {
        SCOPED_TRACE(base);
        auto all = LoadAll<_tagABSDIDdesc_>(base);
        ExpectSameNumbers(all, base);
        for (size_t lang = 0; lang < all.size(); ++lang) {
            SCOPED_TRACE(FileOf(base, lang));
            const auto& table = all[lang];
            ASSERT_GE(table.size(), 2u);
            // Record 0: the identification record, one 17-byte text.
            EXPECT_EQ(table[0].DidNumber, "F190");
            ASSERT_EQ(table[0].SubFields.size(), 1u);
            EXPECT_EQ(table[0].SubFields[0].DataType, "ASCII");
            EXPECT_EQ(table[0].SubFields[0].BitLenth, 17 * 8);
            // Record 1: the vehicle configuration, under the name the program compares.
            EXPECT_EQ(table[1].DidNumber, "00A0");
            EXPECT_EQ(table[1].name, "Calibration Parameters");
            EXPECT_EQ(table[1].RWType, "RW");
            ExpectWritableBlockLayout(table[1].SubFields, false);
            // No multi-byte field at byte 66, which the system tag reads the other way round.
            for (const auto& s : table[1].SubFields)
                EXPECT_FALSE(s.ByteIndex == 66 && s.BitLenth > 8);
            // Every other record is read-only and holds no text (the page would show it reversed).
            for (size_t d = 2; d < table.size(); ++d) {
                EXPECT_NE(table[d].RWType, "RW") << table[d].DidNumber;
                for (const auto& s : table[d].SubFields)
                    EXPECT_NE(s.DataType, "ASCII") << table[d].DidNumber;
            }
        }
    }
}

TEST_F(DefinitionData, FlagRowsAreNamedExactlyAsTheLanguageTableRows)
{
    for (const char* base : {defdata::kBasicDefault, defdata::kBasicMapped}) {
        for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
            SCOPED_TRACE(FileOf(base, lang));
            auto table = defdata::Load<_tagABSDIDdesc_>(FileOf(base, lang));
            ASSERT_GE(table.size(), 2u);
            const auto& subs = table[1].SubFields;
            for (int row : defdata::FlagRows()) {
                const std::string name = defdata::LanguageRow(row, lang);
                ASSERT_FALSE(name.empty()) << "language row " << row;
                int found = 0;
                for (const auto& s : subs) {
                    if (s.SubDataName != name)
                        continue;
                    ++found;
                    // Shown as a plain count, so that the flags compare "1" and "2".
                    EXPECT_EQ(s.DataType, "Unsigned") << row;
                    EXPECT_EQ(s.DecimalValid, 0) << row;
                    EXPECT_EQ(s.Conversion, 1.0f) << row;
                    EXPECT_EQ(s.Offset, 0.0f) << row;
                }
                EXPECT_EQ(found, 1) << "row " << row << " \"" << name << "\"";
            }
            // No other row wears a flag row's name of a different language.
            std::set<std::string> names;
            for (const auto& s : subs)
                EXPECT_TRUE(names.insert(s.SubDataName).second) << "duplicate name " << s.SubDataName;
        }
    }
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(DefinitionData, MonitorChannelsCarryThePressureNamesAndTheSpecialDids)
{
    auto all = LoadAll<_tagMonitorDIDdesc_>(defdata::kMonitor);
    ExpectSameNumbers(all, defdata::kMonitor);
    for (size_t lang = 0; lang < all.size(); ++lang) {
        SCOPED_TRACE(FileOf(defdata::kMonitor, lang));
        std::map<std::string, std::vector<std::string>> names;
        for (const auto& did : all[lang])
            for (const auto& s : did.SubFields) {
                names[did.DidNumber].push_back(s.SubDataName);
                EXPECT_GE(s.BitLenth, 1);
                EXPECT_LE(s.BitLenth, 32);
            }
        const std::string left = defdata::LanguageRow(404, lang);
        const std::string right = defdata::LanguageRow(405, lang);
        const std::string demand = defdata::LanguageRow(406, lang);
        EXPECT_EQ(names["0051"], std::vector<std::string>{demand});
        EXPECT_EQ(names["0052"], (std::vector<std::string>{left, right}));
        EXPECT_EQ(names["0053"], (std::vector<std::string>{left, right}));
        EXPECT_EQ(names["0054"].size(), 1u);
        EXPECT_EQ(names["0092"].size(), 1u);
        EXPECT_EQ(names["F186"].size(), 1u);
    }
}

TEST_F(DefinitionData, LiftingAxleFilesDescribeTheBlockTheConfigurationReads)
{
    for (const char* base : {defdata::kLiftingDefault, defdata::kLiftingMapped}) {
        SCOPED_TRACE(base);
        auto all = LoadAll<_tagLiftingAxleDIDdesc_>(base);
        ExpectSameNumbers(all, base);
        const auto& en = all[1];
        ASSERT_EQ(en.size(), 1u);
        EXPECT_EQ(en[0].DidNumber, "00A1");
        EXPECT_EQ(en[0].RWType, "RW");
        ExpectWritableBlockLayout(en[0].SubFields, true);
        // Rows 1-2: the driven lifting axles; rows 7-8: the lifting-axle sensors.
        ASSERT_GE(en[0].SubFields.size(), 9u);
        EXPECT_NE(en[0].SubFields[1].SubDataName.find("Driven"), std::string::npos);
        EXPECT_NE(en[0].SubFields[2].SubDataName.find("Driven"), std::string::npos);
        EXPECT_NE(en[0].SubFields[7].SubDataName.find("Sensor"), std::string::npos);
        EXPECT_NE(en[0].SubFields[8].SubDataName.find("Sensor"), std::string::npos);
        for (int row : {1, 2, 7, 8})
            EXPECT_EQ(en[0].SubFields[size_t(row)].BitLenth, 8) << row;
    }
}

TEST_F(DefinitionData, ConnectorFileDescribesSixteenConnectors)
{
    auto all = LoadAll<_tagConnDIDdesc_>(defdata::kConnectors);
    ExpectSameNumbers(all, defdata::kConnectors);
    const auto& first = all[1][0];
    ASSERT_GE(first.SubFields.size(), 17u);
    std::set<std::string> abbreviations;
    for (size_t n = 1; n <= 16; ++n) {
        const auto& s = first.SubFields[n];
        EXPECT_EQ(s.ByteIndex & 0xFF, int(n)) << "the key byte is the connector's number";
        EXPECT_FALSE(s.Abbreviation.empty());
        EXPECT_TRUE(abbreviations.insert(s.Abbreviation).second) << s.Abbreviation;
        for (size_t lang = 0; lang < all.size(); ++lang)
            EXPECT_FALSE(all[lang][0].SubFields[n].Description.empty()) << n << " " << lang;
    }
}

TEST_F(DefinitionData, EnglishFilesAreAscii)
{
    for (const char* base : {defdata::kStored, defdata::kBasicDefault, defdata::kBasicMapped, defdata::kMonitor,
                             defdata::kLiftingDefault, defdata::kLiftingMapped, defdata::kConnectors,
                             defdata::kFaultTable}) {
        FILE* f = std::fopen((defdata::DataFolder() + "/" + FileOf(base, 1)).c_str(), "rb");
        ASSERT_NE(f, nullptr) << base;
        std::string text;
        for (int c; (c = std::fgetc(f)) != EOF;)
            text.push_back(char(c));
        std::fclose(f);
        EXPECT_TRUE(IsAscii(text)) << FileOf(base, 1);
    }
}

TEST_F(DefinitionData, FaultTablesListTheSameCodesAsTheEcuRendersThem)
{
    std::vector<std::string> firstCodes, firstDisplays;
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        SCOPED_TRACE(FileOf(defdata::kFaultTable, lang));
        auto rows = defdata::Rows(FileOf(defdata::kFaultTable, lang));
        ASSERT_FALSE(rows.empty());
        std::vector<std::string> codes, displays;
        for (auto& r : rows) {
            const std::string& code = r["DTCNumber"];
            // "0x" and the 24-bit code in upper-case hexadecimal without leading zeros.
            unsigned value = 0;
            ASSERT_EQ(std::sscanf(code.c_str(), "0x%X", &value), 1) << code;
            char rendered[16];
            std::snprintf(rendered, sizeof rendered, "0x%X", value);
            EXPECT_EQ(code, rendered);
            EXPECT_LE(value, 0xFFFFFFu);
            EXPECT_FALSE(r["DTCDisplay"].empty());
            EXPECT_FALSE(r["DTCMeaning"].empty());
            codes.push_back(code);
            displays.push_back(r["DTCDisplay"]);
        }
        if (lang == 0) {
            firstCodes = codes;
            firstDisplays = displays;
        }
        EXPECT_EQ(codes, firstCodes);
        EXPECT_EQ(displays, firstDisplays);
    }
}

TEST_F(DefinitionData, SelectorFilesNameFilesThatLoad)
{
    const char* const kLanguages[] = {"FileName_zh", "FileName_en", "FileName_russian", "FileName_spanish",
                                      "FileName_portug"};
    for (const char* folder : {"VADE_BasicParameterConfig", "VADE_LiftingAxleParameterConfig"}) {
        auto rows = defdata::Rows(std::string(folder) + "/Mapping.xml");
        ASSERT_FALSE(rows.empty()) << folder;
        for (auto& r : rows) {
            EXPECT_FALSE(r["CalibrationVersion"].empty());
            for (const char* attr : kLanguages) {
                const std::string file = std::string(folder) + "/" + r[attr];
                TiXmlDocument doc((defdata::DataFolder() + "/" + file).c_str());
                EXPECT_TRUE(doc.LoadFile(TIXML_ENCODING_UTF8)) << file;
            }
        }
    }
    // The parameter fault codes: the fallback file and every mapped one, each
    // with a title and an explanation in all five languages.
    auto rows = defdata::Rows("VADE_ParameterFaultCodeConfig/Mapping.xml");
    ASSERT_FALSE(rows.empty());
    std::vector<std::string> files{"VADE_ParameterFaultCode_1.1.xml"};
    for (auto& r : rows) {
        int number = 0;
        EXPECT_EQ(std::sscanf(r["CalibrationVersion"].c_str(), "%d", &number), 1);
        EXPECT_EQ(std::sscanf(r["Level"].c_str(), "%d", &number), 1);
        EXPECT_FALSE(r["ECU_SW_VERSION"].empty());
        files.push_back(r["FileName"]);
    }
    for (const std::string& file : files) {
        auto faults = defdata::Rows("VADE_ParameterFaultCodeConfig/" + file);
        ASSERT_FALSE(faults.empty()) << file;
        for (auto& f : faults) {
            unsigned code = 0;
            EXPECT_EQ(std::sscanf(f["FaultCodeNum"].c_str(), "%x", &code), 1) << file;
            EXPECT_LE(code, 0xFFu);
            for (const char* attr : {"Chinese", "English", "Russian", "Spanish", "Portug", "ChineseDesc",
                                     "EnglishDesc", "RussianDesc", "SpanishDesc", "PortugDesc"})
                EXPECT_FALSE(f[attr].empty()) << file << " " << f["FaultCodeNum"] << " " << attr;
        }
    }
}

} // namespace
