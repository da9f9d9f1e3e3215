// Each page is laid out right the first time its tab is shown: the program is
// started, connected, and every page opened once.
#include "AppMessages.h"
#include "CEOLBrakeLampTest.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "PageHost.h"
#include "PageHostPage.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/stattext.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

class FirstDisplay : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program_.Start("test_first_display")); }
    void TearDown() override { program_.Stop(); }
    tarvel_test::ProgramUnderTest program_;
};

// The title control is as wide and as tall as its text in its own font.
void ExpectTitleFits(CTarvelPage* page, const char* when)
{
    wxStaticText* title = page->TitleControl();
    ASSERT_NE(title, nullptr);
    int width = 0;
    int height = 0;
    const wxFont font = title->GetFont();
    title->GetTextExtent(title->GetLabelText(), &width, &height, nullptr, nullptr, &font);
    const wxSize size = title->GetSize();
    EXPECT_GE(size.x, width) << "tab " << page->Spec().tab << " '" << title->GetLabel() << "' " << when;
    EXPECT_GE(size.y, height) << "tab " << page->Spec().tab << " '" << title->GetLabel() << "' " << when;
    EXPECT_GT(font.GetPixelSize().y, 0);
}

TEST_F(FirstDisplay, EveryPageTitleIsAsLargeAsItsTextOnTheFirstShow)
{
    CTarvelApp* app = program_.app;
    ASSERT_TRUE(guidriver::Connect(app));
    CTarvelView* view = app->View();
    BrakeLampTestEnabled = 1;
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        CTarvelPage* page = view->Page(tab);
        view->OnSelectPage(tab);
        if (!page->IsShown()) {
            // Shown beside another page, by another page, or by no command.
            view->HideAllTabs();
            view->TabCtrl()->ShowTab(tab, true, true, true);
        }
        ASSERT_TRUE(page->IsShown()) << "tab " << tab;
        ExpectTitleFits(page, "when first shown");
        guidriver::PumpUntil([] { return false; }, 5);
        ExpectTitleFits(page, "once painted");
        EXPECT_TRUE(program_.app->View()->TabCtrl()->IsTabShown(tab));
    }
}

// The brake-lamp page is reset as it is created: a "Never Test" kept in
// LastConfig.xml is ticked, and both results read skipped, before any page
// was opened.
TEST(StartUp, BrakeLampPageTakesTheStoredNeverTestWhenCreated)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_brake_lamp_reset", [](const std::filesystem::path& folder) {
        const std::filesystem::path file = folder / "LastConfig.xml";
        std::ostringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        const std::string changed = std::regex_replace(
            text.str(), std::regex("(ItemName=\"BrakeLampNeverTest\" nIndex=)\"0\""), "$1\"1\"");
        ASSERT_NE(changed, text.str());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << changed;
    }));
    CTarvelPage* page = program.app->View()->Page(tarvel::TabEolBrakeLamp);
    ASSERT_NE(page, nullptr);
    auto* neverTest = dynamic_cast<wxCheckBox*>(page->FindWindow(CEOLBrakeLampTest::kNeverTestId));
    ASSERT_NE(neverTest, nullptr);
    EXPECT_TRUE(neverTest->GetValue());
    EXPECT_EQ(EolBrakeLampOnResult, EolSkipped);
    EXPECT_EQ(EolBrakeLampOffResult, EolSkipped);
    program.Stop();
}

} // namespace
