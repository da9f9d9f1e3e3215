// A whole end-of-line run as a new user makes it, in the running program on
// its own simulated world (the ECU, its trailer and the person at the
// trailer that scripts/run.sh starts; nothing of the test's own acts on the
// trailer): Connect, every end-of-line page the navigation offers, in its
// order, Start, YES wherever a person at the screen of a good trailer says
// YES; then the results page, its list and its saved PDF. The program's time
// is virtual: every wait of the pages, the link and the simulated world
// passes without real waiting.
#include "CABSEOLReports.h"
#include "CABSEOLSensorValueTest.h"
#include "EolSensorTestLogic.h"
#include "CEOLHeightSensorCalibration.h"
#include "EolTestPage.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "LanguageTable.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "ReportGlobals.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "FileChooser.h"
#include "GuiDriver.h"
#include "PdfKit.h"
#include "ProgramUnderTest.h"

#include "SimBuiltInWorld.h"
#include "SimEcu.h"
#include "SimTrailer.h"
#include "SimTrailerFaults.h"
#include "Timer.h"
#include "VirtualClock.h"
#include "VirtualTimeProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using guidriver::Click;

// Saves under the proposed name in a folder of the test's own.
class SaveIntoFolder : public tarvel::FileChooser {
public:
    explicit SaveIntoFolder(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> Choose(const tarvel::FileRequest& request) override
    {
        return folder_ + "/" + request.fileName;
    }

private:
    std::string folder_;
};

// Every shown and enabled button under `window` captioned `caption`.
void ButtonsCaptioned(wxWindow* window, const wxString& caption, std::vector<wxButton*>& out)
{
    for (wxWindow* child : window->GetChildren()) {
        if (auto* b = dynamic_cast<wxButton*>(child); b && b->IsShown() && b->IsEnabled() && b->GetLabel() == caption)
            out.push_back(b);
        ButtonsCaptioned(child, caption, out);
    }
}

// The result flags each end-of-line page writes.
std::vector<int32_t*> FlagsOfPage(int tab)
{
    switch (tab) {
    case tarvel::TabEolVoltage: return {&EolVoltageResult};
    case tarvel::TabEolLamp: return {&EolWarningLampOnResult, &EolWarningLampOffResult};
    case tarvel::TabEolBrakeLamp: return {&EolBrakeLampOnResult, &EolBrakeLampOffResult};
    case tarvel::TabEolSensor:
        return {&EolSensor1Result, &EolSensor2Result, &EolSensor3Result, &EolSensor4Result, &EolModulator1Result,
                &EolModulator2Result};
    case tarvel::TabEolPressure:
        return {&EolPressure1Result, &EolPressure2Result, &EolPressure3Result, &EolPressure4Result};
    case tarvel::TabEolBackupPressure: return {&EolBackupPressureResult};
    case tarvel::TabEolLiftingAxle: return {&EolLiftingAxleResult};
    case tarvel::TabEolHeightSensor: return {&EolHeightSensorResult};
    case tarvel::TabEolUnderwaterValve: return {&EolValveOpenResult, &EolValveCloseResult};
    case tarvel::TabEolDtc: return {&EolDtcResult};
    default: return {};
    }
}

// Rewrites the data file `name` of the program folder `folder`, replacing
// what `pattern` matches with `replacement`; false when nothing matched.
bool EditDataFile(const std::filesystem::path& folder, const char* name, const std::regex& pattern,
                  const std::string& replacement)
{
    std::ifstream in(folder / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    const std::string before = text.str();
    const std::string after = std::regex_replace(before, pattern, replacement);
    std::ofstream(folder / name, std::ios::binary | std::ios::trunc) << after;
    return after != before;
}

// The program comes up in Russian, as the user chose it last.
void ChooseRussian(const std::filesystem::path& folder)
{
    ASSERT_TRUE(EditDataFile(folder, "LastConfig.xml", std::regex("ItemName=\"Language\" nIndex=\"[0-9]+\""),
                             "ItemName=\"Language\" nIndex=\"2\""));
}

class EolRun : public simworldtest::VirtualTimeProgram {
public:
    // The end-of-line pages the navigation offers, in its order (the results
    // page last).
    std::vector<int> EolPagesOffered() const
    {
        std::vector<int> pages;
        const auto tree = tarvel::BuildNavTree(tarvel::CurrentNavEquipment());
        for (const tarvel::NavItem& item : tree.at(1).items)
            pages.push_back(item.page);
        return pages;
    }

    // Runs one page as the person at the screen does; false when the page
    // never came to an end.
    bool RunPage(int tab)
    {
        if (!guidriver::Open(app, tab))
            return false;
        auto* page = dynamic_cast<CEolTestPage*>(app->View()->Page(tab));
        if (!page)
            return false;
        const std::vector<int32_t*> flags = FlagsOfPage(tab);
        auto allSet = [&flags] {
            for (const int32_t* f : flags)
                if (*f == EolNotTested)
                    return false;
            return true;
        };
        if (auto* sensor = dynamic_cast<CABSEOLSensorValueTest*>(page)) {
            // The automatic test, clockwise: the click runs the whole test.
            Click(sensor->AutomaticButton());
            Click(sensor->ClockwiseButton());
        } else {
            std::vector<wxButton*> start;
            ButtonsCaptioned(page, wxString::FromUTF8(LanguageText(43)), start);
            if (start.empty())
                return false;
            Click(start.front());
        }
        auto* height = dynamic_cast<CEOLHeightSensorCalibration*>(page);
        const wxString yes = wxString::FromUTF8(LanguageText(237));
        uint64_t idleMs = 0;
        for (uint64_t t = 0; t < kPageLimitMs; t += kStepMs) {
            std::vector<wxButton*> answers;
            ButtonsCaptioned(page, yes, answers);
            if (height) {
                for (wxButton* calibrate : {height->CalibrateCd(), height->CalibrateEf()})
                    if (calibrate->IsShown() && calibrate->IsEnabled())
                        answers.push_back(calibrate);
            }
            if (!answers.empty()) {
                // A person reads the question before answering.
                PassTime(kReadingMs);
                Click(answers.front());
                continue;
            }
            const bool idle = EolTestIdle.load() == 1 && EolDtcReadPending == 0;
            idleMs = idle ? idleMs + kStepMs : 0;
            if (idle && (allSet() || idleMs >= kGiveUpIdleMs))
                return true;
            PassTime(kStepMs);
        }
        return false;
    }

    static constexpr uint64_t kReadingMs = 600;
    static constexpr uint64_t kPageLimitMs = 180000;
    static constexpr uint64_t kGiveUpIdleMs = 8000;
};

// What the results page lists and the saved report says.
struct Verdicts {
    std::vector<std::string> lines;  // the results page's item lines
    std::string pdf;                 // the saved report's text
};

// Connects, runs every end-of-line page the navigation offers, in order, and
// saves the report from the results page.
void RunEveryPage(EolRun& run, std::vector<int>& pagesRun, Verdicts& verdicts)
{
    ASSERT_TRUE(guidriver::Connect(run.app));
    run.PassTime(2000);
    for (int tab : run.EolPagesOffered()) {
        if (tab == tarvel::TabEolReports)
            continue;
        SCOPED_TRACE(tab);
        run.PassTime(2000);  // the person goes on to the next page
        ASSERT_TRUE(run.RunPage(tab)) << "the page never came to an end";
        pagesRun.push_back(tab);
    }

    const std::string out = (run.program.folder / "reports-out").string();
    std::filesystem::create_directories(out);
    SaveIntoFolder chooser(out);
    tarvel::SetFileChooser(&chooser);
    ASSERT_TRUE(guidriver::Open(run.app, tarvel::TabEolReports));
    auto* results = dynamic_cast<CABSEOLReports*>(run.app->View()->Page(tarvel::TabEolReports));
    ASSERT_NE(results, nullptr);
    ASSERT_TRUE(run.PassTime(1000, [results] { return results->ResultList()->GetCount() > 0; }));
    for (unsigned i = 0; i < results->ResultList()->GetCount(); ++i)
        if (!results->ResultList()->GetString(i).empty())
            verdicts.lines.push_back(results->ResultList()->GetString(i).utf8_string());
    results->TesterEdit()->SetValue("Tess Ter");
    results->JobEdit()->SetValue("JOB-50");
    Click(results->SaveButton());
    tarvel::SetFileChooser(nullptr);
    ASSERT_TRUE(std::filesystem::exists(LastReportPath)) << LastReportPath;
    verdicts.pdf = pdfkit::Text(LastReportPath);
}

// The results "Passed" / "Failed" / "Not run" the report prints, in order.
std::vector<std::string> ReportResults(const std::string& pdf)
{
    std::vector<std::string> found;
    for (size_t at = 0; at < pdf.size(); ++at) {
        for (const char* word : {"Passed", "Failed", "Not run"}) {
            if (pdf.compare(at, std::strlen(word), word) == 0) {
                found.push_back(word);
                at += std::strlen(word) - 1;
                break;
            }
        }
    }
    return found;
}

size_t Count(const std::vector<std::string>& words, const std::string& word)
{
    return static_cast<size_t>(std::count(words.begin(), words.end(), word));
}

// The default trailer offers voltage, warning lamp, brake lamp, wheel
// sensors, brake and backup pressure, lifting axle, height sensor,
// underwater valve and the fault check; every item passes, the fault check
// after the underwater valve too, the final gate writes the passed marker
// into the ECU, and the results page and the report say so.
TEST(EolRunGui, AGoodTrailerPassesEveryItemAndTheEcuHoldsTheMarker)
{
    EolRun run;
    ASSERT_TRUE(run.Start("test_eol_run_good", ""));
    std::vector<int> pages;
    Verdicts verdicts;
    RunEveryPage(run, pages, verdicts);
    if (HasFatalFailure())
        return;

    EXPECT_EQ(pages, (std::vector<int>{tarvel::TabEolVoltage, tarvel::TabEolLamp, tarvel::TabEolBrakeLamp,
                                       tarvel::TabEolSensor, tarvel::TabEolPressure, tarvel::TabEolBackupPressure,
                                       tarvel::TabEolLiftingAxle, tarvel::TabEolHeightSensor,
                                       tarvel::TabEolUnderwaterValve, tarvel::TabEolDtc}));
    for (int tab : pages)
        for (const int32_t* flag : FlagsOfPage(tab))
            EXPECT_EQ(*flag, EolPassed) << "page " << tab;

    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    EXPECT_EQ(sim::BuiltInEcu()->Did(sim::trailerdata::kDidEolMarker), (std::vector<uint8_t>{1}));
    EXPECT_EQ(EolPassedFlag, 1);

    EXPECT_EQ(verdicts.lines.size(), 10u);
    for (const std::string& line : verdicts.lines)
        EXPECT_EQ(line.rfind("√ -- ", 0), 0u) << line;
    const std::vector<std::string> results = ReportResults(verdicts.pdf);
    // The overall result and the twenty-one item rows.
    EXPECT_EQ(results.size(), 22u) << verdicts.pdf;
    EXPECT_EQ(Count(results, "Passed"), results.size()) << verdicts.pdf;
    EXPECT_THAT(verdicts.pdf, testing::HasSubstr("Tess Ter"));
}

// The same run on a trailer whose brakes do not follow the control pressure
// with the backup valves held: the backup pressure fails, the fault check's
// final gate refuses (nothing else fails), no marker is written, and the
// results page and the report fail that item alone.
TEST(EolRunGui, ANamedFaultFailsItsItemAndNothingElse)
{
    EolRun run;
    ASSERT_TRUE(run.Start("test_eol_run_fault", "no-backup-pressure"));
    // The output pane says which trailer this is.
    wxListBox* output = run.app->MainFrame()->OutputList();
    ASSERT_NE(output, nullptr);
    EXPECT_NE(output->FindString("Simulated trailer: faults no-backup-pressure"), wxNOT_FOUND);
    std::vector<int> pages;
    Verdicts verdicts;
    RunEveryPage(run, pages, verdicts);
    if (HasFatalFailure())
        return;

    for (int tab : pages) {
        for (const int32_t* flag : FlagsOfPage(tab)) {
            if (tab == tarvel::TabEolBackupPressure)
                EXPECT_EQ(*flag, EolFailed);
            else if (tab == tarvel::TabEolDtc)
                EXPECT_EQ(*flag, EolNotTested) << "the final gate refused";
            else
                EXPECT_EQ(*flag, EolPassed) << "page " << tab;
        }
    }
    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    EXPECT_NE(sim::BuiltInEcu()->Did(sim::trailerdata::kDidEolMarker), (std::vector<uint8_t>{1}));

    std::vector<std::string> failed;
    for (const std::string& line : verdicts.lines)
        if (line.rfind("√ -- ", 0) != 0 && line.rfind("? -- ", 0) != 0)
            failed.push_back(line);
    EXPECT_EQ(failed, (std::vector<std::string>{"× -- " + LanguageText(71)}));  // "Backup pressure"
    const std::vector<std::string> results = ReportResults(verdicts.pdf);
    ASSERT_EQ(results.size(), 22u) << verdicts.pdf;
    EXPECT_EQ(results.front(), "Failed") << "the overall result";
    EXPECT_EQ(Count(results, "Failed"), 2u) << verdicts.pdf;
    EXPECT_EQ(Count(results, "Not run"), 1u) << "the fault memory";
    EXPECT_THAT(verdicts.pdf, testing::HasSubstr("Channels 1 and 2 differ"));
}

// The same good run with the program in Russian: every page words its
// requests in Russian, and the person at the trailer still turns each wheel
// the wheel page asks for and builds the backup pressure its box asks for;
// every item passes and the ECU holds the marker.
TEST(EolRunGui, AGoodTrailerPassesEveryItemInRussian)
{
    EolRun run;
    ASSERT_TRUE(run.Start("test_eol_run_russian", "", ChooseRussian));
    ASSERT_EQ(LanguageIndex, 2);
    std::vector<int> pages;
    Verdicts verdicts;
    RunEveryPage(run, pages, verdicts);
    if (HasFatalFailure())
        return;

    EXPECT_EQ(pages.size(), 10u);
    for (int tab : pages)
        for (const int32_t* flag : FlagsOfPage(tab))
            EXPECT_EQ(*flag, EolPassed) << "page " << tab;
    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    EXPECT_EQ(sim::BuiltInEcu()->Did(sim::trailerdata::kDidEolMarker), (std::vector<uint8_t>{1}));
    EXPECT_EQ(verdicts.lines.size(), 10u);
    for (const std::string& line : verdicts.lines)
        EXPECT_EQ(line.rfind("√ -- ", 0), 0u) << line;
}

// Records the instructions the pages show at the station, and passes every
// box on to the prompter installed before it.
class InstructionsSeen : public tarvel::Prompter {
public:
    explicit InstructionsSeen(tarvel::Prompter& boxes) : boxes_(boxes) {}
    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        return boxes_.Show(text, caption, icon, buttons);
    }
    void Instruct(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;

private:
    tarvel::Prompter& boxes_;
};

// A language file whose row for "turn wheel c" is empty: the wheel page
// shows its own words instead, and the person at the trailer, reading what
// the page shows, turns that wheel too; the wheel items pass, and the person
// has nothing to say about what it was asked.
TEST(EolRunGui, AnEmptyPromptRowStillGetsTheWheelTurned)
{
    EolRun run;
    ASSERT_TRUE(run.Start("test_eol_run_no_prompt", "", [](const std::filesystem::path& folder) {
        ASSERT_TRUE(EditDataFile(folder, "LanguageConfig.xml", std::regex("<DID Item=\"245\"[^>]*/>"),
                                 "<DID Item=\"245\" Chinese=\"\" English=\"\" Russian=\"\" Spanish=\"\" "
                                 "Portug=\"\"/>"));
    }));
    ASSERT_EQ(LanguageText(EolSensorTestLogic::kFirstPromptRow), "");
    InstructionsSeen instructions(*run.program.prompter);
    tarvel::ScopedPrompter useInstructions(instructions);
    ASSERT_TRUE(guidriver::Connect(run.app));
    run.PassTime(2000);
    ASSERT_TRUE(run.RunPage(tarvel::TabEolSensor)) << "the page never came to an end";
    EXPECT_THAT(instructions.shown, testing::Contains("Please turn wheel c"));
    for (const int32_t* flag : FlagsOfPage(tarvel::TabEolSensor))
        EXPECT_EQ(*flag, EolPassed);
    wxListBox* output = run.app->MainFrame()->OutputList();
    ASSERT_NE(output, nullptr);
    for (unsigned i = 0; i < output->GetCount(); ++i)
        EXPECT_EQ(output->GetString(i).utf8_string().find("cannot tell"), std::string::npos)
            << output->GetString(i);
}

} // namespace
