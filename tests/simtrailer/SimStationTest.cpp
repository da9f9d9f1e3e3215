// The program's simulated station: the person at the trailer who acts on what
// the pages ask, and the trailer faults named in TARVEL_SIM_TRAILER, each
// shown by what a tester sees on the wire.
#include "SimStationOperator.h"
#include "SimTrailerFaults.h"
#include "TrailerRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using simtest::Bytes;
using simtest::TrailerRig;
using namespace sim::trailerdata;

namespace {

TEST(SimStationOperator, TakesAPersonsMomentThenSpinsTheWheelWhichCoastsToAStop)
{
    TrailerRig rig;
    sim::SimStationOperator person(*rig.trailer, rig.clock);
    person.TurnWheelWhenAsked(2);
    const uint32_t reaction = sim::SimStationOperator::ReactionMs(0);
    rig.WaitMs(reaction - 1);
    EXPECT_FALSE(rig.trailer->WheelTurning(2));
    rig.WaitMs(1);
    EXPECT_TRUE(rig.trailer->WheelTurning(2));
    EXPECT_FALSE(rig.trailer->WheelTurning(1));
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0011)), kWheelSpinRaw);
    rig.WaitMs(kHandSpinCoastMs - 1);
    EXPECT_TRUE(rig.trailer->WheelTurning(2));
    rig.WaitMs(1);
    EXPECT_FALSE(rig.trailer->WheelTurning(2)) << "let go, the wheel stops by itself";

    // The next wheel after the next reaction time.
    person.TurnWheelWhenAsked(4);
    rig.WaitMs(sim::SimStationOperator::ReactionMs(1));
    EXPECT_TRUE(rig.trailer->WheelTurning(4));
    // No such wheel: nothing planned.
    person.TurnWheelWhenAsked(5);
    person.TurnWheelWhenAsked(0);
    EXPECT_EQ(rig.clock.PendingTasks(), 0u);
}

TEST(SimStationOperator, ReactionTimesAreBetweenOneAndTwoSecondsAndVary)
{
    std::set<uint32_t> seen;
    for (unsigned n = 0; n < 16; ++n) {
        const uint32_t ms = sim::SimStationOperator::ReactionMs(n);
        EXPECT_GE(ms, kReactionMinMs);
        EXPECT_LE(ms, kReactionMaxMs);
        EXPECT_NE(ms, sim::SimStationOperator::ReactionMs(n + 1));
        seen.insert(ms);
    }
    EXPECT_GE(seen.size(), 5u);
}

TEST(SimStationOperator, BuildsTheBackupPressureAtOnceAndLetsGoWhenThePageMovesOn)
{
    TrailerRig rig;
    sim::SimStationOperator person(*rig.trailer, rig.clock);
    person.MoveOn();  // holding nothing: nothing changes
    EXPECT_FALSE(person.HoldingPressure());
    person.BuildPressureWhenAsked();
    EXPECT_TRUE(person.HoldingPressure());
    rig.WaitMs(1500);
    EXPECT_NEAR(TrailerRig::PressureAt(rig.Read(0x0051), 0), kOperatorControlPressureBar, 0.05);
    person.MoveOn();
    EXPECT_FALSE(person.HoldingPressure());
    rig.WaitMs(1500);
    EXPECT_LT(TrailerRig::PressureAt(rig.Read(0x0051), 0), 0.05);
}

TEST(SimStationOperator, ForgetsWhatWasPlannedWhenItGoes)
{
    TrailerRig rig;
    {
        sim::SimStationOperator person(*rig.trailer, rig.clock);
        person.TurnWheelWhenAsked(1);
    }
    EXPECT_EQ(rig.clock.PendingTasks(), 0u);
    rig.WaitMs(kReactionMaxMs);
    EXPECT_FALSE(rig.trailer->WheelTurning(1)) << "the person left before acting";
}

