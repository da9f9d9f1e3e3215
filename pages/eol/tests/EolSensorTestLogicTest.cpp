// The wheel-sensor and modulator page against the simulated trailer on the
// virtual clock: a simulated operator spins the wheel each prompt names,
// the page pulses the modulators and records the verdicts.
#include "EolBench.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolSensorTestLogic.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include "SimOperator.h"

#include <gmock/gmock.h>

#include <functional>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

// The preview as "lower/upper", hidden cells ".", shown ones "[text]".
std::string Row(const WheelPreviewCells& cells)
{
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i == 5)
            out += "/";
        out += cells[i].shown ? "[" + cells[i].text + "]" : ".";
    }
    return out;
}

// Every pump: the operator spins the wheel the page's prompt names, once per
// prompt shown; and an optional extra action runs once when its condition holds.
class OperatorPump : public tarvel::MessagePump {
public:
    OperatorPump(const EolSensorTestLogic*& page, sim::SimOperator& op) : page_(page), op_(op)
    {
        tarvel::SetPump(this);
    }
    ~OperatorPump() override { tarvel::SetPump(nullptr); }

    bool spinWheels = true;
    std::vector<unsigned> turned;
    std::function<bool()> when;
    std::function<void()> action;

    void PumpPending() override
    {
        if (page_) {
            const SensorTestState& state = page_->State();
            const bool stepPrompt = state.promptShown && !state.answerShown;
            if (stepPrompt && !spunForPrompt_ && spinWheels) {
                if (const unsigned wheel = op_.TurnWheelNamedIn(state.prompt))
                    turned.push_back(wheel);
                spunForPrompt_ = true;
            }
            if (!state.promptShown)
                spunForPrompt_ = false;
        }
        if (action && when && when()) {
            auto run = std::move(action);
            action = nullptr;
            run();
        }
    }

private:
    const EolSensorTestLogic*& page_;
    sim::SimOperator& op_;
    bool spunForPrompt_ = false;
};

class SensorPageTest : public eoltest::EolBenchTest {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        page = &Page();
    }
    EolSensorTestLogic& Page()
    {
        return *dynamic_cast<EolSensorTestLogic*>(bench.pages.Logic(tarvel::TabEolSensor));
    }
    // Connects a trailer of `form` and opens the page as the view does.
    void ConnectAs(sim::SimTrailer::TrailerForm form, const char* name, int32_t variant = 1)
    {
        trailer.SetForm(form);
        trailer.Set4S3MVariant(variant);
        ASSERT_TRUE(bench.Connect());
        SystemForm = name;
        DerivedSystemVariant = variant;
        ParameterChoice = 1;
        AxleCount = 2;
        AxleFeatureFlags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
        Page().OnActivate(WM_ACTIVATE_EOLSENSOR_PREPARE);
        Page().OnActivate(WM_ACTIVATE_EOLSENSOR);
        bench.ClearRequests();
        bench.prompter.Clear();
    }
    std::vector<std::vector<uint8_t>> Pulses() const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : bench.Requests())
            if (r.size() >= 3 && r[0] == 0x2F && r[1] == 0x00 && r[2] == 0x01)
                out.push_back(r);
        return out;
    }
    size_t Count(const std::vector<uint8_t>& request) const
    {
        size_t n = 0;
        for (const auto& r : bench.Requests())
            n += r == request;
        return n;
    }
    std::array<int32_t, 7> Results() const
    {
        return {EolSensor1Result, EolSensor2Result, EolSensor3Result, EolSensor4Result,
                EolModulator1Result, EolModulator2Result, EolModulator3Result};
    }

    const EolSensorTestLogic* page = nullptr;
    sim::SimOperator op{trailer};
    OperatorPump pumpOp{page, op};
};

