// What the program refuses or holds back while a page keeps it busy, in the
// program's window with the built-in simulated ECU: New, Open… and a recent
// document during a download or an end-of-line run, and another language
// chosen during a download (the list, and what goes to the ECU once the user
// agreed to the restart).
#include "CEPBDownLoad.h"
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "CanIdentifiers.h"
#include "FileChooser.h"
#include "LanguageChange.h"
#include "LanguageTable.h"
#include "Prompter.h"
#include "Restarter.h"

#include "SimEcu.h"
#include "SimWorld.h"
#include "VirtualCanBus.h"

#include "DownloadTestSupport.h"
#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/timer.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using downloadtest::Lines;
using guidriver::PumpUntil;
using downloadtest::WriteSoftwareFile;

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

// The program connected to the built-in simulated ECU, its download page
// shown with a software file of `size` bytes loaded.
struct DownloadPage {
    tarvel_test::ProgramUnderTest program;
    tarvel::RecordingFileChooser chooser;
    CTarvelApp* app = nullptr;
    CMainFrame* frame = nullptr;
    CTarvelView* view = nullptr;
    CEPBDownLoad* page = nullptr;
    wxListBox* list = nullptr;
    wxGauge* gauge = nullptr;
    wxWindow* percent = nullptr;

    bool Start(const char* name, size_t size)
    {
        if (!program.Start(name))
            return false;
        tarvel::SetFileChooser(&chooser);
        app = program.app;
        frame = app->MainFrame();
        view = app->View();
        if (!guidriver::Connect(app))
            return false;
        wxCommandEvent command(wxEVT_MENU, ID_PROGRAM_DOWNLOAD);
        command.SetEventObject(frame);
        frame->ProcessWindowEvent(command);
        PumpUntil([] { return false; }, 5);
        page = dynamic_cast<CEPBDownLoad*>(view->Page(tarvel::TabProgramDownload));
        if (!page || !view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload))
            return false;
        list = dynamic_cast<wxListBox*>(page->FindWindow(CEPBDownLoad::ID_MESSAGE_LIST));
        gauge = dynamic_cast<wxGauge*>(page->FindWindow(CEPBDownLoad::ID_PROGRESS));
        percent = page->FindWindow(CEPBDownLoad::ID_PERCENT);
        if (!list || !gauge || !percent)
            return false;
        const std::string file = (program.folder / "software.H86").string();
        WriteSoftwareFile(file, size, 11, 3);
        chooser.QueueAnswer(file);
        Press(CEPBDownLoad::ID_OPEN_FILE);
        return FileLoaded == 1 && FlashImageLength == size;
    }

    DownloadPageLogic& Logic()
    {
        auto* logic = dynamic_cast<DownloadPageLogic*>(view->Logic(tarvel::TabProgramDownload));
        EXPECT_NE(logic, nullptr);
        return *logic;
    }

    void Press(int id)
    {
        auto* button = dynamic_cast<wxButton*>(page->FindWindow(id));
        ASSERT_NE(button, nullptr) << id;
        guidriver::Click(button);
    }

    ~DownloadPage()
    {
        tarvel::SetFileChooser(nullptr);
        program.Stop();
    }
};

// The document commands as the File menu, the ribbon's application menu and
// the recent-file list send them to the main window.
struct DocumentCommand {
    const char* name;
    int id;
};
const DocumentCommand kDocumentCommands[] = {
    {"New", wxID_NEW},
    {"Open", wxID_OPEN},
    {"RecentDocument", wxID_FILE1},
};

void Send(CMainFrame* frame, int id)
{
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(frame);
    frame->ProcessWindowEvent(command);
}

