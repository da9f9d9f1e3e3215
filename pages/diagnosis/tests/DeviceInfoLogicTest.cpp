// The ECU information page's logic against the simulated ECU on the page bench.
#include "DeviceInfoLogic.h"

#include "ParameterDefinitions.h"
#include "StoredParameters.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "WindowRegistry.h"

#include "SimEcu.h"
#include "SimEcuData.h"
#include "SimEcuProfile.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;
namespace ecudata = sim::ecudata;

const std::vector<std::vector<uint8_t>> kIdentificationReads = {
    Bytes("22 F1 8A"), Bytes("22 F1 92"), Bytes("22 F1 93"), Bytes("22 F1 94"),
    Bytes("22 F1 95"), Bytes("22 F1 97"), Bytes("22 F1 F4"), Bytes("22 F1 F5"),
};

// A window that writes down each message it receives, with what the bench
// had seen by then.
class RecordingWindow : public tarvel::MessageTarget {
public:
    RecordingWindow(const char* name, const tarvel_test::PageBench& bench, std::vector<std::string>& log)
        : name_(name), bench_(bench), log_(log)
    {
    }
    bool HandleAppMessage(int message) override
    {
        char text[96];
        std::snprintf(text, sizeof text, "%s 0x%x after %zu requests, %zu records, fault file %s", name_,
                      static_cast<unsigned>(message), bench_.Requests().size(), ParameterDidTable.size(),
                      ParameterFaultCodeFile.empty() ? "-" : "set");
        log_.push_back(text);
        return true;
    }

private:
    const char* name_;
    const tarvel_test::PageBench& bench_;
    std::vector<std::string>& log_;
};

class DeviceInfoLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logic.SetChangedObserver([this] { ++renders; });
        logic.OnResetForNewRun(); // loads the stored-parameter file
        ASSERT_EQ(StoredDidList.size(), 8u);
    }

    std::vector<std::string> PairTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& pair : logic.State().pairs)
            if (pair.shown)
                texts.push_back(pair.name + " " + pair.value);
        return texts;
    }

    tarvel_test::PageBench bench;
    DeviceInfoLogic logic{bench.Context()};
    int renders = 0;
};

TEST_F(DeviceInfoLogicTest, ReadInformationFillsEveryIdentityStringAndPairQuietly)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadInformation();

    EXPECT_EQ(bench.Requests(), kIdentificationReads);
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_EQ(EcuSupplierId, ecudata::kSupplierId);
    EXPECT_EQ(EcuHardwareNumber, ecudata::kHardwareNumber);
    EXPECT_EQ(EcuHardwareVersion, ecudata::kHardwareVersion);
    EXPECT_EQ(EcuSoftwareNumber, ecudata::kSoftwareNumber);
    EXPECT_EQ(EcuSoftwareVersion, ecudata::kSoftwareVersion);
    EXPECT_EQ(SystemForm, ecudata::kSystemForm);
    EXPECT_EQ(EcuIdentF1F4, ecudata::kIdentF1F4);
    EXPECT_EQ(EcuCalibrationVersion, ecudata::kCalibrationVersion);
    EXPECT_THAT(PairTexts(),
                ElementsAre("System Supplier: TRLK", "ECU Hardware Number: 4S2M-HW-0412", "ECU Hardware Version: H03.01",
                            "ECU Software Number: TEB-SW-2271", "ECU Software Version: V2.7.1",
                            "Brake System Form: 4S2M", "Supplier Identification: TE4S2M01",
                            "Calibration Version: 05"));
    EXPECT_FALSE(logic.State().reading);
    EXPECT_GT(renders, 0);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    // No definition files are chosen by the button.
    EXPECT_THAT(ParameterFaultCodeFile, IsEmpty());
}

