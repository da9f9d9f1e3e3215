// The end-of-line pages while they run and once they end, and the live-data
// page once it displays, at the smaller station's window (1024 x 768, output
// pane shown) in every language, driven as the operator drives them against
// the built-in simulated ECU and its trailer:
//   - while a question is open, its text and its answer buttons lie whole
//     inside the visible page, and the text fits its label;
//   - the buttons of a question pair stand where those of the pair before
//     stood, so a second click in the same place answers again;
//   - while the wheel sensors are tested, the prompt and every row of the
//     results lie inside the visible page;
//   - once a run ends, its verdict pictures lie inside the visible page;
//   - the live data shows at least ten value rows once Display is pressed.
#include "Describe.h"
#include "PageTour.h"

#include "CABSEOLBackupPressureTest.h"
#include "CABSEOLLampTest.h"
#include "CABSEOLPressureTest.h"
#include "CABSEOLSensorValueTest.h"
#include "CABSEOLVoltageTest.h"
#include "CABSMonitor.h"
#include "CEOLBrakeLampTest.h"
#include "CEOLHeightSensorCalibration.h"
#include "CEOLUnderwaterValveTest.h"
#include "EolGlobals.h"
#include "NILike.h"
#include "SimTrailer.h"
#include "TextWrap.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

const wxSize kStation(1024, 768);

using layouttext::Describe;

// Where a control stands in its page's client area as it is scrolled now.
wxRect InPage(const wxWindow* page, const wxWindow* control)
{
    wxPoint at = control->GetPosition();
    for (const wxWindow* parent = control->GetParent(); parent && parent != page; parent = parent->GetParent())
        at += parent->GetPosition() + parent->GetClientAreaOrigin();
    return wxRect(at, control->GetSize());
}

// What is wrong with a control the operator must see now: hidden, not
// whole inside the visible part of the page, or (a label) smaller than its
// text. Empty when it is in view.
std::string OutOfView(CTarvelView* view, CTarvelPage* page, wxWindow* control)
{
    if (!control)
        return "a control is missing";
    if (!control->IsShownOnScreen())
        return Describe(control) + " is not shown";
    const wxRect client(wxPoint(0, 0), page->GetClientSize());
    wxRect shown = view->ViewWindow()->GetScreenRect();
    shown.SetPosition(page->ScreenToClient(shown.GetPosition()));
    const wxRect visible = client.Intersect(shown);
    const wxRect rect = InPage(page, control);
    if (!visible.Contains(rect))
        return Describe(control) + " at " + Describe(rect) + " outside the visible page " + Describe(visible);
    if (const auto* label = dynamic_cast<const CNILikeStatic*>(control)) {
        const wxSize text = MeasureLines(label, label->Lines(), false);
        if (!label->GetLabel().empty() && (text.x > rect.width || text.y > rect.height))
            return Describe(control) + " is " + Describe(rect) + " but its text takes " + std::to_string(text.x) + "x" +
                   std::to_string(text.y);
    }
    return std::string();
}

// Calls `check` every 50 ms while the program runs nested waits (a run that
// returns only when it ends), and once more when it is stopped.
class Watch {
public:
    explicit Watch(std::function<void()> check) : check_(std::move(check))
    {
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { check_(); });
        timer_.Start(50);
    }
    ~Watch() { timer_.Stop(); }

private:
    std::function<void()> check_;
    wxTimer timer_;
};

