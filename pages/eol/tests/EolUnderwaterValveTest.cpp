// The underwater-valve test against the simulated trailer and its operator on
// the virtual clock: the answers with their requests, flags, remarks and
// pictures; refused steps; the valve pictures; Exit, activation and a lost
// link; events that arrive while the link is busy.
#include "EolBench.h"
#include "EolUnderwaterValveLogic.h"

#include "NavigationModel.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include "SimOperator.h"
#include "SimTrailerData.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using tarvel_test::Bytes;
using Requests = std::vector<std::vector<uint8_t>>;

// The window's picture as tests see it: records every load and fails those
// it is told to.
struct RecordingPicture : ValvePictureTarget {
    int LoadPngIntoPicture(const std::string& path, int width, int height) override
    {
        loads.push_back(path.substr(path.rfind('/') + 1) + " " + std::to_string(width) + "x" +
                        std::to_string(height));
        return failing ? 0 : 1;
    }
    std::vector<std::string> loads;
    bool failing = false;
};

const std::string kOpenLoad = "UnderwaterValve_Open.png 350x240";
const std::string kCloseLoad = "UnderwaterValve_Close.png 350x240";

class ValveTest : public eoltest::EolBenchTest {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        Page().SetPictureTarget(&picture);
        Page().OnLanguageChanged();
    }
    void TearDown() override { Page().SetPictureTarget(nullptr); }

    EolUnderwaterValveLogic& Page()
    {
        return *dynamic_cast<EolUnderwaterValveLogic*>(bench.pages.Logic(tarvel::TabEolUnderwaterValve));
    }
    // The requests since the last clear, without the keep-alive's TesterPresent.
    Requests Sent() const
    {
        Requests out;
        for (const auto& request : bench.Requests())
            if (request.empty() || request[0] != 0x3E)
                out.push_back(request);
        return out;
    }
    static bool IsKey(const std::vector<uint8_t>& r) { return r.size() == 6 && r[0] == 0x27 && r[1] == 0x02; }
    // 10 03, 27 01, 27 02 <key>, then `after`.
    static void ExpectUnlockThen(const Requests& sent, const std::vector<uint8_t>& after)
    {
        ASSERT_EQ(sent.size(), 4u);
        EXPECT_EQ(sent[0], Bytes("10 03"));
        EXPECT_EQ(sent[1], Bytes("27 01"));
        EXPECT_TRUE(IsKey(sent[2]));
        EXPECT_EQ(sent[3], after);
    }
    static std::vector<uint8_t> Command() { return Bytes("2F 00 04 03 07 FF 01"); }
    void ExpectIdle()
    {
        EXPECT_FALSE(Page().Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().Common().exitEnabled);
        EXPECT_FALSE(Page().Common().answerShown);
        EXPECT_EQ(Page().State().open, ValveQuestion::None);
    }
    // The page's own boxes (captions 74 and 76; the services' boxes have
    // captions of their own).
    std::vector<tarvel::RecordingPrompter::Box> PageBoxes() const
    {
        std::vector<tarvel::RecordingPrompter::Box> out;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption == UiText(74) || box.caption == UiText(76))
                out.push_back(box);
        return out;
    }
    void ExpectBoxes(const std::vector<std::pair<int, int>>& rows)
    {
        const auto boxes = PageBoxes();
        ASSERT_EQ(boxes.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(boxes[i].text, UiText(rows[i].first));
            EXPECT_EQ(boxes[i].caption, UiText(rows[i].second));
            EXPECT_EQ(boxes[i].icon, tarvel::MsgIcon::None);
        }
    }

    RecordingPicture picture;
    sim::SimOperator person{trailer};
};