TEST_F(DeviceInfoLogicTest, TrailingBlanksAreCutExceptFromF1F4AndF1F5)
{
    ASSERT_TRUE(bench.Connect());
    // Wider fields than the shipped file has, so the ECU can pad with blanks.
    for (auto& did : StoredDidList)
        if (did.DidNumber == "F197" || did.DidNumber == "F1F5")
            did.SubFields[0].BitLenth = 8 * 6;
    bench.ecu->RegisterDid(0xF197, ecudata::Ascii("4S3M  "));
    bench.ecu->RegisterDid(0xF1F4, ecudata::Ascii("ID 7    "));
    bench.ecu->RegisterDid(0xF1F5, ecudata::Ascii("05    "));
    bench.ecu->RegisterDid(0xF195, ecudata::Ascii("V2.7\t "));
    logic.OnReadInformation();
    EXPECT_EQ(SystemForm, "4S3M");
    EXPECT_EQ(EcuIdentF1F4, "ID 7    ");
    EXPECT_EQ(EcuCalibrationVersion, "05    ");
    EXPECT_EQ(EcuSoftwareVersion, "V2.7");
    EXPECT_EQ(logic.State().pairs[5].value, "4S3M  "); // shown as decoded
}

// ECUs pad their frames with 0x00, 0x55, 0xAA or else: only what the ECU
// announced is a value, so every padding gives the texts zeros give, and the
// definition files chosen by comparing them are the same.
TEST_F(DeviceInfoLogicTest, EveryPaddingGivesTheTextsZerosGive)
{
    ASSERT_TRUE(bench.Connect());
    // Answers shorter than their fields: in a single frame, and at the end
    // of a multi-frame answer.
    bench.ecu->RegisterDid(0xF1F5, ecudata::Ascii("5"));
    bench.ecu->RegisterDid(0xF197, ecudata::Ascii("4S2"));
    bench.ecu->RegisterDid(0xF192, ecudata::Ascii("4S2M-HW-04"));
    std::vector<std::vector<std::string>> shown;
    for (const uint8_t pad : {0x00, 0x55, 0xAA}) {
        SCOPED_TRACE(static_cast<int>(pad));
        bench.ecu->SetPadByte(pad);
        logic.OnReadInformation();
        shown.push_back(PairTexts());
        EXPECT_EQ(EcuCalibrationVersion, "5");
        EXPECT_EQ(SystemForm, "4S2");
        EXPECT_EQ(EcuHardwareNumber, "4S2M-HW-04");
        EXPECT_EQ(EcuSupplierId, ecudata::kSupplierId);
    }
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(shown[2], shown[0]);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, NotConnectedTheButtonAndTheActivateShowTheBoxAndSendNothing)
{
    logic.OnReadInformation();
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs(LanguageText(75), LanguageText(74)), BoxIs(LanguageText(75), LanguageText(74))));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_EQ(DeviceInfoAutoRead, 0);
    EXPECT_FALSE(logic.StatusTimer().IsRunning());
}

TEST_F(DeviceInfoLogicTest, UnansweredDidsShowTheirNameWithoutValue)
{
    ASSERT_TRUE(bench.Connect());
    bench.ecu->RemoveDid(0xF193);         // refused: 7F 22 31
    EcuHardwareVersion = "from the ECU before";
    logic.OnReadInformation();
    EXPECT_EQ(logic.State().pairs[2].name, "ECU Hardware Version:");
    EXPECT_THAT(logic.State().pairs[2].value, IsEmpty());
    EXPECT_THAT(EcuHardwareVersion, IsEmpty());
    EXPECT_EQ(logic.State().pairs[3].value, ecudata::kSoftwareNumber);
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, DidsWithOtherThanOneSubFieldDoNotShiftTheValues)
{
    ASSERT_TRUE(bench.Connect());
    // F192 with a second sub-field, F193 with none: every later DID still
    // shows its own value.
    _tagStoredDIDdesc_Sub_ extra = StoredDidList[1].SubFields[0];
    extra.SubDataName = "Second";
    extra.BitLenth = 16;
    StoredDidList[1].SubFields.push_back(extra);
    StoredDidList[2].SubFields.clear();
    logic.OnReadInformation();
    EXPECT_EQ(logic.State().pairs[1].value, ecudata::kHardwareNumber);
    EXPECT_EQ(EcuHardwareNumber, ecudata::kHardwareNumber);
    EXPECT_TRUE(logic.State().pairs[2].shown);
    EXPECT_THAT(logic.State().pairs[2].value, IsEmpty());
    EXPECT_THAT(EcuHardwareVersion, IsEmpty());
    EXPECT_EQ(logic.State().pairs[3].value, ecudata::kSoftwareNumber);
    EXPECT_EQ(EcuCalibrationVersion, ecudata::kCalibrationVersion);
}

