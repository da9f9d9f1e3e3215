// The trailer ECU's diagnostic contents as a tester sees them on the wire:
// parameter blocks and their write checks, the second profile, the
// roll-stability sensor and the live data.
#include "SimEcuData.h"
#include "SimEcuFixture.h"
#include "SimEcuProfile.h"

#include <cstdlib>

using simtest::Bytes;
using sim::ecudata::EcuProfile;

namespace {

class SimEcuProfile : public simtest::SimEcuFixture {
protected:
    Bytes Read(uint16_t did)
    {
        Bytes answer = Request({0x22, uint8_t(did >> 8), uint8_t(did)});
        if (answer.size() < 3 || answer[0] != 0x62)
            return {};
        return Bytes(answer.begin() + 3, answer.end());
    }
    Bytes Write(uint16_t did, const Bytes& data)
    {
        Bytes request{0x2E, uint8_t(did >> 8), uint8_t(did)};
        request.insert(request.end(), data.begin(), data.end());
        return Request(request);
    }
    void Unlocked()
    {
        ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
        ASSERT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
    }
    // The sum of all bytes but the last, modulo 256, into the last byte.
    static Bytes WithChecksum(Bytes block)
    {
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < block.size(); ++i)
            sum += block[i];
        block.back() = uint8_t(sum);
        return block;
    }
};

TEST_F(SimEcuProfile, ShippedBlocksCarryTheirChecksum)
{
    for (EcuProfile p : {EcuProfile::Standard, EcuProfile::Alternate}) {
        for (const Bytes& block : {sim::ecudata::CalibrationBlock(p), sim::ecudata::LiftingAxleBlock(p)}) {
            ASSERT_FALSE(block.empty());
            EXPECT_EQ(WithChecksum(block), block) << ::testing::PrintToString(block);
        }
    }
    EXPECT_EQ(sim::ecudata::CalibrationBlock(EcuProfile::Standard).size(), 88u);
    EXPECT_EQ(sim::ecudata::CalibrationBlock(EcuProfile::Alternate).size(), 84u);
    EXPECT_EQ(sim::ecudata::LiftingAxleBlock(EcuProfile::Standard).size(), 13u);
    EXPECT_EQ(sim::ecudata::LiftingAxleBlock(EcuProfile::Alternate).size(), 12u);
}

TEST_F(SimEcuProfile, CalibrationWriteNeedsExtendedSessionAndLevelOneAndSurvivesReset)
{
    const Bytes shipped = sim::ecudata::CalibrationBlock(EcuProfile::Standard);
    ASSERT_EQ(Read(0x00A0), shipped);
    Bytes changed = shipped;
    changed[0] = 0x04;  // four axles
    changed = WithChecksum(changed);

    EXPECT_EQ(Write(0x00A0, changed), (Bytes{0x7F, 0x2E, 0x33}));  // locked
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(Write(0x00A0, changed), (Bytes{0x7F, 0x2E, 0x33}));
    ASSERT_EQ(Unlock(0x09), (Bytes{0x67, 0x0A}));  // the programming level is not enough
    EXPECT_EQ(Write(0x00A0, changed), (Bytes{0x7F, 0x2E, 0x33}));
    ASSERT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
    EXPECT_EQ(Write(0x00A0, Bytes(changed.begin(), changed.end() - 1)), (Bytes{0x7F, 0x2E, 0x13}));
    EXPECT_EQ(Write(0x00A0, changed), (Bytes{0x6E, 0x00, 0xA0}));
    EXPECT_EQ(Read(0x0093), (Bytes{0x00}));

    EXPECT_EQ(Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
    EXPECT_EQ(ecu->Session(), 0x01);
    EXPECT_EQ(Read(0x00A0), changed);
}

TEST_F(SimEcuProfile, RefusedCalibrationWritesLeaveTheirReasonIn0093)
{
    const Bytes shipped = sim::ecudata::CalibrationBlock(EcuProfile::Standard);
    struct Case {
        const char* what;
        size_t at;
        uint8_t value;
        bool fixChecksum;
        uint8_t reason;
    } cases[] = {
        {"checksum", 3, 0x00, false, sim::ecudata::kParamFaultChecksum},
        {"no axles", 0, 0x00, true, sim::ecudata::kParamFaultAxleCount},
        {"six axles", 0, 0x06, true, sim::ecudata::kParamFaultAxleCount},
        {"laden below unladen", 46, 0x00, true, sim::ecudata::kParamFaultControlPressures},
        {"reserved bit of axle 5", 15, 0x80, true, sim::ecudata::kParamFaultReservedBits},
    };
    Unlocked();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes block = shipped;
        block[c.at] = c.value;
        if (c.fixChecksum)
            block = WithChecksum(block);
        EXPECT_EQ(Write(0x00A0, block), (Bytes{0x7F, 0x2E, 0x31}));
        EXPECT_EQ(Read(0x0093), (Bytes{c.reason}));
        EXPECT_EQ(ecu->Did(0x00A0), shipped);
    }
}

