// The simulated trailer on the virtual clock, driven through the ECU's wire
// requests: outputs, pressures, wheels, the height calibration, lifting axles,
// the restart, the marker and the fault codes that follow the trailer.
#include "TrailerRig.h"

#include <gtest/gtest.h>

using simtest::Bytes;
using simtest::TrailerForm;
using simtest::TrailerRig;
using namespace sim::trailerdata;

namespace {

TEST(SimTrailerModel, OutputCommandsChangeWhatCanBeSeen)
{
    TrailerRig rig;
    // Under the ECU's own control: lamps dark, valve open.
    EXPECT_FALSE(rig.trailer->WarningLampLit());
    EXPECT_FALSE(rig.trailer->BrakeLampLit());
    EXPECT_TRUE(rig.trailer->UnderwaterValveOpen());
    // Outputs need the extended session and the level-1 unlock.
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}), (Bytes{0x7F, 0x2F, 0x7F}));
    ASSERT_TRUE(rig.Positive({0x10, 0x03}));
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}), (Bytes{0x7F, 0x2F, 0x33}));
    ASSERT_TRUE(rig.Unlock());
    EXPECT_FALSE(rig.trailer->WarningLampLit());

    struct Case {
        Bytes request;
        Bytes answer;
        bool warning, brake, valveOpen;
    } cases[] = {
        {{0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}, {0x6F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}, true, false, true},
        {{0x2F, 0x00, 0x04, 0x03, 0x08, 0xFF, 0xFF}, {0x6F, 0x00, 0x04, 0x03, 0x08, 0xFF, 0xFF}, true, true, true},
        {{0x2F, 0x00, 0x04, 0x03, 0x01, 0x00, 0xFF}, {0x6F, 0x00, 0x04, 0x03, 0x01, 0x00, 0xFF}, false, true, true},
        {{0x2F, 0x00, 0x04, 0x03, 0x07, 0xFF, 0x01}, {0x6F, 0x00, 0x04, 0x03, 0x07, 0xFF, 0x01}, false, true, false},
        {{0x2F, 0x00, 0x04, 0x03, 0x08, 0x00, 0xFF}, {0x6F, 0x00, 0x04, 0x03, 0x08, 0x00, 0xFF}, false, false, false},
        {{0x2F, 0x00, 0x04, 0x03, 0x05, 0xFF, 0xFF}, {0x7F, 0x2F, 0x31}, false, false, false},  // no such output
        {{0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF}, {0x7F, 0x2F, 0x13}, false, false, false},
        {{0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}, {0x6F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}, true, false, false},
        // Control back to the ECU: everything in its resting state.
        {{0x2F, 0x00, 0x04, 0x00}, {0x6F, 0x00, 0x04, 0x00}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.request));
        EXPECT_EQ(rig.Request(c.request), c.answer);
        EXPECT_EQ(rig.trailer->WarningLampLit(), c.warning);
        EXPECT_EQ(rig.trailer->BrakeLampLit(), c.brake);
        EXPECT_EQ(rig.trailer->UnderwaterValveOpen(), c.valveOpen);
    }
}

TEST(SimTrailerModel, OutputDefectsOverrideTheCommand)
{
    TrailerRig rig;
    rig.trailer->SetOutputDefect(kOutputWarningLamp, sim::OutputDefect::StuckOff);
    rig.trailer->SetOutputDefect(kOutputBrakeLamp, sim::OutputDefect::StuckOn);
    rig.trailer->SetOutputDefect(kOutputUnderwaterValve, sim::OutputDefect::StuckOff);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    // Accepted by the ECU, but the lamp stays dark and the valve open.
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}));
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x07, 0xFF, 0x01}));
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x08, 0x00, 0xFF}));
    EXPECT_FALSE(rig.trailer->WarningLampLit());
    EXPECT_TRUE(rig.trailer->UnderwaterValveOpen());
    EXPECT_TRUE(rig.trailer->BrakeLampLit());
    // The operator answers from what is seen, or wrongly when told to.
    EXPECT_FALSE(rig.op->Answer(sim::OperatorQuestion::WarningLampLit));
    EXPECT_FALSE(rig.op->Answer(sim::OperatorQuestion::BrakeLampDark));
    rig.op->AnswerWrongly(sim::OperatorQuestion::BrakeLampDark);
    EXPECT_TRUE(rig.op->Answer(sim::OperatorQuestion::BrakeLampDark));
    EXPECT_FALSE(rig.op->Sees(sim::OperatorQuestion::BrakeLampDark));
}