// During a download every document command is refused as a page switch is:
// the download page stays shown with its list, progress bar and Cancel, and
// the transfer goes on to its end with the bar at 100%.
TEST(DocumentCommandsGui, RefusedWhileADownloadRuns)
{
    DownloadPage d;
    ASSERT_TRUE(d.Start("test_document_commands_download", 24 * 1024));
    // A recent document to open again.
    const std::string recent = (d.program.folder / "station.tvl").string();
    std::ofstream(recent).put('\n');
    d.frame->GetDocumentManager()->AddFileToHistory(wxString::FromUTF8(recent));
    d.chooser.QueueAnswer(recent); // for Open, should it ask
    const int updatesBefore = d.view->InitialUpdateCount();
    const size_t linesBefore = d.list->GetCount();
    const size_t askedBefore = d.chooser.Requests().size();

    struct Seen {
        int gaugeBefore = -1;
        int gaugeAfter = -1;
        int transferAt = -1; // the block the transfer counted last
        bool shown = false;
        bool cancelEnabled = false;
        std::string percent;
    };
    std::vector<Seen> seen;
    wxTimer commands;
    commands.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (seen.size() == std::size(kDocumentCommands) || DownloadRunning != 1 ||
            d.gauge->GetValue() < 2 + 2 * static_cast<int>(seen.size()))
            return;
        Seen s;
        s.gaugeBefore = d.gauge->GetValue();
        Send(d.frame, kDocumentCommands[seen.size()].id);
        s.gaugeAfter = d.gauge->GetValue();
        s.transferAt = d.Logic().State().progressPosition;
        s.shown = d.view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload) && d.page->IsShownOnScreen();
        s.cancelEnabled = d.page->FindWindow(CEPBDownLoad::ID_CANCEL_DOWNLOAD)->IsEnabled();
        s.percent = d.percent->GetLabel().utf8_string();
        seen.push_back(s);
    });
    commands.Start(5);
    d.program.prompter->Clear();
    d.Press(CEPBDownLoad::ID_START_DOWNLOAD);
    commands.Stop();

    ASSERT_EQ(seen.size(), std::size(kDocumentCommands));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(kDocumentCommands[i].name);
        EXPECT_TRUE(seen[i].shown) << "the download page stays on the screen";
        EXPECT_GE(seen[i].gaugeAfter, seen[i].gaugeBefore) << "the bar keeps the transfer's progress";
        EXPECT_EQ(seen[i].gaugeAfter, seen[i].transferAt);
        EXPECT_GT(seen[i].gaugeAfter, 0);
        EXPECT_NE(seen[i].percent, "0%");
        EXPECT_TRUE(seen[i].cancelEnabled) << "Cancel stays at hand";
    }
    EXPECT_EQ(d.chooser.Requests().size(), askedBefore) << "Open asks for no file while the download runs";
    EXPECT_EQ(d.view->InitialUpdateCount(), updatesBefore) << "the pages were not started over";

    // Each refusal is the download page's line, as for a page switch, and
    // the download ends as it would have without them.
    const std::vector<std::string> lines = Lines(d.list);
    const std::vector<std::string> added(lines.begin() + static_cast<long>(linesBefore), lines.end());
    EXPECT_EQ(std::count(added.begin(), added.end(), std::string(kDownloadingText)), 1 + 3)
        << "the download's own line, then one for each command\n"
        << Joined(added);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Download Success") << Joined(added);
    EXPECT_TRUE(d.view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload));
    // The bar shows the last block the transfer counted, of all its blocks.
    const DownloadPageState& state = d.Logic().State();
    EXPECT_EQ(state.progressRange, 24);
    EXPECT_EQ(state.progressPosition + 1, state.progressRange);
    EXPECT_EQ(d.gauge->GetRange(), state.progressRange);
    EXPECT_EQ(d.gauge->GetValue(), state.progressPosition);
    EXPECT_EQ(d.percent->GetLabel().utf8_string(), "100%");
    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    EXPECT_EQ(sim::BuiltInEcu()->DownloadedImage(), FlashImage);
    ASSERT_GE(d.program.prompter->Count(), 1u);
    EXPECT_EQ(d.program.prompter->Boxes()[0].text, "Download Success");
}

// During an end-of-line run the same commands show the "Test is running" box
// a page switch shows, and the page on the screen stays; once the run is over
// New starts the pages over again.
TEST(DocumentCommandsGui, RefusedWhileAnEndOfLineRunRuns)
{
    DownloadPage d;
    ASSERT_TRUE(d.Start("test_document_commands_eol", 1024));
    const int updatesBefore = d.view->InitialUpdateCount();
    EolTestIdle = 0; // what a running end-of-line page holds
    for (const DocumentCommand& command : kDocumentCommands) {
        SCOPED_TRACE(command.name);
        d.program.prompter->Clear();
        Send(d.frame, command.id);
        PumpUntil([] { return false; }, 3);
        ASSERT_EQ(d.program.prompter->Count(), 1u);
        EXPECT_EQ(d.program.prompter->Boxes()[0].text, tarvel::TestRunningText);
        EXPECT_EQ(d.program.prompter->Boxes()[0].caption, "Warning");
        EXPECT_TRUE(d.view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload));
        EXPECT_EQ(d.view->InitialUpdateCount(), updatesBefore);
    }
    EXPECT_EQ(d.chooser.Requests().size(), 1u) << "only the page's own Open File asked for a file";
    EolTestIdle = 1;
    d.program.prompter->Clear();
    Send(d.frame, wxID_NEW);
    EXPECT_EQ(d.view->InitialUpdateCount(), updatesBefore + 1);
    EXPECT_FALSE(d.view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload)) << "New starts the pages over";
    std::string boxes;
    for (const auto& box : d.program.prompter->Boxes())
        boxes += "[" + box.caption + "] " + box.text + "\n";
    EXPECT_EQ(d.program.prompter->Count(), 0u) << boxes;
}

// ---- Another language chosen during a download ------------------------------

