// The definition files against the simulated ECU they describe: every DID of
// every shipped file is read from the ECU and each sub-field decoded with its
// file, for both of the ECU's profiles. The files each profile's versions
// select are worked out from the selector files as the program reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "DefinitionFiles.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "SimEcuData.h"
#include "SimEcuFixture.h"
#include "SimEcuProfile.h"
#include "ValueCodec.h"

using simtest::Bytes;
using sim::ecudata::EcuProfile;

namespace sim {
namespace ecudata {
void PrintTo(EcuProfile p, std::ostream* os) { *os << (p == EcuProfile::Standard ? "Standard" : "Alternate"); }
} // namespace ecudata
} // namespace sim

namespace {

std::string TrimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0'))
        s.pop_back();
    return s;
}

class EcuConsistency : public simtest::SimEcuFixture, public ::testing::WithParamInterface<EcuProfile> {
protected:
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    tarvel::ScopedProgramFolder useData{defdata::DataFolder()};

    void SetUp() override
    {
        simtest::SimEcuFixture::SetUp();
        sim::ecudata::InstallProfile(*ecu, GetParam());
    }

    Bytes Read(const std::string& didNumber)
    {
        const unsigned did = unsigned(std::strtoul(didNumber.c_str(), nullptr, 16));
        Bytes answer = Request({0x22, uint8_t(did >> 8), uint8_t(did)});
        if (answer.size() < 3 || answer[0] != 0x62)
            return {};
        return Bytes(answer.begin() + 3, answer.end());
    }

    std::string ReadText(const std::string& didNumber)
    {
        Bytes b = Read(didNumber);
        return std::string(b.begin(), b.end());
    }

    // Reads every DID of the table and decodes each sub-field; returns the
    // values by sub-field name (of the last DID holding that name).
    template <class Did, class Options>
    std::map<std::string, std::string> DecodeAll(const std::vector<Did>& table, Options optionsFor)
    {
        std::map<std::string, std::string> values;
        EXPECT_FALSE(table.empty());
        for (const Did& did : table) {
            SCOPED_TRACE("DID " + did.DidNumber);
            const Bytes data = Read(did.DidNumber);
            EXPECT_FALSE(data.empty()) << "the ECU does not answer it";
            if (data.empty())
                continue;
            size_t end = 0;
            for (const auto& sub : did.SubFields) {
                const size_t bytes = sub.BitLenth >= 8 ? size_t(sub.BitLenth / 8) : 1;
                const size_t fieldEnd = size_t(sub.ByteIndex) + bytes;
                EXPECT_LE(fieldEnd, data.size()) << "field at " << sub.ByteIndex << " lies past the data";
                end = std::max(end, fieldEnd);
                const DecodedValue v = DecodeValue(data, MakeValueField(sub, did.DidNumber), optionsFor(did));
                EXPECT_EQ(v.box, 0) << sub.ByteIndex;
                EXPECT_FALSE(v.text.empty()) << sub.ByteIndex;
                if constexpr (std::is_same_v<Did, _tagConnDIDdesc_>)
                    values[sub.SubDataID] = v.text;
                else
                    values[sub.SubDataName] = v.text;
            }
            // Blocks that are written back whole are exactly as long as their definition.
            if (did.RWType == "RW" && did.DidNumber != "F190") {
                EXPECT_EQ(end, data.size());
            }
        }
        EXPECT_EQ(prompter.Count(), 0u);
        return values;
    }

    bool Standard() const { return GetParam() == EcuProfile::Standard; }
};

TEST_P(EcuConsistency, IdentificationDidsDecodeWithTheStoredParameterFile)
{
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        SCOPED_TRACE(defdata::FileOf(defdata::kStored, lang));
        auto table = defdata::Load<_tagStoredDIDdesc_>(defdata::FileOf(defdata::kStored, lang));
        auto values = DecodeAll(table, [](const _tagStoredDIDdesc_&) { return DeviceInfoCodecOptions(); });
        std::map<std::string, std::string> byDid;
        for (const auto& did : table)
            byDid[did.DidNumber] = values[did.SubFields.at(0).SubDataName];
        const auto id = sim::ecudata::Identity(GetParam());
        EXPECT_EQ(TrimRight(byDid["F195"]), id.softwareVersion);
        EXPECT_EQ(TrimRight(byDid["F197"]), id.systemForm);
        EXPECT_EQ(byDid["F1F5"], id.calibrationVersion);
        EXPECT_EQ(byDid["F18A"], sim::ecudata::kSupplierId);
    }
}