TEST(SimTrailerModel, SupplyVoltageIsOneByteOfFifteenHundredthsOfAVolt)
{
    TrailerRig rig;
    EXPECT_EQ(rig.Read(0x0029), (Bytes{160}));  // 24.0 V
    const struct {
        double volts;
        uint8_t raw;
    } cases[] = {{18.0, 120}, {17.85, 119}, {31.95, 213}, {32.1, 214}, {0.0, 0}, {60.0, 255}};
    for (const auto& c : cases) {
        rig.trailer->SetSupplyVoltage(c.volts);
        EXPECT_EQ(rig.Read(0x0029), (Bytes{c.raw})) << c.volts;
    }
}

// Reads 0x0052 (and 0x0053) like the brake-pressure page: left and right.
struct Sides {
    double left, right;
};
Sides ReadPressures(TrailerRig& rig, uint16_t did)
{
    const Bytes data = rig.Read(did);
    EXPECT_EQ(data.size(), 4u) << did;
    return {TrailerRig::PressureAt(data, 0), TrailerRig::PressureAt(data, 2)};
}

TEST(SimTrailerModel, BrakePressureRisesAndFallsWithinThePagesWindows)
{
    TrailerRig rig;
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x05, 0x03, 0x10, 0x64, 0xFF}),
              (Bytes{0x6F, 0x00, 0x05, 0x03, 0x10, 0x64, 0xFF}));
    Sides at0 = ReadPressures(rig, 0x0052);
    EXPECT_LT(at0.left, 0.05);
    rig.WaitMs(300);
    Sides rising = ReadPressures(rig, 0x0052);
    EXPECT_GT(rising.left, 2.5);  // one time constant: 63 %
    EXPECT_LT(rising.left, 3.8);
    rig.WaitMs(700);  // 1.0 s: the 4S3M page's reading
    EXPECT_NEAR(ReadPressures(rig, 0x0052).left, 5.0, 0.7);
    rig.WaitMs(1500);  // 2.5 s: the two-channel page's last reading
    Sides applied = ReadPressures(rig, 0x0052);
    EXPECT_NEAR(applied.left, 5.0, 0.05);
    EXPECT_EQ(applied.right, 0.0) << "only the commanded side builds";

    // Control back to the ECU: the pressure falls.
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x05, 0x00}), (Bytes{0x6F, 0x00, 0x05, 0x00}));
    rig.WaitMs(300);
    const double falling = ReadPressures(rig, 0x0052).left;
    EXPECT_GT(falling, 1.2);
    EXPECT_LT(falling, 2.5);
    rig.WaitMs(700);
    EXPECT_LT(ReadPressures(rig, 0x0052).left, 0.7);

    // Unknown channel, wrong length.
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x05, 0x03, 0x44, 0x64, 0xFF}), (Bytes{0x7F, 0x2F, 0x31}));
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x05, 0x03, 0x10, 0x64}), (Bytes{0x7F, 0x2F, 0x13}));
}

TEST(SimTrailerModel, SlowTimeConstantMissesTheWindow)
{
    TrailerRig rig;
    rig.trailer->SetPressureTimeConstants(2.0, 2.0);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x05, 0x03, 0x01, 0x64, 0xFF}));
    rig.WaitMs(2500);
    const double right = ReadPressures(rig, 0x0052).right;
    EXPECT_LT(right, 4.3);
    EXPECT_GT(right, 3.0);
}

TEST(SimTrailerModel, EbsdChannelsBuildOnlyOnTheThreeModulatorForm)
{
    for (TrailerForm form : {TrailerForm::k4S2M, TrailerForm::k4S3M}) {
        SCOPED_TRACE(FormName(form));
        TrailerRig rig(form);
        EXPECT_EQ(rig.Read(0xF197), (Bytes{'4', 'S', form == TrailerForm::k4S3M ? uint8_t('3') : uint8_t('2'), 'M'}));
        ASSERT_TRUE(rig.ExtendedAndUnlocked());
        ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x05, 0x03, 0x90, 0x64, 0xFF}));
        rig.WaitMs(1000);
        Sides main = ReadPressures(rig, 0x0052);
        Sides ebsd = ReadPressures(rig, 0x0053);
        EXPECT_NEAR(main.left, 5.0, 0.7);
        EXPECT_NEAR(main.right, 5.0, 0.7);
        const double expected = form == TrailerForm::k4S3M ? 5.0 : 0.0;
        EXPECT_NEAR(ebsd.left, expected, 0.7);
        EXPECT_NEAR(ebsd.right, expected, 0.7);
    }
}

