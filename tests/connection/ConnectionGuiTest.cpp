// The program's window connects to the built-in simulated ECU: choose the
// first adapter and 500 kbit/s, press Connect, press Disconnect. Started
// in-process with a temporary copy of the shipped data and its own profile.
#include "AppMessages.h"
#include "ConnectionLifeWx.h"
#include "MainFrame.h"
#include "PageHost.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "CanAdapterGlobals.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "SimEcu.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/ribbon/buttonbar.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Dispatches pending events until `done` holds, a bounded number of times.
bool PumpUntil(const std::function<bool()>& done, int rounds = 200)
{
    for (int i = 0; i < rounds && !done(); ++i)
        wxTheApp->Yield(true);
    return done();
}

class ConnectionGui : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = fs::temp_directory_path() / ("tarvel-conn-gui-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        // The shipped data that the build placed beside the test.
        for (const auto& entry : fs::directory_iterator(fs::current_path())) {
            if (entry.is_directory())
                fs::copy(entry.path(), folder_ / entry.path().filename(), fs::copy_options::recursive);
            else if (entry.path().extension() == ".xml")
                fs::copy_file(entry.path(), folder_ / entry.path().filename());
        }
        wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                              const wxString& msg) {
            ADD_FAILURE() << "wx assertion " << cond << " " << msg << " in " << func << " at " << file << ":"
                          << line;
        });
        tarvel::SetProgramFolder(folder_.string());
        CTarvelApp::SetProfileFileForTests(wxString::FromUTF8((folder_ / "profile.ini").string()));
        app_ = new CTarvelApp;
        wxApp::SetInstance(app_);
        static int argc = 1;
        static char name[] = "test_connection_gui";
        static char* argv[] = {name, nullptr};
        ASSERT_TRUE(wxEntryStart(argc, argv));
        started_ = app_->CallOnInit();
        prompter_ = new tarvel::RecordingPrompter;
        tarvel::SetPrompter(prompter_);
        PumpUntil([] { return false; }, 5);
    }

    static void TearDownTestSuite()
    {
        if (app_ && started_) {
            if (wxWindow* top = wxTheApp->GetTopWindow())
                top->Close(true);
            PumpUntil([] { return false; }, 5);
            app_->OnExit();
        }
        wxEntryCleanup();
        tarvel::SetPrompter(nullptr);
        delete prompter_;
        prompter_ = nullptr;
        tarvel::SetProgramFolder(std::string());
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    void SetUp() override { ASSERT_TRUE(started_) << "the program did not start"; }

    static void Choose(wxChoice* choice, int row)
    {
        choice->SetSelection(row);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetInt(row);
        event.SetEventObject(choice);
        choice->GetEventHandler()->ProcessEvent(event);
    }

    static void Press(wxRibbonButtonBar* bar, int id)
    {
        wxRibbonButtonBarEvent event(wxEVT_RIBBONBUTTONBAR_CLICKED, id, bar);
        event.SetEventObject(bar);
        bar->GetEventHandler()->ProcessEvent(event);
    }

    static CTarvelApp* app_;
    static tarvel::RecordingPrompter* prompter_;
    static bool started_;
    static fs::path folder_;
};

CTarvelApp* ConnectionGui::app_ = nullptr;
tarvel::RecordingPrompter* ConnectionGui::prompter_ = nullptr;
bool ConnectionGui::started_ = false;
fs::path ConnectionGui::folder_;

TEST_F(ConnectionGui, ConnectsToTheBuiltInEcuAndDisconnects)
{
    ASSERT_NE(sim::BuiltInEcu(), nullptr) << "the program starts the simulated ECU";
    const RibbonControls& rc = app_->MainFrame()->Ribbon();
    tarvel::ViewConnection* link = app_->View()->Connection();
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->ConnectButtonOn());
    EXPECT_FALSE(link->DisconnectButtonOn());

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    EXPECT_EQ(tarvel::SelectedCanAdapter.load(), 0);
    EXPECT_EQ(tarvel::SelectedCanBaud.load(), 0);

    const uint64_t probesBefore = sim::BuiltInEcu()->Stats().requestsByService[0x10];
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));
    EXPECT_EQ(sim::BuiltInEcu()->Stats().requestsByService[0x10], probesBefore + 1);
    EXPECT_EQ(tarvel::CanChannel.load(), 1u);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
    EXPECT_FALSE(link->ConnectButtonOn());
    EXPECT_TRUE(link->DisconnectButtonOn());
    EXPECT_TRUE(link->Connection().KeepAliveTimer().IsRunning());
    EXPECT_EQ(prompter_->Count(), 0u);

    // A second Connect while connected does nothing.
    Press(rc.commButtons, ID_CAN_CONNECT);
    EXPECT_EQ(sim::BuiltInEcu()->Stats().requestsByService[0x10], probesBefore + 1);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_TRUE(link->ConnectButtonOn());
    EXPECT_FALSE(link->DisconnectButtonOn());
    EXPECT_FALSE(link->Connection().KeepAliveTimer().IsRunning());
    EXPECT_EQ(app_->View()->TabCtrl()->ShownTabCount(), 0);
    EXPECT_EQ(prompter_->Count(), 0u);
}

// Runs last: closing the window while connected takes the link down in order.
TEST_F(ConnectionGui, ZClosingWhileConnectedClosesTheAdapter)
{
    const RibbonControls& rc = app_->MainFrame()->Ribbon();
    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 1);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));
    EXPECT_EQ(tarvel::CanChannel.load(), 0u);
    ASSERT_EQ(tarvel::CanDeviceOpen.load(), 2);

    app_->MainFrame()->Close();
    ASSERT_TRUE(PumpUntil([] { return AppClosing.load() == 1; }));
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(prompter_->Count(), 0u);
}

} // namespace