// Which files the ECU's versions select, read from the selector files the way
// the program reads them, and what the ECU's parameters decode to with them.
TEST_P(EcuConsistency, VersionsSelectTheirFilesAndTheBlocksDecodeWithThem)
{
    const std::string software = TrimRight(ReadText("F195"));
    const std::string calibration = ReadText("F1F5");

    // Parameter fault codes: the software version first, then the calibration
    // version as a number, then the fallback file.
    std::string faultFile = "VADE_ParameterFaultCode_1.1.xml";
    bool softwareMatched = false;
    int calibrationRows = 0;
    for (auto& row : defdata::Rows("VADE_ParameterFaultCodeConfig/Mapping.xml")) {
        if (row["ECU_SW_VERSION"] == software) {
            faultFile = row["FileName"];
            softwareMatched = true;
        }
        if (std::atoi(row["CalibrationVersion"].c_str()) == std::atoi(calibration.c_str()))
            ++calibrationRows;
    }
    EXPECT_EQ(softwareMatched, Standard());
    if (!Standard()) {
        EXPECT_EQ(calibrationRows, 0);
    }
    EXPECT_EQ(faultFile, Standard() ? "VADE_ParameterFaultCode_2.7.xml" : "VADE_ParameterFaultCode_1.1.xml");
    // The reasons the ECU gives for a refused write are explained in the chosen file.
    std::set<unsigned> explained;
    for (auto& f : defdata::Rows("VADE_ParameterFaultCodeConfig/" + faultFile))
        explained.insert(unsigned(std::strtoul(f["FaultCodeNum"].c_str(), nullptr, 16)));
    EXPECT_TRUE(explained.count(sim::ecudata::kParamFaultChecksum));

    const char* const kFileAttribute[] = {"FileName_zh", "FileName_en", "FileName_russian", "FileName_spanish",
                                          "FileName_portug"};
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        SCOPED_TRACE(defdata::Suffixes()[lang]);
        // Basic parameters: the calibration version as exact text.
        std::string basicFile = defdata::FileOf(defdata::kBasicDefault, lang);
        for (auto& row : defdata::Rows("VADE_BasicParameterConfig/Mapping.xml"))
            if (row["CalibrationVersion"] == calibration)
                basicFile = "VADE_BasicParameterConfig/" + row[kFileAttribute[lang]];
        EXPECT_EQ(basicFile, defdata::FileOf(Standard() ? defdata::kBasicMapped : defdata::kBasicDefault, lang));
        auto basic = defdata::Load<_tagABSDIDdesc_>(basicFile);
        auto values = DecodeAll(basic, [&basic](const _tagABSDIDdesc_& did) {
            // The identification record and "Calibration Parameters" are read reversed.
            const bool reversed = &did == &basic[0] || did.name == "Calibration Parameters";
            return ParameterCodecOptions(reversed);
        });
        const auto T = [lang](int row) { return defdata::LanguageRow(row, lang); };
        EXPECT_EQ(values[T(318)], "3");
        if (Standard()) {
            EXPECT_EQ(values[T(172)], "2");
            EXPECT_EQ(values[T(317)], "1");
            EXPECT_EQ(values[T(334)], "1");  // axle 3 lift function A
            EXPECT_EQ(values[T(326)], "0");
            EXPECT_EQ(values[T(421)], "6.50");
            EXPECT_EQ(values[T(422)], "1.20");
            EXPECT_EQ(values[T(427)], "3250");
            EXPECT_EQ(values[T(622)], "60");
            EXPECT_EQ(values[T(369)], "6.50");  // the plate's values
            EXPECT_EQ(values[T(508)], "3250");
            EXPECT_EQ(values[T(579)], "2");  // underwater valve fitted
            EXPECT_EQ(values[basic[1].SubFields.back().SubDataName], "24");
        } else {
            EXPECT_EQ(values[T(569)], "2");
            EXPECT_EQ(values[T(579)], "2");
            EXPECT_EQ(values[T(326)], "1");  // axle 2 third modulator
            EXPECT_EQ(values[T(335)], "1");  // axle 3 lift function B
            EXPECT_EQ(values[T(421)], "7.00");
            EXPECT_EQ(values[T(427)], "3300");
            EXPECT_EQ(values[T(369)], "7.00");
            EXPECT_EQ(values[T(586)], "2");
            EXPECT_EQ(values[basic[1].SubFields.back().SubDataName], "149");
        }
        EXPECT_EQ(values[basic[0].SubFields[0].SubDataName], sim::ecudata::kVin);

        // Lifting axle: the version byte of 00F0 as "%02d".
        const Bytes version = Read("00F0");
        ASSERT_EQ(version.size(), 1u);
        char versionText[8];
        std::snprintf(versionText, sizeof versionText, version[0] <= 9 ? "%02d" : "%d", version[0]);
        std::string liftFile = defdata::FileOf(defdata::kLiftingDefault, lang);
        for (auto& row : defdata::Rows("VADE_LiftingAxleParameterConfig/Mapping.xml"))
            if (row["CalibrationVersion"] == versionText)
                liftFile = "VADE_LiftingAxleParameterConfig/" + row[kFileAttribute[lang]];
        EXPECT_EQ(liftFile, defdata::FileOf(Standard() ? defdata::kLiftingMapped : defdata::kLiftingDefault, lang));
        auto lifting = defdata::Load<_tagLiftingAxleDIDdesc_>(liftFile);
        ASSERT_EQ(lifting.size(), 1u);
        auto lift = DecodeAll(lifting, [](const _tagLiftingAxleDIDdesc_&) { return LiftingAxleCodecOptions(); });
        const auto& subs = lifting[0].SubFields;
        EXPECT_EQ(lift[subs[1].SubDataName], Standard() ? "1" : "0");  // lifting axle 1 driven
        EXPECT_EQ(lift[subs[7].SubDataName], Standard() ? "0" : "1");  // lifting axle 1 sensor
        EXPECT_EQ(lift[subs[3].SubDataName], Standard() ? "2.50" : "2.20");
        EXPECT_EQ(lift[subs.back().SubDataName], Standard() ? "172" : "42");
    }
}

