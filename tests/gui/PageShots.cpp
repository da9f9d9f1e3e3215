// Writes a picture of every page in every language, for a person to look at
// (nothing compares them):
//   page_shots <output folder> [width height]
// One file per language and page, <language>-<tab>.png, taken as the user
// sees the page: opened from the tree (or the ribbon, or beside its page),
// with the output pane shown. Run it under an X server (scripts/page-shots.sh
// starts one). Then the moments of a run the operator must read: the
// underwater valve's first question, the height-sensor verdict and the live
// data after Display, as <language>-<moment>.png.
#include "CABSMonitor.h"
#include "CEOLHeightSensorCalibration.h"
#include "CEOLUnderwaterValveTest.h"
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"
#include "CPrintSystemTag.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "PageTour.h"
#include "SimEcu.h"
#include "SimEcuRecorderData.h"
#include "ScreenPicture.h"
#include "WxPrompter.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path g_folder;
wxSize g_size(1280, 800);

// The moments of a run, in the program the tour ran in (the program starts
// once in a process).
void ShootMoments(CTarvelApp* app, const pagetour::Language& language)
{
    CTarvelView* view = app->View();
    auto shoot = [&](const char* moment) {
        pagetour::Settle();
        const std::string name = std::string(language.tag) + "-" + moment + ".png";
        EXPECT_TRUE(pagetour::SaveScreenshot(app->MainFrame(), g_folder / name)) << name;
    };

    // The valve's first question.
    ASSERT_TRUE(pagetour::OpenPage(app, tarvel::TabEolUnderwaterValve));
    auto* valve = dynamic_cast<CEOLUnderwaterValveTest*>(view->Page(tarvel::TabEolUnderwaterValve));
    guidriver::Click(valve->Start());
    EXPECT_TRUE(guidriver::PumpUntil([&] { return valve->OpenYes()->IsShownOnScreen(); }));
    shoot("valve-question");
    guidriver::Click(valve->ExitTest());

    // The height sensors' verdict once the stored calibration is accepted.
    HeightSensorAxle1Present = 1;
    HeightSensorAxle2Present = 1;
    ASSERT_TRUE(pagetour::OpenPage(app, tarvel::TabEolHeightSensor));
    auto* height = dynamic_cast<CEOLHeightSensorCalibration*>(view->Page(tarvel::TabEolHeightSensor));
    guidriver::Click(height->Start());
    EXPECT_TRUE(guidriver::PumpUntil([&] { wxMilliSleep(5); return height->CalibrateCd()->IsEnabled(); }, 2000));
    guidriver::Click(height->ExitTest());
    EXPECT_TRUE(guidriver::PumpUntil([&] { return height->Start()->IsEnabled(); }));
    // The last reads of the run settle first.
    for (int i = 0; i < 50; ++i) {
        wxMilliSleep(10);
        pagetour::Settle(1);
    }
    guidriver::Click(height->Skip());
    EXPECT_TRUE(guidriver::PumpUntil([] { return EolHeightSensorResult != EolNotTested; }));
    shoot("height-verdict");

    // The live data after Display, every identifier chosen.
    ASSERT_TRUE(pagetour::OpenPage(app, tarvel::TabMonitor));
    auto* monitor = dynamic_cast<CABSMonitor*>(view->Page(tarvel::TabMonitor));
    guidriver::Toggle(monitor->SelectAllBox(), true);
    guidriver::Click(monitor->DisplayButton());
    EXPECT_TRUE(guidriver::PumpUntil([&] { return monitor->ValueList()->GetItemCount() > 0; }));
    shoot("live-data");
    guidriver::Click(monitor->DisplayButton());
}

class PageShots : public ::testing::TestWithParam<pagetour::Language> {};

TEST_P(PageShots, EveryPage)
{
    // The program makes its own folder the working folder; the next
    // language starts from this one again.
    const std::filesystem::path start = std::filesystem::current_path();
    const pagetour::Language language = GetParam();
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(pagetour::StartIn(program, std::string("page_shots_") + language.tag, language.index));
    CTarvelApp* app = program.app;
    EXPECT_TRUE(pagetour::SizeWindow(app->MainFrame(), g_size));
    EXPECT_TRUE(guidriver::Connect(app));
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        EXPECT_TRUE(pagetour::OpenPage(app, tab)) << "tab " << tab;
        // The system tag as it is printed: after its Read.
        if (auto* tag = dynamic_cast<CPrintSystemTag*>(app->View()->Page(tab))) {
            guidriver::Click(tag->ReadButton());
            pagetour::Settle();
        }
        // The recorder's pages after a read (of a short log), the trip
        // browser showing the latest trip.
        if (auto* odr = dynamic_cast<CODR_Info*>(app->View()->Page(tab))) {
            if (sim::SimEcu* ecu = sim::BuiltInEcu())
                sim::ecudata::InstallOdrRecorder(*ecu, sim::ecudata::MakeOdrLog(3, 2, 7));
            guidriver::Click(odr->ReadButton());
            guidriver::PumpUntil([odr] { return odr->ExportButton()->IsEnabled(); });
            pagetour::Settle();
        }
        if (auto* trips = dynamic_cast<CODR_Trip_Info*>(app->View()->Page(tab))) {
            guidriver::Click(dynamic_cast<wxButton*>(trips->FindWindow(CODR_Trip_Info::kLatestId)));
            pagetour::Settle();
        }
        char name[64];
        std::snprintf(name, sizeof name, "%s-%02d.png", language.tag, tab);
        EXPECT_TRUE(pagetour::SaveScreenshot(app->MainFrame(), g_folder / name)) << name;
    }
    ShootMoments(app, language);
    program.Stop();
    std::filesystem::current_path(start);
}

// The question the program asks when it is closed during a download, in the
// program's own box over the download page: <language>-download-close.png.
TEST_P(PageShots, DownloadCloseQuestion)
{
    const std::filesystem::path start = std::filesystem::current_path();
    const pagetour::Language language = GetParam();
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(pagetour::StartIn(program, std::string("page_shots_box_") + language.tag, language.index));
    CTarvelApp* app = program.app;
    EXPECT_TRUE(pagetour::SizeWindow(app->MainFrame(), g_size));
    EXPECT_TRUE(guidriver::Connect(app));
    EXPECT_TRUE(pagetour::OpenPage(app, tarvel::TabProgramDownload));
    tarvel::WxPrompter box;
    tarvel::ScopedPrompter real(box);
    const std::string name = std::string(language.tag) + "-download-close.png";
    bool saved = false;
    app->CallAfter([&] {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->IsModal()) {
                saved = pagetour::SaveScreenshot(app->MainFrame(), g_folder / name, dialog);
                dialog->EndModal(wxID_NO);
            }
    });
    DownloadIdle = 0; // a download under way
    DownloadRunning = 1;
    EXPECT_FALSE(app->View()->PagesMayClose());
    DownloadRunning = 0;
    DownloadIdle = 1;
    EXPECT_TRUE(saved) << name;
    program.Stop();
    std::filesystem::current_path(start);
}

INSTANTIATE_TEST_SUITE_P(Languages, PageShots, ::testing::ValuesIn(pagetour::kLanguages),
                         [](const ::testing::TestParamInfo<pagetour::Language>& info) {
                             return std::string(info.param.tag);
                         });

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s <output folder> [width height]\n", argv[0]);
        return 100;
    }
    g_folder = std::filesystem::absolute(argv[1]);
    std::filesystem::create_directories(g_folder);
    if (argc == 4)
        g_size = wxSize(std::atoi(argv[2]), std::atoi(argv[3]));
    return RUN_ALL_TESTS();
}
