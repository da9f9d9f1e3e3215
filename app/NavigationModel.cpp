#include "NavigationModel.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "Prompter.h"

namespace tarvel {

const char* const TestRunningText =
    "Test is running. Please exit test first or wait for the test complete";

NavEquipment CurrentNavEquipment()
{
    NavEquipment e;
    e.brakeLampTest = BrakeLampTestEnabled;
    e.liftingAxleTest = LiftingAxleTestEnabled;
    e.liftingSensorCalibration = LiftingSensorCalibrationEnabled;
    e.heightSensorCalibration = HeightSensorCalibrationEnabled;
    e.underwaterValveTest = UnderwaterValveTestEnabled;
    return e;
}

std::vector<NavRoot> BuildNavTree(const NavEquipment& eq)
{
    std::vector<NavRoot> tree(2);
    tree[0].root = {20, NoPage};
    tree[0].items = {{8, 0}, {9, 1}, {10, 2}, {11, 3}, {22, 12}, {298, 16}};

    tree[1].root = {21, NoPage};
    auto& eol = tree[1].items;
    // Only an exact 1 shows an optional item; 2, -1 or garbage hide it.
    auto optional = [&eol](int flag, NavItem item) {
        if (flag == 1)
            eol.push_back(item);
    };
    eol.push_back({13, 5});
    eol.push_back({14, 6});
    optional(eq.brakeLampTest, {448, 18});
    eol.push_back({15, 7});
    eol.push_back({16, 8});
    eol.push_back({17, 9});
    optional(eq.liftingAxleTest, {24, 14});
    optional(eq.liftingSensorCalibration, {488, 19});
    optional(eq.heightSensorCalibration, {276, 15});
    optional(eq.underwaterValveTest, {580, 21});
    eol.push_back({18, 10});
    eol.push_back({19, 11});
    return tree;
}

bool NavigationEnvironment::Connected() const { return EcuConnected.load() == 1; }
bool NavigationEnvironment::TestIdle() const { return EolTestIdle.load() != 0; }
bool NavigationEnvironment::DownloadIdleNow() const { return DownloadIdle != 0; }

void StopRunningPageWork()
{
    EolStopRequested = 1;
    StopMonitorWorker(); // joins the worker before the next page sends anything
    DtcReadPending = 0;
    DeviceInfoAutoRead = 0;
    if (Services().setTestRunning)
        Services().setTestRunning(0);
    EolDtcReadPending = 0;
    RunPageWorkStopHandler();
}

void NavigationEnvironment::StopPageWork()
{
    StopRunningPageWork();
}

void NavigationEnvironment::NotifyDownloadPage()
{
    SendToRegisteredWindow(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED);
}

NavClickOutcome OnNavTreeClick(NavigationEnvironment& env, const NavItem* hit)
{
    if (!env.Connected()) {
        // The wording comes from the language file; the English fallback only
        // shows when that file lacks the rows.
        ShowNotConnectedBox();
        return NavClickOutcome::NotConnected;
    }
    if (!env.TestIdle()) {
        ShowMessage(TestRunningText, "Warning", MsgIcon::None);
        return NavClickOutcome::TestRunning;
    }
    if (!env.DownloadIdleNow()) {
        env.NotifyDownloadPage();
        return NavClickOutcome::DownloadRunning;
    }
    env.StopPageWork();
    if (!hit) {
        SelectedNavItemText.clear();
        return NavClickOutcome::EmptyArea;
    }
    // The caption is kept for code that reads it; the page itself is chosen
    // by the id stored with the item.
    SelectedNavItemText = ShellText(hit->textRow);
    env.SelectPage(hit->page);
    return NavClickOutcome::Selected;
}

bool RefusedWhileBusy(NavigationEnvironment& env)
{
    if (!env.TestIdle()) {
        ShowMessage(TestRunningText, "Warning", MsgIcon::None);
        return true;
    }
    if (!env.DownloadIdleNow()) {
        env.NotifyDownloadPage();
        return true;
    }
    return false;
}

} // namespace tarvel
