#include "AppMessages.h"
#include "EolGlobals.h"
#include "PageHostModel.h"
#include "PageHostTable.h"
#include "RecorderGlobals.h"
#include "ShellGlobals.h"
#include "SplashLogic.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace tarvel;

namespace {

TEST(PageTable, EveryPageSitsAtItsFixedTab)
{
    std::set<std::string> classes;
    for (int tab = 0; tab < PageCount; ++tab) {
        const PageSpec* spec = FindPageSpec(tab);
        ASSERT_NE(spec, nullptr);
        EXPECT_EQ(spec->tab, tab);
        classes.insert(spec->className);
    }
    EXPECT_EQ(classes.size(), static_cast<size_t>(PageCount));
    EXPECT_EQ(FindPageSpec(-1), nullptr);
    EXPECT_EQ(FindPageSpec(PageCount), nullptr);
}

struct PageRow {
    int tab;
    const char* className;
    int templateId;
    int textRow;
    int activate0;
    int activate1;
    int language;
};

class PageTableRows : public ::testing::TestWithParam<PageRow> {};

TEST_P(PageTableRows, MatchTheNeighboursContracts)
{
    const PageRow& r = GetParam();
    const PageSpec* spec = FindPageSpec(r.tab);
    ASSERT_NE(spec, nullptr);
    EXPECT_STREQ(spec->className, r.className);
    EXPECT_EQ(spec->templateId, r.templateId);
    EXPECT_EQ(spec->textRow, r.textRow);
    EXPECT_EQ(spec->activate[0], r.activate0);
    EXPECT_EQ(spec->activate[1], r.activate1);
    EXPECT_EQ(spec->languageMessage, r.language);
}

INSTANTIATE_TEST_SUITE_P(
    EolReportsRecorder, PageTableRows,
    ::testing::Values(
        PageRow{5, "CABSEOLVoltageTest", 480, 13, 0x1789, 0, 0x851},
        PageRow{6, "CABSEOLLampTest", 413, 14, 0x178a, 0, 0x852},
        PageRow{7, "CABSEOLSensorValueTest", 438, 15, 0x46d, 0x178b, 0x853},
        PageRow{8, "CABSEOLPressureTest", 481, 16, 0x178c, 0, 0x854},
        PageRow{9, "CABSEOLBackupPressureTest", 482, 17, 0x178d, 0, 0x855},
        PageRow{10, "CABSEOLDtcTest", 483, 18, 0x178e, 0, 0x857},
        PageRow{11, "CABSEOLReports", 439, 19, 0x474, 0, 0x858},
        PageRow{12, "CPrintSystemTag", 484, 22, 0, 0, 0x850},
        PageRow{14, "CEOLLiftingAxleTest", 488, 24, 0x18fb, 0, 0x856},
        PageRow{15, "CEOLHeightSensorCalibration", 500, 276, 0x2021, 0, 0x85b},
        PageRow{16, "CODR_Info", 501, 298, 0x914, 0, 0x915},
        PageRow{17, "CODR_Trip_Info", 503, 373, 0, 0, 0x920},
        PageRow{18, "CEOLBrakeLampTest", 504, 448, 0x1794, 0, 0x85c},
        PageRow{19, "CEOLLiftingSensorTest", 510, 488, 0x18fc, 0, 0x859},
        PageRow{21, "CEOLUnderwaterValveTest", 515, 580, 0x1794, 0, 0x85c}));

TEST(PageVisibility, PositionsFollowTheShownPagesBelow)
{
    PageVisibility v(PageCount);
    EXPECT_EQ(v.ShownCount(), 0);
    EXPECT_EQ(v.PositionOf(13), 0);
    ASSERT_TRUE(v.Set(13, true));
    ASSERT_TRUE(v.Set(1, true));
    EXPECT_EQ(v.PositionOf(1), 0);
    EXPECT_EQ(v.PositionOf(13), 1);
    EXPECT_EQ(v.PositionOf(17), 2);
    EXPECT_EQ(v.IndexAt(0), 1);
    EXPECT_EQ(v.IndexAt(1), 13);
    EXPECT_EQ(v.IndexAt(2), -1);
    EXPECT_EQ(v.IndexAt(-1), -1);
    EXPECT_FALSE(v.Set(-1, true));
    EXPECT_FALSE(v.Set(PageCount, true));
    EXPECT_FALSE(v.IsShown(PageCount));
    EXPECT_EQ(v.PositionOf(PageCount), -1);
    EXPECT_EQ(v.ShownCount(), 2);
}

TEST(SplashLogo, PictureOnlyForModesOneAndTwo)
{
    struct Case {
        int mode;
        bool loads;
        SplashLogo logo;
        int loaderCalls;
    };
    const Case cases[] = {
        {0, true, SplashLogo::BuiltIn, 0},  {-1, true, SplashLogo::BuiltIn, 0},
        {3, true, SplashLogo::BuiltIn, 0},  {1, true, SplashLogo::Picture, 1},
        {2, true, SplashLogo::Picture, 1},  {1, false, SplashLogo::BuiltIn, 1},
        {2, false, SplashLogo::BuiltIn, 1},
    };
    for (const Case& c : cases) {
        int calls = 0;
        SplashLogo logo = ChooseSplashLogo(c.mode, [&] {
            ++calls;
            return c.loads;
        });
        EXPECT_EQ(logo, c.logo) << "mode " << c.mode << " loads " << c.loads;
        EXPECT_EQ(calls, c.loaderCalls) << "mode " << c.mode;
    }
}

TEST(SplashProgress, ReachesEightAfterEightTicksAndStops)
{
    SplashTickCount = 0;
    bool stop = false;
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(SplashTimerTick(stop), i);
        EXPECT_FALSE(stop);
    }
    EXPECT_EQ(SplashTimerTick(stop), 8);
    EXPECT_TRUE(stop);
    // The counter is never reset: a late tick stays at the end of the bar.
    EXPECT_EQ(SplashTimerTick(stop), 8);
    EXPECT_TRUE(stop);
}