TEST_F(DeviceInfoLogicTest, ElevenDidsAreAllReadTenAreShown)
{
    ASSERT_TRUE(bench.Connect());
    for (const char* number : {"F18C", "F190", "F18A"}) {
        _tagStoredDIDdesc_ did = StoredDidList[0];
        did.DidNumber = number;
        did.name = std::string("Extra ") + number;
        StoredDidList.push_back(did);
    }
    logic.OnReadInformation();
    EXPECT_EQ(bench.Requests().size(), 11u);
    EXPECT_EQ(bench.Requests().back(), Bytes("22 F1 8A"));
    EXPECT_EQ(PairTexts().size(), 10u);
    EXPECT_EQ(logic.State().pairs[9].name, "Extra F190:");
    EXPECT_EQ(EcuSupplierId, ecudata::kSupplierId);
}

TEST_F(DeviceInfoLogicTest, ReloadTellsTheMonitorFirstThenReadsThenSelectsThenTellsTheParametersPage)
{
    std::vector<std::string> log;
    RecordingWindow monitor("monitor", bench, log);
    RecordingWindow parameters("parameters", bench, log);
    tarvel::RegisterWindow(tarvel::WindowSlot::MonitorPage, &monitor);
    tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, &parameters);
    ASSERT_TRUE(bench.Connect());

    logic.OnDeviceInfoReload();
    EXPECT_THAT(log, ElementsAre("monitor 0x464 after 0 requests, 0 records, fault file -",
                                 "parameters 0x8be after 8 requests, 3 records, fault file set"));
    EXPECT_EQ(bench.Requests(), kIdentificationReads);
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_2.7.xml");
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_en.xml");
    EXPECT_FALSE(ParameterFaultCodeTable.empty());
    EXPECT_EQ(bench.prompter.Count(), 0u);

    // The alternate ECU has no rows of its own: the defaults.
    ecudata::InstallProfile(*bench.ecu, ecudata::EcuProfile::Alternate);
    logic.OnDeviceInfoReload();
    EXPECT_EQ(SystemForm, "4S3M");
    EXPECT_EQ(EcuCalibrationVersion, "03");
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml");
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_default_en.xml");
    ASSERT_EQ(ParameterDidTable.size(), 3u);
    EXPECT_EQ(ParameterDidTable[1].SubFields.back().ByteIndex, 83);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, UnansweredSupplierOnReloadShowsTheBoxAndSelectsNothing)
{
    std::vector<std::string> log;
    RecordingWindow parameters("parameters", bench, log);
    tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, &parameters);
    ASSERT_TRUE(bench.Connect());
    ParameterDidTable.resize(2); // what the parameters page had
    bench.ecu->SetNoAnswer(0x22, 1); // the first read, F18A, times out
    logic.OnDeviceInfoReload();

    EXPECT_EQ(bench.Requests(), kIdentificationReads);
    EXPECT_EQ(EcuIdentified, 0);
    EXPECT_THAT(EcuSupplierId, IsEmpty());
    EXPECT_EQ(EcuSoftwareVersion, ecudata::kSoftwareVersion);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(LanguageText(464), LanguageText(76))));
    EXPECT_THAT(ParameterFaultCodeFile, IsEmpty());
    EXPECT_EQ(ParameterDidTable.size(), 2u);
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(DeviceInfoLogicTest, ConnectingFillsThePageAtOnce)
{
    auto* shellLogic = dynamic_cast<DeviceInfoLogic*>(bench.pages.Logic(tarvel::TabDeviceInfo));
    ASSERT_NE(shellLogic, nullptr);
    // The view delivers the reload message to the page's logic.
    bench.pages.onMessage = [shellLogic](const std::string& line) {
        if (line == conntest::PageMsg(tarvel::TabDeviceInfo, WM_DEVICEINFO_RELOAD))
            shellLogic->OnDeviceInfoReload();
    };
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(shellLogic->State().pairs[0].value, ecudata::kSupplierId);
    EXPECT_EQ(EcuSupplierId, ecudata::kSupplierId);
    EXPECT_EQ(SystemForm, ecudata::kSystemForm);
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_en.xml");
    EXPECT_EQ(ParameterDidTable.size(), 3u);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

struct StatusCase {
    const char* name;
    std::vector<std::pair<uint32_t, uint8_t>> dtcs; // code, status
    int row;
    uint32_t colour;
};

class DeviceInfoStatusTest : public DeviceInfoLogicTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(DeviceInfoStatusTest, ActivateShowsTheFaultStatusAndRepeatsEvery5000Ms)
{
    ASSERT_TRUE(bench.Connect());
    bench.ecu->ClearDtcs();
    for (const auto& dtc : GetParam().dtcs)
        bench.ecu->AddDtc(dtc.first, dtc.second);
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);

    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("19 01 01"), Bytes("19 01 08")));
    EXPECT_EQ(logic.State().statusText, LanguageText(GetParam().row));
    EXPECT_EQ(logic.State().statusColour, GetParam().colour);
    EXPECT_EQ(DeviceInfoAutoRead, 1);
    ASSERT_TRUE(logic.StatusTimer().IsRunning());
    EXPECT_EQ(logic.StatusTimer().PeriodMs(), 5000u);

    bench.ClearRequests();
    bench.ecu->ClearDtcs();
    bench.Advance(5000); // the keep-alive's tick at 4000 ms, then the page's
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("3E 00"), Bytes("19 01 01"), Bytes("19 01 08")));
    EXPECT_EQ(logic.State().statusText, LanguageText(631));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceInfoStatusTest,
    ::testing::Values(StatusCase{"TwoFailingNowRed", {{0x501234, 0x09}, {0x501235, 0x01}}, 633, 0x0000FF},
                      StatusCase{"ConfirmedOnlyBlack", {{0x501236, 0x08}}, 634, 0x000000},
                      StatusCase{"NoneBlack", {}, 631, 0x000000}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST_F(DeviceInfoLogicTest, UnreadableCountStopsThePeriodicReadAndKeepsTheText)
{
    ASSERT_TRUE(bench.Connect());
    bench.ecu->ClearDtcs();
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    ASSERT_EQ(logic.State().statusText, LanguageText(631));
    bench.ClearRequests();

    bench.ecu->SetNegativeResponse(0x19, 0x31, 1);
    bench.Advance(5000);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("3E 00"), Bytes("19 01 01"), Bytes("19 01 08")));
    EXPECT_FALSE(logic.StatusTimer().IsRunning());
    EXPECT_EQ(logic.State().statusText, LanguageText(631));
    EXPECT_EQ(bench.prompter.Count(), 1u); // the refusal's own box

    bench.ClearRequests();
    bench.Advance(20000);
    for (const auto& request : bench.Requests())
        EXPECT_NE(request[0], 0x19);
}