// Each named fault shows on the wire the way an end-of-line page would find
// it, and the same look at a healthy trailer does not.
TEST(SimTrailerFaults, EveryNamedFaultShowsOnTheWireAndNothingElseDoes)
{
    auto speedOf = [](TrailerRig& r, unsigned sensor) {
        return TrailerRig::U16Msb(r.Read(uint16_t(kDidWheelSpeedFirst + sensor - 1)));
    };
    auto deadSensor = [&](unsigned sensor) {
        return [&speedOf, sensor](TrailerRig& r) {
            for (unsigned w = 1; w <= 4; ++w)
                r.trailer->TurnWheel(w);
            r.WaitMs(500);
            return speedOf(r, sensor) == 0;
        };
    };
    const struct {
        const char* name;
        std::function<bool(TrailerRig&)> shows;
    } cases[] = {
        {"dead-sensor-c", deadSensor(1)},
        {"dead-sensor-d", deadSensor(2)},
        {"dead-sensor-e", deadSensor(3)},
        {"dead-sensor-f", deadSensor(4)},
        // Wheel c turns; the pulse for its modulator leaves it turning.
        {"miswired-modulator",
         [](TrailerRig& r) {
             r.trailer->TurnWheel(1);
             r.WaitMs(500);
             r.ExtendedAndUnlocked();
             r.Positive({0x2F, 0x00, 0x01, 0x03, 0x10, 0xFF, 0x00});
             r.WaitMs(500);
             return r.trailer->WheelTurning(1);
         }},
        // Backup valves held, the operator's demand built: no brake follows.
        {"no-backup-pressure",
         [](TrailerRig& r) {
             r.ExtendedAndUnlocked();
             r.Positive({0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF});
             r.op->BuildControlPressure();
             r.WaitMs(1500);
             const Bytes main = r.Read(0x0052);
             return TrailerRig::PressureAt(main, 0) < 0.2 && TrailerRig::PressureAt(main, 2) < 0.2;
         }},
        // The left channel applied, then released: it stays up.
        {"brake-not-released",
         [](TrailerRig& r) {
             r.ExtendedAndUnlocked();
             r.Positive({0x2F, 0x00, 0x05, 0x03, 0x10, 0x64, 0xFF});
             r.WaitMs(2000);
             r.Positive({0x2F, 0x00, 0x05, 0x03, 0x10, 0x00, 0xFF});
             r.WaitMs(2000);
             return TrailerRig::PressureAt(r.Read(0x0052), 0) > 0.7;
         }},
        // Cleared, the fault is back at once as a current code.
        {"current-fault",
         [](TrailerRig& r) {
             r.Positive({0x14, 0xFF, 0xFF, 0xFF});
             const Bytes list = r.Request({0x19, 0x02, 0x09});
             for (size_t i = 3; i + 3 < list.size(); i += 4)
                 if (list[i] == 0x61 && list[i + 1] == 0x12 && list[i + 2] == 0x01 && list[i + 3] == kDtcStatusCurrent)
                     return true;
             return false;
         }},
    };
    ASSERT_EQ(sim::TrailerFaultNames().size(), std::size(cases));
    for (size_t k = 0; k < std::size(cases); ++k) {
        const auto& c = cases[k];
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(sim::TrailerFaultNames()[k].name, c.name);
        TrailerRig healthy;
        EXPECT_FALSE(c.shows(healthy));
        TrailerRig faulty;
        EXPECT_TRUE(sim::ApplyTrailerFaults(c.name, *faulty.trailer).unknown.empty());
        EXPECT_TRUE(c.shows(faulty));
    }
}

TEST(SimTrailerFaults, ListsAreCommaSeparatedAndUnknownNamesAreReturned)
{
    TrailerRig rig;
    EXPECT_TRUE(sim::ApplyTrailerFaults("", *rig.trailer).applied.empty());
    EXPECT_TRUE(sim::ApplyTrailerFaults(" , ,", *rig.trailer).unknown.empty());
    const auto given =
        sim::ApplyTrailerFaults("dead-sensor-c, Dead-Sensor-D,dead-sensor-x ,current-fault", *rig.trailer);
    EXPECT_EQ(given.applied, (std::vector<std::string>{"dead-sensor-c", "current-fault"}));
    EXPECT_EQ(given.unknown, (std::vector<std::string>{"Dead-Sensor-D", "dead-sensor-x"}));
    rig.trailer->TurnWheel(1);
    rig.trailer->TurnWheel(2);
    rig.WaitMs(500);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0010)), 0u) << "the known names before and after are applied";
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0011)), kWheelSpinRaw);
}

} // namespace