TEST_F(SensorPageTest, FourSensorTwoModulatorClockwiseOrderPasses)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k4S2M, "4S2M");
    EXPECT_EQ(page->State().layout, "4S2M");
    EXPECT_EQ(Row(page->State().preview), ".[c].[e]./.[d].[f].");

    Page().AutomaticTest();
    EXPECT_EQ(EolTestIdle.load(), 0);
    EXPECT_TRUE(page->State().orderShown) << "four sensors: the operator picks the order";
    EXPECT_EQ(page->State().instruction, UiText(250));
    Page().RunSensorChain(true);

    EXPECT_EQ(Results(), (std::array<int32_t, 7>{1, 1, 1, 1, 1, 1, -1}));
    EXPECT_EQ(pumpOp.turned, (std::vector<unsigned>{1, 2, 4, 3}));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
    EXPECT_THAT(Pulses(), ElementsAre(Bytes("2F 00 01 03 10 FF 00"), Bytes("2F 00 01 03 01 FF 00"),
                                      Bytes("2F 00 01 03 01 FF 00"), Bytes("2F 00 01 03 10 FF 00")));
    // Each pulse is followed by TesterPresent.
    const auto requests = bench.Requests();
    for (size_t i = 0; i < requests.size(); ++i)
        if (requests[i].size() > 2 && requests[i][0] == 0x2F) {
            ASSERT_LT(i + 1, requests.size());
            EXPECT_EQ(requests[i + 1], Bytes("3E 00"));
        }
    EXPECT_EQ(Count(Bytes("10 03")), 4u) << "one session per wheel";
    EXPECT_EQ(Count(Marker0()), 0u);
    // The last wheel of the order (sensor 3) turned; the others stood still.
    EXPECT_EQ((std::array<int32_t, 4>{WheelTurnFlag1, WheelTurnFlag2, WheelTurnFlag3, WheelTurnFlag4}),
              (std::array<int32_t, 4>{0, 0, 1, 0}));
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_TRUE(page->Common().startEnabled);
    EXPECT_FALSE(page->Common().exitEnabled);
    EXPECT_EQ(page->Common().pictures,
              (std::vector<EolPicture>{EolPicture::Passed, EolPicture::Passed, EolPicture::Passed, EolPicture::Passed,
                                       EolPicture::Passed, EolPicture::Passed, EolPicture::Idle}));
}

TEST_F(SensorPageTest, FourSensorThreeModulatorVariantsPassBothOrders)
{
    for (int32_t variant : {0, 1}) {
        for (bool clockwise : {true, false}) {
            SCOPED_TRACE(std::to_string(variant) + (clockwise ? " clockwise" : " anticlockwise"));
            ConnectAs(sim::SimTrailer::TrailerForm::k4S3M, "4S3M", variant);
            pumpOp.turned.clear();
            Page().AutomaticTest();
            Page().RunSensorChain(clockwise);
            EXPECT_EQ(Results(), (std::array<int32_t, 7>{1, 1, 1, 1, 1, 1, 1}));
            EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
            bench.Disconnect();
            bench.Advance(31000); // the wheels come to rest
        }
    }
}

TEST_F(SensorPageTest, AMiswiredModulatorFailsItsRowWithTheMarker)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k4S2M, "4S2M");
    trailer.MiswireModulator(0x01, 0x10); // the right-hand pulse brakes the left side
    Page().AutomaticTest();
    Page().RunSensorChain(true);

    // Row 1 (sensor 1, modulator 1) passes; row 2 (sensor 2, modulator 2) fails.
    EXPECT_EQ(EolSensor1Result, 1);
    EXPECT_EQ(EolModulator1Result, 1);
    EXPECT_EQ(EolSensor2Result, 0);
    EXPECT_EQ(EolModulator2Result, 0);
    EXPECT_EQ(EolSensor3Result, -1);
    EXPECT_EQ(EolSensor4Result, -1);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(197), UiText(76))));
    EXPECT_GE(Count(Marker0()), 1u);
    EXPECT_EQ(trailer.EolMarker(), 0);
    EXPECT_EQ(Pulses().size(), 2u) << "the order ends at the failed row";
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_FALSE(page->State().orderShown);
}

