// The trip browser's logic over the recorder state, without a window: the
// number-to-slot rule, every navigation with its clamps, the go-to field, the
// guards, navigations that would leave the trips held, and the count label.
#include "ODR_Trip_InfoLogic.h"

#include "ODR_InfoLogic.h"
#include "RecorderGlobals.h"

#include "AppMessages.h"
#include "LanguageTable.h"
#include "ShellGlobals.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

MATCHER_P2(WarningBox, text, caption, std::string("an exclamation box \"") + text + "\" captioned \"" + caption + "\"")
{
    return arg.text == text && arg.caption == caption && arg.icon == tarvel::MsgIcon::Exclamation;
}

// One row per trip whose value is the trip's ring slot, so the rows shown
// tell which slot is on the list.
OdrTrip TripRows(int slot)
{
    _tagODRTripInfoFilldesc_ row;
    row.No = "1";
    row.ParameterName = "Slot";
    row.Value = std::to_string(slot);
    row.Unit = "-";
    row.Description = "行程";
    return {row};
}

class OdrTripTest : public ::testing::Test {
protected:
    void SetUp() override { EcuConnected = 1; }

    // The recorder state a complete read leaves: `count` trips, the newest in
    // `newest`, `held` trips in OdrTrips (all of them unless told).
    static void Ring(int32_t count, int32_t newest, int held = -1)
    {
        OdrTripCount = count;
        OdrNewestTrip = newest;
        OdrOldestTrip = count < 600 ? 0 : (newest + 1) % 600;
        OdrShownTrip = -1;
        OdrTrips.clear();
        const int n = held >= 0 ? held : (count < 600 ? count : 600);
        for (int k = 0; k < n; ++k)
            OdrTrips.push_back(TripRows(k));
    }

    // The slot on the list (-1 when the list is empty).
    int ListedSlot() const
    {
        const auto& rows = logic.State().rows;
        return rows.empty() ? -1 : std::stoi(rows[0].Value);
    }

    struct Step {
        const char* press; // "oldest", "previous", "next", "latest" or "go:<text>"
        int slot;
        int number;
    };

    void Press(const std::string& press)
    {
        if (press == "oldest") logic.ShowOldestTrip();
        else if (press == "previous") logic.ShowPreviousTrip();
        else if (press == "next") logic.ShowNextTrip();
        else if (press == "latest") logic.ShowLatestTrip();
        else logic.GoToTrip(press.substr(3));
    }

    void Walk(const std::vector<Step>& steps)
    {
        for (const Step& s : steps) {
            SCOPED_TRACE(s.press);
            const int writes = logic.State().editWrites;
            Press(s.press);
            EXPECT_EQ(OdrShownTrip, s.slot);
            EXPECT_EQ(ListedSlot(), s.slot);
            EXPECT_EQ(logic.ShownTripNumber(), s.number);
            EXPECT_EQ(logic.State().editText, std::to_string(s.number));
            EXPECT_EQ(logic.State().editWrites, writes + 1) << "the edit is written after every navigation";
        }
        EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    }

    tarvel_test::PageBench bench;
    ODR_Trip_InfoLogic logic{bench.Context()};
};

TEST(OdrTripSlots, NumberToSlotBeforeAndAfterTheRingWrapped)
{
    struct Case {
        int64_t number;
        int32_t count;
        int32_t newest;
        int32_t slot;
    };
    const Case cases[] = {
        {1, 57, 56, 0},   {3, 57, 56, 2},     {57, 57, 56, 56},   {1, 599, 598, 0},   {599, 599, 598, 598},
        {1, 600, 99, 100}, {2, 600, 99, 101}, {600, 600, 99, 99}, {501, 600, 99, 0},  {500, 600, 99, 599},
        {1, 600, 599, 0},  {600, 600, 599, 599}, {1, 1234, 10, 11}, {1234, 1234, 10, 44},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OdrTripSlotOfNumber(c.number, c.count, c.newest), c.slot)
            << c.number << " of " << c.count << ", newest " << c.newest;
}