class EolLayout : public ::testing::TestWithParam<pagetour::Language> {
protected:
    void SetUp() override
    {
        startFolder_ = std::filesystem::current_path();
        ASSERT_TRUE(pagetour::StartIn(program_, std::string("eol_layout_") + GetParam().tag, GetParam().index));
        app_ = program_.app;
        view_ = app_->View();
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), kStation));
        ASSERT_TRUE(guidriver::Connect(app_));
        trailer_ = sim::BuiltInTrailer();
        ASSERT_NE(trailer_, nullptr);
    }
    void TearDown() override
    {
        program_.Stop();
        std::filesystem::current_path(startFolder_);
    }

    template <class Page>
    Page* Open(int tab)
    {
        EXPECT_TRUE(pagetour::OpenPage(app_, tab)) << GetParam().tag << " tab " << tab;
        return dynamic_cast<Page*>(view_->Page(tab));
    }

    // Every control of `controls` in view; each fault once per moment.
    void ExpectInView(CTarvelPage* page, const std::vector<wxWindow*>& controls, const std::string& moment)
    {
        for (wxWindow* control : controls) {
            const std::string fault = OutOfView(view_, page, control);
            if (!fault.empty() && reported_.insert(moment + fault).second)
                ADD_FAILURE() << GetParam().tag << " " << moment << ": " << fault;
        }
    }

    // The shown result pictures of a page.
    static std::vector<wxWindow*> Verdict(CEolTestPage* page)
    {
        std::vector<wxWindow*> shown;
        for (size_t i = 0; page->Picture(i); ++i)
            if (page->Picture(i)->IsShown())
                shown.push_back(page->Picture(i));
        return shown;
    }

    // A page's question with its two answers: the question and the pair in
    // view; answering `first` brings `second` where the first pair stood;
    // answering that ends the run with its verdict in view.
    void AnswerTwoQuestions(CEolTestPage* page, wxButton* start, wxButton* firstYes, wxButton* firstNo,
                            wxButton* secondYes, wxButton* secondNo, const std::function<bool()>& ended,
                            const std::string& name)
    {
        Click(start);
        ASSERT_TRUE(PumpUntil([&] { return firstYes->IsShownOnScreen(); })) << name;
        pagetour::Settle();
        ExpectInView(page, {page->QuestionLabel(), firstYes, firstNo}, name + " first question");
        // Where the page scrolls, the operator scrolls to its end to reach
        // the answers.
        page->Scroll(0, page->GetVirtualSize().y);
        pagetour::Settle();
        const wxRect yesAt = firstYes->GetScreenRect();
        const wxRect noAt = firstNo->GetScreenRect();
        Click(firstYes);
        ASSERT_TRUE(PumpUntil([&] { return secondYes->IsShownOnScreen(); })) << name;
        pagetour::Settle();
        ExpectInView(page, {page->QuestionLabel(), secondYes, secondNo}, name + " second question");
        EXPECT_EQ(Describe(secondYes->GetScreenRect()), Describe(yesAt))
            << GetParam().tag << " " << name << ": YES moved after the first answer";
        EXPECT_EQ(Describe(secondNo->GetScreenRect()), Describe(noAt))
            << GetParam().tag << " " << name << ": NO moved after the first answer";
        Click(secondYes);
        ASSERT_TRUE(PumpUntil(ended)) << name;
        pagetour::Settle();
        ExpectInView(page, Verdict(page), name + " verdict");
    }

    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    CTarvelView* view_ = nullptr;
    sim::SimTrailer* trailer_ = nullptr;
    std::filesystem::path startFolder_;
    std::set<std::string> reported_;
};

TEST_P(EolLayout, EveryQuestionShowsWithItsAnswersAndItsVerdict)
{
    pagetour::EnableEveryItem(app_->MainFrame());
    auto* valve = Open<CEOLUnderwaterValveTest>(tarvel::TabEolUnderwaterValve);
    ASSERT_NE(valve, nullptr);
    AnswerTwoQuestions(valve, valve->Start(), valve->OpenYes(), valve->OpenNo(), valve->CloseYes(), valve->CloseNo(),
                       [] { return EolValveCloseResult != EolNotTested && EolTestIdle.load() == 1; },
                       "underwater valve");

    auto* lamp = Open<CABSEOLLampTest>(tarvel::TabEolLamp);
    ASSERT_NE(lamp, nullptr);
    AnswerTwoQuestions(lamp, lamp->Start(), lamp->LampOnYes(), lamp->LampOnNo(), lamp->LampOffYes(),
                       lamp->LampOffNo(),
                       [] { return EolWarningLampOffResult != EolNotTested && EolTestIdle.load() == 1; },
                       "warning lamp");

    auto* brake = Open<CEOLBrakeLampTest>(tarvel::TabEolBrakeLamp);
    ASSERT_NE(brake, nullptr);
    AnswerTwoQuestions(brake, brake->Start(), brake->LampOnYes(), brake->LampOnNo(), brake->LampOffYes(),
                       brake->LampOffNo(),
                       [] { return EolBrakeLampOffResult != EolNotTested && EolTestIdle.load() == 1; }, "brake lamp");
}

