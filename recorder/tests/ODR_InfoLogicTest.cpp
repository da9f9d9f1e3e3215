// The recorder page's logic against the simulated ECU on the page bench.
#include "ODR_InfoLogic.h"
#include "ODR_Trip_InfoLogic.h"

#include "OdrDefinitions.h"
#include "RecorderGlobals.h"

#include "AppMessages.h"
#include "Pump.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "PageLogicSet.h"
#include "PageHostTable.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"

#include "SimEcu.h"
#include "SimEcuProfile.h"
#include "SimEcuRecorderData.h"

#include "Matchers.h"
#include "PageBench.h"
#include "DecimalText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using tarvel_test::Hex;
namespace ecudata = sim::ecudata;

std::vector<uint8_t> Be16(uint16_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }

// A trip ring on the simulated ECU: `records` handed out from the slot the
// routine names, the count and newest slot as given.
void InstallRing(sim::SimEcu& ecu, std::vector<std::vector<uint8_t>> records, uint16_t count, uint16_t newest)
{
    ecu.RegisterDid(0x004A, Be16(count));
    ecu.RegisterDid(0x0048, Be16(newest));
    auto ring = std::make_shared<std::vector<std::vector<uint8_t>>>(std::move(records));
    auto next = std::make_shared<size_t>(0);
    ecu.RegisterRoutine(0xC00A, [next](uint8_t sub, const std::vector<uint8_t>& option, sim::SimEcuContext& ctx) {
        if (ctx.Session() != 0x03 || !ctx.Unlocked(0x01))
            return sim::SimEcuAnswer::Negative(0x33);
        if (sub != 0x01 || option.size() != 3)
            return sim::SimEcuAnswer::Negative(0x13);
        *next = static_cast<size_t>(option[1]) << 8 | option[2];
        return sim::SimEcuAnswer::Positive();
    });
    ecu.RegisterDynamicDid(0x0047, [ring, next](const sim::SimEcuContext&) {
        const std::vector<uint8_t> record = ring->empty() ? std::vector<uint8_t>() : (*ring)[*next % ring->size()];
        ++*next;
        return record;
    });
}

// A layout-1 trip carrying `slot` as its trip number.
std::vector<uint8_t> TripOfSlot(size_t slot)
{
    std::vector<uint8_t> record = ecudata::OdrTripRecords()[0];
    record[1] = static_cast<uint8_t>(slot >> 8);
    record[2] = static_cast<uint8_t>(slot);
    return record;
}

// A short log made by the simulated recorder's own rule.
void InstallLog(sim::SimEcu& ecu, uint32_t trips)
{
    ecudata::InstallOdrRecorder(ecu, ecudata::MakeOdrLog(trips, 2, 5));
}

using tarvel_test::Fixed;

// Runs `hook` at every pumped wait (UDS waits and the pause between trips).
class HookPump : public tarvel::MessagePump {
public:
    explicit HookPump(std::function<void()> hook) : hook_(std::move(hook)), previous_(&tarvel::GetPump())
    {
        tarvel::SetPump(this);
    }
    ~HookPump() override { tarvel::SetPump(previous_ == this ? nullptr : previous_); }
    void PumpPending() override
    {
        previous_->PumpPending();
        if (hook_)
            hook_();
    }

private:
    std::function<void()> hook_;
    tarvel::MessagePump* previous_;
};

class OdrInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        logic.OnResetForNewRun();
        bench.ClearRequests();
    }

    // The requests as hex, the key of 27 02 cut to its sub-function.
    std::vector<std::string> Sent() const
    {
        std::vector<std::string> out;
        for (const auto& r : bench.Requests()) {
            if (r.size() > 2 && r[0] == 0x27 && r[1] == 0x02)
                out.push_back("27 02 key");
            else
                out.push_back(Hex(r));
        }
        return out;
    }

    size_t Count(const std::string& hex) const
    {
        size_t n = 0;
        for (const auto& s : Sent())
            n += s == hex;
        return n;
    }

    std::string TripValue(size_t trip, size_t row) const { return OdrTrips.at(trip).at(row).Value; }

    tarvel_test::PageBench bench;
    ODR_InfoLogic logic{bench.Context()};
};