TEST_F(SensorPageTest, ExitDuringARowStopsAtOnceAndRecordsNothing)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k4S2M, "4S2M");
    Page().AutomaticTest();
    // Exit while the second wheel is being searched for.
    pumpOp.when = [&] { return pumpOp.turned.size() == 2; };
    pumpOp.action = [&] { Page().ExitTest(); };
    const size_t pulsesBefore = trailer.ModulatorPulses();
    Page().RunSensorChain(true);

    EXPECT_TRUE(pumpOp.action == nullptr) << "Exit was pressed";
    EXPECT_EQ(trailer.ModulatorPulses() - pulsesBefore, 1u) << "no pulse after Exit";
    EXPECT_EQ(Pulses().size(), 1u);
    EXPECT_EQ(Results(), (std::array<int32_t, 7>{-1, -1, -1, -1, -1, -1, -1}));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(Count(Marker0()), 0u);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(SensorTestActive, 0);
    // Nothing more happens later.
    bench.Advance(30000);
    EXPECT_EQ(Pulses().size(), 1u);
}

TEST_F(SensorPageTest, ADisconnectDuringTheAnswerWaitEndsTheStep)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    pumpOp.spinWheels = false;
    Page().ManualTest();
    pumpOp.when = [&] { return page->State().answerShown; };
    pumpOp.action = [&] { bench.Disconnect(); };
    Page().RunManualSensorStep(0);
    EXPECT_TRUE(pumpOp.action == nullptr);
    EXPECT_EQ(EolSensor1Result, -1);
    EXPECT_EQ(EolModulator1Result, -1);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(SensorTestAwaitingAnswer, 0);
}

TEST_F(SensorPageTest, TwoSensorAutomaticRunsClockwiseAtOnce)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    Page().AutomaticTest();
    EXPECT_EQ(pumpOp.turned, (std::vector<unsigned>{1, 2}));
    EXPECT_EQ(Results(), (std::array<int32_t, 7>{1, 1, 1, 1, 1, 1, -1}));
    EXPECT_THAT(Pulses(), ElementsAre(Bytes("2F 00 01 03 10 FF 00"), Bytes("2F 00 01 03 01 FF 00")));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
    // Only 0x0010 and 0x0011 are read for a two-sensor trailer.
    EXPECT_EQ(Count(Bytes("22 00 12")), 0u);
}

// Every row passes its own check, but a second wheel turned during the first
// row, so its sensor failed: the order ends with the failed box and idle.
TEST_F(SensorPageTest, AnOrderWhoseRowsPassButNotEveryResultEndsFailed)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    pumpOp.when = [&] { return page->State().promptShown && !pumpOp.turned.empty(); };
    pumpOp.action = [&] { op.TurnWheel(2); };
    Page().AutomaticTest();

    EXPECT_TRUE(pumpOp.action == nullptr) << "the second wheel was turned";
    EXPECT_EQ(EolSensor1Result, 0) << "another wheel turned as well";
    EXPECT_EQ(EolSensor2Result, 1);
    EXPECT_EQ(EolModulator1Result, 1);
    EXPECT_EQ(EolModulator2Result, 1);
    EXPECT_EQ(Pulses().size(), 2u) << "both rows ran";
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(189), UiText(76))));
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_TRUE(page->Common().startEnabled);
    EXPECT_FALSE(page->Common().exitEnabled);
}