TEST(SimTrailerModel, BackupValvesPassTheOperatorsDemandToTheBrakes)
{
    TrailerRig rig(TrailerForm::k4S3M);
    rig.trailer->SetPressureDefect(kEbsdRight, sim::PressureDefect::NoBackup);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF}),
              (Bytes{0x6F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(rig.trailer->BackupValvesHeld());
    rig.WaitMs(1800);
    EXPECT_EQ(TrailerRig::PressureAt(rig.Read(0x0051), 0), 0.0);
    rig.op->BuildControlPressure();
    rig.WaitMs(1500);
    EXPECT_NEAR(TrailerRig::PressureAt(rig.Read(0x0051), 0), kOperatorControlPressureBar, 0.1);
    Sides main = ReadPressures(rig, 0x0052);
    Sides ebsd = ReadPressures(rig, 0x0053);
    EXPECT_NEAR(main.left, kOperatorControlPressureBar, 0.1);
    EXPECT_NEAR(main.right, kOperatorControlPressureBar, 0.1);
    EXPECT_NEAR(ebsd.left, kOperatorControlPressureBar, 0.1);
    EXPECT_EQ(ebsd.right, 0.0) << "its backup valve does not pass the demand";
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x06, 0x00}));
    EXPECT_FALSE(rig.trailer->BackupValvesHeld());
}

TEST(SimTrailerModel, WheelPulsesOnlyWhileTheWheelTurns)
{
    TrailerRig rig(TrailerForm::k4S2M);
    auto speeds = [&] {
        std::vector<unsigned> v;
        for (uint16_t did = 0x0010; did <= 0x0013; ++did)
            v.push_back(TrailerRig::U16Msb(rig.Read(did)));
        return v;
    };
    auto pulses = [&](unsigned sensor) {
        const Bytes d = rig.Read(0x0001);
        EXPECT_EQ(d.size(), 8u);
        return unsigned(d[2 * (sensor - 1)] | (d[2 * (sensor - 1) + 1] << 8));
    };
    EXPECT_EQ(speeds(), (std::vector<unsigned>{0, 0, 0, 0}));
    rig.WaitMs(5000);
    EXPECT_EQ(pulses(2), 0u);

    rig.op->TurnWheel(2);
    rig.WaitMs(1000);
    EXPECT_EQ(speeds(), (std::vector<unsigned>{0, kWheelSpinRaw, 0, 0}));
    EXPECT_EQ(pulses(2), kSensorPulsesPerSecond);
    EXPECT_EQ(pulses(1), 0u);

    // A pulse on the left modulator does not brake a right wheel; the right one does.
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x01, 0x03, 0x10, 0xFF, 0x00}),
              (Bytes{0x6F, 0x00, 0x01, 0x03, 0x10, 0xFF, 0x00}));
    EXPECT_TRUE(rig.trailer->WheelTurning(2));
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x01, 0x03, 0x01, 0xFF, 0x00}));
    EXPECT_FALSE(rig.trailer->WheelTurning(2));
    EXPECT_TRUE(rig.op->Answer(sim::OperatorQuestion::WheelStoppedByPulse, 2));
    const unsigned stoppedAt = pulses(2);
    rig.WaitMs(2000);
    EXPECT_EQ(pulses(2), stoppedAt);
    EXPECT_EQ(speeds(), (std::vector<unsigned>{0, 0, 0, 0}));

    // Left alone, a wheel coasts to a stop.
    rig.op->TurnWheel(3);
    rig.WaitMs(kWheelCoastMs - 100);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0012)), kWheelSpinRaw);
    rig.WaitMs(200);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0012)), 0u);
    // A channel the form does not have.
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x01, 0x03, 0x02, 0xFF, 0x00}), (Bytes{0x7F, 0x2F, 0x31}));
}

TEST(SimTrailerModel, WheelSensorFaults)
{
    TrailerRig rig(TrailerForm::k4S2M);
    rig.trailer->SwapWheelSensors(1, 2);
    rig.trailer->SetWheelSensorDead(4);
    rig.op->TurnWheel(1);
    rig.op->TurnWheel(4);
    rig.WaitMs(500);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0010)), 0u);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0011)), kWheelSpinRaw) << "sensor 2 sees wheel 1";
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0013)), 0u) << "a dead sensor gives no pulses";
    // A dead modulator takes the pulse but brakes nothing.
    rig.trailer->SetModulatorDead(0x10);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x01, 0x03, 0x10, 0xFF, 0x00}));
    EXPECT_TRUE(rig.trailer->WheelTurning(1));
}