TEST_F(OdrInfoTest, ReadsInformationAndEveryTripThenOnlyTheInformation)
{
    const ecudata::OdrLog& log = ecudata::OdrLogOf(ecudata::EcuProfile::Standard);
    const ecudata::OdrInformationFacts& info = log.informationFacts;
    logic.ReadOdrInformation();
    std::vector<std::string> expected{"22 00 42", "22 00 44",  "22 00 43",
                                      "22 00 4A", "22 00 48",  "10 03",
                                      "27 01",    "27 02 key", "31 01 C0 0A 00 00 00"};
    expected.insert(expected.end(), 600, "22 00 47");
    EXPECT_EQ(Sent(), expected);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    const ODR_InfoState& s = logic.State();
    ASSERT_EQ(s.rows.size(), OdrInfoDidTable.at(0).SubFields.size());
    EXPECT_EQ(s.rows[0].No, "1");
    EXPECT_EQ(s.rows[0].ParameterName, "Operating Time (min)");
    EXPECT_EQ(s.rows[1].Value, std::to_string(info.operatingMin / 60));
    EXPECT_EQ(s.rows[2].Value, Fixed(info.mileage, 1));
    EXPECT_EQ(s.rows[2].Unit, "km");
    EXPECT_EQ(s.rows[2].Description, "Total since the ECU was built");

    // Mileage less 1000 tenths; operating time less 60 min.
    EXPECT_EQ(OdrInfoValue433, Fixed(info.mileage, 1));
    EXPECT_EQ(OdrInfoValue433Adjusted, Fixed(info.mileage - 1000, 1));
    EXPECT_EQ(OdrDid0044Text, "60");
    EXPECT_EQ(OdrInfoMinutes, static_cast<int32_t>(info.operatingMin - 60));
    char hours[32];
    std::snprintf(hours, sizeof hours, "%u:%02u", (info.operatingMin - 60) / 60, (info.operatingMin - 60) % 60);
    EXPECT_EQ(OdrInfoTimeText, hours);
    EXPECT_EQ(OdrInfoValue434, "1624");
    EXPECT_EQ(OdrInfoValue437, Fixed(info.demandSum, 2));
    EXPECT_EQ(OdrInfoValue442, std::to_string(info.abs));
    EXPECT_EQ(OdrInfoValue435, std::to_string(info.loadSum));
    EXPECT_EQ(OdrInfoValue439, std::to_string(info.serviceBrakes));
    EXPECT_EQ(OdrInfoValue440, std::to_string(info.stopLights));
    EXPECT_EQ(OdrInfoValue443, std::to_string(info.rss1));
    EXPECT_EQ(OdrInfoValue444, std::to_string(info.rss2));

    // A full ring: 1624 trips recorded, the newest in slot 423, the oldest
    // in the slot after it.
    EXPECT_EQ(OdrTripCount, 600);
    EXPECT_EQ(OdrNewestTrip, 423);
    EXPECT_EQ(OdrOldestTrip, 424);
    EXPECT_EQ(OdrNewestTripText, "423");
    EXPECT_EQ(OdrReadIndex, 600);
    EXPECT_EQ(OdrReadPosition, 423);
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
    ASSERT_EQ(OdrTrips.size(), 600u);
    size_t timed = 0;
    for (size_t slot = 0; slot < 600; ++slot) {
        const ecudata::OdrTripFacts& facts = log.facts[slot];
        ASSERT_EQ(TripValue(slot, 1), std::to_string(facts.number)) << slot;
        // The start time: the J1939 time and date where the trip has one.
        std::string start = "0";
        if (facts.timeSource != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", facts.startYear, facts.startMonth,
                          facts.startDay, facts.startHour, facts.startMinute, facts.startSecond);
            start = text;
            ++timed;
        }
        EXPECT_EQ(TripValue(slot, 7), start) << slot;
    }
    EXPECT_GT(timed, 500u);
    EXPECT_EQ(TripValue(423, 1), "1624");
    EXPECT_TRUE(s.exportEnabled);
    EXPECT_FALSE(s.reading);
    EXPECT_TRUE(s.progressShown);
    EXPECT_EQ(s.progressMax, 600);
    EXPECT_EQ(s.progressPos, 600);
    EXPECT_EQ(s.percentText, "100%");
    EXPECT_EQ(s.percentColour, 0x803400u);

    bench.ClearRequests();
    logic.ReadOdrInformation();
    EXPECT_THAT(Sent(), ElementsAre("22 00 42", "22 00 44", "22 00 43"));
    EXPECT_EQ(OdrTrips.size(), 600u);
}

