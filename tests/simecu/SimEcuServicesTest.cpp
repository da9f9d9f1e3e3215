// The UDS services of the simulated ECU as a tester sees them on the wire.
#include "SimEcuData.h"
#include "SimEcuFixture.h"

using simtest::Bytes;

namespace {

class SimEcuServices : public simtest::SimEcuFixture {};

TEST_F(SimEcuServices, SessionControlAnswersAndRefusesByTable)
{
    struct Case {
        Bytes request;
        Bytes answer;
        uint8_t sessionAfter;
    } cases[] = {
        {{0x10, 0x03}, {0x50, 0x03, 0x00, 0x32, 0x01, 0xF4}, 0x03},
        {{0x10, 0x02}, {0x50, 0x02, 0x00, 0x32, 0x01, 0xF4}, 0x02},
        {{0x10, 0x01}, {0x50, 0x01, 0x00, 0x32, 0x01, 0xF4}, 0x01},
        {{0x10, 0x04}, {0x7F, 0x10, 0x12}, 0x01},
        {{0x10}, {0x7F, 0x10, 0x13}, 0x01},
        {{0x10, 0x03, 0x00}, {0x7F, 0x10, 0x13}, 0x01},
        {{0xBA, 0x01}, {0x7F, 0xBA, 0x11}, 0x01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.request));
        EXPECT_EQ(Request(c.request), c.answer);
        EXPECT_EQ(ecu->Session(), c.sessionAfter);
        EXPECT_EQ(Request({0x22, 0xF1, 0x86}), (Bytes{0x62, 0xF1, 0x86, c.sessionAfter}));
    }
}

TEST_F(SimEcuServices, S3KeepsTheSessionWhileTheTesterIsPresentAndFallsBackAfterFiveSeconds)
{
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    ASSERT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
    // The tester's 4000 ms keep-alive, both the answered and the suppressed form.
    for (int i = 0; i < 3; ++i) {
        clock.Advance(4000 * 1000);
        EXPECT_EQ(Request({0x3E, 0x00}), (Bytes{0x7E, 0x00}));
        clock.Advance(4000 * 1000);
        tester->Send({0x3E, 0x80});
        EXPECT_FALSE(tester->Next(50)) << "3E 80 must not be answered";
        EXPECT_EQ(ecu->Session(), 0x03) << i;
    }
    EXPECT_TRUE(ecu->Unlocked(0x01));

    // 50 ms have passed since the last 3E 80.
    clock.Advance(4940 * 1000);
    EXPECT_EQ(ecu->Session(), 0x03);
    clock.Advance(20 * 1000);
    EXPECT_EQ(ecu->Session(), 0x01);
    EXPECT_FALSE(ecu->Unlocked(0x01));
    EXPECT_EQ(ecu->Stats().s3Timeouts, 1u);
    // Back in the default session the protected data are locked again.
    EXPECT_EQ(Request({0x2E, 0x00, 0x94, 0x01}), (Bytes{0x7F, 0x2E, 0x33}));
}

TEST_F(SimEcuServices, SecurityAccessBothLevels)
{
    for (uint8_t level : {uint8_t(0x01), uint8_t(0x09)}) {
        SCOPED_TRACE(int(level));
        Start(sim::SimEcuConfig{});
        // Not in the default session.
        EXPECT_EQ(Request({0x27, level}), (Bytes{0x7F, 0x27, 0x7F}));
        ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
        // A key without a seed is out of sequence.
        EXPECT_EQ(Request({0x27, uint8_t(level + 1), 1, 2, 3, 4}), (Bytes{0x7F, 0x27, 0x24}));
        EXPECT_EQ(Unlock(level, false), (Bytes{0x7F, 0x27, 0x35}));
        EXPECT_FALSE(ecu->Unlocked(level));
        EXPECT_EQ(Unlock(level), (Bytes{0x67, uint8_t(level + 1)}));
        EXPECT_TRUE(ecu->Unlocked(level));
        EXPECT_FALSE(ecu->Unlocked(level == 1 ? 0x09 : 0x01));
        // Unlocking again is allowed (the tester unlocks before every protected step).
        EXPECT_EQ(Unlock(level), (Bytes{0x67, uint8_t(level + 1)}));
        // The other level's key does not open this level.
        Bytes seed = Request({0x27, level});
        ASSERT_EQ(seed.size(), 6u);
        auto wrongPair = level == 1 ? tarvel::kSecurityLevel9Constants : tarvel::kSecurityLevel1Constants;
        auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey({seed[2], seed[3], seed[4], seed[5]}, wrongPair));
        EXPECT_EQ(Request({0x27, uint8_t(level + 1), key[0], key[1], key[2], key[3]}), (Bytes{0x7F, 0x27, 0x35}));
    }
}