TEST(SimTrailerModel, HeightCalibrationRoutineSequence)
{
    sim::TrailerEquipment eq;
    eq.heightSensorEf = false;
    TrailerRig rig(TrailerForm::k4S2M, eq);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0018)), kHeightCurrentCd);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B3)), kHeightStoredCd);
    // Results before any start, start outside the extended session.
    EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x7F, 0x31, 0x24}));
    EXPECT_EQ(rig.Request({0x31, 0x01, 0xC0, 0x07, 0x01, 0x01, 0x00}), (Bytes{0x7F, 0x31, 0x7F}));
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x31, 0x01, 0xC0, 0x07, 0x02, 0x01, 0x00}), (Bytes{0x7F, 0x31, 0x31})) << "no EF sensor";
    EXPECT_EQ(rig.Request({0x31, 0x01, 0xC0, 0x07, 0x01, 0x01, 0x00}), (Bytes{0x71, 0x01, 0xC0, 0x07}));
    EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x71, 0x03, 0xC0, 0x07, kRoutineRunning}));
    rig.WaitMs(1000);
    EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x71, 0x03, 0xC0, 0x07, kRoutineDone}));
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B3)), kHeightCurrentCd);
    // The calibration survives the restart.
    EXPECT_EQ(rig.Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
    rig.WaitMs(1000);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B3)), kHeightCurrentCd);
}

// The routine calibrates only inside the calibratable band, both ends
// included: a height below it or above it ends with status 0 and leaves the
// stored calibration as it was.
TEST(SimTrailerModel, HeightOutsideTheCalibratableBandIsRefused)
{
    const struct {
        uint16_t height;
        bool accepted;
    } cases[] = {{uint16_t(kHeightCalibratableMin - 1), false},
                 {kHeightCalibratableMin, true},
                 {kHeightCalibratableMax, true},
                 {uint16_t(kHeightCalibratableMax + 1), false},
                 {0xFFFF, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        TrailerRig rig;
        rig.trailer->SetHeightCurrent(2, c.height);
        ASSERT_TRUE(rig.ExtendedAndUnlocked());
        ASSERT_TRUE(rig.Positive({0x31, 0x01, 0xC0, 0x07, 0x02, 0x01, 0x00}));
        rig.WaitMs(1000);
        EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}),
                  (Bytes{0x71, 0x03, 0xC0, 0x07, c.accepted ? kRoutineDone : kRoutineFailed}));
        EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B4)), c.accepted ? c.height : kHeightStoredEf);
        EXPECT_EQ(rig.trailer->HeightStored(2), c.accepted ? c.height : kHeightStoredEf);
    }
}

TEST(SimTrailerModel, HeightDefects)
{
    TrailerRig rig;
    rig.trailer->SetHeightDefect(1, sim::HeightDefect::Dead);
    rig.trailer->SetHeightDefect(2, sim::HeightDefect::CalibrationNotStored);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0018)), 0u);
    ASSERT_TRUE(rig.Positive({0x31, 0x01, 0xC0, 0x07, 0x01, 0x01, 0x00}));
    rig.WaitMs(1000);
    EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x71, 0x03, 0xC0, 0x07, kRoutineFailed}));
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B3)), kHeightStoredCd);

    ASSERT_TRUE(rig.Positive({0x31, 0x01, 0xC0, 0x07, 0x02, 0x01, 0x00}));
    rig.WaitMs(1000);
    EXPECT_EQ(rig.Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x71, 0x03, 0xC0, 0x07, kRoutineDone}));
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B4)), kHeightCurrentEf);
    ASSERT_TRUE(rig.Positive({0x11, 0x01}));
    rig.WaitMs(1000);
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x00B4)), kHeightStoredEf) << "lost at the restart";
}

