// The program-download page in the program's window: connect to the built-in
// simulated ECU, open Program Download from the ribbon, press Open File with
// the file dialog answered by the test, read the message list, then download
// the loaded file with Start Download.
#include "AppMessages.h"
#include "CEPBDownLoad.h"
#include "DiagnosisGlobals.h"
#include "MainFrame.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "FileChooser.h"
#include "LanguageTable.h"
#include "Restarter.h"
#include "Prompter.h"

#include "CanIdentifiers.h"
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
#include <wx/ribbon/buttonbar.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <fstream>
#include <functional>
#include <string>

namespace {

using guidriver::Choose;

using downloadtest::Click;
using downloadtest::Lines;
using downloadtest::PumpUntil;
using downloadtest::WriteSoftwareFile;

TEST(DownloadGui, LoadsASoftwareFileThroughThePage)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_download_gui"));
    tarvel::RecordingFileChooser chooser;
    tarvel::SetFileChooser(&chooser);

    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    wxRibbonButtonBarEvent connect(wxEVT_RIBBONBUTTONBAR_CLICKED, ID_CAN_CONNECT, rc.commButtons);
    connect.SetEventObject(rc.commButtons);
    rc.commButtons->GetEventHandler()->ProcessEvent(connect);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    wxCommandEvent command(wxEVT_MENU, ID_PROGRAM_DOWNLOAD);
    command.SetEventObject(app->MainFrame());
    app->MainFrame()->ProcessWindowEvent(command);
    PumpUntil([] { return false; }, 5);
    CTarvelView* view = app->View();
    EXPECT_TRUE(view->TabCtrl()->IsTabShown(tarvel::TabProgramDownload));
    auto* page = dynamic_cast<CEPBDownLoad*>(view->Page(tarvel::TabProgramDownload));
    ASSERT_NE(page, nullptr);
    auto* list = dynamic_cast<wxListBox*>(page->FindWindow(CEPBDownLoad::ID_MESSAGE_LIST));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(page->FindWindow(CEPBDownLoad::ID_CANCEL_DOWNLOAD)->IsEnabled());

    const std::string path = std::string(TARVEL_DOWNLOAD_FIXTURES) + "/linear.H86";
    chooser.QueueAnswer(path);
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    PumpUntil([] { return false; }, 3);