TEST_P(EcuConsistency, MonitorChannelsDecodeInRange)
{
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        SCOPED_TRACE(defdata::FileOf(defdata::kMonitor, lang));
        auto table = defdata::Load<_tagMonitorDIDdesc_>(defdata::FileOf(defdata::kMonitor, lang));
        auto values = DecodeAll(table, [](const _tagMonitorDIDdesc_&) { return MonitorCodecOptions(); });
        for (int row : {404, 405, 406}) {
            const std::string text = values[defdata::LanguageRow(row, lang)];
            ASSERT_NE(text, "-") << row;
            const double bar = std::atof(text.c_str());
            EXPECT_GT(bar, 1.0) << row << " " << text;
            EXPECT_LT(bar, 12.0) << row << " " << text;
        }
    }
}

TEST_P(EcuConsistency, ConnectorFileOfTheRequiredVersionDecodes)
{
    const Bytes version = Read("00F1");
    ASSERT_EQ(version.size(), 2u);
    char nn[8];
    std::snprintf(nn, sizeof nn, "%02d", version[0]);
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        const std::string file = "VADE_ConnectorsConfig/VADE_Connectors_ParameterConfig_" + std::string(nn) +
                                 defdata::Suffixes()[lang] + ".xml";
        SCOPED_TRACE(file);
        bool loaded = false;
        auto table = defdata::Load<_tagConnDIDdesc_>(file, &loaded);
        ASSERT_TRUE(loaded);
        ASSERT_GE(table.at(0).SubFields.size(), 17u);
        DecodeAll(table, [](const _tagConnDIDdesc_&) { return DeviceInfoCodecOptions(); });
    }
}

TEST_P(EcuConsistency, FaultMemoryCodesAreInTheFaultTableButOne)
{
    const Bytes answer = Request({0x19, 0x02, 0x09});
    ASSERT_GE(answer.size(), 3u);
    ASSERT_EQ(answer[0], 0x59);
    for (size_t lang = 0; lang < defdata::Suffixes().size(); ++lang) {
        std::set<std::string> table;
        for (auto& r : defdata::Rows(defdata::FileOf(defdata::kFaultTable, lang)))
            table.insert(r["DTCNumber"]);
        int known = 0, unknown = 0;
        for (size_t i = 3; i + 3 < answer.size(); i += 4) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%X", (answer[i] << 16) | (answer[i + 1] << 8) | answer[i + 2]);
            (table.count(code) ? known : unknown)++;
        }
        EXPECT_GE(known, 2) << lang;
        EXPECT_EQ(unknown, 1) << lang;
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, EcuConsistency, ::testing::Values(EcuProfile::Standard, EcuProfile::Alternate),
                         [](const ::testing::TestParamInfo<EcuProfile>& p) {
                             return p.param == EcuProfile::Standard ? std::string("Standard")
                                                                    : std::string("Alternate");
                         });

} // namespace