TEST_F(ValveTest, TheOperatorsAnswersDecideFlagsRemarksPicturesAndTheMarker)
{
    struct Case {
        const char* name;
        sim::OutputDefect defect; // StuckOn: closed from the start; StuckOff: never closes
        bool openYes;
        bool closeYes;
        int32_t open, close;
        const char* openRemark;
        const char* closeRemark;
        int verdict, caption;
    };
    const Case cases[] = {
        {"YES/YES", sim::OutputDefect::None, true, true, EolPassed, EolPassed, "-", "-", 184, 74},
        {"NO", sim::OutputDefect::StuckOn, false, false, EolFailed, EolNotTested, "Valve did not open", "-", 189, 76},
        {"YES/NO", sim::OutputDefect::StuckOff, true, false, EolPassed, EolFailed, "-", "Valve did not close", 189,
         76},
    };
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.Disconnect(); // the ECU's restart hands the valve back
        ASSERT_TRUE(bench.Connect());
        trailer.ClearDefects();
        trailer.SetOutputDefect(sim::trailerdata::kOutputUnderwaterValve, c.defect);
        EolValveOpenRemark = "stale";
        EolValveCloseRemark = "stale";
        EolValveCloseResult = EolFailed;
        picture.loads.clear();
        bench.prompter.Clear();
        bench.ClearRequests();

        page.StartClicked();
        EXPECT_THAT(Sent(), ElementsAre(Bytes("22 F1 90"))) << "Start commands nothing";
        ASSERT_EQ(page.State().open, ValveQuestion::Open);
        EXPECT_TRUE(page.Common().answerShown);
        EXPECT_EQ(page.Common().question, UiText(583));
        EXPECT_EQ(page.State().picture, ValvePicture::Open);
        EXPECT_THAT(picture.loads, ElementsAre(kOpenLoad));
        EXPECT_EQ(EolValveOpenResult, EolNotTested);
        EXPECT_EQ(EolValveCloseResult, EolNotTested);
        EXPECT_EQ(EolValveOpenRemark, "-");
        EXPECT_EQ(EolValveCloseRemark, "-");
        EXPECT_EQ(EolStopRequested.load(), 0);
        EXPECT_EQ(EolTestIdle.load(), 0);
        EXPECT_FALSE(page.Common().startEnabled);
        EXPECT_TRUE(page.Common().exitEnabled);

        const bool open = person.Answer(sim::OperatorQuestion::ValveOpen);
        ASSERT_EQ(open, c.openYes);
        EXPECT_EQ(trailer.UnderwaterValveOpen(), c.openYes);
        bench.ClearRequests();
        page.Answer(ValveQuestion::Open, open);
        if (open) {
            ExpectUnlockThen(Sent(), Command());
            EXPECT_EQ(trailer.UnderwaterValveOpen(), c.defect == sim::OutputDefect::StuckOff)
                << "the command switched a healthy valve";
            EXPECT_EQ(EolValveOpenResult, EolPassed);
            EXPECT_EQ(page.Common().pictures[0], EolPicture::Passed);
            ASSERT_EQ(page.State().open, ValveQuestion::Close);
            EXPECT_EQ(page.Common().question, UiText(584));
            EXPECT_EQ(page.State().picture, ValvePicture::Close);
            EXPECT_THAT(picture.loads, ElementsAre(kOpenLoad, kCloseLoad));
            EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

            const bool closed = person.Answer(sim::OperatorQuestion::ValveClosed);
            ASSERT_EQ(closed, c.closeYes);
            bench.ClearRequests();
            page.Answer(ValveQuestion::Close, closed);
            if (closed)
                EXPECT_THAT(Sent(), IsEmpty());
            else
                ExpectUnlockThen(Sent(), Marker0());
        } else {
            ExpectUnlockThen(Sent(), Marker0());
            EXPECT_EQ(page.Common().question, " ");
        }

        EXPECT_EQ(EolValveOpenResult, c.open);
        EXPECT_EQ(EolValveCloseResult, c.close);
        EXPECT_EQ(EolValveOpenRemark, c.openRemark);
        EXPECT_EQ(EolValveCloseRemark, c.closeRemark);
        auto look = [](int32_t flag) {
            return flag == EolPassed ? EolPicture::Passed : flag == EolFailed ? EolPicture::Failed : EolPicture::Idle;
        };
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{look(c.open), look(c.close)}));
        EXPECT_EQ(trailer.EolMarker(), 0);
        ExpectBoxes({{c.verdict, c.caption}});
        ExpectIdle();
    }
}

TEST_F(ValveTest, ARefusedValveCommandKeepsTheOpenQuestionAndTheNextYesRepeatsIt)
{
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();
    page.StartClicked();
    bench.ecu->SetNegativeResponse(0x2F, 0x22, 1);
    bench.ClearRequests();
    bench.prompter.Clear();
    page.Answer(ValveQuestion::Open, true);

    ExpectUnlockThen(Sent(), Command());
    ExpectBoxes({{585, 76}});
    EXPECT_EQ(bench.prompter.Count(), 1u) << "no box of the service for the negative answer";
    EXPECT_EQ(EolValveOpenResult, EolPassed);
    EXPECT_EQ(page.State().open, ValveQuestion::Open);
    EXPECT_TRUE(page.Common().answerShown);
    EXPECT_TRUE(page.Running());
    EXPECT_EQ(page.State().picture, ValvePicture::Open);
    EXPECT_TRUE(trailer.UnderwaterValveOpen());

    bench.ClearRequests();
    bench.prompter.Clear();
    page.Answer(ValveQuestion::Open, true);
    ExpectUnlockThen(Sent(), Command());
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(page.State().open, ValveQuestion::Close);
    EXPECT_FALSE(trailer.UnderwaterValveOpen());
    page.ExitClicked();
}

