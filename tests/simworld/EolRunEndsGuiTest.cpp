// An end-of-line run that the user ends from outside the page, in the running
// program on its own simulated world: the window closed while the pressure
// pages hold the brakes, the link cut while the person at the trailer holds
// the backup pressure. The program's time is virtual.
#include "EolBackupPressureLogic.h"
#include "EolBrakePressureLogic.h"
#include "EolTestPage.h"

#include "EolGlobals.h"
#include "LanguageTable.h"
#include "MainFrame.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GlobalsReset.h"
#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include "SimBuiltInWorld.h"
#include "SimEcu.h"
#include "SimStationOperator.h"
#include "SimTrailer.h"
#include "SimTrailerFaults.h"
#include "Timer.h"
#include "VirtualClock.h"
#include "VirtualTimeProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/toplevel.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using guidriver::Click;

// A program closed before this one left its globals as they were.
struct FreshGlobals {
    FreshGlobals() { tarvel_test::ResetAllGlobals(); }
};

// The program on a good simulated trailer, on virtual time.
class Station : private FreshGlobals, public simworldtest::VirtualTimeProgram {
public:
    // Page `tab`, opened from the navigation.
    CEolTestPage* Open(int tab)
    {
        if (!guidriver::Open(app, tab))
            return nullptr;
        return dynamic_cast<CEolTestPage*>(app->View()->Page(tab));
    }

    // The requests the simulated ECU has heard.
    static std::vector<std::vector<uint8_t>> Heard() { return sim::BuiltInEcu()->Requests(); }
};

// Passes every box on to the program's recording prompter; the box whose
// text is `trigger` also sets `act` going `delayMs` of the world's time
// later, dispatched by the program's own event handling as a click is.
class ActAfterBox : public tarvel::Prompter {
public:
    ActAfterBox(Station& station, std::string trigger, uint64_t delayMs, std::function<void()> act)
        : station_(station), trigger_(std::move(trigger)), delayMs_(delayMs), act_(std::move(act)),
          use_(*this)
    {
    }
    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        if (acted)
            after.push_back(text);
        const tarvel::MsgAnswer answer = station_.program.prompter->Show(text, caption, icon, buttons);
        if (text == trigger_ && !planned_) {
            planned_ = true;
            station_.clock.ScheduleIn(delayMs_ * 1000, [this] {
                CMainFrame* frame = station_.app->MainFrame();
                frame->CallAfter([this] {
                    heardBefore = Station::Heard().size();
                    acted = true;
                    act_();
                });
            });
        }
        return answer;
    }

    bool acted = false;
    size_t heardBefore = 0;           // what the ECU had heard when the act came
    std::vector<std::string> after;   // boxes shown after the act

private:
    Station& station_;
    std::string trigger_;
    uint64_t delayMs_;
    std::function<void()> act_;
    bool planned_ = false;
    tarvel::ScopedPrompter use_;
};

// The user closes the window while a pressure page holds the brakes: the run
// ends without a box (a "Failed to read the pressure values" box would hold
// the close until its OK), what the page held goes back to the ECU, and the
// program closes.
struct CloseCase {
    const char* name;
    int tab;
    int triggerRow;    // the box after which the user waits
    uint64_t delayMs;  // then closes the window
    std::vector<uint8_t> handBack;
};

void CloseDuringTheRun(const CloseCase& c)
{
    Station station;
    ASSERT_TRUE(station.Start(c.name));
    ASSERT_TRUE(guidriver::Connect(station.app));
    station.PassTime(2000);
    CEolTestPage* page = station.Open(c.tab);
    ASSERT_NE(page, nullptr);
    CMainFrame* frame = station.app->MainFrame();
    ActAfterBox user(station, LanguageText(c.triggerRow), c.delayMs, [frame] { frame->Close(); });

    Click(page->StartButton());

    std::vector<std::string> texts;
    for (const auto& box : station.program.prompter->Boxes())
        texts.push_back(box.text);
    ASSERT_TRUE(user.acted) << "the run ended before the window was closed; boxes: " << testing::PrintToString(texts);
    EXPECT_TRUE(user.after.empty()) << "a box after the close: " << user.after.front();
    EXPECT_EQ(EolTestIdle.load(), 1) << "the run goes on";
    // The frame reaches the ECU as the world's time goes on.
    for (int turn = 0; turn < 20 && AppClosing.load() == 0; ++turn)
        station.PassTime(Station::kStepMs);
    const auto heard = Station::Heard();
    ASSERT_LE(user.heardBefore, heard.size());
    EXPECT_NE(std::find(heard.begin() + static_cast<std::ptrdiff_t>(user.heardBefore), heard.end(), c.handBack),
              heard.end())
        << "the output was not handed back";
    // The close went ahead by itself, without anybody's OK.
    EXPECT_EQ(AppClosing.load(), 1) << "the program did not close";
    EXPECT_TRUE(wxPendingDelete.Member(frame) || !wxTopLevelWindows.Member(frame)) << "the window stays";
}

TEST(EolRunEndsGui, ClosingTheWindowDuringAPressureRunEndsItQuietlyAndTheProgram)
{
    const CloseCase cases[] = {
        // EBS Pressure: Start, OK, and the window's close about 6 s later.
        {"test_eol_close_brake", tarvel::TabEolPressure, EolBrakePressureLogic::kInstructionTextRow, 6000,
         {0x2F, 0x00, 0x05, 0x00}},
        // Backup Pressure: Start, OK, and the window's close within 1.5 s.
        {"test_eol_close_backup", tarvel::TabEolBackupPressure, EolBackupPressureLogic::kBuildPressureTextRow, 700,
         {0x2F, 0x00, 0x06, 0x00}},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDuringTheRun(c);
    }
}

// The user cuts the link while the person at the trailer holds the backup
// pressure: the page's run ends, the person lets go of the pressure, and
// after Connect the next backup run finds the brake circuit released and
// passes.
TEST(EolRunEndsGui, ADisconnectDuringTheBackupRunLetsThePressureGoAndTheNextRunPasses)
{
    Station station;
    ASSERT_TRUE(station.Start("test_eol_disconnect_backup"));
    ASSERT_TRUE(guidriver::Connect(station.app));
    station.PassTime(2000);
    CEolTestPage* page = station.Open(tarvel::TabEolBackupPressure);
    ASSERT_NE(page, nullptr);
    CTarvelApp* app = station.app;
    ActAfterBox user(station, LanguageText(EolBackupPressureLogic::kBuildPressureTextRow), 400, [app] {
        guidriver::Press(app->MainFrame()->Ribbon().commButtons, ID_DISCONNECTCAN);
    });

    Click(page->StartButton());

    ASSERT_TRUE(user.acted) << "the run ended before the link was cut";
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(EolTestIdle.load(), 1) << "the run goes on";
    EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure()) << "the person still holds the pressure";
    station.PassTime(1500);
    EXPECT_LT(sim::BuiltInTrailer()->DemandPressure(), 0.05);

    ASSERT_TRUE(guidriver::Connect(station.app));
    station.PassTime(2000);
    station.program.prompter->Clear();
    page = station.Open(tarvel::TabEolBackupPressure);
    ASSERT_NE(page, nullptr);
    Click(page->StartButton());
    std::vector<std::string> texts;
    for (const auto& box : station.program.prompter->Boxes())
        texts.push_back(box.text);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), LanguageText(EolBackupPressureLogic::kNotReleasedTextRow)), 0);
    EXPECT_EQ(EolBackupPressureResult, EolPassed);
}

} // namespace