TEST_F(SensorPageTest, ManualTwoSensorNoWheelTurnedAndCanNotTurn)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    pumpOp.spinWheels = false;
    Page().ManualTest();
    EXPECT_TRUE(page->State().stepShown[0]);
    EXPECT_TRUE(page->State().stepShown[1]);
    EXPECT_FALSE(page->State().stepShown[2]);
    EXPECT_EQ(page->State().stepCaption[0], UiText(241));
    pumpOp.when = [&] { return page->State().answerShown; };
    pumpOp.action = [&] {
        EXPECT_EQ(page->State().prompt, UiText(270));
        Page().AnswerTurn(false);
    };
    Page().RunManualSensorStep(0);

    EXPECT_TRUE(pumpOp.action == nullptr) << "the operator was asked";
    EXPECT_EQ(EolSensor1Result, 0);
    EXPECT_EQ(EolModulator1Result, 0);
    EXPECT_EQ(EolSensorRemark1, UiText(252));
    EXPECT_EQ(EolSensorRemark5, UiText(256));
    EXPECT_EQ(Count(Marker0()), 1u) << "one marker for the evaluation";
    EXPECT_EQ(Pulses().size(), 0u);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(EolTestIdle.load(), 0) << "sensor 2 has no verdict yet";
}

// Exit after a failed wheel: the results of the form and their remarks go back
// to not tested together (no failure text beside a "not run"), while the
// pictures keep showing what the operator saw.
TEST_F(SensorPageTest, ExitAfterAFailedWheelResetsResultsWithTheirRemarksAndKeepsThePictures)
{
    struct Case {
        const char* name;
        sim::SimTrailer::TrailerForm form;
        const char* formName;
        std::function<void()> failWheel;
        std::function<std::string*()> remark; // the remark the failure wrote
    };
    const Case cases[] = {
        {"2S2M, wheel c cannot turn", sim::SimTrailer::TrailerForm::k2S2M, "2S2M",
         [&] {
             pumpOp.spinWheels = false;
             pumpOp.when = [&] { return page->State().answerShown; };
             pumpOp.action = [&] { Page().AnswerTurn(false); };
             Page().RunManualSensorStep(0);
         },
         [] { return &EolSensorRemark1; }},
        {"4S3M, wheel e keeps turning through the third modulator's pulse", sim::SimTrailer::TrailerForm::k4S3M,
         "4S3M",
         [&] {
             trailer.SetWheelKeepsTurning(3);
             Page().RunManualSensorStep(2);
         },
         [] { return &EolSensorRemark7; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectAs(c.form, c.formName);
        pumpOp.spinWheels = true;
        Page().ManualTest();
        c.failWheel();
        ASSERT_TRUE(page->Running()) << "other wheels still wait for their verdict";
        ASSERT_NE(*c.remark(), "-");
        const std::vector<EolPicture> pictures = page->Common().pictures;
        ASSERT_NE(std::count(pictures.begin(), pictures.end(), EolPicture::Failed), 0);

        Page().ExitTest();

        EXPECT_EQ(Results(), (std::array<int32_t, 7>{-1, -1, -1, -1, -1, -1, -1}));
        for (std::string* remark : {&EolSensorRemark1, &EolSensorRemark2, &EolSensorRemark3, &EolSensorRemark4,
                                    &EolSensorRemark5, &EolSensorRemark6, &EolSensorRemark7})
            EXPECT_EQ(*remark, "-");
        EXPECT_EQ(page->Common().pictures, pictures) << "Exit keeps the pictures";
        EXPECT_FALSE(page->Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        bench.Disconnect();
        bench.Advance(31000); // the wheels come to rest
        trailer.ClearDefects();
    }
}

TEST_F(SensorPageTest, ManualRunEndsWhenEveryWheelIsJudged)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    Page().ManualTest();
    Page().RunManualSensorStep(1);
    EXPECT_EQ(EolTestIdle.load(), 0);
    Page().RunManualSensorStep(0);
    EXPECT_EQ(Results(), (std::array<int32_t, 7>{1, 1, 1, 1, 1, 1, -1}));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
    EXPECT_EQ(EolTestIdle.load(), 1);
}

TEST_F(SensorPageTest, AFailedReadGivesNoVerdict)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    trailer.FailWheelSpeedRead(2, 1); // the second read of 0x0011 answers without data
    Page().ManualTest();
    Page().RunManualSensorStep(0);
    EXPECT_EQ(EolSensor1Result, -1);
    EXPECT_EQ(EolModulator1Result, -1);
    EXPECT_EQ(page->State().remark, UiText(269));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty()) << "both flags were set before the failure";
    EXPECT_EQ(Pulses().size(), 0u);
    EXPECT_EQ(Count(Marker0()), 0u);
}