    ASSERT_EQ(chooser.Requests().size(), 1u);
    EXPECT_EQ(chooser.Requests()[0].fileName, "*.H86");
    ASSERT_GE(list->GetCount(), 3u);
    // The versions the ECU will check follow the line of the load.
    EXPECT_EQ(Lines(list)[list->GetCount() - 3], "File loaded successfully");
    EXPECT_EQ(Lines(list)[list->GetCount() - 2], "Boot loader version in the file: 0102");
    EXPECT_EQ(Lines(list).back(), "Hardware version in the file: 0201");
    EXPECT_EQ(FileLoaded, 1);
    EXPECT_EQ(FlashImageLength, 24u);
    auto* edit = dynamic_cast<wxTextCtrl*>(page->FindWindow(CEPBDownLoad::ID_FILE_EDIT));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetValue().utf8_string(), path);
    EXPECT_EQ(program.prompter->Count(), 0u);

    // A bad file: its line and the box, the loaded image stays.
    chooser.QueueAnswer(std::string(TARVEL_DOWNLOAD_FIXTURES) + "/bad_checksum.hex");
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    EXPECT_EQ(Lines(list).back(), "Line 3 has a wrong checksum, file not loaded");
    EXPECT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(FlashImageLength, 24u);

    // Start Download writes the loaded image into the ECU; the click returns
    // once the sequence ended.
    program.prompter->Clear();
    Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
    PumpUntil([&] { return !Lines(list).empty() && Lines(list).back() == "Download Success"; });
    EXPECT_EQ(Lines(list).back(), "Download Success");
    std::string boxes;
    for (const auto& box : program.prompter->Boxes())
        boxes += "[" + box.caption + "] " + box.text + "\n";
    ASSERT_EQ(program.prompter->Count(), 1u) << boxes;
    EXPECT_EQ(program.prompter->Boxes()[0].text, "Download Success");
    EXPECT_EQ(program.prompter->Boxes()[0].caption, "Tips");
    EXPECT_FALSE(page->FindWindow(CEPBDownLoad::ID_CANCEL_DOWNLOAD)->IsEnabled());
    EXPECT_EQ(DownloadIdle, 1);
    EXPECT_EQ(DownloadRunning, 0);

    // A plain Intel-HEX file without version lines: the list says so at once.
    chooser.QueueAnswer(std::string(TARVEL_DOWNLOAD_FIXTURES) + "/segment.hex");
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    ASSERT_GE(list->GetCount(), 4u);
    EXPECT_EQ(Lines(list)[list->GetCount() - 3], "Boot loader version in the file: none");
    EXPECT_EQ(Lines(list)[list->GetCount() - 2], "Hardware version in the file: none");
    EXPECT_EQ(Lines(list).back(), LanguageText(672));

    // Closing the window while a larger file goes into the ECU: the program
    // asks first; No keeps the download running to its end.
    const std::string large = (program.folder / "large.H86").string();
    WriteSoftwareFile(large, 12 * 1024, 13, 5);
    chooser.QueueAnswer(large);
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    ASSERT_EQ(FileLoaded, 1);
    ASSERT_EQ(FlashImageLength, 12u * 1024u);
    auto* gauge = dynamic_cast<wxGauge*>(page->FindWindow(CEPBDownLoad::ID_PROGRESS));
    ASSERT_NE(gauge, nullptr);
    CMainFrame* frame = app->MainFrame();
    int closesTried = 0;
    int progressAtClose = -1;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (closesTried == 0 && DownloadRunning == 1 && gauge->GetValue() >= 2) {
            ++closesTried;
            progressAtClose = gauge->GetValue();
            frame->Close(); // as the window's close button does
        }
    });
    watch.Start(5);
    program.prompter->Clear();
    program.prompter->QueueAnswer(tarvel::MsgAnswer::No);
    Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
    watch.Stop();
    ASSERT_EQ(closesTried, 1);
    ASSERT_GE(program.prompter->Count(), 1u);
    const auto question = program.prompter->Boxes()[0];
    EXPECT_EQ(question.text, LanguageText(673));
    EXPECT_EQ(question.caption, LanguageText(12));
    EXPECT_EQ(question.buttons, tarvel::MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, tarvel::MsgDefault::No);
    std::string shown;
    for (const std::string& line : Lines(list))
        shown += line + "\n";
    EXPECT_EQ(Lines(list).back(), "Download Success") << shown;
    EXPECT_EQ(program.prompter->Boxes().back().text, "Download Success");
    EXPECT_EQ(program.prompter->Count(), 2u);
    EXPECT_LT(progressAtClose, gauge->GetRange());
    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    EXPECT_EQ(sim::BuiltInEcu()->DownloadedImage(), FlashImage);
    EXPECT_EQ(AppClosing.load(), 0);
    EXPECT_TRUE(frame->IsShown());

    // Another language restarts the program: during a download the same
    // question comes first, and No keeps the language, the list and the
    // download as they were.
    {
        tarvel::RecordingRestarter restarter;
        tarvel::ScopedRestarter scoped(restarter);
        const int language = LanguageIndex;
        wxChoice* languages = frame->Ribbon().language;
        ASSERT_NE(languages, nullptr);
        const int other = language == 2 ? 1 : 2;
        int choicesTried = 0;
        wxTimer choose;
        choose.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (choicesTried == 0 && DownloadRunning == 1 && gauge->GetValue() >= 2) {
                ++choicesTried;
                languages->SetSelection(other);
                wxCommandEvent chosen(wxEVT_CHOICE, languages->GetId());
                chosen.SetEventObject(languages);
                chosen.SetInt(other);
                languages->GetEventHandler()->ProcessEvent(chosen);
            }
        });
        choose.Start(5);
        program.prompter->Clear();
        program.prompter->QueueAnswer(tarvel::MsgAnswer::No);
        Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
        choose.Stop();
        ASSERT_EQ(choicesTried, 1);
        ASSERT_GE(program.prompter->Count(), 1u);
        EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(673));
        EXPECT_EQ(program.prompter->Boxes()[0].defaultButton, tarvel::MsgDefault::No);
        EXPECT_TRUE(restarter.Requests().empty());
        EXPECT_EQ(LanguageIndex, language);
        EXPECT_EQ(languages->GetSelection(), language);
        EXPECT_EQ(Lines(list).back(), "Download Success");
        EXPECT_EQ(AppClosing.load(), 0);
    }

    // Yes: the download stops where it is and the program closes, with no
    // box left behind.
    closesTried = 0;
    watch.Start(5);
    program.prompter->Clear();
    program.prompter->QueueAnswer(tarvel::MsgAnswer::Yes);
    Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
    watch.Stop();
    ASSERT_EQ(closesTried, 1);
    PumpUntil([] { return AppClosing.load() == 1; });
    EXPECT_EQ(AppClosing.load(), 1);
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(673));

    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

