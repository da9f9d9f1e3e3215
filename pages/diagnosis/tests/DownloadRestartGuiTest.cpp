// The program's window after a download into the built-in simulated ECU that
// takes its time to restart with the new software, as a real ECU does: the
// download ends in "Download Success", the ECU information page shows the
// new software's identity, and no other box appears - also when a keep-alive
// tick falls right after the reset's answer.
#include "AppMessages.h"
#include "CEPBDownLoad.h"
#include "ConnectionLifeWx.h"
#include "DiagnosisGlobals.h"
#include "MainFrame.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "FileChooser.h"
#include "Prompter.h"
#include "UdsEngine.h"

#include "SimEcu.h"

#include "DownloadTestSupport.h"
#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/timer.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace {

// The software version the ECU reports once it runs the downloaded software
// (the one it ran before is "V2.7.1").
const std::string kNewSoftwareVersion = "V2.8.0";

using downloadtest::Click;
using downloadtest::PumpUntil;

// Whether a window under `parent` shows `text` as its label.
bool Shows(wxWindow* parent, const std::string& text)
{
    for (wxWindow* child : parent->GetChildren()) {
        if (child->GetLabel().utf8_string() == text)
            return true;
        if (Shows(child, text))
            return true;
    }
    return false;
}

struct RestartCase {
    const char* name;
    uint32_t restartMs;
    bool keepAliveAtReset; // a keep-alive tick at the first moment the link is free after the reset
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class DownloadRestartGui : public ::testing::TestWithParam<RestartCase> {};

TEST_P(DownloadRestartGui, TheDownloadEndsInSuccessAndThePagesShowTheNewSoftware)
{
    const RestartCase& c = GetParam();
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_download_restart_gui"));
    tarvel::RecordingFileChooser chooser;
    tarvel::SetFileChooser(&chooser);
    CTarvelApp* app = program.app;
    CMainFrame* frame = app->MainFrame();
    ASSERT_TRUE(guidriver::Connect(app));
    sim::SimEcu* ecu = sim::BuiltInEcu();
    ASSERT_NE(ecu, nullptr);
    ecu->SetRestartTime(c.restartMs);
    // Once the ECU restarts with a complete download it runs that software.
    ecu->AddEventListener([](sim::SimEcuEvent event, sim::SimEcuContext& e) {
        if (event == sim::SimEcuEvent::Reset && !e.Image().empty())
            e.SetDid(0xF195, std::vector<uint8_t>(kNewSoftwareVersion.begin(), kNewSoftwareVersion.end()));
    });
    ASSERT_NE(EcuSoftwareVersion, kNewSoftwareVersion);

    wxCommandEvent command(wxEVT_MENU, ID_PROGRAM_DOWNLOAD);
    command.SetEventObject(frame);
    frame->ProcessWindowEvent(command);
    PumpUntil([] { return false; }, 5);
    CTarvelView* view = app->View();
    auto* page = dynamic_cast<CEPBDownLoad*>(view->Page(tarvel::TabProgramDownload));
    ASSERT_NE(page, nullptr);
    auto* list = dynamic_cast<wxListBox*>(page->FindWindow(CEPBDownLoad::ID_MESSAGE_LIST));
    ASSERT_NE(list, nullptr);
    chooser.QueueAnswer(std::string(TARVEL_DOWNLOAD_FIXTURES) + "/linear.H86");
    Click(page, CEPBDownLoad::ID_OPEN_FILE);
    ASSERT_EQ(FileLoaded, 1);

    // The keep-alive's tick, aimed at the reset: at the first pump after the
    // ECU took 11 01 in which no request holds the link.
    const uint64_t resetsBefore = ecu->Stats().resets;
    bool ticked = false;
    wxTimer aim;
    aim.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (ticked || ecu->Stats().resets == resetsBefore || tarvel::UdsRequestInFlight())
            return;
        ticked = true;
        view->Connection()->Connection().OnKeepAliveTick();
    });
    if (c.keepAliveAtReset)
        aim.Start(1);

    program.prompter->Clear();
    Click(page, CEPBDownLoad::ID_START_DOWNLOAD);
    PumpUntil([&] { return !c.keepAliveAtReset || ticked; }, 2000);
    aim.Stop();
    PumpUntil([] { return false; }, 20);

    if (c.keepAliveAtReset) {
        EXPECT_TRUE(ticked);
    }
    ASSERT_GT(list->GetCount(), 0u);
    std::string lines;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        lines += list->GetString(i).utf8_string() + "\n";
    EXPECT_EQ(list->GetString(list->GetCount() - 1).utf8_string(), "Download Success") << lines;
    std::string boxes;
    for (const auto& box : program.prompter->Boxes())
        boxes += "[" + box.caption + "] " + box.text + "\n";
    ASSERT_EQ(program.prompter->Count(), 1u) << boxes;
    EXPECT_EQ(program.prompter->Boxes()[0].text, "Download Success");
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(ecu->DownloadedImage(), FlashImage);
    // The ECU information page read the restarted ECU.
    EXPECT_EQ(EcuSoftwareVersion, kNewSoftwareVersion);
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_TRUE(Shows(view->Page(tarvel::TabDeviceInfo), kNewSoftwareVersion));

    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

INSTANTIATE_TEST_SUITE_P(
    RealBusTime, DownloadRestartGui,
    ::testing::Values(RestartCase{"RestartIn600Ms", 600, false}, RestartCase{"RestartInTwoSeconds", 2000, false},
                      RestartCase{"KeepAliveAtTheResetRestartIn600Ms", 600, true},
                      RestartCase{"KeepAliveAtTheResetRestartInTwoSeconds", 2000, true}),
    [](const ::testing::TestParamInfo<RestartCase>& info) { return std::string(info.param.name); });

} // namespace
