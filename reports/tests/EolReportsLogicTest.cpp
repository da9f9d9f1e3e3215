// The EOL results page: the result words and list, the verdict on the shared
// pass rule with the end-of-line marker, the VIN for the report, and the page's
// events (activation, the system-tag choice, Save).
#include "EolReportsLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "EolPassRule.h"
#include "LanguageTable.h"
#include "Matchers.h"
#include "PageBench.h"
#include "PageHostTable.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "LocalTime.h"
#include "PdfKit.h"

#include "SimEcuData.h"
#include "SimTrailer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;

namespace {

// Stands in for the system-tag page: notes each update message and the
// choice flag as it stood when the message came.
class SystemTagWindow : public tarvel::MessageTarget {
public:
    SystemTagWindow() { tarvel::RegisterWindow(tarvel::WindowSlot::SystemTagDialog, this); }
    bool HandleAppMessage(int message) override
    {
        messages.push_back(message);
        flagWhenSent.push_back(PrintSystemTagToo);
        return true;
    }
    std::vector<int> messages;
    std::vector<int> flagWhenSent;
};

void AllResults(int32_t value)
{
    for (int i = 0; i < EolResultFlagCount; ++i) *EolResultFlags()[i] = value;
}

class EolReportsPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        trailer.AttachTo(*bench.ecu);
        ASSERT_TRUE(LoadPdfLanguageConfig());
        SystemForm = "4S2M";
    }
    ABSEOLReportsLogic& Page() { return *dynamic_cast<ABSEOLReportsLogic*>(bench.pages.Logic(tarvel::TabEolReports)); }
    std::string Ui(int row) const { return bench.Context().texts.Text(row); }
    // The requests since the last clear, without the keep-alive.
    std::vector<std::vector<uint8_t>> PageRequests() const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : bench.Requests())
            if (r.empty() || r[0] != 0x3E) out.push_back(r);
        return out;
    }
    // The marker's requests with the key's bytes left out.
    static std::vector<std::vector<uint8_t>> WithoutKey(std::vector<std::vector<uint8_t>> requests)
    {
        for (auto& r : requests)
            if (r.size() == 6 && r[0] == 0x27 && r[1] == 0x02) r.resize(2);
        return requests;
    }
    static std::vector<std::vector<uint8_t>> PassRequests()
    {
        return {Bytes("22 F1 90"), Bytes("10 03"), Bytes("27 01"), Bytes("27 02"), Bytes("2E 00 94 01")};
    }

    tarvel_test::PageBench bench;
    sim::SimTrailer trailer{bench.clock};
};

// ---- Words, list and verdict (no link needed) ----

