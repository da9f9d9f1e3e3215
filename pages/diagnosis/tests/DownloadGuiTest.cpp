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
#include "Prompter.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/textctrl.h>

#include <functional>
#include <string>

namespace {

using guidriver::Choose;

bool PumpUntil(const std::function<bool()>& done, int rounds = 200)
{
    for (int i = 0; i < rounds && !done(); ++i)
        wxTheApp->Yield(true);
    return done();
}

void Click(wxWindow* page, int id)
{
    auto* button = dynamic_cast<wxButton*>(page->FindWindow(id));
    ASSERT_NE(button, nullptr) << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

std::vector<std::string> Lines(wxListBox* list)
{
    std::vector<std::string> lines;
    for (unsigned i = 0; i < list->GetCount(); ++i) lines.push_back(list->GetString(i).utf8_string());
    return lines;
}

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
    ASSERT_GE(list->GetCount(), 1u);
    EXPECT_EQ(Lines(list).back(), "File loaded successfully");
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

    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

} // namespace