TEST(SimTrailerModel, EcuIsSilentWhileItRestarts)
{
    TrailerRig rig;
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}));
    ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rig.Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
    EXPECT_TRUE(rig.Request({0x3E, 0x00}, 50).empty());
    rig.WaitMs(kRestartMs - 100);
    EXPECT_TRUE(rig.Request({0x22, 0x00, 0x29}, 20).empty());
    rig.WaitMs(100);
    EXPECT_EQ(rig.Request({0x3E, 0x00}), (Bytes{0x7E, 0x00}));
    EXPECT_EQ(rig.ecu->Session(), 0x01);
    // The restart ended every IO control.
    EXPECT_FALSE(rig.trailer->WarningLampLit());
    EXPECT_FALSE(rig.trailer->BackupValvesHeld());
}

TEST(SimTrailerModel, MarkerNeedsTheExtendedSessionAndLevelOne)
{
    TrailerRig rig;
    const Bytes write1{0x2E, 0x00, 0x94, 0x01};
    EXPECT_EQ(rig.Request(write1), (Bytes{0x7F, 0x2E, 0x33}));
    ASSERT_TRUE(rig.Positive({0x10, 0x03}));
    EXPECT_EQ(rig.Request(write1), (Bytes{0x7F, 0x2E, 0x33}));
    // The programming unlock is not enough, nor the programming session.
    ASSERT_TRUE(rig.Positive({0x10, 0x02}));
    Bytes seed = rig.Request({0x27, 0x09});
    ASSERT_EQ(seed.size(), 6u);
    auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey({seed[2], seed[3], seed[4], seed[5]},
                                                                tarvel::kSecurityLevel9Constants));
    ASSERT_EQ(rig.Request({0x27, 0x0A, key[0], key[1], key[2], key[3]}), (Bytes{0x67, 0x0A}));
    EXPECT_EQ(rig.Request(write1), (Bytes{0x7F, 0x2E, 0x22}));
    EXPECT_EQ(rig.trailer->EolMarker(), 0);

    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request(write1), (Bytes{0x6E, 0x00, 0x94}));
    EXPECT_EQ(rig.Read(0x0094), (Bytes{0x01}));
    EXPECT_EQ(rig.trailer->EolMarker(), 1);
}