TEST_F(OdrInfoTest, PercentAfterEachTrip)
{
    InstallLog(*bench.ecu, 3);
    std::vector<std::string> seen;
    HookPump pump([&] {
        if (seen.empty() || seen.back() != logic.State().percentText)
            seen.push_back(logic.State().percentText);
    });
    logic.ReadOdrInformation();
    EXPECT_THAT(seen, ElementsAre("0%", "33%", "66%", "100%"));
}

TEST_F(OdrInfoTest, OldestSlotFromCountAndNewest)
{
    struct Case {
        uint16_t count, newest;
        int32_t oldest;
    };
    for (const Case c : {Case{57, 56, 0}, Case{600, 599, 0}, Case{600, 10, 11}, Case{599, 598, 0}}) {
        InstallRing(*bench.ecu, {TripOfSlot(0)}, c.count, c.newest);
        ASSERT_TRUE(logic.ReadOdrTripCount());
        ASSERT_TRUE(logic.ReadOdrRingPosition());
        EXPECT_EQ(OdrOldestTrip, c.oldest) << c.count << " " << c.newest;
        EXPECT_EQ(OdrNewestTrip, c.newest);
    }
}

TEST_F(OdrInfoTest, NoTripsStillStartsTheReadAndHidesTheTripTab)
{
    InstallRing(*bench.ecu, {}, 0, 0);
    logic.ReadOdrInformation();
    EXPECT_THAT(Sent(), ElementsAre("22 00 42", "22 00 44", "22 00 43", "22 00 4A", "22 00 48", "10 03", "27 01",
                                    "27 02 key", "31 01 C0 0A 00 00 00"));
    EXPECT_FALSE(logic.State().progressShown);
    EXPECT_TRUE(logic.State().exportEnabled);
    EXPECT_TRUE(OdrTrips.empty());

    logic.OnActivate(WM_ACTIVATE_ODRINFO);
    EXPECT_FALSE(logic.State().tripTabShown);
    EXPECT_EQ(logic.State().tripTabRequests, 1);
}

TEST_F(OdrInfoTest, ActivationShowsTheTripTabAndTellsTheTripBrowser)
{
    struct Window : tarvel::MessageTarget {
        std::vector<int> messages;
        bool HandleAppMessage(int message) override
        {
            messages.push_back(message);
            return true;
        }
    } browser;
    OdrTripDialogWnd = &browser;
    logic.OnActivate(WM_ACTIVATE_ODRINFO);
    EXPECT_THAT(Sent(), ElementsAre("22 00 4A"));
    EXPECT_TRUE(logic.State().tripTabShown);
    EXPECT_THAT(browser.messages, ElementsAre(WM_ODRTRIP_RELOAD));

    // An unanswered count: box 451, nothing told, the tab hidden.
    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    logic.OnActivate(WM_ACTIVATE_ODRINFO);
    EXPECT_EQ(OdrTripCount, -1);
    EXPECT_FALSE(logic.State().tripTabShown);
    EXPECT_EQ(browser.messages.size(), 1u);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Failed to read the trip count", "Error")));
    OdrTripDialogWnd = nullptr;
}

TEST_F(OdrInfoTest, RefusedUnlockShowsItsBoxAndTheRefusedStartForgetsTheRing)
{
    bench.ecu->SetNegativeResponse(0x27, 0x22, -1);
    logic.ReadOdrInformation();
    EXPECT_THAT(bench.prompter.Boxes(),
                ::testing::Contains(BoxIs("Security access failed; some recorder data may be missing", "Error")));
    EXPECT_EQ(Count("31 01 C0 0A 00 00 00"), 1u);
    EXPECT_EQ(Count("22 00 47"), 0u);
    EXPECT_EQ(OdrTripCount, -1);
    EXPECT_EQ(OdrNewestTrip, -1);
    EXPECT_EQ(OdrReadPosition, 0);
    EXPECT_TRUE(OdrTrips.empty());
    EXPECT_TRUE(logic.State().exportEnabled);
}