TEST_F(SimEcuServices, SeedsAreDeterministicPerGeneratorSeedAndChangeEachRequest)
{
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    ecu->SetSeedGenerator(77);
    Bytes a = Request({0x27, 0x01});
    Bytes b = Request({0x27, 0x01});
    ecu->SetSeedGenerator(77);
    Bytes c = Request({0x27, 0x01});
    ASSERT_EQ(a.size(), 6u);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    EXPECT_NE(Bytes(a.begin() + 2, a.end()), (Bytes{0, 0, 0, 0}));
}

TEST_F(SimEcuServices, WrongKeysAreRefusedEveryTimeByDefault)
{
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Unlock(0x01, false), (Bytes{0x7F, 0x27, 0x35})) << i;
    EXPECT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
}

TEST_F(SimEcuServices, AnAttemptLimitLocksTheSeedForTheDelay)
{
    sim::SimEcuConfig config;
    config.securityAttemptLimit = 3;
    Start(config);
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(Unlock(0x01, false), (Bytes{0x7F, 0x27, 0x35}));
    EXPECT_EQ(Unlock(0x01, false), (Bytes{0x7F, 0x27, 0x35}));
    EXPECT_EQ(Unlock(0x01, false), (Bytes{0x7F, 0x27, 0x36}));
    EXPECT_EQ(Request({0x27, 0x01}), (Bytes{0x7F, 0x27, 0x37}));
    // Keep the session alive across the 10 s delay.
    for (int i = 0; i < 3; ++i) {
        clock.Advance(3500 * 1000);
        Request({0x3E, 0x00});
    }
    EXPECT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
}

TEST_F(SimEcuServices, ReadsIdentityInSingleAndMultipleFrames)
{
    // F18A fits one frame: exactly 07 62 F1 8A + 4 bytes, padded to 8.
    tester->Send({0x22, 0xF1, 0x8A});
    ASSERT_TRUE(tester->Next());
    ASSERT_EQ(tester->frames.size(), 1u);
    const sim::CanFrame& sf = tester->frames[0];
    EXPECT_EQ(sf.id, simtest::kResponseId);
    EXPECT_TRUE(sf.extended);
    EXPECT_EQ(sf.dlc, 8);
    std::array<uint8_t, 8> expected{0x07, 0x62, 0xF1, 0x8A, 'T', 'R', 'L', 'K'};
    EXPECT_EQ(sf.data, expected);

    // The hardware number needs a first frame and a consecutive frame that is
    // padded with zeros after its last byte.
    tester->frames.clear();
    EXPECT_EQ(Request({0x22, 0xF1, 0x92}).size(), 15u);
    ASSERT_EQ(tester->frames.size(), 3u);
    EXPECT_EQ(tester->frames[2].data, (std::array<uint8_t, 8>{0x22, '1', '2', 0, 0, 0, 0, 0}));
    EXPECT_EQ(tester->frames[2].dlc, 8);

    // The VIN: 20 bytes fill the first frame and two consecutive frames exactly.
    tester->frames.clear();
    Bytes vin = Request({0x22, 0xF1, 0x90});
    Bytes want{0x62, 0xF1, 0x90};
    Bytes text = sim::ecudata::Ascii(sim::ecudata::kVin);
    want.insert(want.end(), text.begin(), text.end());
    EXPECT_EQ(vin, want);
    ASSERT_EQ(tester->frames.size(), 3u);
    EXPECT_EQ(tester->frames[0].data[0], 0x10);
    EXPECT_EQ(tester->frames[0].data[1], 20);
    EXPECT_EQ(tester->frames[1].data[0], 0x21);
    EXPECT_EQ(tester->frames[2].data[0], 0x22);

    // Several DIDs in one request, and the refusals.
    Bytes two = Request({0x22, 0xF1, 0x97, 0xF1, 0xF5});
    EXPECT_EQ(two, (Bytes{0x62, 0xF1, 0x97, '4', 'S', '2', 'M', 0xF1, 0xF5, '0', '5'}));
    EXPECT_EQ(Request({0x22, 0x12, 0x34}), (Bytes{0x7F, 0x22, 0x31}));
    EXPECT_EQ(Request({0x22, 0xF1}), (Bytes{0x7F, 0x22, 0x13}));
}