TEST_F(EolReportsPage, TheVerdictFollowsTheSharedRule)
{
    struct Case {
        const char* name;
        std::function<void()> set;
        int verdict;
        int wordRow;
    };
    const std::vector<Case> cases = {
        {"all passed", [] {}, 1, 40},
        {"brake lamp skipped twice", [] { BrakeLampTestEnabled = 1; EolBrakeLampOnResult = EolBrakeLampOffResult = 2; }, 1, 40},
        {"brake lamp 0, its test off", [] { BrakeLampTestEnabled = 0; EolBrakeLampOnResult = 0; }, 0, 39},
        {"brake lamp -1, its test off", [] { BrakeLampTestEnabled = 0; EolBrakeLampOnResult = EolBrakeLampOffResult = -1; }, 1, 40},
        {"brake lamp -1, its test on", [] { BrakeLampTestEnabled = 1; EolBrakeLampOnResult = -1; }, -1, 42},
        {"fault check failed", [] { EolDtcResult = 0; }, 0, 39},
        {"fault check not run", [] { EolDtcResult = -1; }, -1, 42},
        {"valve on, open failed", [] { UnderwaterValveTestEnabled = 1; EolValveOpenResult = 0; }, 0, 39},
        {"height sensor variant, not run", [] { HeightSensorCalibrationEnabled = 1; EolHeightSensorResult = -1; }, -1, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AllResults(EolPassed);
        BrakeLampTestEnabled = HeightSensorCalibrationEnabled = UnderwaterValveTestEnabled = 0;
        c.set();
        EolVerdict = 7;
        Page().FillEolResultList();
        EXPECT_EQ(EolVerdict, c.verdict);
        EXPECT_EQ(EolVerdictWord, PdfText(c.wordRow));
    }
    EXPECT_TRUE(bench.Requests().empty()) << "offline: no marker is written";
    EXPECT_EQ(EolPassedFlag, 0);
}

TEST_F(EolReportsPage, AnUnknownFormKeepsTheVerdict)
{
    SystemForm = "6S3M";
    AllResults(EolPassed);
    Page().FillEolResultList();
    EXPECT_EQ(EolVerdict, -1);
    EXPECT_EQ(EolVerdictWord, PdfText(42));
    EolVerdict = 0;
    Page().FillEolResultList();
    EXPECT_EQ(EolVerdict, 0);
    EXPECT_EQ(EolVerdictWord, PdfText(39));
}

TEST_F(EolReportsPage, TheVerdictPassesExactlyWhenTheFinalGateDoesWithFaultCheckAndValvesPassed)
{
    // Every equipment flag the rule reads, each on and off on its own.
    int32_t* const equipmentFlags[] = {&BrakeLampTestEnabled,          &LiftingAxleTestEnabled,
                                       &LiftingSensorCalibrationEnabled, &HeightSensorCalibrationEnabled,
                                       &UnderwaterValveTestEnabled,      &LiftingAxleCalibrationEnabled};
    const char* const equipmentNames[] = {"brake-lamp test",    "lifting-axle test",     "lifting-sensor calibration",
                                          "height calibration", "underwater-valve test", "lifting-axle calibration"};
    constexpr int kEquipmentFlags = sizeof(equipmentFlags) / sizeof(equipmentFlags[0]);
    // The verdict the gate's outcome stands for; one no test writes leaves it.
    constexpr int kUntouched = 7;
    const auto verdictOf = [](EolRuleOutcome gate) {
        switch (gate) {
        case EolRuleOutcome::Pass: return 1;
        case EolRuleOutcome::Fail: return 0;
        case EolRuleOutcome::Incomplete: return -1;
        default: return kUntouched;
        }
    };

    std::vector<std::string> mismatches;
    for (int equipment = 0; equipment < (1 << kEquipmentFlags); ++equipment) {
        std::string described;
        for (int b = 0; b < kEquipmentFlags; ++b)
            if (equipment & (1 << b)) described += std::string(" ") + equipmentNames[b] + ",";
        if (described.empty()) described = " nothing";
        int passes = 0;
        int others = 0;
        for (const char* form : {"2S2M", "4S2M", "4S3M"})
            for (int i = 0; i < EolResultFlagCount; ++i)
                for (int32_t v : {-1, 0, 1, 2}) {
                    SystemForm = form;
                    AllResults(EolPassed);
                    *EolResultFlags()[i] = v;
                    EolDtcResult = EolValveOpenResult = EolValveCloseResult = EolPassed;
                    for (int b = 0; b < kEquipmentFlags; ++b) *equipmentFlags[b] = (equipment >> b) & 1;
                    const EolRuleOutcome gate = EvaluateEolPassRule(EolResultValuesNow(), SystemForm,
                                                                    EolEquipmentNow(), EolRuleScope::FinalGate);
                    EolVerdict = kUntouched;
                    Page().FillEolResultList();
                    if (EolVerdict != verdictOf(gate))
                        mismatches.push_back(std::string(form) + " " + EolResultTable()[i].name + " = " +
                                             std::to_string(v) + ", with" + described + ": gate " +
                                             EolRuleOutcomeName(gate) + ", verdict " + std::to_string(EolVerdict));
                    (gate == EolRuleOutcome::Pass ? passes : others) += 1;
                }
        // Each combination decides both ways, so the comparison means something.
        EXPECT_GT(passes, 0) << "with" << described;
        EXPECT_GT(others, 0) << "with" << described;
    }
    EXPECT_EQ(mismatches.size(), 0u);
    for (size_t k = 0; k < std::min<size_t>(mismatches.size(), 10); ++k) ADD_FAILURE() << mismatches[k];
    EXPECT_TRUE(bench.Requests().empty()) << "offline: no marker is written";
}

TEST_F(EolReportsPage, WordsAndListOfATwoSensorSystem)
{
    SystemForm = "2S2M";
    AllResults(EolPassed);
    EolSensor3Result = EolSensor4Result = 0; // not on this system
    EolModulator3Word = EolPressure5Word = EolPressure6Word = "kept";
    BrakeLampTestEnabled = 1;
    EolBrakeLampOnResult = 1;
    EolBrakeLampOffResult = 2;
    LiftingAxleTestEnabled = LiftingSensorCalibrationEnabled = 1;
    LiftingAxleCalibrationEnabled = 0;
    UnderwaterValveTestEnabled = 0;
    EolValveOpenResult = 1;
    EolValveCloseResult = -1;
    Page().FillEolResultList();

    EXPECT_EQ(EolSensor3Word, PdfText(41));
    EXPECT_EQ(EolSensor4Word, PdfText(41));
    EXPECT_EQ(EolModulator3Word, "kept");
    EXPECT_EQ(EolPressure5Word, "kept");
    EXPECT_EQ(EolPressure6Word, "kept");
    EXPECT_EQ(EolBrakeLampOnWord, PdfText(40));
    EXPECT_EQ(EolBrakeLampOffWord, PdfText(41));
    EXPECT_EQ(EolLiftingAxleWord, PdfText(41)); // its calibration is off
    EXPECT_EQ(EolLiftingSensorWord, PdfText(40));
    EXPECT_EQ(EolValveOpenWord, PdfText(41));
    EXPECT_EQ(EolValveCloseWord, PdfText(38));
    EXPECT_THAT(Page().State().resultLines,
                ElementsAre("√ -- " + Ui(67), "", "√ -- " + Ui(68), "", "! -- " + Ui(448), "", "√ -- " + Ui(69), "",
                            "√ -- " + Ui(70), "", "√ -- " + Ui(71), "", "√ -- " + Ui(24), "", "√ -- " + Ui(72)));

    // A value no test writes: "---" for the brake lamp, other words kept.
    EolBrakeLampOnResult = 5;
    EolVoltageResult = 5;
    Page().FillEolResultList();
    EXPECT_EQ(EolBrakeLampOnWord, "---");
    EXPECT_EQ(EolVoltageWord, PdfText(40));
}

TEST_F(EolReportsPage, ListOfAFullSystem)
{
    SystemForm = "4S3M";
    AllResults(EolPassed);
    EolPressure6Result = 0;
    EolSensor4Result = -1;
    BrakeLampTestEnabled = 0;
    LiftingAxleTestEnabled = 0;
    LiftingSensorCalibrationEnabled = 1;
    HeightSensorCalibrationEnabled = 1;
    UnderwaterValveTestEnabled = 1;
    EolValveCloseResult = -1;
    EolDtcResult = 0;
    Page().FillEolResultList();
    EXPECT_THAT(Page().State().resultLines,
                ElementsAre("√ -- " + Ui(67), "", "√ -- " + Ui(68), "", "? -- " + Ui(69), "", "× -- " + Ui(70), "",
                            "√ -- " + Ui(71), "", "√ -- " + Ui(488), "", "√ -- " + Ui(297), "", "? -- " + Ui(580), "",
                            "× -- " + Ui(72)));
    EXPECT_EQ(EolValveOpenWord, PdfText(40));
    EXPECT_EQ(EolModulator3Word, PdfText(40));
    EXPECT_EQ(EolPressure6Word, PdfText(39));
    EXPECT_EQ(EolVerdict, 0);
}

TEST_F(EolReportsPage, TheSensorAndPressureLinesTakeTheFlagsOfTheForm)
{
    // A form the page does not know lists sensors 1, 2 and modulators 1, 2
    // and pressures 1 to 4, as a two-sensor system does.
    struct Case {
        const char* form;
        int32_t* flag; // set to `value`; null: every flag passed
        int32_t value;
        const char* sensorPrefix;
        const char* pressurePrefix;
    };
    const Case cases[] = {
        {"6S3M", nullptr, 0, "√ -- ", "√ -- "},
        {"6S3M", &EolSensor1Result, 0, "× -- ", "√ -- "},
        {"6S3M", &EolSensor2Result, -1, "? -- ", "√ -- "},
        {"6S3M", &EolModulator1Result, -1, "? -- ", "√ -- "},
        {"6S3M", &EolModulator2Result, 0, "× -- ", "√ -- "},
        {"6S3M", &EolSensor3Result, 0, "√ -- ", "√ -- "},
        {"6S3M", &EolSensor4Result, -1, "√ -- ", "√ -- "},
        {"6S3M", &EolModulator3Result, 0, "√ -- ", "√ -- "},
        {"6S3M", &EolPressure4Result, 0, "√ -- ", "× -- "},
        {"6S3M", &EolPressure5Result, 0, "√ -- ", "√ -- "},
        {"6S3M", &EolPressure6Result, -1, "√ -- ", "√ -- "},
        {"", &EolSensor3Result, 0, "√ -- ", "√ -- "},
        {"4s3m", &EolModulator2Result, 0, "× -- ", "√ -- "},
        {"2S2M", &EolSensor4Result, 0, "√ -- ", "√ -- "},
        {"2S2M", &EolModulator2Result, -1, "? -- ", "√ -- "},
        {"4S2M", &EolSensor4Result, 0, "× -- ", "√ -- "},
        {"4S2M", &EolModulator3Result, 0, "√ -- ", "√ -- "},
        {"4S2M", &EolPressure6Result, 0, "√ -- ", "√ -- "},
        {"4S3M", &EolModulator3Result, -1, "? -- ", "√ -- "},
        {"4S3M", &EolPressure5Result, 0, "√ -- ", "× -- "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases) + ", form \"" + c.form + "\"");
        SystemForm = c.form;
        AllResults(EolPassed);
        if (c.flag) *c.flag = c.value;
        BrakeLampTestEnabled = LiftingAxleTestEnabled = LiftingSensorCalibrationEnabled = 0;
        HeightSensorCalibrationEnabled = UnderwaterValveTestEnabled = LiftingAxleCalibrationEnabled = 0;
        Page().FillEolResultList();
        EXPECT_THAT(Page().State().resultLines,
                    ElementsAre("√ -- " + Ui(67), "", "√ -- " + Ui(68), "", c.sensorPrefix + Ui(69), "",
                                c.pressurePrefix + Ui(70), "", "√ -- " + Ui(71), "", "√ -- " + Ui(72)));
    }

    // An unknown form leaves the words of sensors 3, 4, modulator 3 and
    // pressures 5, 6 as they were; the others follow their flags.
    SystemForm = "6S3M";
    AllResults(EolFailed);
    EolSensor3Word = EolSensor4Word = EolModulator3Word = EolPressure5Word = EolPressure6Word = "kept";
    Page().FillEolResultList();
    for (const std::string* word :
         {&EolSensor3Word, &EolSensor4Word, &EolModulator3Word, &EolPressure5Word, &EolPressure6Word})
        EXPECT_EQ(*word, "kept");
    EXPECT_EQ(EolSensor2Word, PdfText(39));
    EXPECT_EQ(EolModulator2Word, PdfText(39));
    EXPECT_EQ(EolPressure4Word, PdfText(39));
}