// The fault check's codes: FD0E while the marker is not 1, DB08 while a lamp
// or valve output is held; both come back at once after a clear while their
// cause is there, and go to history when it goes.
TEST(SimTrailerModel, FaultCodesFollowTheMarkerAndTheOutputs)
{
    TrailerRig rig;
    auto count = [&] {
        const Bytes a = rig.Request({0x19, 0x01, 0x09});
        return a.size() == 6 ? (a[4] << 8) | a[5] : -1;
    };
    auto list = [&] { return rig.Request({0x19, 0x02, 0x09}); };
    ASSERT_TRUE(rig.Positive({0x14, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(list(), (Bytes{0x59, 0x02, 0xFF, 0x00, 0xFD, 0x0E, 0x09}));

    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x01, 0x00, 0xFF}));
    ASSERT_TRUE(rig.Positive({0x14, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(list(), (Bytes{0x59, 0x02, 0xFF, 0x00, 0xDB, 0x08, 0x09, 0x00, 0xFD, 0x0E, 0x09}));

    // The final gate: marker 1, restart, clear.
    ASSERT_TRUE(rig.Positive({0x2E, 0x00, 0x94, 0x01}));
    EXPECT_EQ(list(), (Bytes{0x59, 0x02, 0xFF, 0x00, 0xDB, 0x08, 0x09, 0x00, 0xFD, 0x0E, 0x08}));
    ASSERT_TRUE(rig.Positive({0x11, 0x01}));
    rig.WaitMs(1500);
    EXPECT_EQ(list(), (Bytes{0x59, 0x02, 0xFF, 0x00, 0xDB, 0x08, 0x08, 0x00, 0xFD, 0x0E, 0x08}));
    ASSERT_TRUE(rig.Positive({0x14, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(count(), 0);

    // A failed item writes 0 again; a fault the ECU keeps detecting is back after every clear.
    rig.trailer->AddPresentFault(0x5A0113);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    ASSERT_TRUE(rig.Positive({0x2E, 0x00, 0x94, 0x00}));
    ASSERT_TRUE(rig.Positive({0x14, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(count(), 2);
}

// ISO 14229: what the tester controls goes back to the ECU when the ECU
// returns to the default session, by 10 01 or the S3 time-out, or restarts;
// staying in a non-default session (TesterPresent, 10 03 again) keeps it.
TEST(SimTrailerModel, ControlsEndWithTheDefaultSessionOrARestart)
{
    enum class Way { TesterPresentKeeps, ExtendedAgainKeeps, DefaultSession, S3TimeOut, Restart };
    const struct {
        Way way;
        const char* name;
        bool ends;
    } cases[] = {{Way::TesterPresentKeeps, "3E 00 every 4 s", false},
                 {Way::ExtendedAgainKeeps, "10 03 again", false},
                 {Way::DefaultSession, "10 01", true},
                 {Way::S3TimeOut, "5 s without a request", true},
                 {Way::Restart, "11 01", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrailerRig rig;
        ASSERT_TRUE(rig.ExtendedAndUnlocked());
        ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x07, 0xFF, 0x01}));  // valve closed
        ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}));  // warning lamp on
        ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF}));  // backup valves held
        ASSERT_TRUE(rig.Positive({0x2F, 0x00, 0x05, 0x03, 0x10, 0x64, 0xFF}));  // left brake applied
        rig.WaitMs(2000);
        ASSERT_NEAR(rig.trailer->Pressure(kMainLeft), 5.0, 0.1);
        switch (c.way) {
        case Way::TesterPresentKeeps:
            for (int i = 0; i < 3; ++i) {
                ASSERT_TRUE(rig.Positive({0x3E, 0x00}));
                rig.WaitMs(4000);
            }
            ASSERT_TRUE(rig.Positive({0x3E, 0x00}));
            break;
        case Way::ExtendedAgainKeeps: ASSERT_TRUE(rig.Positive({0x10, 0x03})); break;
        case Way::DefaultSession: ASSERT_TRUE(rig.Positive({0x10, 0x01})); break;
        case Way::S3TimeOut: rig.WaitMs(5100); break;
        case Way::Restart: ASSERT_TRUE(rig.Positive({0x11, 0x01})); break;
        }
        rig.WaitMs(1500);
        EXPECT_EQ(rig.trailer->UnderwaterValveOpen(), c.ends);
        EXPECT_EQ(rig.trailer->WarningLampLit(), !c.ends);
        EXPECT_EQ(rig.trailer->BackupValvesHeld(), !c.ends);
        if (c.ends)
            EXPECT_LT(rig.trailer->Pressure(kMainLeft), 0.1);
        else
            EXPECT_NEAR(rig.trailer->Pressure(kMainLeft), 5.0, 0.1);
        // The fault memory: "output under tester control" current while held, history after.
        const Bytes list = rig.Request({0x19, 0x02, 0x09});
        int status = -1;
        for (size_t i = 3; i + 3 < list.size(); i += 4)
            if (((list[i] << 16) | (list[i + 1] << 8) | list[i + 2]) == int(kDtcOutputUnderTesterControl))
                status = list[i + 3];
        EXPECT_EQ(status, c.ends ? kDtcStatusHistory : kDtcStatusCurrent);
    }
}

TEST(SimTrailerModel, LiftingAxlesTravelToTheCommandedState)
{
    TrailerRig rig;
    auto status = [&] {
        const Bytes d = rig.Read(0x0070);
        return d.size() == 1 ? int(d[0]) : -1;
    };
    EXPECT_EQ(status(), 0x05);  // both down
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x07, 0x03, 0x01, 0xFF}), (Bytes{0x7F, 0x2F, 0x7F}));
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x07, 0x03, 0x01, 0xFF}), (Bytes{0x6F, 0x00, 0x07, 0x03, 0x01, 0xFF}));
    EXPECT_EQ(status(), 0x04);  // axle 1 on its way
    rig.WaitMs(kLiftTravelMs - 10);
    EXPECT_EQ(status(), 0x04);
    rig.WaitMs(10);
    EXPECT_EQ(status(), 0x06);
    EXPECT_TRUE(rig.op->Answer(sim::OperatorQuestion::LiftingAxleUp, 1));
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x07, 0x03, 0x03, 0xFF}));
    rig.WaitMs(kLiftTravelMs);
    EXPECT_EQ(status(), 0x0A);
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x07, 0x03, 0x04, 0x00}), (Bytes{0x7F, 0x2F, 0x31}));
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x07, 0x03, 0x01, 0x55}), (Bytes{0x7F, 0x2F, 0x31}));

    // A stuck axle does not move; a stuck sensor reports where the axle was.
    rig.trailer->SetLiftingAxleStuck(2);
    rig.trailer->SetLiftingSensorStuck(1);
    EXPECT_TRUE(rig.Positive({0x2F, 0x00, 0x07, 0x03, 0x03, 0x00}));
    rig.WaitMs(kLiftTravelMs);
    EXPECT_EQ(status(), 0x0A);
    EXPECT_EQ(rig.trailer->LiftingAxleState(1), kLiftStateDown);
    EXPECT_EQ(rig.trailer->LiftingAxleState(2), kLiftStateUp);

    // A failed status read: a positive answer without data, after the reads
    // still allowed, until the defects are cleared.
    rig.trailer->FailLiftingStatusRead(1);
    EXPECT_EQ(status(), 0x0A);
    EXPECT_EQ(rig.Request({0x22, 0x00, 0x70}), (Bytes{0x62, 0x00, 0x70}));
    EXPECT_EQ(rig.Request({0x22, 0x00, 0x70}), (Bytes{0x62, 0x00, 0x70}));
    rig.trailer->ClearDefects();
    EXPECT_EQ(status(), 0x09);
}

