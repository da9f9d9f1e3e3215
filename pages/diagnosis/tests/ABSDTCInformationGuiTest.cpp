// The fault memory page in the running program: connect to the built-in
// simulated ECU, open "Trouble Codes" in the navigation tree, press Read DTC
// and read the fault list back from the list box.
#include "CABSDTCInformation.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "FittedColumns.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include "LanguageTable.h"

#include <wx/arrstr.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

std::vector<wxString> Lines(wxListCtrl* list)
{
    return LinesOf(list);
}

bool Holds(const std::vector<wxString>& lines, const wxString& line)
{
    for (const wxString& l : lines)
        if (l == line)
            return true;
    return false;
}

TEST(FaultMemoryGui, ConnectOpenTroubleCodesAndReadTheFaults)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_diagnosis_gui_dtc")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabTroubleCodes, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);

    auto* page = dynamic_cast<CABSDTCInformation*>(app->View()->Page(tarvel::TabTroubleCodes));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabTroubleCodes));
    EXPECT_EQ(page->ReadDtcButton()->GetLabel(), "Read DTC");
    EXPECT_EQ(page->ClearDtcButton()->GetLabel(), "Clear DTC");
    EXPECT_EQ(page->ClearContentsButton()->GetLabel(), "Clear Contents");
    EXPECT_EQ(page->FaultList()->GetItemCount(), 0);

    Click(page->ReadDtcButton());
    const std::vector<wxString> lines = Lines(page->FaultList());
    EXPECT_TRUE(Holds(lines, "1. Current Fault :  C0113 -- Sensor c wheel speed signal implausible"));
    EXPECT_TRUE(Holds(lines, "2. History Fault :  U1087 -- No CAN message from the towing vehicle"));
    EXPECT_TRUE(Holds(lines, "3. History Fault :  0x4811  Trouble Code Undefined"));
    EXPECT_EQ(program.prompter->Count(), 0u);

    Click(page->ClearContentsButton());
    EXPECT_EQ(page->FaultList()->GetItemCount(), 0);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_EQ(DtcReadPending, 0);
    program.Stop();
}

// The status word of a fault line "n. <status> :  <code> ...".
wxString StatusWord(const wxString& line)
{
    const int dot = line.Find(". ");
    const int colon = line.Find(" :  ");
    if (dot == wxNOT_FOUND || colon == wxNOT_FOUND || colon < dot)
        return wxString();
    return line.Mid(static_cast<size_t>(dot) + 2, static_cast<size_t>(colon - dot - 2));
}

// Whether every letter of `text` belongs to the script of `language`.
bool InScriptOf(const wxString& text, int language)
{
    for (wxUniChar c : text) {
        const auto u = static_cast<uint32_t>(c.GetValue());
        if (u == ' ')
            continue;
        bool ok = false;
        switch (language) {
        case 0: ok = u >= 0x4E00 && u <= 0x9FFF; break;      // Chinese characters
        case 2: ok = u >= 0x0400 && u <= 0x04FF; break;      // Cyrillic
        default: ok = (u < 0x80 && wxIsalpha(c)) || (u >= 0xC0 && u <= 0xFF); // Latin
        }
        if (!ok)
            return false;
    }
    return !text.empty();
}

// Whether `word` says what the page's own texts of that language say about
// faults: Chinese shares a two-character word with them, any other language a
// word whose first five letters are the same (case aside).
bool SharesAWordWith(const wxString& word, const wxString& texts, int language)
{
    if (language == 0) {
        for (size_t i = 0; i + 1 < word.length(); ++i)
            if (texts.Find(word.Mid(i, 2)) != wxNOT_FOUND)
                return true;
        return false;
    }
    const wxArrayString ours = wxSplit(word.Lower(), ' ');
    const wxArrayString theirs = wxSplit(texts.Lower(), ' ');
    for (const wxString& a : ours)
        for (const wxString& b : theirs)
            if (a.length() >= 5 && b.length() >= 5 && a.Left(5) == b.Left(5))
                return true;
    return false;
}

// The fault list in each language: the words of a current and of a stored
// fault are words of that language (its letters, and the fault words of the
// page's own status texts 633 and 634), and Enter and Escape stop at the page.
class FaultMemoryLanguageGui : public ::testing::TestWithParam<int> {};

TEST_P(FaultMemoryLanguageGui, StatusWordsOfCurrentAndStoredFaultsAreWordsOfTheLanguage)
{
    const int language = GetParam();
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_diagnosis_gui_dtc_words", [language](const std::filesystem::path& folder) {
        const std::filesystem::path file = folder / "LastConfig.xml";
        std::ifstream in(file);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string from = "ItemName=\"Language\" nIndex=\"1\"";
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), "ItemName=\"Language\" nIndex=\"" + std::to_string(language) + "\"");
        std::ofstream(file, std::ios::trunc) << text;
    }));
    ASSERT_EQ(LanguageIndex, language);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabTroubleCodes));
    auto* page = dynamic_cast<CABSDTCInformation*>(app->View()->Page(tarvel::TabTroubleCodes));
    ASSERT_NE(page, nullptr);

    Click(page->ReadDtcButton());
    const std::vector<wxString> lines = Lines(page->FaultList());
    ASSERT_GE(lines.size(), 2u);
    const wxString current = StatusWord(lines[0]);  // the simulated ECU's fault failing now
    const wxString stored = StatusWord(lines[1]);   // and one it only keeps
    const wxString faultTexts =
        wxString::FromUTF8(LanguageText(633)) + " " + wxString::FromUTF8(LanguageText(634));
    for (const wxString& word : {current, stored}) {
        SCOPED_TRACE(word.utf8_string());
        EXPECT_TRUE(InScriptOf(word, language));
        EXPECT_TRUE(SharesAWordWith(word, faultTexts, language)) << faultTexts.utf8_string();
    }
    EXPECT_NE(current, stored);

    // Enter and Escape never leave the page; other keys go on up.
    const auto reachedFrame = guidriver::KeysReachingTheWindow(app->MainFrame(), page->FaultList());
    EXPECT_EQ(*reachedFrame, (std::vector<int>{int('A')}));
    EXPECT_EQ(program.prompter->Count(), 0u);

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

INSTANTIATE_TEST_SUITE_P(Languages, FaultMemoryLanguageGui, ::testing::Values(0, 1, 2, 3, 4));

} // namespace