TEST_F(SimEcuServices, WritesNeedTheUnlockWhereTheDidSaysSo)
{
    ecu->RegisterDid(0x0200, {0x00, 0x00}, /*writable*/ true, /*needsUnlock*/ false);
    struct Case {
        Bytes request;
        Bytes answer;
    };
    const Case locked[] = {
        {{0x2E, 0x00, 0x94, 0x01}, {0x7F, 0x2E, 0x33}},
        {{0x2E, 0x02, 0x00, 0xAB, 0xCD}, {0x6E, 0x02, 0x00}},
        {{0x2E, 0xF1, 0x8A, 'A', 'B', 'C', 'D'}, {0x7F, 0x2E, 0x31}},  // read-only
        {{0x2E, 0x77, 0x77, 0x01}, {0x7F, 0x2E, 0x31}},                // unknown
        {{0x2E, 0x02, 0x00, 0xAB}, {0x7F, 0x2E, 0x13}},                // wrong length
    };
    for (const Case& c : locked)
        EXPECT_EQ(Request(c.request), c.answer) << ::testing::PrintToString(c.request);
    EXPECT_EQ(ecu->Did(0x0094), (Bytes{0x00}));

    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    ASSERT_EQ(Unlock(0x01), (Bytes{0x67, 0x02}));
    EXPECT_EQ(Request({0x2E, 0x00, 0x94, 0x01}), (Bytes{0x6E, 0x00, 0x94}));
    EXPECT_EQ(Request({0x22, 0x00, 0x94}), (Bytes{0x62, 0x00, 0x94, 0x01}));
    // A 17-character VIN goes in over several frames.
    Bytes vin = sim::ecudata::Ascii("WTR4S2M0N0K099999");
    Bytes write{0x2E, 0xF1, 0x90};
    write.insert(write.end(), vin.begin(), vin.end());
    EXPECT_EQ(Request(write), (Bytes{0x6E, 0xF1, 0x90}));

    auto written = ecu->WrittenDids();
    EXPECT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0x0094], (Bytes{0x01}));
    EXPECT_EQ(written[0x0200], (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(written[0xF190], vin);
}

TEST_F(SimEcuServices, FaultMemoryCountListAndClear)
{
    ecu->ClearDtcs();
    ecu->AddDtc(0x5A0113, 0x09);
    ecu->AddDtc(0x004811, 0x08);
    ecu->AddDtc(0xC11087, 0x2F);

    struct Case {
        Bytes request;
        Bytes answer;
    } cases[] = {
        {{0x19, 0x01, 0x09}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x03}},
        {{0x19, 0x01, 0x01}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x02}},
        {{0x19, 0x01, 0x08}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x03}},
        {{0x19, 0x01, 0x40}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x00}},
        {{0x19, 0x02, 0x01}, {0x59, 0x02, 0xFF, 0x5A, 0x01, 0x13, 0x09, 0xC1, 0x10, 0x87, 0x2F}},
        {{0x19, 0x02, 0x09},
         {0x59, 0x02, 0xFF, 0x5A, 0x01, 0x13, 0x09, 0x00, 0x48, 0x11, 0x08, 0xC1, 0x10, 0x87, 0x2F}},
        {{0x19, 0x05, 0x09}, {0x7F, 0x19, 0x12}},
        {{0x19, 0x01}, {0x7F, 0x19, 0x13}},
        {{0x14, 0xFF, 0xFF}, {0x7F, 0x14, 0x13}},
        {{0x14, 0x12, 0x34, 0x56}, {0x7F, 0x14, 0x31}},
        {{0x14, 0x00, 0x48, 0x11}, {0x54}},
        {{0x19, 0x01, 0xFF}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x02}},
        {{0x14, 0xFF, 0xFF, 0xFF}, {0x54}},
        {{0x19, 0x01, 0x09}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x00}},
        {{0x19, 0x02, 0x09}, {0x59, 0x02, 0xFF}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Request(c.request), c.answer) << ::testing::PrintToString(c.request);
    EXPECT_TRUE(ecu->Dtcs().empty());
}

