// The shipped recorder definition files in every language, and the simulated
// ECU's recorder records decoded with them.
#include <cstdio>
#include <string>
#include <vector>

#include "OdrDefinitions.h"
#include "OdrValueDecoding.h"
#include "ProgramPaths.h"
#include "RecorderTestSupport.h"
#include "SimEcuFixture.h"
#include "SimEcuRecorderData.h"
#include "DecimalText.h"

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

using tarvel_test::Fixed;

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// What each row of a trip record must read, from what the ECU recorded.
std::vector<std::string> TripRowsOf(const sim::ecudata::OdrTripFacts& f)
{
    std::string start = "0";
    if (f.timeSource != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f.startYear, f.startMonth, f.startDay,
                      f.startHour, f.startMinute, f.startSecond);
        start = text;
    }
    std::vector<std::string> rows{std::to_string(f.layout),
                                  std::to_string(f.number),
                                  Fixed(f.odometerStart, 1),
                                  Fixed(f.distance, 1),
                                  std::to_string(f.timeSource),
                                  std::to_string(f.startOperatingMin % 60),
                                  std::to_string(f.startOperatingMin / 60),
                                  start,
                                  std::to_string(f.durationMin % 60),
                                  std::to_string(f.durationMin / 60),
                                  Format("%.0f", f.maxSpeed / 256.0),
                                  Format("%.1f", f.meanSpeed / 256.0),
                                  Fixed(f.meanDemand * 5, 2),
                                  std::to_string(f.brakes),
                                  Fixed(f.maxDemand * 5, 2),
                                  std::to_string(f.meanLoad * 10),
                                  std::to_string(f.minLoad * 10),
                                  std::to_string(f.maxLoad * 10),
                                  std::to_string(f.abs),
                                  std::to_string(f.rss1),
                                  std::to_string(f.rss2),
                                  Fixed(f.lateral, 2),
                                  Fixed(f.minSupply * 2, 1),
                                  Fixed(f.maxSupply * 2, 1),
                                  std::to_string(f.liftRaisedMin),
                                  std::to_string(f.stateBits & 1),
                                  std::to_string(f.stateBits >> 1 & 1),
                                  std::to_string(f.stateBits >> 2 & 7)};
    if (f.layout == 2) {
        rows.push_back(std::to_string(f.maxTemperature - 40));
        rows.push_back(std::to_string(f.storedFaults));
        rows.push_back(std::to_string(f.warningLamp));
    }
    return rows;
}