TEST_F(OdrInfoTest, ASecondPressDuringAReadIsIgnoredAndAPageSwitchEndsIt)
{
    InstallLog(*bench.ecu, 3);
    bool pressed = false;
    HookPump pump([&] {
        if (OdrTrips.size() == 1 && !pressed) {
            pressed = true;
            logic.ReadOdrInformation(); // ignored: a read runs
            logic.OnStopWork();         // another page is shown
        }
    });
    logic.ReadOdrInformation();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(Count("22 00 42"), 1u);
    EXPECT_EQ(Count("22 00 47"), 1u);
    EXPECT_EQ(OdrTrips.size(), 1u);
    EXPECT_EQ(OdrReadIndex, 1);
    EXPECT_FALSE(ODR_InfoLogic::TripsHeld());
    EXPECT_FALSE(logic.State().reading);

    // The next press resumes with the second trip.
    bench.ClearRequests();
    logic.ReadOdrInformation();
    EXPECT_EQ(Count("31 01 C0 0A 00 00 01"), 1u);
    EXPECT_EQ(Count("22 00 47"), 2u);
    ASSERT_EQ(OdrTrips.size(), 3u);
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
}

TEST_F(OdrInfoTest, NotConnectedShowsTheBoxAndSendsNothing)
{
    bench.Disconnect();
    bench.ClearRequests();
    logic.ReadOdrInformation();
    EXPECT_THAT(Sent(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_FALSE(logic.State().exportEnabled);
}

// Seven trips; the trip read of slot 3 refused once or for good.
class OdrRetryTest : public OdrInfoTest {
protected:
    void SetUp() override
    {
        OdrInfoTest::SetUp();
        std::vector<std::vector<uint8_t>> ring;
        for (size_t k = 0; k < 7; ++k)
            ring.push_back(TripOfSlot(k));
        InstallRing(*bench.ecu, ring, 7, 6);
        records_ = ring;
    }

    // Removes DID 0x0047 once three trips are held; `restoreAfterFailure`
    // brings it back once the failure has reset the ring.
    std::unique_ptr<HookPump> FailFourthTrip(bool restoreAfterFailure)
    {
        return std::make_unique<HookPump>([this, restoreAfterFailure] {
            if (!removed_ && OdrTrips.size() == 3) {
                removed_ = true;
                bench.ecu->RemoveDid(0x0047);
            } else if (removed_ && restoreAfterFailure && !restored_ && OdrTripCount == -1) {
                restored_ = true;
                InstallRing(*bench.ecu, records_, 7, 6);
            }
        });
    }

    std::vector<std::vector<uint8_t>> records_;
    bool removed_ = false;
    bool restored_ = false;
};

TEST_F(OdrRetryTest, FailedTripIsReadAgainAndNoneIsSkipped)
{
    auto pump = FailFourthTrip(true);
    logic.ReadOdrInformation();
    EXPECT_EQ(Count("31 01 C0 0A 00 00 00"), 1u);
    EXPECT_EQ(Count("31 01 C0 0A 00 00 03"), 1u);
    EXPECT_EQ(Count("22 00 47"), 8u); // seven trips and the refused one
    ASSERT_EQ(OdrTrips.size(), 7u);
    for (size_t k = 0; k < 7; ++k)
        EXPECT_EQ(TripValue(k, 1), std::to_string(k)) << k;
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
}

TEST_F(OdrRetryTest, TripFailingForGoodStopsAfterThreeRestartsAndResumesLater)
{
    {
        auto pump = FailFourthTrip(false);
        logic.ReadOdrInformation();
    }
    EXPECT_EQ(Count("22 00 47"), 3u + 4u); // three trips, four refusals
    EXPECT_EQ(Count("31 01 C0 0A 00 00 03"), 3u);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_EQ(OdrTrips.size(), 3u);
    EXPECT_EQ(OdrReadIndex, 3);
    EXPECT_FALSE(ODR_InfoLogic::TripsHeld());

    InstallRing(*bench.ecu, records_, 7, 6);
    bench.ClearRequests();
    logic.ReadOdrInformation();
    EXPECT_EQ(Count("31 01 C0 0A 00 00 03"), 1u);
    EXPECT_EQ(Count("22 00 47"), 4u);
    ASSERT_EQ(OdrTrips.size(), 7u);
    EXPECT_EQ(TripValue(6, 1), "6");
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
}

TEST_F(OdrRetryTest, InformationFailingInARestartStopsWithoutSkipping)
{
    HookPump pump([this] {
        if (!removed_ && OdrTrips.size() == 3) {
            removed_ = true;
            bench.ecu->SetNegativeResponse(0x22, 0x31, -1);
        }
    });
    logic.ReadOdrInformation();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Failed to read the recorder information", "Error")));
    EXPECT_EQ(OdrReadIndex, 3);
    EXPECT_EQ(OdrTrips.size(), 3u);
    EXPECT_FALSE(ODR_InfoLogic::TripsHeld());
}

TEST_F(OdrInfoTest, TripLengthsAndLayoutVersions)
{
    const auto& records = ecudata::OdrTripRecords();
    const auto ofLength = [&](size_t length) {
        return *std::find_if(records.begin(), records.end(), [&](const auto& r) { return r.size() == length; });
    };
    const std::vector<uint8_t> v1 = ofLength(52);
    const std::vector<uint8_t> v2 = ofLength(56);
    ASSERT_EQ(v1.size(), 52u);
    ASSERT_EQ(v2.size(), 56u);
    auto sized = [](std::vector<uint8_t> r, size_t n) {
        r.resize(n, 0);
        return r;
    };
    std::vector<uint8_t> byteZero = v1;
    byteZero[0] = 0;
    struct Case {
        const char* name;
        std::vector<uint8_t> record;
        int version;
        bool zeros;
    };
    const std::vector<Case> cases = {
        {"v1 52", v1, 1, false},           {"v1 51", sized(v1, 51), 1, true}, {"v2 56", v2, 2, false},
        {"v2 59", sized(v2, 59), 2, false}, {"v2 57", sized(v2, 57), 1, false}, {"byte 0 = 0", byteZero, 1, false},
        {"empty", {}, 1, true},
    };
    // What an all-zero layout-1 trip of full length decodes to.
    std::vector<uint8_t> zeroRecord(52, 0);
    zeroRecord[0] = 1;
    InstallRing(*bench.ecu, {zeroRecord}, 1, 0);
    logic.ReadOdrInformation();
    ASSERT_EQ(OdrTrips.size(), 1u);
    const OdrTrip zeroTrip = OdrTrips[0];
    ASSERT_GE(zeroTrip.size(), 8u);
    EXPECT_EQ(zeroTrip[7].Value, "0");

    for (const Case& c : cases) {
        ResetOdrTripState();
        InstallRing(*bench.ecu, {c.record}, 1, 0);
        logic.ReadOdrInformation();
        ASSERT_EQ(OdrTrips.size(), 1u) << c.name;
        EXPECT_EQ(OdrTripLayoutVersion, c.version) << c.name;
        const OdrTrip& trip = OdrTrips[0];
        EXPECT_GE(trip.size(), 8u) << c.name;
        if (c.zeros) {
            // Every field from zero bytes, the layout byte included.
            ASSERT_EQ(trip.size(), zeroTrip.size()) << c.name;
            EXPECT_EQ(trip[0].Value, "0") << c.name;
            for (size_t j = 1; j < trip.size(); ++j)
                EXPECT_EQ(trip[j].Value, zeroTrip[j].Value) << c.name << " " << trip[j].ParameterName;
        } else {
            EXPECT_NE(trip.at(1).Value, "0") << c.name;
        }
    }
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    // An unknown layout: the file box once per read, the trips kept without rows.
    ResetOdrTripState();
    std::vector<uint8_t> v9 = v1;
    v9[0] = 9;
    InstallRing(*bench.ecu, {v9}, 2, 1);
    logic.ReadOdrInformation();
    ASSERT_EQ(OdrTrips.size(), 2u);
    EXPECT_TRUE(OdrTrips[0].empty());
    EXPECT_TRUE(OdrTrips[1].empty());
    EXPECT_EQ(bench.prompter.Boxes().size(), 1u);
}

TEST_F(OdrInfoTest, ShortCountAndRingRepliesFail)
{
    bench.ecu->RegisterDid(0x004A, {0x03}, false, false, false);
    EXPECT_FALSE(logic.ReadOdrTripCount());
    EXPECT_EQ(OdrTripCount, -1);
    bench.ecu->RegisterDid(0x004A, Be16(3));
    bench.ecu->RegisterDid(0x0048, {0x02}, false, false, false);
    EXPECT_TRUE(logic.ReadOdrTripCount());
    EXPECT_FALSE(logic.ReadOdrRingPosition());
    EXPECT_EQ(OdrOldestTrip, -1);
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("Failed to read the trip count", "Error"), BoxIs("Read failed", "Error")));
}