TEST(SimTrailerModel, LiftingTravelTimeCountsForMovementsStartedAfterIt)
{
    TrailerRig rig;
    rig.op->MoveLiftingAxle(1, kLiftStateUp);
    rig.trailer->SetLiftingAxleTravelMs(10000);
    rig.WaitMs(kLiftTravelMs);
    EXPECT_EQ(rig.Read(0x0070), (Bytes{0x06})) << "the movement under way keeps its time";
    rig.op->MoveLiftingAxle(2, kLiftStateUp);
    rig.WaitMs(9990);
    EXPECT_EQ(rig.Read(0x0070), (Bytes{0x02}));
    rig.WaitMs(10);
    EXPECT_EQ(rig.Read(0x0070), (Bytes{0x0A}));
}

TEST(SimTrailerModel, SingleLiftingAxleAndHandMovement)
{
    sim::TrailerEquipment eq;
    eq.liftingAxles = 1;
    eq.liftingSensorVariant = true;
    eq.unusedSecondAxleField = 3;
    TrailerRig rig(TrailerForm::k2S2M, eq);
    EXPECT_EQ(rig.Read(0x0070), (Bytes{0x0D}));
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x07, 0x03, 0x02, 0xFF}), (Bytes{0x7F, 0x2F, 0x31})) << "no second axle";
    rig.op->MoveLiftingAxle(1, kLiftStateUp);
    rig.WaitMs(kLiftTravelMs);
    EXPECT_EQ(rig.Read(0x0070), (Bytes{0x0E}));
}

// The form read from F197 and the wheels each channel brakes change together.
TEST(SimTrailerModel, FormDecidesF197AndTheModulatorChannels)
{
    TrailerRig rig(TrailerForm::k4S2M);
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    const Bytes pulse20{0x2F, 0x00, 0x01, 0x03, 0x20, 0xFF, 0x00};
    EXPECT_EQ(rig.Request(pulse20), (Bytes{0x7F, 0x2F, 0x31}));
    rig.trailer->SetForm(TrailerForm::k4S3M);
    EXPECT_EQ(rig.Read(0xF197), (Bytes{'4', 'S', '3', 'M'}));
    rig.op->TurnWheel(4);
    rig.op->TurnWheel(3);
    EXPECT_TRUE(rig.Positive(pulse20));
    EXPECT_FALSE(rig.trailer->WheelTurning(4));
    EXPECT_TRUE(rig.trailer->WheelTurning(3)) << "one channel per wheel on 4S3M";
    rig.trailer->SetForm(TrailerForm::k2S2M);
    EXPECT_EQ(rig.Read(0xF197), (Bytes{'2', 'S', '2', 'M'}));
    EXPECT_EQ(TrailerRig::U16Msb(rig.Read(0x0012)), 0u) << "no third sensor on 2S2M";
}

// Handlers of a trailer that is gone refuse instead of touching freed memory.
TEST(SimTrailerModel, EcuOutlivesItsTrailer)
{
    TrailerRig rig;
    rig.op.reset();
    rig.trailer.reset();
    ASSERT_TRUE(rig.ExtendedAndUnlocked());
    EXPECT_EQ(rig.Request({0x2F, 0x00, 0x04, 0x03, 0x01, 0xFF, 0xFF}), (Bytes{0x7F, 0x2F, 0x22}));
    EXPECT_EQ(rig.Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
}

} // namespace

#include "CanBitTiming.h"
#include "SimBuiltInWorld.h"
#include "SimStationOperator.h"
#include "SimTrailerFaults.h"
#include "SimWorld.h"

#include <cstdlib>

