// The program's own UDS client, through the adapter switch and the ControlCAN
// stand-in, against the simulated ECU on the virtual buses, on a virtual clock.
#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "LanguageTable.h"
#include "ControlCanStandin.h"
#include "Prompter.h"
#include "SimEcu.h"
#include "SimEcuClientStack.h"
#include "SimEcuData.h"
#include "SimWorld.h"
#include "UdsServices.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

class SimEcuEndToEnd : public ::testing::Test, protected SimEcuClientStack {
protected:
    void SetUp() override { Connect(sim::SimEcuConfig{}); }

    void Connect(const sim::SimEcuConfig& config)
    {
        Disconnect();
        ecu = std::make_unique<sim::SimEcu>(clock, config);
        ecu->AttachTo(world.Bus(0));
        ecu->AttachTo(world.Bus(1));
        tarvel::ResetCanAdapterForTest();
        standin::ControlCanReset();
        // Adapter row 0 (a ControlCAN adapter) at 500 kbit/s: channel 1.
        ASSERT_EQ(tarvel::OpenCanDevice(0, 0, 1, 0, 0, 0, 0), 1);
        tarvel::CanDeviceType = tarvel::CanAdapterRows()[0].TypeCode;
        tarvel::CanDeviceIndex = 0;
        tarvel::CanChannel = 1;
        ASSERT_EQ(tarvel::StartCanChannel(), 1);
        tarvel::SetCanPort(&port);
        tarvel::RequestCanId = tarvel::kUdsRequestCanId;
        tarvel::TestRunning = 0;
        tarvel::UdsQuiet = 0;
        tarvel::UdsTimeoutCount = 0;
        tarvel::ProgrammingSessionSeen = 0;
        LanguageIndex = 1;  // English status words in the fault list
        tarvel::SetUdsLanguageSource([] { return LanguageIndex; });
        tarvel::InitUdsLink();
        prompter.Clear();
    }

    void Disconnect()
    {
        if (tarvel::CanDeviceOpen > 0)
            tarvel::CloseCanDevice();
        tarvel::SetCanPort(nullptr);
        ecu.reset();
    }

    void TearDown() override
    {
        Disconnect();
        tarvel::ResetCanAdapterForTest();
        standin::ControlCanReset();
    }

    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> out;
        for (const auto& b : prompter.Boxes())
            out.push_back(b.caption + "|" + b.text);
        return out;
    }
};

