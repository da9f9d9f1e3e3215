// The system-tag page in the running program: connect to the built-in
// simulated ECU, open the page, read, and type the trailer's type into its
// cell as a user would.
#include "CPrintSystemTag.h"

#include "ReportGlobals.h"

#include "AppMessages.h"
#include "LanguageTable.h"
#include "MainFrame.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"
#include "WindowRegistry.h"

#include "FileChooser.h"
#include "SettingsFiles.h"
#include "SimEcuData.h"

#include "PdfKit.h"

#include "GuiDriver.h"
#include "ListCellPixels.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

using guidriver::PumpUntil;

std::string Cell(wxListCtrl* list, long row, int column)
{
    return list->GetItemText(row, column).utf8_string();
}

std::string BoxList(const tarvel::RecordingPrompter& prompter)
{
    std::string text;
    for (const auto& box : prompter.Boxes())
        text += "[" + box.caption + "] " + box.text + "\n";
    return text;
}

TEST(PrintSystemTagGui, ReadTheParametersAndTypeTheTrailerType)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_report_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabSystemTag));
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabSystemTag));

    auto* page = dynamic_cast<CPrintSystemTag*>(app->View()->Page(tarvel::TabSystemTag));
    ASSERT_NE(page, nullptr);
    wxListCtrl* list = page->List();
    EXPECT_EQ(list->GetId(), 1537);
    EXPECT_EQ(list->GetColumnCount(), 4);
    // The columns fit the list: up to the value, all in view.
    EXPECT_LE(list->GetColumnWidth(0) + list->GetColumnWidth(1) + list->GetColumnWidth(2), list->GetClientSize().x);
    EXPECT_FALSE(page->LoadButton()->IsShown());
    EXPECT_EQ(page->ReadButton()->GetLabel().utf8_string(), LanguageText(40));
    EXPECT_EQ(page->PrintButton()->GetLabel().utf8_string(), LanguageText(42));

    guidriver::Click(page->ReadButton());
    ASSERT_GT(list->GetItemCount(), 3);
    EXPECT_EQ(Cell(list, 0, 1), "MANUFACTURER");
    EXPECT_EQ(Cell(list, 2, 1), "VIN");
    EXPECT_EQ(Cell(list, 2, 2), sim::ecudata::kVin);
    // The VIN shows whole.
    EXPECT_GT(list->GetColumnWidth(2), list->GetTextExtent(wxString(sim::ecudata::kVin)).x);
    EXPECT_EQ(Cell(list, 3, 0), "4");
    wxRect row;
    ASSERT_TRUE(list->GetItemRect(0, row));
    EXPECT_GE(row.height, CPrintSystemTag::kRowHeight);
    // The "No." cells show their numbers on the list's own background.
    for (long r : {0L, 1L}) {
        const list_pixels::CellPixels pixels = list_pixels::ReadCell(list, r, 0);
        EXPECT_TRUE(list_pixels::ShowsTextOnALightBackground(pixels))
            << "row " << r << ": " << pixels.black << " of " << pixels.total << " pixels black, "
            << pixels.background << " of the background colour";
    }

    // Double-click the TYPE value, type, click elsewhere.
    wxRect cell = page->CellRect(1, 2);
    ASSERT_FALSE(cell.IsEmpty());
    page->DoubleClickAt(wxPoint(cell.x + cell.width / 2, cell.y + cell.height / 2));
    ASSERT_TRUE(page->Editor()->IsShown());
    EXPECT_EQ(page->Editor()->GetRect(), cell);
    EXPECT_EQ(SystemTagEditRow, 1);
    EXPECT_EQ(SystemTagEditColumn, 2);
    page->Editor()->ChangeValue("TX-3 semi-trailer");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, page->Editor()->GetId());
    leave.SetEventObject(page->Editor());
    page->Editor()->GetEventHandler()->ProcessEvent(leave);
    EXPECT_FALSE(page->Editor()->IsShown());
    EXPECT_EQ(Cell(list, 1, 2), "TX-3 semi-trailer");
    EXPECT_EQ(PlateType, "TX-3 semi-trailer");

    // Another page asks for a read through the window's message.
    PlateField586 = "stale";
    ASSERT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE));
    EXPECT_EQ(PlateField586, "1");
    EXPECT_EQ(Cell(list, 1, 2), "TX-3 semi-trailer");

    // A double click on the name column opens nothing.
    cell = page->CellRect(1, 1);
    page->DoubleClickAt(wxPoint(cell.x + 5, cell.y + 5));
    EXPECT_FALSE(page->Editor()->IsShown());
    EXPECT_EQ(program.prompter->Count(), 0u) << BoxList(*program.prompter);
    program.Stop();
}