// ---- On the bench ----

TEST_F(EolReportsPage, APassWritesTheMarkerAtEveryActivation)
{
    ASSERT_TRUE(bench.Connect());
    AllResults(EolPassed);
    bench.ClearRequests();
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_THAT(WithoutKey(PageRequests()), ElementsAreArray(PassRequests()));
    EXPECT_EQ(EolVerdict, 1);
    EXPECT_EQ(EolPassedFlag, 1);
    EXPECT_EQ(trailer.EolMarker(), 1);
    EXPECT_EQ(ReportVin, sim::ecudata::kVin);
    EXPECT_THAT(Page().State().resultLines, testing::Each(testing::AnyOf("", testing::StartsWith("√ -- "))));
    EXPECT_EQ(bench.prompter.Count(), 0u);

    bench.ClearRequests();
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_THAT(WithoutKey(PageRequests()), ElementsAreArray(PassRequests()));
}

TEST_F(EolReportsPage, FailedOrIncompleteResultsOnlyReadTheVin)
{
    ASSERT_TRUE(bench.Connect());
    for (int32_t dtc : {EolFailed, EolNotTested}) {
        AllResults(EolPassed);
        EolDtcResult = dtc;
        bench.ClearRequests();
        Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
        EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 F1 90")));
        EXPECT_EQ(EolVerdict, dtc == EolFailed ? 0 : -1);
    }
    EXPECT_EQ(EolPassedFlag, 0);
}