TEST_F(SimEcuServices, RoutinesAndIoControlsGoToRegisteredHandlers)
{
    std::vector<Bytes> seen;
    ecu->RegisterRoutine(0xC007, [&](uint8_t sub, const Bytes& option, sim::SimEcuContext& e) {
        seen.push_back(option);
        if (sub == 0x03)
            return sim::SimEcuAnswer::Positive({0x00, 0x42});
        if (e.Session() != 0x03)
            return sim::SimEcuAnswer::Negative(0x22);
        e.SetDid(0x0093, {0x07});
        return sim::SimEcuAnswer::Positive({0x00});
    });
    ecu->RegisterIoControl(0x0005, [&](uint8_t param, const Bytes& state, sim::SimEcuContext&) {
        Bytes status{param};
        status.insert(status.end(), state.begin(), state.end());
        return sim::SimEcuAnswer::Positive(status);
    });
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x07, 0x11}), (Bytes{0x7F, 0x31, 0x22}));
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x07, 0x11}), (Bytes{0x71, 0x01, 0xC0, 0x07, 0x00}));
    EXPECT_EQ(Request({0x31, 0x03, 0xC0, 0x07}), (Bytes{0x71, 0x03, 0xC0, 0x07, 0x00, 0x42}));
    EXPECT_EQ(Request({0x22, 0x00, 0x93}), (Bytes{0x62, 0x00, 0x93, 0x07}));
    EXPECT_EQ(Request({0x31, 0x01, 0xC0, 0x99}), (Bytes{0x7F, 0x31, 0x31}));
    EXPECT_EQ(Request({0x31, 0x04, 0xC0, 0x07}), (Bytes{0x7F, 0x31, 0x12}));
    EXPECT_EQ(Request({0x2F, 0x00, 0x05, 0x03, 0x01, 0x02}), (Bytes{0x6F, 0x00, 0x05, 0x03, 0x03, 0x01, 0x02}));
    EXPECT_EQ(Request({0x2F, 0x00, 0x06, 0x03}), (Bytes{0x7F, 0x2F, 0x31}));
    EXPECT_EQ(seen, (std::vector<Bytes>{{0x11}, {0x11}, {}}));
}