TEST_F(SimEcuProfile, RefusedLiftingAxleWritesLeaveTheirReasonIn0095)
{
    const Bytes shipped = sim::ecudata::LiftingAxleBlock(EcuProfile::Standard);
    ASSERT_EQ(Read(0x00A1), shipped);
    EXPECT_EQ(Read(0x00F0), (Bytes{0x02}));
    struct Case {
        const char* what;
        size_t at;
        uint8_t value;
        bool fixChecksum;
        uint8_t reason;
    } cases[] = {
        {"checksum", 1, 0x00, false, sim::ecudata::kLiftFaultChecksum},
        {"control mode", 0, 0x03, true, sim::ecudata::kLiftFaultControlMode},
        {"lift threshold 10.01 bar", 4, 0x04, true, sim::ecudata::kLiftFaultLiftThreshold},  // 0x04FA
        {"lower below lift", 6, 0x00, true, sim::ecudata::kLiftFaultThresholdsOverlap},  // 0.94 < 2.50
    };
    Unlocked();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes block = shipped;
        block[c.at] = c.value;
        if (c.fixChecksum)
            block = WithChecksum(block);
        EXPECT_EQ(Write(0x00A1, block), (Bytes{0x7F, 0x2E, 0x31}));
        EXPECT_EQ(Read(0x0095), (Bytes{c.reason}));
    }
    Bytes good = shipped;
    good[2] = 0x01;  // second lifting axle driven as well
    good = WithChecksum(good);
    EXPECT_EQ(Write(0x00A1, good), (Bytes{0x6E, 0x00, 0xA1}));
    EXPECT_EQ(Read(0x0095), (Bytes{0x00}));
    EXPECT_EQ(Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
    EXPECT_EQ(Read(0x00A1), good);
}

TEST_F(SimEcuProfile, LiftingAxleFittingRewritesTheRecordAndItsChecksum)
{
    Unlocked();
    for (EcuProfile p : {EcuProfile::Standard, EcuProfile::Alternate}) {
        SCOPED_TRACE(int(p));
        sim::ecudata::InstallProfile(*ecu, p);
        sim::ecudata::LiftingAxleFitting fitting;
        fitting.driven1 = false;
        fitting.driven2 = true;
        fitting.sensor1 = true;
        sim::ecudata::SetLiftingAxleFitting(*ecu, fitting);
        Bytes expected = sim::ecudata::LiftingAxleBlock(p);
        ASSERT_GE(expected.size(), 12u);
        expected[1] = 0x00;
        expected[2] = 0x01;
        expected[8] = 0x01;
        expected[9] = 0x00;
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < expected.size(); ++i)
            sum += expected[i];
        expected[expected.size() - 1] = uint8_t(sum);
        EXPECT_EQ(Read(0x00A1), expected);
        // The write check still guards the record.
        Bytes bad = expected;
        bad[bad.size() - 1] ^= 0xFF;
        EXPECT_EQ(Write(0x00A1, bad), (Bytes{0x7F, 0x2E, 0x31}));
        EXPECT_EQ(Read(0x00A1), expected);
    }
}

TEST_F(SimEcuProfile, AlternateProfileReportsOtherVersionsAndLayouts)
{
    sim::ecudata::InstallProfile(*ecu, EcuProfile::Alternate);
    EXPECT_EQ(Read(0xF195), sim::ecudata::Ascii("V2.5.0"));
    EXPECT_EQ(Read(0xF197), sim::ecudata::Ascii("4S3M"));
    EXPECT_EQ(Read(0xF1F5), sim::ecudata::Ascii("03"));
    EXPECT_EQ(Read(0x00F0), (Bytes{0x01}));
    EXPECT_EQ(Read(0x00A0), sim::ecudata::CalibrationBlock(EcuProfile::Alternate));
    EXPECT_EQ(Read(0x00A1), sim::ecudata::LiftingAxleBlock(EcuProfile::Alternate));
    // The same identification as the standard ECU otherwise.
    EXPECT_EQ(Read(0xF18A), sim::ecudata::Ascii(sim::ecudata::kSupplierId));
    // Its shorter block is what a write must match.
    Unlocked();
    Bytes standard = sim::ecudata::CalibrationBlock(EcuProfile::Standard);
    EXPECT_EQ(Write(0x00A0, standard), (Bytes{0x7F, 0x2E, 0x13}));
}