TEST_F(EolReportsPage, ARefusedMarkerLeavesTheRunUnmarked)
{
    ASSERT_TRUE(bench.Connect());
    AllResults(EolPassed);
    bench.ecu->SetNegativeResponse(0x2E, 0x22);
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_EQ(EolVerdict, 1);
    EXPECT_EQ(EolVerdictWord, PdfText(40));
    EXPECT_EQ(EolPassedFlag, 0);
    EXPECT_EQ(trailer.EolMarker(), 0);
}

TEST_F(EolReportsPage, SaveWithoutALinkEvaluatesButSendsNothing)
{
    AllResults(EolPassed);
    int written = 0;
    Page().SetReportWriter([&](int) {
        Page().RefreshEolReportInputs();
        return ++written;
    });
    Page().Save("Ann", "7");
    EXPECT_EQ(written, 1);
    EXPECT_EQ(EolVerdict, 1);
    EXPECT_EQ(EolPassedFlag, 0);
    EXPECT_TRUE(bench.Requests().empty());
}

TEST_F(EolReportsPage, AnotherEcusVinResetsTheResultsBeforeTheyAreListed)
{
    ASSERT_TRUE(bench.Connect());
    AllResults(EolPassed);
    EolResultsVin = "WTARVEL0000000002";
    bench.ClearRequests();
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 F1 90")));
    EXPECT_EQ(EolVoltageResult, EolNotTested);
    EXPECT_EQ(EolVerdict, -1);
    EXPECT_EQ(EolPassedFlag, 0);
    EXPECT_EQ(EolResultsVin, sim::ecudata::kVin);
    ASSERT_EQ(bench.prompter.Count(), 1u);
    EXPECT_THAT(bench.prompter.Boxes()[0].text, HasSubstr("WTARVEL0000000002"));
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, Ui(74));
}