TEST_F(SensorPageTest, AWheelThatKeepsTurningFailsItsModulator)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    trailer.SetWheelKeepsTurning(1);
    Page().AutomaticTest();
    EXPECT_EQ(EolSensor1Result, 0) << "a failed row sets both results to 0";
    EXPECT_EQ(EolModulator1Result, 0);
    EXPECT_EQ(WheelTurnFlag1, 1);
    EXPECT_EQ(ModulatorState1, 0);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(197), UiText(76))));
    EXPECT_EQ(Pulses().size(), 1u);
}

TEST_F(SensorPageTest, TooFastOrSwappedWheels)
{
    // Too fast: never counts as turning; the automatic detection finds no wheel.
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    trailer.SetWheelSpinRaw(1, 1887);
    Page().AutomaticTest();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(192), UiText(76)), BoxIs(UiText(197), UiText(76))));
    EXPECT_EQ(EolSensor1Result, 0);
    bench.Disconnect();
    bench.Advance(31000);

    // Swapped sensors: turning wheel c shows on sensor 2.
    trailer.SetWheelSpinRaw(1, 1886);
    trailer.SwapWheelSensors(1, 2);
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    Page().AutomaticTest();
    EXPECT_EQ(EolSensor1Result, 0);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(197), UiText(76))));
}

TEST_F(SensorPageTest, FormChoiceAndUnknownForm)
{
    ASSERT_TRUE(bench.Connect());
    SystemForm = "";
    Page().OnActivate(WM_ACTIVATE_EOLSENSOR_PREPARE);
    EXPECT_TRUE(page->State().formChoiceShown);
    EXPECT_EQ(page->State().layout, "");
    // Automatic Test with no form: back to idle after the set-up wait.
    Page().AutomaticTest();
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_FALSE(page->Running());

    Page().ChooseForm("2S2M");
    EXPECT_EQ(SystemForm, "2S2M");
    EXPECT_EQ(page->State().layout, "2S2M");
    EXPECT_FALSE(page->State().formChoiceShown);
    EXPECT_EQ(EolSensor3Result, 1);
    EXPECT_EQ(EolSensor4Result, 1);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    // A known form pressed: "Tips" names the known form, which stays.
    SystemForm = "4S3M";
    Page().ChooseForm("2S2M");
    EXPECT_EQ(SystemForm, "4S3M");
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("It has been detected that the system form is 4S3M  ，and will be tested according "
                                  "to this system form",
                                  "Tips")));
    bench.prompter.Clear();
    Page().ChooseForm("4S2M");
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("It has been detected that the system form is  4S3M  ，and will be tested according "
                                  "to this system form",
                                  "Tips")));
    EXPECT_EQ(page->State().layout, "4S3M");
}

TEST_F(SensorPageTest, ARefusedSessionEndsTheStepWithoutARunningTest)
{
    ConnectAs(sim::SimTrailer::TrailerForm::k2S2M, "2S2M");
    bench.ecu->SetNegativeResponse(0x10, 0x22, 1);
    Page().AutomaticTest();
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    // The service's own negative-response box comes first.
    const auto boxes = bench.prompter.Boxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_THAT((std::vector<tarvel::RecordingPrompter::Box>(boxes.end() - 2, boxes.end())),
                ElementsAre(BoxIs(UiText(185), UiText(76)), BoxIs(UiText(197), UiText(76))));
    EXPECT_EQ(boxes[boxes.size() - 2].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(EolSensor1Result, 0);
    EXPECT_EQ(EolTestIdle.load(), 1);
}

} // namespace