// ---- A question left open while blocks go into the ECU (real bus time) ----

using SteadyClock = std::chrono::steady_clock;

double Seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

// Records every box like the program's test prompter, but leaves a yes/no
// question open for `holdMs` as a user who reads it does: a real modal
// window runs its own event loop all that time, then the answer is given.
class HoldingPrompter : public tarvel::RecordingPrompter {
public:
    HoldingPrompter(int holdMs, tarvel::MsgAnswer answer, std::shared_ptr<sim::CanBus> bus)
        : holdMs_(holdMs), answer_(answer), bus_(std::move(bus))
    {
    }

    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        RecordingPrompter::Show(text, caption, icon, buttons);
        if (buttons != tarvel::MsgButtons::YesNo)
            return tarvel::MsgAnswer::Ok;
        openedAt = SteadyClock::now();
        wxDialog box(nullptr, wxID_ANY, wxString::FromUTF8(caption));
        wxTimer answer;
        answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { box.EndModal(wxID_NO); });
        answer.StartOnce(holdMs_);
        box.ShowModal();
        answeredAt = SteadyClock::now();
        framesAtAnswer = bus_->Recorded().size();
        return answer_;
    }

    SteadyClock::time_point openedAt{};
    SteadyClock::time_point answeredAt{};
    size_t framesAtAnswer = 0;

private:
    int holdMs_;
    tarvel::MsgAnswer answer_;
    std::shared_ptr<sim::CanBus> bus_;
};

enum class Question { Close, Language };

struct HeldQuestionCase {
    const char* name;
    Question question;
    int holdMs;
    tarvel::MsgAnswer answer;
    bool measureWithoutQuestion; // download once without a question first, for the figures
};

void PrintTo(const HeldQuestionCase& c, std::ostream* os) { *os << c.name; }

class DownloadHeldQuestionGui : public ::testing::TestWithParam<HeldQuestionCase> {};