TEST_F(OdrInfoTest, NoInformationDefinitionsGiveAnEmptyListButTrips)
{
    OdrInfoDidTable.clear();
    logic.ReadOdrInformation();
    EXPECT_TRUE(logic.State().rows.empty());
    EXPECT_EQ(OdrTrips.size(), 600u);
}

TEST_F(OdrInfoTest, SixHundredTripsInSlotOrderAndDisconnectEndsARead)
{
    std::vector<std::vector<uint8_t>> ring;
    for (size_t k = 0; k < 600; ++k)
        ring.push_back(TripOfSlot(k));
    InstallRing(*bench.ecu, ring, 600, 599);
    {
        HookPump pump([this] {
            if (OdrTrips.size() == 300 && EcuConnected.load() == 1)
                bench.Disconnect();
        });
        logic.ReadOdrInformation();
    }
    EXPECT_EQ(Count("22 00 47"), 300u);
    EXPECT_FALSE(logic.State().reading);
    // Disconnect forgot the trips; nothing was appended after it.
    EXPECT_TRUE(OdrTrips.empty());

    ResetOdrTripState();
    ASSERT_TRUE(bench.Connect());
    InstallRing(*bench.ecu, ring, 600, 599);
    // Keep-alive ticks fall inside the read; they are skipped, not harmful.
    bench.ClearRequests();
    logic.ReadOdrInformation();
    ASSERT_EQ(OdrTrips.size(), 600u);
    EXPECT_EQ(TripValue(599, 1), "599");
    EXPECT_EQ(Count("22 00 47"), 600u);
    EXPECT_EQ(logic.State().percentText, "100%");
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
}