TEST(OdrTripSlots, TheNumberFieldIsReadAsADecimalNumber)
{
    const std::pair<const char*, int64_t> cases[] = {
        {"12", 12},  {"12abc", 12}, {" 12", 12},  {"\t+7", 7},    {"-5", -5},   {"0", 0},
        {"abc", 0},  {"", 0},       {"1 2", 1},   {"--3", 0},     {"0012", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTripNumber(c.first), c.second) << '"' << c.first << '"';
    // Beyond 32 bits, and beyond 64: above every trip count, never negative.
    EXPECT_EQ(ParseTripNumber("99999999999"), 99999999999LL);
    EXPECT_GT(ParseTripNumber("99999999999999999999999999"), int64_t(1) << 40);
    EXPECT_LT(ParseTripNumber("-99999999999999999999999999"), -(int64_t(1) << 40));
}

TEST_F(OdrTripTest, FiftySevenTrips)
{
    Ring(57, 56);
    Walk({{"oldest", 0, 1},
          {"next", 1, 2},
          {"next", 2, 3},
          {"latest", 56, 57},
          {"next", 56, 57}, // stays on the newest
          {"previous", 55, 56},
          {"oldest", 0, 1},
          {"previous", 0, 1}}); // stays on the oldest
}

TEST_F(OdrTripTest, SixHundredTripsAfterTheRingWrapped)
{
    Ring(600, 99);
    ASSERT_EQ(OdrOldestTrip, 100);
    Walk({{"oldest", 100, 1},
          {"next", 101, 2},
          {"go:600", 99, 600},
          {"go:501", 0, 501},
          {"next", 1, 502},
          {"latest", 99, 600},
          {"next", 99, 600},
          {"previous", 98, 599},
          {"oldest", 100, 1},
          {"previous", 100, 1}});
}

TEST_F(OdrTripTest, GoToFieldWithFiftySevenTrips)
{
    Ring(57, 56);
    logic.ShowOldestTrip();
    logic.ShowNextTrip(); // slot 1, number 2
    const std::pair<const char*, int> newest[] = {{"0", 56}, {"-5", 56}, {"58", 56}, {"abc", 56},
                                                  {"99999999999", 56}, {"-99999999999", 56}};
    for (const auto& c : newest) {
        SCOPED_TRACE(c.first);
        logic.ShowOldestTrip();
        logic.GoToTrip(c.first);
        EXPECT_EQ(OdrShownTrip, c.second);
        EXPECT_EQ(ListedSlot(), c.second);
        EXPECT_EQ(logic.ShownTripNumber(), 57);
        EXPECT_EQ(logic.State().editText, "57");
    }
    for (const char* twelve : {"12abc", " 12", "12"}) {
        SCOPED_TRACE(twelve);
        logic.ShowLatestTrip();
        logic.GoToTrip(twelve);
        EXPECT_EQ(OdrShownTrip, 11);
        EXPECT_EQ(ListedSlot(), 11);
        EXPECT_EQ(logic.ShownTripNumber(), 12);
        EXPECT_EQ(logic.State().editText, "12");
    }
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());

    // An empty field: box 403, the trip shown is shown again, the field is
    // not written.
    logic.GoToTrip("5"); // slot 4
    const int writes = logic.State().editWrites;
    int renders = 0;
    logic.SetChangedObserver([&] { ++renders; });
    logic.GoToTrip("");
    logic.SetChangedObserver(nullptr);
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(WarningBox(LanguageText(403), LanguageText(76))));
    EXPECT_GE(renders, 1) << "the list is filled again";
    EXPECT_EQ(OdrShownTrip, 4);
    EXPECT_EQ(ListedSlot(), 4);
    EXPECT_EQ(logic.ShownTripNumber(), 5);
    EXPECT_EQ(logic.State().editWrites, writes);
}

TEST_F(OdrTripTest, FromNothingShownPreviousAndNextGoToTheNewest)
{
    for (const char* press : {"previous", "next"}) {
        SCOPED_TRACE(press);
        Ring(57, 56);
        Walk({{press, 56, 57}});
        // After a reset of the shown slot the next step starts at the newest
        // again, while the list, the field and the number stay as they were.
        logic.ShowOldestTrip();
        const ODR_Trip_InfoState before = logic.State();
        OdrShownTrip = -1;
        EXPECT_EQ(logic.State().rows.size(), before.rows.size());
        EXPECT_EQ(ListedSlot(), 0);
        EXPECT_EQ(logic.ShownTripNumber(), 1);
        Walk({{press, 56, 57}});
    }
    Ring(600, 99);
    Walk({{"previous", 99, 600}});
}

TEST_F(OdrTripTest, GuardsComeFirstAndChangeNothing)
{
    const char* presses[] = {"oldest", "previous", "next", "latest", "go:12", "go:"};
    Ring(57, 56);
    logic.GoToTrip("20");
    const ODR_Trip_InfoState before = logic.State();

    // Link down: the trips held are not shown.
    EcuConnected = 0;
    for (const char* press : presses) {
        SCOPED_TRACE(press);
        bench.prompter.Clear();
        Press(press);
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(WarningBox(LanguageText(75), LanguageText(74))));
        EXPECT_EQ(OdrShownTrip, 19);
        EXPECT_EQ(ListedSlot(), 19);
        EXPECT_EQ(logic.ShownTripNumber(), 20);
        EXPECT_EQ(logic.State().editWrites, before.editWrites);
    }

    // No trips read.
    EcuConnected = 1;
    OdrTrips.clear();
    for (const char* press : presses) {
        SCOPED_TRACE(press);
        bench.prompter.Clear();
        Press(press);
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(WarningBox(LanguageText(402), LanguageText(76))));
        EXPECT_EQ(ListedSlot(), 19);
        EXPECT_EQ(logic.ShownTripNumber(), 20);
        EXPECT_EQ(logic.State().editWrites, before.editWrites);
    }
}