TEST_F(EolReportsPage, TheVinIsCutAtAZeroAndKeptWhenTheReadFails)
{
    ASSERT_TRUE(bench.Connect());
    const struct {
        std::vector<uint8_t> answer;
        std::string vin;
    } cases[] = {
        {{'A', 'B', 'C', 0, 'D', 'E'}, "ABC"},
        {{'S', 'H', 'O', 'R', 'T'}, "SHORT"},
        {std::vector<uint8_t>(20, 'V'), std::string(17, 'V')},
    };
    for (const auto& c : cases) {
        bench.ecu->RegisterDid(0xF190, c.answer, false, false, false);
        EXPECT_TRUE(Page().ReadVinForReport());
        EXPECT_EQ(ReportVin, c.vin);
    }
    bench.ecu->SetNegativeResponse(0x22, 0x31);
    EXPECT_FALSE(Page().ReadVinForReport());
    EXPECT_EQ(ReportVin, std::string(17, 'V'));
}

// ---- The page's events ----

TEST_F(EolReportsPage, WithoutALinkActivationOnlyShowsTheBox)
{
    SystemTagWindow tagPage;
    PrintSystemTagToo = 1;
    AllResults(EolPassed);
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    ASSERT_EQ(bench.prompter.Count(), 1u);
    EXPECT_THAT(bench.prompter.Boxes()[0], BoxIs(Ui(75), Ui(74)));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_TRUE(Page().State().resultLines.empty());
    EXPECT_FALSE(Page().State().systemTagTicked);
    EXPECT_TRUE(tagPage.messages.empty());
    EXPECT_EQ(EolVerdict, -1);
    EXPECT_TRUE(bench.Requests().empty());
}

TEST_F(EolReportsPage, TheStoredChoiceTicksTheBoxAndRefreshesTheSystemTag)
{
    SystemTagWindow tagPage;
    ASSERT_TRUE(bench.Connect());
    PrintSystemTagToo = 0;
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_FALSE(Page().State().systemTagTicked);
    EXPECT_TRUE(tagPage.messages.empty());
    PrintSystemTagToo = 1;
    Page().OnActivate(WM_ACTIVATE_EOLREPORTS);
    EXPECT_TRUE(Page().State().systemTagTicked);
    EXPECT_THAT(tagPage.messages, ElementsAre(WM_SYSTEMTAG_UPDATE));
}

TEST_F(EolReportsPage, TickingSendsTheUpdateBeforeTheChoiceIsStored)
{
    SystemTagWindow tagPage;
    PrintSystemTagToo = 0;
    Page().SystemTagChoice(true);
    EXPECT_THAT(tagPage.messages, ElementsAre(WM_SYSTEMTAG_UPDATE));
    EXPECT_THAT(tagPage.flagWhenSent, ElementsAre(0));
    EXPECT_EQ(PrintSystemTagToo, 1);
    EXPECT_TRUE(Page().State().systemTagTicked);
    Page().SystemTagChoice(false);
    EXPECT_EQ(tagPage.messages.size(), 1u);
    EXPECT_EQ(PrintSystemTagToo, 0);
    EXPECT_FALSE(Page().State().systemTagTicked);
}

