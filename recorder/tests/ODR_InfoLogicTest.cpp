// The recorder page's logic against the simulated ECU on the page bench.
#include "ODR_InfoLogic.h"

#include "OdrDefinitions.h"
#include "RecorderGlobals.h"

#include "AppMessages.h"
#include "Pump.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "SimEcu.h"
#include "SimEcuRecorderData.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

TEST_F(OdrInfoTest, ReadsInformationAndThreeTripsThenOnlyTheInformation)
{
    logic.ReadOdrInformation();
    EXPECT_THAT(Sent(), ElementsAre("22 00 42", "22 00 44", "22 00 43", "22 00 4A", "22 00 48", "10 03", "27 01",
                                    "27 02 key", "31 01 C0 0A 00 00 00", "22 00 47", "22 00 47", "22 00 47"));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    const ODR_InfoState& s = logic.State();
    ASSERT_EQ(s.rows.size(), OdrInfoDidTable.at(0).SubFields.size());
    EXPECT_EQ(s.rows[0].No, "1");
    EXPECT_EQ(s.rows[0].ParameterName, "Operating Time (min)");
    EXPECT_EQ(s.rows[1].Value, "3163");
    EXPECT_EQ(s.rows[2].Value, "123456.7");
    EXPECT_EQ(s.rows[2].Unit, "km");
    EXPECT_EQ(s.rows[2].Description, "Total since the ECU was built");

    // Mileage less 1000 tenths; operating time 3163 h 42 min less 60 min.
    EXPECT_EQ(OdrInfoValue433, "123456.7");
    EXPECT_EQ(OdrInfoValue433Adjusted, "123356.7");
    EXPECT_EQ(OdrDid0044Text, "60");
    EXPECT_EQ(OdrInfoMinutes, 3162 * 60 + 42);
    EXPECT_EQ(OdrInfoTimeText, "3162:42");
    EXPECT_EQ(OdrInfoValue434, "100000");
    EXPECT_EQ(OdrInfoValue437, "1234.56");
    EXPECT_EQ(OdrInfoValue442, "1234");
    EXPECT_EQ(OdrInfoValue435, "300");
    EXPECT_EQ(OdrInfoValue439, "7");
    EXPECT_EQ(OdrInfoValue440, "3");
    EXPECT_EQ(OdrInfoValue443, "45");
    EXPECT_EQ(OdrInfoValue444, "95");

    EXPECT_EQ(OdrTripCount, 3);
    EXPECT_EQ(OdrNewestTrip, 2);
    EXPECT_EQ(OdrOldestTrip, 0);
    EXPECT_EQ(OdrNewestTripText, "2");
    EXPECT_EQ(OdrReadIndex, 3);
    EXPECT_EQ(OdrReadPosition, 2);
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
    ASSERT_EQ(OdrTrips.size(), 3u);
    EXPECT_EQ(TripValue(0, 1), "1"); // trip number of slot 0
    EXPECT_EQ(OdrTrips[2].at(7).Value, "0"); // slot 2 has no time stamp
    EXPECT_TRUE(s.exportEnabled);
    EXPECT_FALSE(s.reading);
    EXPECT_TRUE(s.progressShown);
    EXPECT_EQ(s.progressMax, 3);
    EXPECT_EQ(s.progressPos, 3);
    EXPECT_EQ(s.percentText, "100%");
    EXPECT_EQ(s.percentColour, 0x803400u);

    bench.ClearRequests();
    logic.ReadOdrInformation();
    EXPECT_THAT(Sent(), ElementsAre("22 00 42", "22 00 44", "22 00 43"));
    EXPECT_EQ(OdrTrips.size(), 3u);
}

TEST_F(OdrInfoTest, PercentAfterEachTrip)
{
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
    const std::vector<uint8_t> v1 = ecudata::OdrTripRecords()[0];
    const std::vector<uint8_t> v2 = ecudata::OdrTripRecords()[1];
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
    EXPECT_EQ(OdrTrips.size(), 3u);
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

} // namespace