// Records every box; leaves each open for a while as a real modal window, the
// question for `questionMs` (then `answer`), the restart notice for
// `noticeMs`. Notes what the language list shows while the question is open
// and how many frames the bus had carried when each box was answered.
class LanguageBoxes : public tarvel::RecordingPrompter {
public:
    LanguageBoxes(wxChoice* languages, std::shared_ptr<sim::CanBus> bus, tarvel::MsgAnswer answer)
        : languages_(languages), bus_(std::move(bus)), answer_(answer)
    {
    }

    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        RecordingPrompter::Show(text, caption, icon, buttons);
        const bool question = buttons == tarvel::MsgButtons::YesNo;
        // The notice speaks every language, English among them.
        const bool notice = caption == kLanguageChangeCaption && text.find("Software will close") != std::string::npos;
        if (question)
            listWhileAsked = languages_->GetSelection();
        else if (notice)
            listUnderNotice = languages_->GetSelection();
        Hold(question ? kQuestionMs : notice ? kNoticeMs : 0, caption);
        if (question)
            framesAtAnswer = bus_->Recorded().size();
        return question ? answer_ : tarvel::MsgAnswer::Ok;
    }

    // Long enough for a keep-alive to come due under the notice.
    static constexpr int kQuestionMs = 300;
    static constexpr int kNoticeMs = 2500;
    int listWhileAsked = -2;
    int listUnderNotice = -2;
    size_t framesAtAnswer = 0;

private:
    void Hold(int ms, const std::string& caption)
    {
        if (ms <= 0)
            return;
        wxDialog box(nullptr, wxID_ANY, wxString::FromUTF8(caption));
        wxTimer answer;
        answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { box.EndModal(wxID_OK); });
        answer.StartOnce(ms);
        box.ShowModal();
    }

    wxChoice* languages_;
    std::shared_ptr<sim::CanBus> bus_;
    tarvel::MsgAnswer answer_;
};

struct LanguageCase {
    const char* name;
    tarvel::MsgAnswer answer;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class LanguageDuringDownloadGui : public ::testing::TestWithParam<LanguageCase> {};

// The list shows the language in use while the question is open. No keeps
// it, and the download goes on; Yes takes the new language, and from the
// answer on not one frame goes to the ECU, though the restart notice stays
// open past the time a keep-alive would be due.
TEST_P(LanguageDuringDownloadGui, TheListAndTheLinkFollowTheAnswer)
{
    const LanguageCase& c = GetParam();
    DownloadPage d;
    ASSERT_TRUE(d.Start("test_language_during_download", 24 * 1024));
    tarvel::RecordingRestarter restarter;
    tarvel::ScopedRestarter scopedRestarter(restarter);
    wxChoice* languages = d.frame->Ribbon().language;
    ASSERT_NE(languages, nullptr);
    const int language = LanguageIndex;
    const int other = language == 2 ? 1 : 2;
    const std::shared_ptr<sim::CanBus> bus = sim::CurrentWorld().Bus(1); // 500 kbit/s
    ASSERT_NE(bus, nullptr);
    LanguageBoxes boxes(languages, bus, c.answer);
    tarvel::SetPrompter(&boxes);

    bool chosen = false;
    wxTimer choose;
    choose.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (chosen || DownloadRunning != 1 || d.gauge->GetValue() < 2)
            return;
        chosen = true;
        guidriver::Choose(languages, other);
    });
    choose.Start(5);
    bus->SetRecording(true);
    d.Press(CEPBDownLoad::ID_START_DOWNLOAD);
    choose.Stop();
    PumpUntil([] { return false; }, 20);
    ASSERT_TRUE(chosen);
    const std::vector<tarvel::RecordingPrompter::Box> shown = boxes.Boxes();
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LanguageText(673));
    EXPECT_EQ(shown[0].buttons, tarvel::MsgButtons::YesNo);
    EXPECT_EQ(boxes.listWhileAsked, language) << "the list showed the language not yet agreed to";

    if (c.answer == tarvel::MsgAnswer::No) {
        EXPECT_EQ(languages->GetSelection(), language);
        EXPECT_EQ(LanguageIndex, language);
        EXPECT_TRUE(restarter.Requests().empty());
        EXPECT_EQ(Lines(d.list).back(), "Download Success") << Joined(Lines(d.list));
    } else {
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown[1].text, LanguageChangeNotice(other));
        EXPECT_EQ(boxes.listUnderNotice, other);
        EXPECT_EQ(shown.size(), 2u) << "no box after the notice: " << shown.back().text;
        EXPECT_EQ(restarter.Requests().size(), 1u);
        const std::vector<sim::CanFrame> frames = bus->Recorded();
        ASSERT_GT(boxes.framesAtAnswer, 0u);
        std::string after;
        for (size_t i = boxes.framesAtAnswer; i < frames.size(); ++i) {
            if (frames[i].id != tarvel::kUdsRequestCanId)
                continue;
            char bytes[32];
            std::snprintf(bytes, sizeof bytes, "%02X %02X %02X\n", frames[i].data[0], frames[i].data[1],
                          frames[i].data[2]);
            after += bytes;
        }
        EXPECT_EQ(after, "") << "frames sent to the ECU after Yes";
    }
    bus->SetRecording(false);
    tarvel::SetPrompter(d.program.prompter);
}

INSTANTIATE_TEST_SUITE_P(Answers, LanguageDuringDownloadGui,
                         ::testing::Values(LanguageCase{"No", tarvel::MsgAnswer::No},
                                           LanguageCase{"Yes", tarvel::MsgAnswer::Yes}),
                         [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

} // namespace