// One ISO-TP message carries at most 4095 bytes. A longer answer, whichever
// service builds it, is refused as too long instead of never arriving; one
// that just fits goes out whole.
TEST_F(SimEcuServices, AnswersLongerThanOneMessageAreRefusedAsTooLong)
{
    ecu->RegisterDynamicDid(0x0400, [](const sim::SimEcuContext&) { return Bytes(4092, 0xA5); });
    ecu->RegisterDynamicDid(0x0401, [](const sim::SimEcuContext&) { return Bytes(4093, 0xA5); });
    ecu->RegisterIoControl(0x0402, [](uint8_t, const Bytes&, sim::SimEcuContext&) {
        return sim::SimEcuAnswer::Positive(Bytes(4092, 0x5A));
    });
    ecu->RegisterRoutine(0x0403, [](uint8_t, const Bytes&, sim::SimEcuContext&) {
        return sim::SimEcuAnswer::Positive(Bytes(4092, 0x5A));
    });
    const struct {
        Bytes request;
        size_t positiveLength; // 0: refused with 7F sid 14
    } cases[] = {
        {{0x22, 0x04, 0x00}, 4095},
        {{0x22, 0x04, 0x01}, 0},
        {{0x22, 0x04, 0x00, 0x04, 0x00}, 0},
        {{0x2F, 0x04, 0x02, 0x03}, 0},
        {{0x31, 0x01, 0x04, 0x03}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.request));
        const Bytes answer = Request(c.request);
        if (c.positiveLength == 0) {
            EXPECT_EQ(answer, (Bytes{0x7F, c.request[0], 0x14}));
        } else {
            ASSERT_EQ(answer.size(), c.positiveLength);
            EXPECT_EQ(answer[0], c.request[0] + 0x40);
        }
    }
    EXPECT_EQ(Request({0x3E, 0x00}), (Bytes{0x7E, 0x00})) << "the ECU still answers";
}