TEST(PrintSystemTagGui, PrintTheTypedManufacturerAndTheReadVin)
{
    if (!pdfkit::ToolsAvailable())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_report_gui_print")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabSystemTag));
    auto* page = dynamic_cast<CPrintSystemTag*>(app->View()->Page(tarvel::TabSystemTag));
    ASSERT_NE(page, nullptr);
    guidriver::Click(page->ReadButton());
    ASSERT_GT(page->List()->GetItemCount(), 3);

    // Type the manufacturer and press Return.
    const wxRect cell = page->CellRect(0, 2);
    page->DoubleClickAt(wxPoint(cell.x + 4, cell.y + 4));
    ASSERT_TRUE(page->Editor()->IsShown());
    page->Editor()->ChangeValue("Kestrel Trailers");
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    enter.SetEventObject(page->Editor());
    page->GetEventHandler()->ProcessEvent(enter);
    EXPECT_FALSE(page->Editor()->IsShown());
    EXPECT_EQ(PlateManufacturer, "Kestrel Trailers");

    const std::string pdf = (program.folder / "plate.pdf").string();
    tarvel::RecordingFileChooser chooser;
    chooser.QueueAnswer(pdf);
    tarvel::SetFileChooser(&chooser);
    guidriver::Click(page->PrintButton());
    tarvel::SetFileChooser(nullptr);
    ASSERT_EQ(chooser.Requests().size(), 1u);
    EXPECT_EQ(chooser.Requests()[0].fileName.rfind("SystemTag-", 0), 0u);
    ASSERT_EQ(program.prompter->Count(), 1u) << BoxList(*program.prompter);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(179));
    EXPECT_EQ(SystemTagPdfPath, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string text = pdfkit::Text(pdf);
    EXPECT_NE(text.find("Kestrel Trailers"), std::string::npos) << text;
    EXPECT_NE(text.find(sim::ecudata::kVin), std::string::npos) << text;
    program.Stop();
}

// The platform's own save dialog, driven as a user types into it: GTK's
// calls are looked up in the running program (the test builds without GTK's
// headers). Each time a save dialog is shown, `act` runs on it.
class SaveDialogDriver : public wxModalDialogHook {
public:
    using Act = std::function<void(SaveDialogDriver&, void* dialog)>;

    explicit SaveDialogDriver(Act act) : act_(std::move(act))
    {
        setName_ = reinterpret_cast<SetName>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_set_current_name"));
        getName_ = reinterpret_cast<GetName>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_get_current_name"));
        respond_ = reinterpret_cast<Respond>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
        free_ = reinterpret_cast<Free>(dlsym(RTLD_DEFAULT, "g_free"));
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
        Register();
    }
    ~SaveDialogDriver() override { Unregister(); }

    bool Available() const { return setName_ && getName_ && respond_ && free_; }

