// The shipped recorder definition files in every language, and the simulated
// ECU's recorder records decoded with them.
#include <string>
#include <vector>

#include "OdrDefinitions.h"
#include "OdrValueDecoding.h"
#include "ProgramPaths.h"
#include "RecorderTestSupport.h"
#include "SimEcuFixture.h"
#include "SimEcuRecorderData.h"

namespace {

using Bytes = std::vector<uint8_t>;
using recorder_test::RecorderBoxTest;

const std::string kShippedData = std::string(TARVEL_SOURCE_DIR) + "/data";

// The information sub-fields whose names the language file must repeat, in
// the order the information file lists them (minutes before hours).
const int kInfoNameRows[] = {431, 432, 433, 434, 435, 437, 439, 440, 442, 443, 444};

template <class Sub>
void ExpectSameLayout(const Sub& a, const Sub& b)
{
    EXPECT_EQ(a.ByteIndex, b.ByteIndex);
    EXPECT_EQ(a.StartBit, b.StartBit);
    EXPECT_EQ(a.BitLenth, b.BitLenth);
    EXPECT_EQ(a.Conversion, b.Conversion);
    EXPECT_EQ(a.Offset, b.Offset);
    EXPECT_EQ(a.DataType, b.DataType);
    EXPECT_EQ(a.Unit, b.Unit);
    EXPECT_EQ(a.DecimalValid, b.DecimalValid);
}

// The layout version the read sequence takes from a trip record: byte 0, 0
// read as 1, a version 2 of other than 56 or 59 bytes read as 1.
int LayoutOf(const Bytes& trip)
{
    int version = trip.empty() ? 1 : trip[0];
    if (version == 0) version = 1;
    if (version == 2 && trip.size() != 56 && trip.size() != 59) version = 1;
    return version;
}

class OdrShippedDataTest : public RecorderBoxTest {
protected:
    OdrShippedDataTest() : folder_(kShippedData) {}
    ~OdrShippedDataTest() override { LanguageTable.clear(); }
    tarvel::ScopedProgramFolder folder_;
};

TEST_F(OdrShippedDataTest, EveryLanguageLoadsTheSameLayoutsWithoutABox)
{
    std::vector<_tagODRDIDdesc_> englishInfo;
    std::vector<_tagODRTRIPINFODIDdesc_> englishTrips[3];
    for (int language : {1, 0, 2, 3, 4}) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        LoadOdrParameterConfig();
        ASSERT_EQ(OdrInfoDidTable.size(), 1u);
        const auto& info = OdrInfoDidTable[0].SubFields;
        ASSERT_GE(info.size(), std::size(kInfoNameRows));
        for (size_t i = 0; i < std::size(kInfoNameRows); ++i)
            EXPECT_EQ(info[i].SubDataName, LanguageText(kInfoNameRows[i])) << "row " << kInfoNameRows[i];
        if (language == 1) englishInfo = OdrInfoDidTable;
        ASSERT_EQ(info.size(), englishInfo[0].SubFields.size());
        for (size_t i = 0; i < info.size(); ++i) ExpectSameLayout(info[i], englishInfo[0].SubFields[i]);

        for (int version : {1, 2}) {
            SCOPED_TRACE(version);
            OdrTripLayoutVersion = version;
            LoadOdrTripParameterConfig();
            ASSERT_EQ(OdrTripDidTable.size(), 1u);
            const auto& trip = OdrTripDidTable[0].SubFields;
            ASSERT_GE(trip.size(), 22u);
            EXPECT_EQ(trip[7].BitLenth, 64); // the J1939 time/date
            if (language == 1) englishTrips[version] = OdrTripDidTable;
            ASSERT_EQ(trip.size(), englishTrips[version][0].SubFields.size());
            for (size_t i = 0; i < trip.size(); ++i) ExpectSameLayout(trip[i], englishTrips[version][0].SubFields[i]);
        }
    }
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrShippedDataTest, TheSimulatedRecordsDecodeWithinTheirBytes)
{
    LanguageIndex = 1;
    LoadOdrParameterConfig();
    ASSERT_EQ(OdrInfoDidTable.size(), 1u);
    const Bytes& record = sim::ecudata::OdrInformationRecord();
    std::vector<std::string> info;
    for (const auto& sub : OdrInfoDidTable[0].SubFields) {
        SCOPED_TRACE(sub.SubDataName);
        EXPECT_LE(static_cast<size_t>(sub.ByteIndex) + std::max(1, sub.BitLenth / 8), record.size());
        info.push_back(DecodeOdrInfoField(record, sub));
    }
    EXPECT_EQ(info, (std::vector<std::string>{"42", "3163", "123456.7", "100000", "300", "1234.56", "7", "3",
                                              "1234", "45", "95", "1", "0", "2"}));

    struct TripExpectation {
        int layout;
        size_t fields;
        std::vector<std::pair<size_t, std::string>> values; // sub-field number -> text
    };
    const TripExpectation expected[] = {
        {1, 25, {{2, "100.0"}, {7, "2023-06-15 14:30:10"}, {8, "90.0"}, {10, "7.00"}, {14, "24.0"},
                 {19, "123556.7"}, {20, "1"}, {21, "1"}, {22, "2"}, {23, "50"}}},
        {2, 27, {{1, "2"}, {7, "2024-01-01 01:30:10"}, {9, "75.0"}, {21, "0"}, {22, "4"}, {25, "2"}, {26, "1"}}},
        {1, 25, {{0, "0"}, {2, "4.5"}, {7, "0"}, {24, "0"}}},
    };
    const auto& trips = sim::ecudata::OdrTripRecords();
    ASSERT_EQ(trips.size(), std::size(expected));
    {
        OdrTripReadScope read;
        for (size_t t = 0; t < trips.size(); ++t) {
            SCOPED_TRACE(t);
            ASSERT_GE(trips[t].size(), 52u); // shorter replies decode as zero bytes
            OdrTripLayoutVersion = LayoutOf(trips[t]);
            EXPECT_EQ(OdrTripLayoutVersion, expected[t].layout);
            LoadOdrTripParameterConfig();
            ASSERT_EQ(OdrTripDidTable.size(), 1u);
            const auto& subs = OdrTripDidTable[0].SubFields;
            ASSERT_EQ(subs.size(), expected[t].fields);
            std::vector<std::string> values;
            for (size_t j = 0; j < subs.size(); ++j) {
                EXPECT_LE(static_cast<size_t>(subs[j].ByteIndex) + std::max(1, subs[j].BitLenth / 8), trips[t].size())
                    << j;
                values.push_back(DecodeOdrTripField(trips[t], subs[j], j));
                EXPECT_FALSE(values.back().empty()) << j;
            }
            for (const auto& v : expected[t].values) EXPECT_EQ(values.at(v.first), v.second) << v.first;
        }
    }
    EXPECT_TRUE(BoxRows().empty());
}