// A 24 KiB file (24 blocks) at 500 kbit/s; the question is raised once the
// third block is in the ECU and stays open far beyond the ECU's 1 s frame
// time-out and its 5 s session time-out.
TEST_P(DownloadHeldQuestionGui, TheDownloadSurvivesAQuestionLeftOpen)
{
    const HeldQuestionCase& c = GetParam();
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_download_held_question"));
    tarvel::RecordingFileChooser chooser;
    tarvel::SetFileChooser(&chooser);
    tarvel::RecordingRestarter restarter;
    tarvel::ScopedRestarter scopedRestarter(restarter);
    CTarvelApp* app = program.app;
    CMainFrame* frame = app->MainFrame();
    ASSERT_TRUE(guidriver::Connect(app));
    wxCommandEvent command(wxEVT_MENU, ID_PROGRAM_DOWNLOAD);
    command.SetEventObject(frame);
    frame->ProcessWindowEvent(command);
    PumpUntil([] { return false; }, 5);
    auto* page = dynamic_cast<CEPBDownLoad*>(app->View()->Page(tarvel::TabProgramDownload));
    ASSERT_NE(page, nullptr);
    auto* list = dynamic_cast<wxListBox*>(page->FindWindow(CEPBDownLoad::ID_MESSAGE_LIST));
    auto* gauge = dynamic_cast<wxGauge*>(page->FindWindow(CEPBDownLoad::ID_PROGRESS));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(gauge, nullptr);
    sim::SimEcu* ecu = sim::BuiltInEcu();
    ASSERT_NE(ecu, nullptr);
    const std::shared_ptr<sim::CanBus> bus = sim::CurrentWorld().Bus(1); // 500 kbit/s
    ASSERT_NE(bus, nullptr);

    const std::string file = (program.folder / "held.H86").string();
    WriteSoftwareFile(file, 24 * 1024, 13, 5);
    chooser.QueueAnswer(file);
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    ASSERT_EQ(FileLoaded, 1);

    if (c.measureWithoutQuestion) {
        const auto start = SteadyClock::now();
        Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
        ASSERT_EQ(Lines(list).back(), "Download Success");
        std::cout << "[ figures  ] download without a question: " << Seconds(SteadyClock::now() - start)
                  << " s\n";
    }

    HoldingPrompter prompter(c.holdMs, c.answer, bus);
    tarvel::SetPrompter(&prompter);
    const sim::SimEcuStats before = ecu->Stats();
    const int language = LanguageIndex;
    wxChoice* languages = frame->Ribbon().language;
    ASSERT_NE(languages, nullptr);
    const int otherLanguage = language == 2 ? 1 : 2;
    bool asked = false;
    wxTimer ask;
    ask.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (asked || DownloadRunning != 1 || gauge->GetValue() < 2)
            return;
        asked = true;
        if (c.question == Question::Close)
            frame->Close(); // as the window's close button does
        else
            Choose(languages, otherLanguage);
    });
    ask.Start(5);
    bus->SetRecording(true);
    const auto start = SteadyClock::now();
    Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
    const auto end = SteadyClock::now();
    ask.Stop();
    ASSERT_TRUE(asked);
    const std::vector<tarvel::RecordingPrompter::Box> boxes = prompter.Boxes();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, LanguageText(673));
    EXPECT_EQ(boxes[0].buttons, tarvel::MsgButtons::YesNo);
    const double open = Seconds(prompter.answeredAt - prompter.openedAt);
    EXPECT_GE(open, c.holdMs / 1000.0);
    std::cout << "[ figures  ] question open " << open << " s, download with the question "
              << Seconds(end - start) << " s\n";
    const sim::SimEcuStats after = ecu->Stats();
    EXPECT_EQ(after.ignoredFrames, before.ignoredFrames);
    EXPECT_EQ(after.sequenceErrors, before.sequenceErrors);
    EXPECT_EQ(after.s3Timeouts, before.s3Timeouts) << "the programming session held";

    // Every block the tester began reached the ECU whole: as many
    // TransferData requests as first frames of one went out.
    const std::vector<sim::CanFrame> sent = bus->Recorded();
    const auto blocksBegun = std::count_if(sent.begin(), sent.end(), [](const sim::CanFrame& f) {
        return f.id == tarvel::kUdsRequestCanId && (f.data[0] >> 4) == 1 && f.data[2] == 0x36;
    });
    const auto blocksTaken = after.requestsByService.count(0x36) ? after.requestsByService.at(0x36) : 0;
    const auto blocksTakenBefore = before.requestsByService.count(0x36) ? before.requestsByService.at(0x36) : 0;
    EXPECT_GE(blocksBegun, 3);
    EXPECT_EQ(static_cast<uint64_t>(blocksBegun), blocksTaken - blocksTakenBefore);
    // What went to the ECU while the question was open: the rest of the
    // block on its way, then nothing but TesterPresent (no answer wanted).
    const std::vector<std::vector<uint8_t>> requests = ecu->Requests();
    const auto lastBlock = std::find_if(requests.rbegin(), requests.rend(),
                                        [](const std::vector<uint8_t>& r) { return !r.empty() && r[0] == 0x36; });
    ASSERT_NE(lastBlock, requests.rend());

    if (c.answer == tarvel::MsgAnswer::No) {
        // The download's own end: its last line and its box. (What the pages
        // read from the ECU once it restarted with the new software is not
        // this test's matter.)
        std::string shown;
        for (const std::string& line : Lines(list))
            shown += line + "\n";
        const std::vector<std::string> lines = Lines(list);
        const auto last = std::find(lines.rbegin(), lines.rend(), std::string("Downloading..., Do not switch to another page"));
        ASSERT_NE(last, lines.rend()) << shown;
        ASSERT_NE(last, lines.rbegin()) << shown;
        EXPECT_EQ(*std::prev(last), "Download Success") << shown;
        std::string all;
        for (const auto& box : boxes)
            all += "[" + box.caption + "] " + box.text + "\n";
        ASSERT_GE(boxes.size(), 2u) << all;
        EXPECT_EQ(boxes[1].text, "Download Success") << all;
        // The ECU took every block, and its checksum routine found the CRC
        // of the image it holds equal to the file's.
        EXPECT_EQ(ecu->DownloadedImage(), FlashImage);
        EXPECT_TRUE(ecu->DownloadComplete());
        EXPECT_EQ(LanguageIndex, language);
        EXPECT_EQ(languages->GetSelection(), language);
        EXPECT_TRUE(restarter.Requests().empty());
        EXPECT_EQ(AppClosing.load(), 0);
        EXPECT_TRUE(frame->IsShown());
    } else {
        // Yes: the block in flight went whole, then only the keep-alive while
        // the question was open, and not one frame after the answer.
        for (auto r = requests.rbegin(); r != lastBlock; ++r)
            EXPECT_EQ(*r, (std::vector<uint8_t>{0x3E, 0x80}));
        PumpUntil([] { return AppClosing.load() == 1; });
        EXPECT_EQ(AppClosing.load(), 1);
        const std::vector<sim::CanFrame> frames = bus->Recorded();
        ASSERT_GE(frames.size(), prompter.framesAtAnswer);
        for (size_t i = prompter.framesAtAnswer; i < frames.size(); ++i)
            EXPECT_NE(frames[i].id, tarvel::kUdsRequestCanId) << "frame " << i << " went out after the answer";
        ASSERT_EQ(prompter.Count(), 1u) << "no box after the question: " << prompter.Boxes().back().text;
    }
    bus->SetRecording(false);
    tarvel::SetPrompter(program.prompter);
    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

INSTANTIATE_TEST_SUITE_P(
    RealBusTime, DownloadHeldQuestionGui,
    ::testing::Values(
        HeldQuestionCase{"CloseQuestionOpenSixSecondsThenNo", Question::Close, 6000, tarvel::MsgAnswer::No, true},
        HeldQuestionCase{"CloseQuestionOpenThirtySecondsThenNo", Question::Close, 30000, tarvel::MsgAnswer::No,
                         false},
        HeldQuestionCase{"LanguageQuestionOpenSixSecondsThenNo", Question::Language, 6000, tarvel::MsgAnswer::No,
                         false},
        HeldQuestionCase{"CloseQuestionOpenSixSecondsThenYes", Question::Close, 6000, tarvel::MsgAnswer::Yes,
                         false}),
    [](const ::testing::TestParamInfo<HeldQuestionCase>& info) { return std::string(info.param.name); });

} // namespace