TEST_F(OdrShippedDataTest, BothRecordersDecodeIntoWhatTheEcuRecorded)
{
    using sim::ecudata::EcuProfile;
    for (int language : {1, 0, 2, 3, 4}) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        LoadOdrParameterConfig();
        ASSERT_EQ(OdrInfoDidTable.size(), 1u);
        for (EcuProfile profile : {EcuProfile::Standard, EcuProfile::Alternate}) {
            const sim::ecudata::OdrLog& log = sim::ecudata::OdrLogOf(profile);
            SCOPED_TRACE(log.count);
            // The information record.
            const auto& i = log.informationFacts;
            const std::vector<std::string> expected{std::to_string(i.operatingMin % 60),
                                                    std::to_string(i.operatingMin / 60),
                                                    Fixed(i.mileage, 1),
                                                    std::to_string(i.trips),
                                                    std::to_string(i.loadSum),
                                                    Fixed(i.demandSum, 2),
                                                    std::to_string(i.serviceBrakes),
                                                    std::to_string(i.stopLights),
                                                    std::to_string(i.abs),
                                                    std::to_string(i.rss1),
                                                    std::to_string(i.rss2),
                                                    "1",
                                                    i.memoryFull ? "1" : "0",
                                                    std::to_string(i.layout)};
            std::vector<std::string> info;
            for (const auto& sub : OdrInfoDidTable[0].SubFields)
                info.push_back(DecodeOdrInfoField(log.information, sub));
            EXPECT_EQ(info, expected);

            // Every trip, through the one decoder the recorder page uses.
            OdrTripReadScope read;
            for (size_t slot = 0; slot < log.ring.size(); ++slot) {
                SCOPED_TRACE(slot);
                const auto& record = log.ring[slot];
                const auto& facts = log.facts[slot];
                ASSERT_EQ(record.size(), facts.layout == 2 ? 56u : 52u);
                bool unknownType = false;
                const OdrTrip trip = DecodeOdrTrip(record, unknownType);
                EXPECT_FALSE(unknownType);
                EXPECT_EQ(OdrTripLayoutVersion, facts.layout);
                std::vector<std::string> values;
                for (size_t j = 0; j < trip.size(); ++j) {
                    EXPECT_EQ(trip[j].No, std::to_string(j + 1));
                    values.push_back(trip[j].Value);
                }
                ASSERT_EQ(values, TripRowsOf(facts));
            }
        }
    }
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrShippedDataTest, TheLogsArePlausible)
{
    using sim::ecudata::EcuProfile;
    const auto& standard = sim::ecudata::OdrLogOf(EcuProfile::Standard);
    const auto& alternate = sim::ecudata::OdrLogOf(EcuProfile::Alternate);
    EXPECT_EQ(standard.count, 600);
    EXPECT_EQ(standard.newestSlot, (1624 - 1) % 600);
    EXPECT_TRUE(standard.informationFacts.memoryFull);
    EXPECT_EQ(alternate.count, 148);
    EXPECT_EQ(alternate.newestSlot, 147);
    EXPECT_FALSE(alternate.informationFacts.memoryFull);
    for (const auto* log : {&standard, &alternate}) {
        // Trip after trip, oldest first: numbers, odometer and operating time
        // run on, and every value stays within what a trailer does.
        std::vector<const sim::ecudata::OdrTripFacts*> trips;
        for (size_t k = 0; k < log->count; ++k)
            trips.push_back(&log->facts[(log->newestSlot + 1 + (log->count == 600 ? k : k + 600 - log->count)) % 600]);
        for (size_t k = 0; k < trips.size(); ++k) {
            const auto& f = *trips[k];
            SCOPED_TRACE(f.number);
            if (k > 0) {
                const auto& p = *trips[k - 1];
                EXPECT_EQ(f.number, p.number + 1);
                EXPECT_EQ(f.odometerStart, p.odometerStart + p.distance);
                EXPECT_GT(f.startOperatingMin, p.startOperatingMin + p.durationMin);
            }
            EXPECT_LE(f.maxSpeed / 256, 90);
            EXPECT_LE(f.meanSpeed, f.maxSpeed);
            EXPECT_LE(f.minLoad, f.meanLoad);
            EXPECT_LE(f.meanLoad, f.maxLoad);
            EXPECT_LE(f.meanDemand, f.maxDemand);
            EXPECT_LE(f.liftRaisedMin, f.durationMin);
            EXPECT_EQ((f.stateBits >> 1) & 1, f.abs > 0 ? 1 : 0);
            if (f.timeSource != 0) {
                EXPECT_GE(f.startHour, 5);
                EXPECT_LT(f.startHour, 21);
            }
        }
        EXPECT_EQ(log->informationFacts.mileage, trips.back()->odometerStart + trips.back()->distance);
    }
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
    // The count (600) and the newest slot (423) are sent most significant
    // byte first, and the newest slot holds the newest trip.
    EXPECT_EQ(Request({0x22, 0x00, 0x4A}), reply(0x004A, {0x02, 0x58}));
    EXPECT_EQ(Request({0x22, 0x00, 0x48}), reply(0x0048, {0x01, 0xA7}));
    const auto& facts = sim::ecudata::OdrLogOf(sim::ecudata::EcuProfile::Standard).facts;
    ASSERT_EQ(facts.size(), 600u);
    EXPECT_EQ(facts[0x01A7].number, 1624);
    EXPECT_EQ(facts[0x01A8].number, 1624 - 599) << "the slot after the newest holds the oldest";
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