// The recorder answers over the bus as the read sequence expects.
class OdrSimEcuTest : public simtest::SimEcuFixture {};

TEST_F(OdrSimEcuTest, RecordsCountersAndTheTripStep)
{
    auto reply = [](uint16_t did, const Bytes& data) {
        Bytes r{0x62, static_cast<uint8_t>(did >> 8), static_cast<uint8_t>(did)};
        r.insert(r.end(), data.begin(), data.end());
        return r;
    };
    const auto& trips = sim::ecudata::OdrTripRecords();
    EXPECT_EQ(Request({0x22, 0x00, 0x42}), reply(0x0042, sim::ecudata::OdrInformationRecord()));
    EXPECT_EQ(Request({0x22, 0x00, 0x43}), reply(0x0043, sim::ecudata::OdrMileageReference()));
    EXPECT_EQ(Request({0x22, 0x00, 0x44}), reply(0x0044, sim::ecudata::OdrTimeReference()));
    EXPECT_EQ(Request({0x22, 0x00, 0x4A}), reply(0x004A, {0x00, static_cast<uint8_t>(trips.size())}));
    EXPECT_EQ(Request({0x22, 0x00, 0x48}), reply(0x0048, {0x00, static_cast<uint8_t>(trips.size() - 1)}));
    // The routine start is refused until the ECU is unlocked in the extended session.
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x0A, 0x00, 0x00, 0x01}), (Bytes{0x7F, 0x31, 0x33}));
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x0A, 0x00, 0x00, 0x01}), (Bytes{0x7F, 0x31, 0x33}));
    ASSERT_EQ(Unlock(0x01)[0], 0x67);
    // The routine start sets the slot the next trip read returns; each read steps on.
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x0A, 0x00, 0x00, 0x01}), (Bytes{0x71, 0x01, 0xC0, 0x0A}));
    EXPECT_EQ(Request({0x22, 0x00, 0x47}), reply(0x0047, trips[1]));
    EXPECT_EQ(Request({0x22, 0x00, 0x47}), reply(0x0047, trips[2]));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x0A, 0x00, 0x00, 0x00}), (Bytes{0x71, 0x01, 0xC0, 0x0A}));
    EXPECT_EQ(Request({0x22, 0x00, 0x47}), reply(0x0047, trips[0]));
}

} // namespace