// The pages of the shell's own page set, as the connection and the page
// reset reach them.
struct ShellRecorderPages {
    explicit ShellRecorderPages(tarvel_test::PageBench& bench)
        : info(dynamic_cast<ODR_InfoLogic*>(bench.pages.Logic(tarvel::TabOdrInfo))),
          trips(dynamic_cast<ODR_Trip_InfoLogic*>(bench.pages.Logic(tarvel::TabOdrTrip)))
    {
    }
    ODR_InfoLogic* info;
    ODR_Trip_InfoLogic* trips;
};

// Reads everything, then either disconnects and connects to the simulated
// ECU's second identity or reloads the definitions as New and Open do.
void AfterAReadTheNextEcuOrDefinitionsStartEmpty(bool reconnect)
{
    {
        tarvel_test::PageBench bench;
        ShellRecorderPages pages(bench);
        ASSERT_NE(pages.info, nullptr);
        ASSERT_NE(pages.trips, nullptr);
        tarvel::ResetPagesForNewRun(bench.pages);
        ASSERT_TRUE(bench.Connect());
        pages.info->OnActivate(WM_ACTIVATE_ODRINFO);
        pages.info->ReadOdrInformation();
        ASSERT_TRUE(ODR_InfoLogic::TripsHeld());
        bench.files.QueueAnswer(std::nullopt);
        pages.info->ExportOdrData(); // reads the VIN, then cancelled
        ASSERT_FALSE(OdrVinText.empty());
        pages.trips->ShowLatestTrip();
        const std::vector<_tagODRFilldesc_> firstRows = pages.info->State().rows;
        ASSERT_FALSE(firstRows.empty());
        ASSERT_FALSE(pages.trips->State().rows.empty());
        ASSERT_EQ(pages.trips->State().countText, "/600");

        if (reconnect) {
            bench.Disconnect();
            ecudata::InstallProfile(*bench.ecu, ecudata::EcuProfile::Alternate);
            ASSERT_TRUE(bench.Connect());
        } else {
            tarvel::ResetPagesForNewRun(bench.pages);
        }

        // Nothing of the first read is shown or kept.
        const ODR_InfoState& info = pages.info->State();
        EXPECT_THAT(info.rows, IsEmpty());
        EXPECT_FALSE(info.progressShown);
        EXPECT_EQ(info.progressPos, 0);
        EXPECT_EQ(info.percentText, "0%");
        EXPECT_THAT(pages.trips->State().rows, IsEmpty());
        EXPECT_EQ(pages.trips->State().editText, "0");
        EXPECT_EQ(pages.trips->State().countText, "");
        EXPECT_EQ(pages.trips->ShownTripNumber(), 0);
        EXPECT_TRUE(OdrTrips.empty());
        EXPECT_EQ(OdrInfoValue433, "");
        EXPECT_EQ(OdrVinText, "");
        EXPECT_FALSE(ODR_InfoLogic::TripsHeld());

        // Export is refused before a read: no request, no file dialog.
        bench.ClearRequests();
        bench.prompter.Clear();
        const size_t dialogs = bench.files.Requests().size();
        pages.info->ExportOdrData();
        EXPECT_THAT(bench.Requests(), IsEmpty());
        EXPECT_EQ(bench.files.Requests().size(), dialogs);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(LanguageText(402), LanguageText(76))));

        // The next read shows the ECU now connected.
        pages.info->OnActivate(WM_ACTIVATE_ODRINFO);
        EXPECT_THAT(pages.info->State().rows, IsEmpty()) << "selecting the page reads no rows";
        pages.info->ReadOdrInformation();
        const ecudata::OdrLog& log =
            ecudata::OdrLogOf(reconnect ? ecudata::EcuProfile::Alternate : ecudata::EcuProfile::Standard);
        ASSERT_EQ(info.rows.size(), firstRows.size());
        EXPECT_EQ(info.rows[2].Value, Fixed(log.informationFacts.mileage, 1));
        EXPECT_EQ(info.rows[3].Value, std::to_string(log.informationFacts.trips));
        EXPECT_EQ(pages.trips->State().countText, "/" + std::to_string(log.count));
        EXPECT_EQ(OdrTrips.size(), log.count);
        EXPECT_EQ(info.rows[2].Value == firstRows[2].Value, !reconnect);
    }
}