namespace {

// The program's own world on a virtual clock, for a user without hardware:
// the ECU with the trailer and the person at it behind it.
class BuiltInWorld {
public:
    explicit BuiltInWorld(const char* faults = nullptr)
    {
        sim::StopBuiltInEcu();
        if (faults)
            ::setenv(sim::kTrailerFaultsVariable, faults, 1);
        sim::SetBuiltInWorldTime(&clock, &clock);
        sim::StartBuiltInEcu();
        node = world.Bus(1)->Attach(world.Bus(1)->Bitrate());
    }
    ~BuiltInWorld()
    {
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(nullptr, nullptr);
        ::unsetenv(sim::kTrailerFaultsVariable);
    }

    // Sends one frame, lets `ms` pass and takes the first frame that came back.
    bool Ask(std::initializer_list<uint8_t> bytes, sim::CanFrame& answer, uint64_t ms = 5)
    {
        node->ClearQueue();
        node->Send(sim::CanFrame::Extended(simtest::kRequestId, bytes));
        clock.Advance(ms * 1000);
        return node->Receive(answer);
    }

    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    sim::SimWorld world;
    sim::ScopedWorld useWorld{world};
    std::shared_ptr<sim::CanNode> node;
};

TEST(SimTrailerBuiltIn, TheProgramsSimulatedEcuHasTheTrailer)
{
    BuiltInWorld w;
    sim::CanFrame f;
    ASSERT_TRUE(w.Ask({0x03, 0x22, 0x00, 0x29}, f));
    EXPECT_EQ(f.data[0], 0x04);
    EXPECT_EQ(f.data[1], 0x62);
    EXPECT_EQ(f.data[4], 160);
    ASSERT_TRUE(w.Ask({0x03, 0x19, 0x01, 0x09}, f));
    EXPECT_EQ(f.data[1], 0x59);
    EXPECT_EQ(f.data[6], 4) << "three delivered codes and FD0E: the trailer has not passed end of line";
    EXPECT_NE(sim::BuiltInOperator(), nullptr);
    EXPECT_TRUE(sim::BuiltInFaults().unknown.empty());
}

// Its buses carry each frame for its bit time: the answer arrives once the
// request and then the answer have passed, not at once.
TEST(SimTrailerBuiltIn, FramesTakeTheirTimeOnTheBus)
{
    BuiltInWorld w;
    const auto request = sim::CanFrame::Extended(simtest::kRequestId, {0x03, 0x22, 0x00, 0x29});
    const uint64_t sent = w.clock.NowUs();
    w.node->Send(request);
    sim::CanFrame f;
    EXPECT_FALSE(w.node->Receive(f)) << "nothing before the request has left the bus";
    const uint64_t requestUs = sim::CanFrameTimeUs(request, 500000);
    w.clock.Advance(requestUs + 100);
    EXPECT_FALSE(w.node->Receive(f)) << "the answer is still on the bus";
    w.clock.Advance(500);
    ASSERT_TRUE(w.node->Receive(f));
    EXPECT_EQ(f.data[1], 0x62);
    EXPECT_EQ(f.timeUs, sent + requestUs + sim::CanFrameTimeUs(f, 500000));
    EXPECT_EQ(w.world.Bus(1)->BusTimeUs(), requestUs + sim::CanFrameTimeUs(f, 500000));

    // Stopped, it leaves the buses untimed: nothing waits for a scheduler that is gone.
    sim::StopBuiltInEcu();
    auto other = w.world.Bus(1)->Attach(500000);
    w.node->Send(request);
    EXPECT_TRUE(other->Receive(f));
}

// TARVEL_SIM_TRAILER names the faults the program's trailer starts with.
TEST(SimTrailerBuiltIn, FaultsNamedWhenTheWorldStarts)
{
    BuiltInWorld w(" no-backup-pressure ,current-fault,,flat-tyre");
    EXPECT_EQ(sim::BuiltInFaults().list, " no-backup-pressure ,current-fault,,flat-tyre");
    EXPECT_EQ(sim::BuiltInFaults().applied, (std::vector<std::string>{"no-backup-pressure", "current-fault"}));
    EXPECT_EQ(sim::BuiltInFaults().unknown, (std::vector<std::string>{"flat-tyre"}));
    sim::CanFrame f;
    ASSERT_TRUE(w.Ask({0x03, 0x19, 0x01, 0x09}, f));
    EXPECT_EQ(f.data[6], 5) << "the delivered codes, FD0E and the current fault";
}

} // namespace