TEST_P(EolLayout, EveryRunShowsItsRowsAndItsVerdict)
{
    // The height sensors: the values read, then the stored calibration
    // accepted (Skip Test), its verdict.
    HeightSensorCalibrationEnabled = 1;
    HeightSensorAxle1Present = 1;
    HeightSensorAxle2Present = 1;
    app_->MainFrame()->Navigation()->RebuildNavTree();
    auto* height = Open<CEOLHeightSensorCalibration>(tarvel::TabEolHeightSensor);
    ASSERT_NE(height, nullptr);
    Click(height->Start());
    ASSERT_TRUE(PumpUntil(
        [&] {
            wxMilliSleep(5);
            return height->CalibrateCd()->IsEnabled() && height->CalibrateEf()->IsEnabled();
        },
        2000));
    Click(height->ExitTest());
    ASSERT_TRUE(PumpUntil([&] { return height->Start()->IsEnabled(); }));
    // The last reads of the run settle first.
    for (int i = 0; i < 50; ++i) {
        wxMilliSleep(10);
        pagetour::Settle(1);
    }
    Click(height->Skip());
    ASSERT_TRUE(PumpUntil([] { return EolHeightSensorResult != EolNotTested; }))
        << (program_.prompter->Count() ? program_.prompter->Boxes().back().text : std::string());
    pagetour::Settle();
    ExpectInView(height, Verdict(height), "height sensors verdict");

    // The wheel sensors, the automatic test of a three-modulator system in
    // clockwise order: every row of the frame while it runs, and after.
    trailer_->SetForm(sim::trailerdata::TrailerForm::k4S3M);
    SystemForm.clear();
    ParameterChoice = 1;
    AxleCount = 2;
    AxleFeatureFlags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    auto* sensor = Open<CABSEOLSensorValueTest>(tarvel::TabEolSensor);
    ASSERT_NE(sensor, nullptr);
    Click(dynamic_cast<wxButton*>(sensor->FindWindow(CABSEOLSensorValueTest::k4S3MId)));
    ASSERT_EQ(SystemForm, "4S3M");
    Click(sensor->AutomaticButton());
    ASSERT_TRUE(sensor->ClockwiseButton()->IsShown());
    pagetour::Settle();
    ExpectInView(sensor, Verdict(sensor), "wheel sensors before the run");
    {
        int seen = 0;
        Watch watch([&] {
            if (!sensor->Prompt()->IsShown() || sensor->Prompt()->GetLabel().empty())
                return;
            ++seen;
            std::vector<wxWindow*> shown = Verdict(sensor);
            shown.push_back(sensor->Prompt());
            ExpectInView(sensor, shown, "wheel sensors while they run");
        });
        Click(sensor->ClockwiseButton());
        EXPECT_GT(seen, 0) << "the run was never seen with its prompt";
    }
    EXPECT_EQ(EolSensor1Result, EolPassed);
    pagetour::Settle();
    ExpectInView(sensor, Verdict(sensor), "wheel sensors verdict");

    // The brake pressures of a three-modulator system (both rows of values),
    // the page that runs longest.
    SystemForm = "4S3M";
    DerivedSystemVariant = 1;
    auto* pressure = Open<CABSEOLPressureTest>(tarvel::TabEolPressure);
    ASSERT_NE(pressure, nullptr);
    Click(pressure->StartButton());
    ASSERT_TRUE(PumpUntil([] { return EolPressure6Result != EolNotTested && EolTestIdle.load() == 1; }, 4000));
    pagetour::Settle();
    ExpectInView(pressure, Verdict(pressure), "brake pressures verdict");

    auto* backup = Open<CABSEOLBackupPressureTest>(tarvel::TabEolBackupPressure);
    ASSERT_NE(backup, nullptr);
    trailer_->SetControlPressure(0.0);
    Click(backup->StartButton());
    ASSERT_TRUE(PumpUntil([] { return EolBackupPressureResult != EolNotTested && EolTestIdle.load() == 1; }, 4000));
    pagetour::Settle();
    ExpectInView(backup, Verdict(backup), "backup pressure verdict");

    auto* voltage = Open<CABSEOLVoltageTest>(tarvel::TabEolVoltage);
    ASSERT_NE(voltage, nullptr);
    Click(voltage->StartButton());
    ASSERT_TRUE(PumpUntil([] { return EolVoltageResult != EolNotTested && EolTestIdle.load() == 1; }, 4000));
    pagetour::Settle();
    ExpectInView(voltage, {voltage->ValueLabel()}, "supply voltage");
    ExpectInView(voltage, Verdict(voltage), "supply voltage verdict");
}

// The live data: every identifier chosen, Display pressed; the value list
// shows at least ten whole rows without scrolling.
TEST_P(EolLayout, LiveDataShowsTenValueRows)
{
    auto* monitor = Open<CABSMonitor>(tarvel::TabMonitor);
    ASSERT_NE(monitor, nullptr);
    guidriver::Toggle(monitor->SelectAllBox(), true);
    Click(monitor->DisplayButton());
    ASSERT_TRUE(PumpUntil(
        [monitor] {
            wxMilliSleep(2);
            return monitor->ValueList()->GetItemCount() >= 10;
        },
        2000));
    pagetour::Settle();
    wxListCtrl* list = monitor->ValueList();
    ExpectInView(monitor, {list}, "live data");
    int whole = 0;
    const int bottom = list->GetClientSize().y;
    for (long row = 0; row < list->GetItemCount(); ++row) {
        wxRect rect;
        if (list->GetItemRect(row, rect) && rect.y >= 0 && rect.GetBottom() < bottom)
            ++whole;
    }
    wxRect first;
    wxRect second;
    list->GetItemRect(0, first);
    list->GetItemRect(1, second);
    EXPECT_GE(whole, 10) << GetParam().tag << ": " << whole << " of " << list->GetItemCount()
                         << " value rows in view, the list " << Describe(InPage(monitor, list)) << ", rows "
                         << second.y - first.y << " pixels apart";
    Click(monitor->DisplayButton()); // stops
}

INSTANTIATE_TEST_SUITE_P(Languages, EolLayout, ::testing::ValuesIn(pagetour::kLanguages),
                         [](const ::testing::TestParamInfo<pagetour::Language>& info) {
                             return std::string(info.param.tag);
                         });

} // namespace