// The boot loader's sequence with a 10 KB image in 32-byte blocks, so the
// block counter runs 1..FF, 00, 01.. .
TEST_F(SimEcuServices, TenKilobyteDownloadStoresTheImageByteForByte)
{
    sim::SimEcuConfig config;
    config.maxBlockLength = 34;
    Start(config);

    Bytes image(10 * 1024);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t((i * 131 + (i >> 8)) & 0xFF);

    // Refused before the programming session and its unlock.
    const Bytes requestDownload{0x34, 0x00, 0x44, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00};
    const Bytes erase{0x31, 0x01, 0xFF, 0x00, 0x44, 0, 1, 0, 0, 0, 0, 0x28, 0};
    EXPECT_EQ(Request(requestDownload), (Bytes{0x7F, 0x34, 0x7F}));
    EXPECT_EQ(Request(erase), (Bytes{0x7F, 0x31, 0x7F}));
    EXPECT_EQ(Request({0x36, 0x01, 0xAA}), (Bytes{0x7F, 0x36, 0x7F}));
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    ASSERT_EQ(Request({0x10, 0x02})[0], 0x50);
    EXPECT_EQ(Request(requestDownload), (Bytes{0x7F, 0x34, 0x33}));
    EXPECT_EQ(Request(erase), (Bytes{0x7F, 0x31, 0x33}));
    EXPECT_EQ(Request({0x36, 0x01, 0xAA}), (Bytes{0x7F, 0x36, 0x33}));
    ASSERT_EQ(Unlock(0x09), (Bytes{0x67, 0x0A}));
    // Unlocked, but no download announced yet.
    EXPECT_EQ(Request({0x36, 0x01, 0xAA}), (Bytes{0x7F, 0x36, 0x24}));

    const auto& bl = sim::ecudata::kBootLoaderVersion;
    EXPECT_EQ(Request({0x31, 0x01, 0x02, 0x04, bl[0], bl[1], bl[2], bl[3]}), (Bytes{0x71, 0x01, 0x02, 0x04, 0x01}));
    EXPECT_EQ(Request({0x31, 0x01, 0xFF, 0x00, 0x44, 0, 1, 0, 0, 0, 0, 0x28, 0}),
              (Bytes{0x71, 0x01, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Request(requestDownload), (Bytes{0x74, 0x20, 0x00, 34}));
    // A block longer than the announced maximum (36, counter, 33 bytes).
    Bytes tooLong{0x36, 0x01};
    tooLong.resize(35, 0x11);
    EXPECT_EQ(Request(tooLong), (Bytes{0x7F, 0x36, 0x13}));

    const size_t block = 32;
    uint8_t counter = 1;
    unsigned blocks = 0;
    for (size_t off = 0; off < image.size(); off += block, ++blocks, counter = uint8_t(counter + 1)) {
        Bytes td{0x36, counter};
        td.insert(td.end(), image.begin() + off, image.begin() + std::min(image.size(), off + block));
        ASSERT_EQ(Request(td), (Bytes{0x76, counter})) << "block " << blocks;
        if (blocks == 300) {
            // A wrong counter is refused and changes nothing; a repeated one is
            // answered again without being stored twice.
            EXPECT_EQ(Request({0x36, uint8_t(counter + 2), 0x55}), (Bytes{0x7F, 0x36, 0x73}));
            EXPECT_EQ(Request(td), (Bytes{0x76, counter}));
        }
    }
    EXPECT_EQ(blocks, 320u);
    EXPECT_FALSE(ecu->DownloadComplete());
    EXPECT_EQ(Request({0x37}), (Bytes{0x77}));
    EXPECT_TRUE(ecu->DownloadComplete());
    EXPECT_EQ(ecu->DownloadAddress(), 0x00010000u);
    EXPECT_EQ(ecu->DownloadedImage(), image);

    const uint32_t crc = sim::ecudata::Crc32(image);
    EXPECT_EQ(Request({0x31, 0x01, 0x02, 0x02, uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)}),
              (Bytes{0x71, 0x01, 0x02, 0x02, 0x00}));
    EXPECT_EQ(Request({0x31, 0x01, 0x02, 0x02, 0, 0, 0, 0}), (Bytes{0x71, 0x01, 0x02, 0x02, 0x01}));
    EXPECT_EQ(Request({0x11, 0x01}), (Bytes{0x51, 0x01}));
    EXPECT_EQ(ecu->Session(), 0x01);
    EXPECT_FALSE(ecu->Unlocked(0x09));
    EXPECT_EQ(ecu->DownloadedImage(), image) << "a reset keeps what was flashed";
    // After the restart the identification reads answer as before.
    const Bytes supplier = Request({0x22, 0xF1, 0x8A});
    ASSERT_GE(supplier.size(), 4u);
    EXPECT_EQ(Bytes(supplier.begin(), supplier.begin() + 3), (Bytes{0x62, 0xF1, 0x8A}));
}

TEST_F(SimEcuServices, DownloadRefusesOverrunsAndAnIncompleteExit)
{
    ASSERT_EQ(Request({0x10, 0x02})[0], 0x50);
    ASSERT_EQ(Unlock(0x09), (Bytes{0x67, 0x0A}));
    EXPECT_EQ(Request({0x34, 0x00, 0x44, 0, 0, 0, 0, 0, 0, 0, 0}), (Bytes{0x7F, 0x34, 0x31}));  // size 0
    EXPECT_EQ(Request({0x34, 0x00, 0x44, 0, 0, 0}), (Bytes{0x7F, 0x34, 0x13}));
    ASSERT_EQ(Request({0x34, 0x00, 0x44, 0, 0, 0, 0, 0, 0, 0, 4})[0], 0x74);
    EXPECT_EQ(Request({0x34, 0x00, 0x44, 0, 0, 0, 0, 0, 0, 0, 4}), (Bytes{0x7F, 0x34, 0x22}));
    EXPECT_EQ(Request({0x36, 0x01, 1, 2, 3}), (Bytes{0x76, 0x01}));
    EXPECT_EQ(Request({0x37}), (Bytes{0x7F, 0x37, 0x24}));
    EXPECT_EQ(Request({0x36, 0x02, 4, 5}), (Bytes{0x7F, 0x36, 0x71}));
    EXPECT_EQ(Request({0x36, 0x02, 4}), (Bytes{0x76, 0x02}));
    EXPECT_EQ(Request({0x37}), (Bytes{0x77}));
    EXPECT_EQ(ecu->DownloadedImage(), (Bytes{1, 2, 3, 4}));
}

} // namespace