TEST(SharedFlags, StartInTheirLoadState)
{
    EXPECT_EQ(EolStopRequested.load(), 0);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(EolPassedFlag, 0);
    std::set<int32_t*> distinct;
    for (int i = 0; i < EolResultFlagCount; ++i) {
        EXPECT_EQ(*EolResultFlags()[i], EolNotTested) << "flag " << i;
        distinct.insert(EolResultFlags()[i]);
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(EolResultFlagCount));
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(AppClosing.load(), 0);
}

TEST(SharedFlags, TripStateResetsToUnknown)
{
    OdrTripCount = 5;
    OdrOldestTrip = 1;
    OdrNewestTrip = 4;
    OdrShownTrip = 2;
    OdrReadPosition = 7;
    OdrReadIndex = 3;
    OdrTrips.resize(2);
    ResetOdrTripState();
    EXPECT_EQ(OdrTripCount, -1);
    EXPECT_EQ(OdrOldestTrip, -1);
    EXPECT_EQ(OdrNewestTrip, -1);
    EXPECT_EQ(OdrShownTrip, -1);
    EXPECT_EQ(OdrReadPosition, 0);
    EXPECT_EQ(OdrReadIndex, 0);
    EXPECT_TRUE(OdrTrips.empty());
}

TEST(ShellText, FallsBackWhenTheRowHasNoText)
{
    Services().text = [](int row) { return row == 8 ? std::string("ECU-Info") : std::string(); };
    EXPECT_EQ(ShellText(8, "x"), "ECU-Info");
    EXPECT_EQ(ShellText(9999, "fallback"), "fallback");
    Services().text = nullptr;
    EXPECT_EQ(ShellText(8, "fb"), "fb");
    // The not-connected box reads the same built-in pair wherever it is shown.
    EXPECT_EQ(ShellText(kRowNotConnectedText), "Please connect the ECU first");
    EXPECT_EQ(ShellText(kRowNotConnectedCaption), "Tips");
    EXPECT_EQ(ShellText(kRowNotConnectedCaption, "given"), "given");
    EXPECT_STREQ(BuiltInRowText(76), "");
    ResetShellServices();
}

} // namespace