TEST_F(ValveTest, ARefusedSessionOrUnlockAfterTheOpenYesReturnsThePageFullyToIdle)
{
    struct Case {
        uint8_t sid;
        int row;
    };
    const Case cases[] = {{0x10, 185}, {0x27, 186}};
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        bench.ecu->ClearFaults();
        page.StartClicked();
        bench.ecu->SetNegativeResponse(c.sid, 0x22);
        bench.prompter.Clear();
        bench.ClearRequests();
        page.Answer(ValveQuestion::Open, true);

        ExpectBoxes({{c.row, 76}});
        ExpectIdle();
        EXPECT_EQ(page.Common().question, " ");
        EXPECT_EQ(EolValveOpenResult, EolPassed);
        EXPECT_EQ(EolValveCloseResult, EolNotTested);
        EXPECT_THAT(Sent(), Not(Contains(Command())));
        EXPECT_TRUE(trailer.UnderwaterValveOpen());

        // A late YES cannot open a close question on an idle page.
        page.Answer(ValveQuestion::Open, true);
        EXPECT_EQ(page.State().open, ValveQuestion::None);
        EXPECT_EQ(PageBoxes().size(), 1u);
    }
    bench.ecu->ClearFaults();

    // The NO's marker: without SecurityAccess no 2E is sent.
    page.StartClicked();
    bench.ecu->SetNegativeResponse(0x27, 0x22);
    bench.prompter.Clear();
    bench.ClearRequests();
    page.Answer(ValveQuestion::Open, false);
    const Requests sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], Bytes("10 03"));
    EXPECT_EQ(sent[1], Bytes("27 01"));
    EXPECT_EQ(EolValveOpenResult, EolFailed);
    EXPECT_EQ(EolValveOpenRemark, "Valve did not open");
    EXPECT_EQ(page.Common().pictures[0], EolPicture::Failed);
    ExpectBoxes({{189, 76}});
    ExpectIdle();
    bench.ecu->ClearFaults();
}

TEST_F(ValveTest, APictureThatCannotBeLoadedIsReportedAndTheTestGoesOn)
{
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();

    // At Start: nothing shown before, nothing shown after; the question is asked.
    picture.failing = true;
    page.StartClicked();
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, "图片加载失败");
    EXPECT_EQ(page.State().picture, ValvePicture::None);
    EXPECT_EQ(page.State().open, ValveQuestion::Open);
    EXPECT_EQ(page.Common().question, UiText(583));

    // After the command: the open picture stays.
    picture.failing = false;
    page.ExitClicked();
    page.StartClicked();
    ASSERT_EQ(page.State().picture, ValvePicture::Open);
    picture.failing = true;
    bench.prompter.Clear();
    page.Answer(ValveQuestion::Open, true);
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, "图片加载失败");
    EXPECT_EQ(page.State().picture, ValvePicture::Open);
    EXPECT_EQ(page.State().open, ValveQuestion::Close);
    page.Answer(ValveQuestion::Close, true);
    EXPECT_EQ(EolValveCloseResult, EolPassed);

    // Without a window the logic checks the shipped files themselves.
    page.SetPictureTarget(nullptr);
    page.StartClicked();
    EXPECT_EQ(page.State().picture, ValvePicture::Open);
    page.Answer(ValveQuestion::Open, true);
    EXPECT_EQ(page.State().picture, ValvePicture::Close);
    EXPECT_EQ(page.PicturePath(EolUnderwaterValveLogic::kOpenPicture),
              tarvel_test::DataFolder() + "/ReportImage/UnderwaterValve_Open.png");
    page.ExitClicked();
}

