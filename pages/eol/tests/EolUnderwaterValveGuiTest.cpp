// The underwater-valve page in the running program, against the built-in
// simulated ECU and its trailer: connect, open the page, Start, answer both
// questions with YES, read the prompt, the valve picture and the result
// pictures back from the controls. Also: the shipped valve pictures load.
#include "CEOLUnderwaterValveTest.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "NILike.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "PageBench.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/image.h>
#include <wx/statbmp.h>

#include "ShrinkingPicture.h"

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

TEST(EolUnderwaterValveGui, TheShippedValvePicturesArePngsOf350By240)
{
    wxInitAllImageHandlers();
    for (const char* name : {"UnderwaterValve_Open.png", "UnderwaterValve_Close.png"}) {
        SCOPED_TRACE(name);
        wxImage image;
        ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(tarvel_test::DataFolder() + "/ReportImage/" + name),
                                   wxBITMAP_TYPE_PNG));
        EXPECT_EQ(image.GetWidth(), 350);
        EXPECT_EQ(image.GetHeight(), 240);
    }
    wxImage::CleanUpHandlers();
}

TEST(EolUnderwaterValveGui, TheValvePassesWithTwoYesAnswers)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_valve_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    // The vehicle has the valve: the navigation offers the page.
    UnderwaterValveTestEnabled = 1;
    app->MainFrame()->Navigation()->RebuildNavTree();
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolUnderwaterValve));

    auto* page = dynamic_cast<CEOLUnderwaterValveTest*>(app->View()->Page(tarvel::TabEolUnderwaterValve));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolUnderwaterValve));
    EXPECT_EQ(page->Start()->GetId(), CEOLUnderwaterValveTest::kStartId);
    EXPECT_EQ(page->ValvePictureControl()->GetId(), CEOLUnderwaterValveTest::kValvePictureId);
    EXPECT_FALSE(page->ValvePictureControl()->GetBitmap().IsOk());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    for (wxButton* b : {page->OpenYes(), page->OpenNo(), page->CloseYes(), page->CloseNo()})
        EXPECT_FALSE(b->IsShown());

    Click(page->Start());
    ASSERT_TRUE(PumpUntil([&] { return page->OpenYes()->IsShown(); }));
    EXPECT_EQ(page->QuestionLabel()->GetLabel(), "Is the valve open?");
    EXPECT_TRUE(page->OpenNo()->IsShown());
    EXPECT_FALSE(page->CloseYes()->IsShown());
    EXPECT_FALSE(page->Start()->IsEnabled());
    EXPECT_TRUE(page->ExitTest()->IsEnabled());
    const wxBitmap open = page->ValvePictureControl()->GetBitmap();
    ASSERT_TRUE(open.IsOk());
    EXPECT_EQ(open.GetWidth(), 350);
    EXPECT_EQ(open.GetHeight(), 240);

    Click(page->OpenYes());
    ASSERT_TRUE(PumpUntil([&] { return page->CloseYes()->IsShown(); }));
    EXPECT_EQ(page->QuestionLabel()->GetLabel(), "Is the valve closed?");
    EXPECT_FALSE(page->OpenYes()->IsShown());
    EXPECT_EQ(EolValveOpenResult, EolPassed);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    const wxBitmap closed = page->ValvePictureControl()->GetBitmap();
    ASSERT_TRUE(closed.IsOk());
    EXPECT_EQ(closed.GetWidth(), 350);
    EXPECT_EQ(closed.GetHeight(), 240);
    EXPECT_FALSE(closed.IsSameAs(open)) << "the close picture replaced the open one";

    const size_t boxes = program.prompter->Count();
    Click(page->CloseYes());
    ASSERT_TRUE(PumpUntil([&] { return EolValveCloseResult == EolPassed; }));
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    EXPECT_EQ(page->ShownPicture(1), EolPicture::Passed);
    EXPECT_FALSE(page->CloseYes()->IsShown());
    EXPECT_TRUE(page->Start()->IsEnabled());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    ASSERT_EQ(program.prompter->Count(), boxes + 1);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test passed");
    EXPECT_EQ(EolTestIdle.load(), 1);

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

} // namespace