TEST_F(SimEcuProfile, RollStabilitySensorCalibrationRoutine)
{
    EXPECT_EQ(Read(0x0064), (Bytes{0x03, 0x8E}));  // 910: +1.0 degree
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x08}), (Bytes{0x7F, 0x31, 0x22}));
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x08}), (Bytes{0x71, 0x03, 0xC0, 0x08, 0x00}));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x02}), (Bytes{0x7F, 0x31, 0x33}));
    ASSERT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x05}), (Bytes{0x7F, 0x31, 0x31}));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08}), (Bytes{0x7F, 0x31, 0x13}));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x02}), (Bytes{0x71, 0x01, 0xC0, 0x08, 0x01}));
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x08}), (Bytes{0x71, 0x03, 0xC0, 0x08, 0x01}));
    EXPECT_EQ(Read(0x0064), (Bytes{0x03, 0x84}));  // 900: level
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x20}), (Bytes{0x71, 0x01, 0xC0, 0x08, 0x01}));
    EXPECT_EQ(Read(0x0064), (Bytes{0xFE, 0x00}));  // no valid angle
}

TEST_F(SimEcuProfile, RollStabilitySensorTakesTheAngleAndOutcomeItIsGiven)
{
    sim::ecudata::InstallRollSensor(*ecu, {0xFE00, std::nullopt});
    EXPECT_EQ(Read(0x0064), (Bytes{0xFE, 0x00}));
    // A sensor that refuses: the status record stays as set and so does the angle.
    sim::ecudata::InstallRollSensor(*ecu, {1151, Bytes{0x00}});
    Unlocked();
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x02}), (Bytes{0x71, 0x01, 0xC0, 0x08, 0x00}));
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x08}), (Bytes{0x71, 0x03, 0xC0, 0x08, 0x00}));
    EXPECT_EQ(Read(0x0064), (Bytes{0x04, 0x7F}));
    // A result without any status byte.
    sim::ecudata::InstallRollSensor(*ecu, {900, Bytes{}});
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x08, 0x20}), (Bytes{0x71, 0x01, 0xC0, 0x08}));
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x08}), (Bytes{0x71, 0x03, 0xC0, 0x08}));
}

TEST_F(SimEcuProfile, LiveDataMovesAndStaysInRange)
{
    const Bytes first = Read(0x0050);
    ASSERT_EQ(first.size(), 8u);
    EXPECT_NE(Read(0x0050), first);
    for (int i = 0; i < 12; ++i) {
        Read(0x0050);
        for (uint16_t did : {0x0051, 0x0052, 0x0053, 0x0054}) {
            const Bytes v = Read(did);
            ASSERT_GE(v.size(), 2u) << did;
            for (size_t k = 0; k + 1 < v.size(); k += 2) {
                const unsigned mbar = v[k] | (unsigned(v[k + 1]) << 8);  // least significant byte first
                EXPECT_GT(mbar, 0u) << did;
                EXPECT_LT(mbar, 12000u) << did;  // 12 bar and above would show as "-"
            }
        }
    }
    EXPECT_EQ(Read(0x0057), (Bytes{0x03}));
    // The status word and the session: shown as raw hexadecimal numbers.
    EXPECT_EQ(Read(0x0092).size(), 2u);
    EXPECT_EQ(Read(0xF186), (Bytes{0x01}));
}

TEST_F(SimEcuProfile, ConnectorDids)
{
    EXPECT_EQ(Read(0x00F1), (Bytes{0x03, 0x01}));
    EXPECT_EQ(Read(0x00A2).size(), 17u);
    EXPECT_EQ(Read(0x00A2)[0], 0x02);
    for (uint16_t did = 0xD001; did <= 0xD010; ++did)
        EXPECT_EQ(Read(did).size(), 5u) << std::hex << did;
    EXPECT_EQ(Read(0xD003), (Bytes{0x10, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Read(0xD00F), (Bytes{0x00, 0x00, 0x04, 0x00, 0x00}));
    EXPECT_EQ(Request({0x22, 0xD0, 0x11}), (Bytes{0x7F, 0x22, 0x31}));
}

} // namespace

namespace {

TEST(SimEcuBuiltInProfile, EnvironmentSelectsTheAlternateProfile)
{
    sim::StopBuiltInEcu();
    ::setenv("TARVEL_SIM_PROFILE", "alternate", 1);
    EXPECT_EQ(sim::StartBuiltInEcu().Did(0xF1F5), sim::ecudata::Ascii("03"));
    sim::StopBuiltInEcu();
    ::unsetenv("TARVEL_SIM_PROFILE");
    EXPECT_EQ(sim::StartBuiltInEcu().Did(0xF1F5), sim::ecudata::Ascii("05"));
    sim::StopBuiltInEcu();
}

} // namespace