TEST_F(EolReportsPage, SaveHandsBrandNameJobAndChoiceToTheWriter)
{
    struct Written {
        int brand;
        EolReportInputs inputs;
    };
    std::vector<Written> written;
    Page().SetReportWriter([&](int brand) {
        written.push_back({brand, Page().RefreshEolReportInputs()});
        return 1;
    });
    const std::pair<int, int> brands[] = {{1, 1}, {2, 2}, {0, 0}, {3, 0}, {-1, 0}};
    for (const auto& [logoMode, brand] : brands) {
        ReportLogoMode = logoMode;
        Page().SystemTagChoice(logoMode == 2);
        Page().Save("Tess Ter", "J-" + std::to_string(logoMode));
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written.back().brand, brand) << logoMode;
        EXPECT_EQ(written.back().inputs.testerName, "Tess Ter");
        EXPECT_EQ(written.back().inputs.jobNumber, "J-" + std::to_string(logoMode));
        EXPECT_EQ(written.back().inputs.printSystemTag, logoMode == 2);
    }
    EXPECT_EQ(written.size(), 5u);
}

TEST_F(EolReportsPage, ATickedBoxPutsTheBrakingSystemPlateFirst)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    std::string folder = (std::filesystem::temp_directory_path() / "tarvel-eolplate-XXXXXX").string();
    ASSERT_NE(mkdtemp(&folder[0]), nullptr);
    tarvel::ScopedLocalTime time({2024, 5, 3, 14, 5, 9});
    ReportVin = "WPLATE00000000001";
    AllResults(EolPassed);

    Page().SystemTagChoice(true);
    bench.files.QueueAnswer(folder + "/two.pdf");
    Page().Save("Tess", "J1");
    const pdfkit::PdfInfo two = pdfkit::Info(folder + "/two.pdf");
    ASSERT_EQ(two.pages, 2);
    EXPECT_GT(two.pageSizes[0].width, two.pageSizes[0].height); // the plate, landscape
    EXPECT_LT(two.pageSizes[1].width, two.pageSizes[1].height); // the results, portrait
    EXPECT_THAT(pdfkit::Text(folder + "/two.pdf", 1), HasSubstr(PdfText(2)));
    EXPECT_THAT(pdfkit::Text(folder + "/two.pdf", 2), HasSubstr(PdfText(25)));
    EXPECT_THAT(pdfkit::Text(folder + "/two.pdf", 2), HasSubstr("WPLATE00000000001"));
    EXPECT_EQ(bench.files.Requests().back().fileName, "WPLATE00000000001-2024-05-03 14-05-09.pdf");

    Page().SystemTagChoice(false);
    bench.files.QueueAnswer(folder + "/one.pdf");
    Page().Save("Tess", "J1");
    const pdfkit::PdfInfo one = pdfkit::Info(folder + "/one.pdf");
    ASSERT_EQ(one.pages, 1);
    EXPECT_LT(one.pageSizes[0].width, one.pageSizes[0].height);
    EXPECT_THAT(pdfkit::Text(folder + "/one.pdf"), testing::Not(HasSubstr(PdfText(2))));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

TEST_F(EolReportsPage, TheReportGetsTheWordsRemarksAndIdentification)
{
    SystemForm = "4S3M";
    EcuSupplierId = "SUPPLIER";
    ReportVin = "VIN123";
    AllResults(EolPassed);
    EolPressure2Result = EolFailed;
    EolPressureRemark2 = PdfText(53);
    EolSensorRemark7 = "modulator three";
    UnderwaterValveTestEnabled = 1;
    const EolReportInputs in = Page().RefreshEolReportInputs();
    EXPECT_EQ(in.vin, "VIN123");
    EXPECT_EQ(in.supplierId, "SUPPLIER");
    EXPECT_EQ(in.systemForm, "4S3M");
    EXPECT_EQ(in.verdictWord, PdfText(39));
    EXPECT_EQ(in.Word(EolReportItem::Pressure2), PdfText(39));
    EXPECT_EQ(in.Remark(EolReportItem::Pressure2), PdfText(53));
    EXPECT_EQ(in.Remark(EolReportItem::Modulator3), "modulator three");
    EXPECT_EQ(in.Word(EolReportItem::ValveClose), PdfText(40));
    EXPECT_EQ(in.underwaterValveTestEnabled, 1);
}

} // namespace
