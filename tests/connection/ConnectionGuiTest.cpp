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
#include "Prompter.h"
#include "SimEcu.h"

#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/ribbon/buttonbar.h>

#include <filesystem>
#include <functional>

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
        program_.Start("test_connection_gui");
        app_ = program_.app;
        prompter_ = program_.prompter;
        started_ = program_.started;
        folder_ = program_.folder;
        PumpUntil([] { return false; }, 5);
    }

    static void TearDownTestSuite()
    {
        program_.Stop();
        app_ = nullptr;
        prompter_ = nullptr;
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
    static tarvel_test::ProgramUnderTest program_;
};

CTarvelApp* ConnectionGui::app_ = nullptr;
tarvel::RecordingPrompter* ConnectionGui::prompter_ = nullptr;
bool ConnectionGui::started_ = false;
fs::path ConnectionGui::folder_;
tarvel_test::ProgramUnderTest ConnectionGui::program_;

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

// The output pane says at Connect which driver the adapter talks through:
// here, with no vendor library installed, the simulation.
TEST_F(ConnectionGui, TheOutputPaneSaysWhichDriverIsUsed)
{
    const RibbonControls& rc = app_->MainFrame()->Ribbon();
    wxListBox* output = app_->MainFrame()->OutputList();
    ASSERT_NE(output, nullptr);
    const unsigned before = output->GetCount();
    Choose(rc.adapter, 1);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));
    ASSERT_EQ(output->GetCount(), before + 1);
    EXPECT_EQ(output->GetString(before).ToStdString(wxConvUTF8),
              "ControlCAN: no driver found, using the built-in simulated ECU");
    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
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