TEST_F(ValveTest, ExitActivationAndALostLink)
{
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();
    page.StartClicked();
    page.Answer(ValveQuestion::Open, true);
    page.Answer(ValveQuestion::Close, true);
    ASSERT_EQ(EolValveCloseResult, EolPassed);
    const std::vector<EolPicture> passed{EolPicture::Passed, EolPicture::Passed};

    // Activation keeps a finished run's pictures, the valve picture and prompt.
    page.OnActivate(0x1794);
    EXPECT_EQ(page.Common().pictures, passed);
    EXPECT_EQ(page.State().picture, ValvePicture::Close);
    EXPECT_EQ(page.Common().question, UiText(584));

    // Exit after a finished run: results and pictures back, nothing sent.
    bench.ClearRequests();
    bench.prompter.Clear();
    page.ExitClicked();
    EXPECT_EQ(EolValveOpenResult, EolNotTested);
    EXPECT_EQ(EolValveCloseResult, EolNotTested);
    EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
    EXPECT_EQ(page.State().picture, ValvePicture::None);
    EXPECT_EQ(page.Common().question, " ");
    EXPECT_THAT(Sent(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    ExpectIdle();

    // A lost link in the close question ends the test as Exit does.
    page.StartClicked();
    page.Answer(ValveQuestion::Open, false);
    EXPECT_EQ(EolValveOpenRemark, "Valve did not open");
    page.StartClicked();
    page.Answer(ValveQuestion::Open, true);
    ASSERT_EQ(page.State().open, ValveQuestion::Close);
    bench.Disconnect();
    ExpectIdle();
    EXPECT_EQ(EolStopRequested.load(), 1);
    EXPECT_EQ(EolValveOpenResult, EolNotTested);
    EXPECT_EQ(EolValveCloseResult, EolNotTested);
    EXPECT_EQ(page.State().picture, ValvePicture::None);

    ASSERT_TRUE(bench.Connect());
    struct NavEnv : tarvel::NavigationEnvironment {
        void SelectPage(int) override {}
    } env;
    tarvel::NavItem item{580, tarvel::TabEolUnderwaterValve};
    EXPECT_EQ(tarvel::OnNavTreeClick(env, &item), tarvel::NavClickOutcome::Selected);

    // Activation of an untested page shows the idle look.
    page.OnActivate(0x1794);
    EXPECT_EQ(page.Common().question, "");
    EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
}

TEST_F(ValveTest, EventsArrivingWhileTheLinkIsBusyWaitAndADoubleYesActsOnce)
{
    ASSERT_TRUE(bench.Connect());
    EolUnderwaterValveLogic& page = Page();

    // Start during another request starts once the link is free.
    bool fired = false;
    pump.Once([&] { return tarvel::UdsRequestInFlight(); },
              [&] {
                  fired = true;
                  page.StartClicked();
              });
    bench.ecu->SetResponsePending(0x3E, 1, 50, 1);
    tarvel::UdsTesterPresent();
    ASSERT_TRUE(fired);
    EXPECT_EQ(page.WaitingEvents(), 1u);
    EXPECT_FALSE(page.Running());
    bench.Advance(EolEventOrder::kRetryMs);
    EXPECT_EQ(page.WaitingEvents(), 0u);
    EXPECT_EQ(page.State().open, ValveQuestion::Open);

    // A second YES while the first one's command waits: it acts once.
    bench.ClearRequests();
    bench.prompter.Clear();
    bench.ecu->SetResponsePending(0x2F, 1, 50, 1);
    eoltest::ActionPump second;
    fired = false;
    second.Once([&] { return tarvel::UdsRequestInFlight(); },
                [&] {
                    fired = true;
                    page.Answer(ValveQuestion::Open, true);
                });
    page.Answer(ValveQuestion::Open, true);
    ASSERT_TRUE(fired);
    EXPECT_EQ(page.WaitingEvents(), 0u);
    ExpectUnlockThen(Sent(), Command());
    EXPECT_EQ(page.State().open, ValveQuestion::Close);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    // Exit during the NO's marker waits for it; the test ends as Exit says.
    bench.ClearRequests();
    bench.ecu->SetResponsePending(0x2E, 1, 50, 1);
    eoltest::ActionPump third;
    fired = false;
    third.Once([&] { return tarvel::UdsRequestInFlight(); },
               [&] {
                   fired = true;
                   page.ExitClicked();
               });
    page.Answer(ValveQuestion::Close, false);
    ASSERT_TRUE(fired);
    EXPECT_EQ(page.WaitingEvents(), 0u);
    ExpectUnlockThen(Sent(), Marker0());
    EXPECT_EQ(EolValveOpenResult, EolNotTested) << "Exit ran after the answer";
    EXPECT_EQ(EolValveCloseResult, EolNotTested);
    EXPECT_EQ(EolValveCloseRemark, "Valve did not close");
    ExpectIdle();
}

TEST_F(ValveTest, StartWithoutTheEcuAndTheLanguageCaptions)
{
    EolUnderwaterValveLogic& page = Page();
    page.StartClicked();
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, UiText(75));
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(74));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_FALSE(page.Running());
    EXPECT_THAT(picture.loads, IsEmpty());

    EXPECT_EQ(page.State().yesCaption, "YES");
    EXPECT_EQ(page.State().noCaption, "NO");
    EXPECT_EQ(page.State().openCaption, UiText(581));
    EXPECT_EQ(page.State().closeCaption, UiText(582));
    EXPECT_EQ(page.Common().startCaption, UiText(43));
    EXPECT_EQ(page.Common().exitCaption, UiText(46));
}

} // namespace