TEST_F(DeviceInfoLogicTest, LeavingThePageEndsThePeriodicRead)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    ASSERT_TRUE(logic.StatusTimer().IsRunning());
    // The page switch clears the flag (and tells the pages to stop work).
    tarvel::StopRunningPageWork();
    logic.OnStopWork();
    bench.ClearRequests();
    bench.Advance(15000);
    for (const auto& request : bench.Requests())
        EXPECT_NE(request[0], 0x19);
    EXPECT_FALSE(logic.StatusTimer().IsRunning());
    EXPECT_EQ(DeviceInfoAutoRead, 0);
}

TEST_F(DeviceInfoLogicTest, ASecondReadWhileOneWaitsIsIgnored)
{
    ASSERT_TRUE(bench.Connect());
    // Each identification read waits 1000 ms for its answer; a click every
    // 300 ms lands inside those waits.
    bench.ecu->SetResponsePending(0x22, 1, 1000, -1);
    int clicks = 0;
    auto clicker = bench.timers.Create([&] {
        ++clicks;
        logic.OnReadInformation();
        logic.OnDeviceInfoReload();
    });
    clicker->Start(300);
    logic.OnReadInformation();
    clicker->Stop();

    EXPECT_GT(clicks, 8);
    EXPECT_EQ(bench.Requests(), kIdentificationReads);
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_EQ(EcuSupplierId, ecudata::kSupplierId);
    EXPECT_EQ(EcuCalibrationVersion, ecudata::kCalibrationVersion);
    EXPECT_EQ(logic.State().pairs[7].value, ecudata::kCalibrationVersion);
    EXPECT_FALSE(logic.State().reading);
    EXPECT_THAT(ParameterFaultCodeFile, IsEmpty());
}