    // Types `name` into the name field and presses Save, or presses Cancel.
    void TypeAndSave(void* dialog, const char* name)
    {
        setName_(dialog, name);
        respond_(dialog, kAccept);
    }
    void Cancel(void* dialog) { respond_(dialog, kCancel); }
    // The name the dialog shows.
    std::string Name(void* dialog)
    {
        char* name = getName_(dialog);
        const std::string text = name ? name : "";
        free_(name);
        return text;
    }
    int Shown() const { return shown_; }

private:
    using SetName = void (*)(void*, const char*);
    using GetName = char* (*)(void*);
    using Respond = void (*)(void*, int);
    using Free = void (*)(void*);
    static constexpr int kAccept = -3; // GTK_RESPONSE_ACCEPT
    static constexpr int kCancel = -6; // GTK_RESPONSE_CANCEL

    // A modal dialog is about to be shown: act once it is up, and again
    // while it stays (a dialog still busy with its folder may not take the
    // first press).
    int Enter(wxDialog* dialog) override
    {
        // (The hook may be told twice about the same dialog.)
        auto* files = dynamic_cast<wxFileDialog*>(dialog);
        if (files && files != dialog_) {
            dialog_ = files;
            ++shown_;
            timer_.Start(100);
        }
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override
    {
        if (dialog == dialog_) {
            dialog_ = nullptr;
            timer_.Stop();
        }
    }
    void Look()
    {
        if (dialog_ && dialog_->IsShown())
            act_(*this, dialog_->GetHandle());
    }

    Act act_;
    wxTimer timer_;
    wxFileDialog* dialog_ = nullptr;
    int shown_ = 0;
    SetName setName_ = nullptr;
    GetName getName_ = nullptr;
    Respond respond_ = nullptr;
    Free free_ = nullptr;
};

TEST(PrintSystemTagGui, ANameTypedWithoutItsExtensionIsAskedAboutBeforeAnythingIsWritten)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_report_gui_dialog")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabSystemTag));
    auto* page = dynamic_cast<CPrintSystemTag*>(app->View()->Page(tarvel::TabSystemTag));
    ASSERT_NE(page, nullptr);
    guidriver::Click(page->ReadButton());

    // An older tag "a.pdf" in the folder the dialog opens in.
    const std::filesystem::path older = program.folder / "a.pdf";
    const std::string olderBytes = "%PDF-1.3 an older tag\n";
    std::ofstream(older, std::ios::binary) << olderBytes;
    PrintSystemFilePath = program.folder.string();

    // First dialog: the user types "a" and presses Save. Our question comes;
    // the answer is No. Second dialog: it shows the name asked about; the
    // user cancels.
    std::string secondName;
    size_t boxesWhenSecondShown = 0;
    SaveDialogDriver driver([&](SaveDialogDriver& d, void* dialog) {
        if (d.Shown() == 1) {
            d.TypeAndSave(dialog, "a");
        } else {
            secondName = d.Name(dialog);
            boxesWhenSecondShown = program.prompter->Count();
            d.Cancel(dialog);
        }
    });
    if (!driver.Available())
        GTEST_SKIP() << "the save dialog is not GTK's";
    program.prompter->QueueAnswer(tarvel::MsgAnswer::No);
    guidriver::Click(page->PrintButton());

    EXPECT_EQ(driver.Shown(), 2);
    ASSERT_EQ(boxesWhenSecondShown, 1u);
    ASSERT_EQ(program.prompter->Count(), 1u) << BoxList(*program.prompter); // cancel shows nothing
    const auto question = program.prompter->Boxes()[0];
    EXPECT_EQ(question.text, older.string() + "\n\n" + LanguageText(178));
    EXPECT_EQ(question.caption, LanguageText(175));
    EXPECT_EQ(question.buttons, tarvel::MsgButtons::YesNo);
    EXPECT_EQ(secondName, "a.pdf");
    std::ifstream in(older, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), olderBytes);
    EXPECT_FALSE(std::filesystem::exists(program.folder / "a"));
    EXPECT_TRUE(SystemTagPdfPath.empty());
    program.Stop();
}

} // namespace