TEST(OdrInfoLink, AfterDisconnectAndConnectToAnotherEcuThePagesAreEmptyAndExportRefused)
{
    AfterAReadTheNextEcuOrDefinitionsStartEmpty(true);
}

TEST(OdrInfoLink, AfterADefinitionReloadThePagesAreEmptyAndExportRefused)
{
    AfterAReadTheNextEcuOrDefinitionsStartEmpty(false);
}

// The box for a sub-field whose DataType cannot be decoded: once per read for
// the information record and once for the trips, each on its own.
TEST(OdrInfoTypeBox, OncePerReadForTheInformationAndOnceForTheTrips)
{
    tarvel_test::PageBench bench;
    ASSERT_TRUE(bench.Connect());
    InstallLog(*bench.ecu, 40); // trips of both layouts
    ODR_InfoLogic logic(bench.Context());
    const fs::path folder = fs::temp_directory_path() / ("odr_type_box_" + std::to_string(::getpid()));
    struct Case {
        bool badInfo, badTrip;
        size_t boxes;
    };
    for (const Case c : {Case{true, false, 1}, Case{false, true, 1}, Case{true, true, 2}}) {
        SCOPED_TRACE(std::string(c.badInfo ? "information" : "") + (c.badTrip ? " trips" : ""));
        // A copy of the recorder definitions with one sub-field of the kinds
        // named given a type that cannot be decoded.
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy(fs::path(tarvel_test::DataFolder()) / "VADE_ODR_ParameterConfig", folder / "VADE_ODR_ParameterConfig");
        const auto spoil = [&](const std::string& name, const std::string& anchor) {
            const fs::path file = folder / "VADE_ODR_ParameterConfig" / name;
            std::ifstream in(file);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const size_t at = text.find("DataType=\"Unsigned\"", text.find(anchor));
            ASSERT_NE(at, std::string::npos);
            text.replace(at, 19, "DataType=\"Signed\"  ");
            std::ofstream(file, std::ios::trunc) << text;
        };
        if (c.badInfo)
            spoil("VADE_ODR_ParameterConfig_en.xml", "ByteIndex=\"34\"");
        if (c.badTrip)
            for (const char* layout : {"1", "2"})
                spoil(std::string("VADE_ODR_Trip_Info_ParameterConfig_") + layout + "_en.xml", "ByteIndex=\"47\"");
        tarvel::ScopedProgramFolder useCopy(folder.string());
        logic.OnResetForNewRun();
        for (int read = 0; read < 2; ++read) {
            // Each read of everything shows it once for each kind.
            bench.prompter.Clear();
            ResetOdrTripState();
            logic.ReadOdrInformation();
            ASSERT_EQ(OdrTrips.size(), 40u);
            EXPECT_EQ(bench.prompter.Boxes().size(), c.boxes) << "read " << read;
            for (const auto& box : bench.prompter.Boxes())
                EXPECT_EQ(box.text, LanguageText(77));
        }
    }
    fs::remove_all(folder);
}

} // namespace