TEST_F(SimEcuEndToEnd, ProbeAndIdentification)
{
    EXPECT_EQ(tarvel::UdsDiagnosticSessionControl(0x01), 1);
    Bytes out;
    ASSERT_EQ(tarvel::UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(out, sim::ecudata::Ascii(sim::ecudata::kSupplierId));
    EXPECT_EQ(tarvel::UdsResponseLength(), 7u);

    // The VIN needs consecutive frames after the tester's 30 00 05.
    ASSERT_EQ(tarvel::UdsReadByIdQuiet(0xF190, out), 1);
    ASSERT_GE(out.size(), 17u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 17), sim::ecudata::Ascii(sim::ecudata::kVin));
    // The system form for the pages that depend on it.
    ASSERT_EQ(tarvel::UdsReadById(0xF197, out), 1);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), sim::ecudata::Ascii("4S2M"));
    EXPECT_EQ(tarvel::UdsTesterPresent(), 1);
    EXPECT_TRUE(prompter.Boxes().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(SimEcuEndToEnd, FaultMemoryCountListAndClear)
{
    EXPECT_EQ(tarvel::UdsReadDtcCount(0x09), 3);
    EXPECT_EQ(tarvel::UdsReadDtcCount(0x01), 1);
    EXPECT_EQ(tarvel::UdsReadDtcByStatus(0x09),
              "0x5A0113；Current Fault**0xC11087；History Fault**0x4811；History Fault**");
    EXPECT_EQ(tarvel::UdsClearDtc(), 1);
    EXPECT_EQ(tarvel::UdsReadDtcCount(0x09), 0);
    EXPECT_EQ(tarvel::UdsReadDtcByStatus(0x09), " ；No Fault");
    EXPECT_TRUE(prompter.Boxes().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(SimEcuEndToEnd, SecurityAccessBothLevelsAndProtectedWrite)
{
    EXPECT_EQ(tarvel::UdsWriteById(0x0094, {0x01}), 0);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "The following negative response code received:DCM_E_SECURITYACCESSDENIED");

    tarvel::WriteDid0094Byte(1);
    EXPECT_EQ(ecu->WrittenDids()[0x0094], (Bytes{0x01}));
    EXPECT_TRUE(ecu->Unlocked(0x01));
    // Again: the unlock is repeated in the extended session.
    tarvel::WriteDid0094Byte(0);
    EXPECT_EQ(ecu->Did(0x0094), (Bytes{0x00}));

    EXPECT_EQ(tarvel::UdsDiagnosticSessionControl(0x02), 1);
    EXPECT_EQ(tarvel::UdsSecurityAccessLevel(3), 1);
    EXPECT_TRUE(ecu->Unlocked(0x09));
    EXPECT_EQ(prompter.Count(), 1u) << ::testing::PrintToString(BoxTexts());
}

TEST_F(SimEcuEndToEnd, TenKilobyteDownloadArrivesIdentical)
{
    sim::SimEcuConfig config;
    config.maxBlockLength = 34;  // 32 data bytes: 320 blocks, the counter wraps
    Connect(config);

    Bytes image(10 * 1024);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 7 + (i >> 9));

    ASSERT_EQ(tarvel::UdsDiagnosticSessionControl(0x03), 1);
    ASSERT_EQ(tarvel::UdsControlDtcSetting(0x02), 1);
    ASSERT_EQ(tarvel::UdsCommunicationControl(0x03, 0x03), 1);
    ASSERT_EQ(tarvel::UdsDiagnosticSessionControl(0x02), 1);
    ASSERT_EQ(tarvel::UdsSecurityAccessLevel(3), 1);
    const uint32_t address = 0x00020000;
    const uint32_t size = uint32_t(image.size());
    const uint32_t max = tarvel::UdsRequestDownload(address, size, {0x00, 0x02, 0x00, 0x00},
                                                    {0x00, 0x00, uint8_t(size >> 8), uint8_t(size)});
    ASSERT_EQ(max, 34u);
    const size_t block = max - 2;
    uint8_t counter = 1;
    for (size_t off = 0; off < image.size(); off += block, counter = uint8_t(counter + 1)) {
        Bytes data(image.begin() + off, image.begin() + std::min(image.size(), off + block));
        ASSERT_EQ(tarvel::UdsTransferData(int(data.size()), counter, data), 1) << off;
    }
    EXPECT_EQ(tarvel::UdsRequestTransferExit(), 1);
    EXPECT_EQ(ecu->DownloadedImage(), image);
    EXPECT_EQ(ecu->DownloadAddress(), address);

    const uint32_t crc = sim::ecudata::Crc32(image);
    Bytes status;
    ASSERT_EQ(tarvel::UdsRoutineControl8(0x02, 0x02,
                                         {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)},
                                         status),
              1);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status[0], 0x00);
    EXPECT_EQ(tarvel::UdsEcuReset(), 1);
    EXPECT_EQ(ecu->Session(), 0x01);
    EXPECT_TRUE(prompter.Boxes().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(SimEcuEndToEnd, InjectedFaultsReachTheTester)
{
    Bytes out;
    // Silence: the time-out box with the service's caption.
    ecu->SetNoAnswer(0x22, 1);
    const uint64_t start = clock.NowMs();
    EXPECT_EQ(tarvel::UdsReadById(0xF18A, out), 0);
    EXPECT_GE(clock.NowMs() - start, 3500u);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].caption, "ReadById (0x22)");
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");

    // A negative answer: the NRC box.
    prompter.Clear();
    ecu->SetNegativeResponse(0x22, 0x31, 1);
    EXPECT_EQ(tarvel::UdsReadById(0xF18A, out), 0);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].caption, "UDS negative response");
    EXPECT_EQ(prompter.Boxes()[0].text, "The following negative response code received:DCM_E_REQUESTOUTOFRANGE");

    // Pending answers longer than one response time-out in all: each one
    // restarts the wait, and the real answer arrives.
    prompter.Clear();
    ASSERT_EQ(tarvel::UdsDiagnosticSessionControl(0x03), 1);
    ecu->SetResponsePending(0x85, 2, 2000, 1);
    const uint64_t before = clock.NowMs();
    EXPECT_EQ(tarvel::UdsControlDtcSetting(0x02), 1);
    EXPECT_GE(clock.NowMs() - before, 4000u);

    // Short frames from the ECU are still understood.
    ecu->SetShortDlc(true);
    ASSERT_EQ(tarvel::UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), sim::ecudata::Ascii(sim::ecudata::kSupplierId));
    ecu->ClearFaults();

    // The second 50 02 is not taken as the answer to the next request.
    ecu->SetDuplicateProgrammingSessionAnswer(true);
    tarvel::ProgrammingSessionSeen = 0;
    EXPECT_EQ(tarvel::UdsDiagnosticSessionControl(0x02), 1);
    EXPECT_EQ(tarvel::UdsSecurityAccessLevel(3), 1);
    EXPECT_TRUE(prompter.Boxes().empty()) << ::testing::PrintToString(BoxTexts());
}

} // namespace