TEST_F(DeviceInfoLogicTest, LinkLostDuringTheReloadEndsItWithoutSelecting)
{
    std::vector<std::string> log;
    RecordingWindow parameters("parameters", bench, log);
    tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, &parameters);
    ASSERT_TRUE(bench.Connect());
    bench.ecu->SetResponsePending(0x22, 1, 1000, -1);
    auto unplug = bench.timers.Create([&] { bench.Disconnect(); });
    unplug->Start(500); // while the first read waits
    logic.OnDeviceInfoReload();
    unplug->Stop();

    EXPECT_EQ(EcuConnected.load(), 0);
    // No further DID is asked for, and no "not identified" box for an ECU that is gone.
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8A")));
    EXPECT_THAT(EcuSupplierId, IsEmpty());
    EXPECT_THAT(EcuCalibrationVersion, IsEmpty());
    EXPECT_TRUE(logic.State().pairs[7].shown);
    EXPECT_THAT(ParameterFaultCodeFile, IsEmpty());
    EXPECT_THAT(log, IsEmpty());
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, LanguageChangeRecaptionsTheButtons)
{
    EXPECT_EQ(logic.State().readCaption, LanguageText(25));
    LanguageIndex = 0;
    ASSERT_TRUE(LoadLanguageConfig());
    logic.OnLanguageChanged();
    EXPECT_EQ(logic.State().readCaption, "读取信息");
    EXPECT_EQ(logic.State().faultMemoryCaption, LanguageText(632));
    EXPECT_EQ(logic.State().versionCaption, LanguageText(635));
}

TEST_F(DeviceInfoLogicTest, DisconnectForgetsWhatWasShown)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadInformation();
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    ASSERT_EQ(logic.State().pairs[0].value, ecudata::kSupplierId);

    // The shell tells every page in its order; this page is one of them.
    const int before = renders;
    logic.OnDisconnected();
    EXPECT_FALSE(logic.State().pairs[0].shown);
    EXPECT_THAT(logic.State().pairs[0].value, IsEmpty());
    EXPECT_THAT(logic.State().statusText, IsEmpty());
    EXPECT_EQ(DeviceInfoAutoRead, 0);
    EXPECT_FALSE(logic.StatusTimer().IsRunning());
    EXPECT_EQ(renders, before + 1);
}

TEST(DeviceInfoLogicLifetime, EndingThePageEmptiesItsTables)
{
    tarvel_test::PageBench bench;
    {
        DeviceInfoLogic logic(bench.Context());
        logic.OnResetForNewRun();
        FaultCodeMapping.resize(1);
        ASSERT_FALSE(StoredDidTable.empty());
    }
    EXPECT_THAT(StoredDidTable, IsEmpty());
    EXPECT_THAT(StoredDidList, IsEmpty());
    EXPECT_THAT(FaultCodeMapping, IsEmpty());
}

} // namespace