// Navigations that would read a slot outside the trips held change nothing
// and show no box.
TEST_F(OdrTripTest, SlotsOutsideTheTripsHeldChangeNothing)
{
    struct Case {
        const char* name;
        std::function<void()> setUp; // after a first trip was shown
        std::vector<std::string> presses;
    };
    const Case cases[] = {
        {"nothing shown, empty go-to",
         [] { OdrShownTrip = -1; },
         {"go:"}},
        {"ring position unknown after a failed read, earlier trips held",
         [] { OdrTripCount = OdrOldestTrip = OdrNewestTrip = OdrShownTrip = -1; },
         {"oldest", "previous", "next", "latest", "go:3", "go:0", "go:"}},
        {"the read stopped after ten trips",
         [] {
             OdrTrips.resize(10);
             OdrShownTrip = 9;
         },
         {"latest", "go:30", "go:99", "next"}},
        {"a later count read counts more trips than were read",
         [] {
             OdrTripCount = 80;
             OdrNewestTrip = 79;
             OdrShownTrip = 56;
         },
         {"latest", "go:70", "go:0", "next"}},
        {"the wrapped ring partly read",
         [] {
             OdrTripCount = 600;
             OdrNewestTrip = 99;
             OdrOldestTrip = 100;
             OdrShownTrip = 5;
         },
         {"oldest", "latest", "go:1", "go:600", "previous"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ring(57, 56);
        logic.GoToTrip("6"); // slot 5
        c.setUp();
        const int32_t shownSlot = OdrShownTrip;
        const ODR_Trip_InfoState before = logic.State();
        const size_t held = OdrTrips.size();
        bench.prompter.Clear();
        for (const std::string& press : c.presses) {
            SCOPED_TRACE(press);
            Press(press);
            EXPECT_EQ(OdrShownTrip, shownSlot);
            EXPECT_EQ(ListedSlot(), 5);
            EXPECT_EQ(logic.State().rows.size(), before.rows.size());
            EXPECT_EQ(logic.State().editText, "6");
            EXPECT_EQ(logic.State().editWrites, before.editWrites);
            EXPECT_EQ(logic.ShownTripNumber(), 6);
            EXPECT_EQ(OdrTrips.size(), held);
        }
        // Only the empty go-to has its box.
        for (const auto& box : bench.prompter.Boxes())
            EXPECT_EQ(box.text, LanguageText(403));
    }
}

TEST_F(OdrTripTest, CountLabelAfterEveryTripCountRead)
{
    EXPECT_EQ(logic.State().countText, "");
    EXPECT_EQ(OdrTripDialogWnd != nullptr, true);
    OdrTripCount = 57;
    ASSERT_TRUE(OdrTripDialogWnd->HandleAppMessage(WM_ODRTRIP_RELOAD));
    EXPECT_EQ(logic.State().countText, "/57");
    EXPECT_EQ(logic.State().countColour, 0x803400u);
    EXPECT_THAT(logic.State().rows, IsEmpty()) << "the count alone shows no trip";

    // The recorder page's count read tells the browser (the simulated ECU
    // holds a full ring of 600 trips).
    ASSERT_TRUE(bench.Connect());
    ODR_InfoLogic recorder(bench.Context());
    ASSERT_TRUE(recorder.ReadOdrTripCount());
    EXPECT_EQ(logic.State().countText, "/600");
}

TEST_F(OdrTripTest, RegistrationLastsAsLongAsThePage)
{
    tarvel::MessageTarget* mine = OdrTripDialogWnd;
    ASSERT_NE(mine, nullptr);
    {
        ODR_Trip_InfoLogic other(bench.Context());
        EXPECT_NE(OdrTripDialogWnd, mine);
    }
    EXPECT_EQ(OdrTripDialogWnd, nullptr) << "no pointer to a page that is gone";
}

TEST(OdrTripPage, HeadersAndCaptionsFollowTheLanguage)
{
    for (int language = 0; language <= 4; ++language) {
        SCOPED_TRACE(language);
        tarvel_test::PageBench bench(language);
        ODR_Trip_InfoLogic logic(bench.Context());
        const auto& s = logic.State();
        if (language == 0)
            EXPECT_THAT(s.headers, ElementsAre("序号", "参数名称", "数值", "单位", "描述"));
        else
            EXPECT_THAT(s.headers, ElementsAre("No.", "Parameter Name", "Value", "Unit", "Description"));
        EXPECT_EQ(s.oldestCaption, LanguageText(374));
        EXPECT_EQ(s.previousCaption, LanguageText(375));
        EXPECT_EQ(s.nextCaption, LanguageText(376));
        EXPECT_EQ(s.latestCaption, LanguageText(377));
        EXPECT_EQ(s.goCaption, LanguageText(401));
        EXPECT_EQ(s.editText, "0");
        EXPECT_EQ(logic.ShownTripNumber(), 0);
    }
}

} // namespace
