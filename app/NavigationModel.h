// What the navigation tree shows and what a click on it does, apart from the
// tree control. Every item carries the tab index of its page, so a click is
// dispatched by page and never by caption: two rows that translate to the same
// text still open their own pages.
#pragma once

#include "ShellGlobals.h"

#include <functional>
#include <string>
#include <vector>

namespace tarvel {

constexpr int NoPage = -1;

struct NavItem {
    int textRow = 0;     // LanguageTable row of the caption
    int page = NoPage;   // tab index of the page, NoPage for a root
};

struct NavRoot {
    NavItem root;
    std::vector<NavItem> items;
};

// The equipment flags that decide which end-of-line items appear.
struct NavEquipment {
    int brakeLampTest = 0;
    int liftingAxleTest = 0;
    int liftingSensorCalibration = 0;
    int heightSensorCalibration = 0;
    int underwaterValveTest = 0;
};

// Reads the current equipment flags from the program-wide globals.
NavEquipment CurrentNavEquipment();

// The two roots, "Diagnostics" and "EOL Test", with their items in order.
std::vector<NavRoot> BuildNavTree(const NavEquipment& equipment);

// Stops whatever page work runs before another page is shown: the end-of-line
// step, the monitor worker (joined), the timed reads and a running test. The
// navigation click and the ribbon's page commands both do it. Then every
// page's logic is told to stop its work, through the handler the view installs
// (SetPageWorkStopHandler).
void StopRunningPageWork();

// What a click reads and what it asks of others. The default implementation
// works on the program-wide flags; the view supplies the page switch.
class NavigationEnvironment {
public:
    virtual ~NavigationEnvironment() = default;
    virtual bool Connected() const;          // EcuConnected == 1
    virtual bool TestIdle() const;           // EolTestIdle != 0
    virtual bool DownloadIdleNow() const;    // DownloadIdle != 0
    // Stops the running page work before the page changes.
    virtual void StopPageWork();
    // Tells the program-download page that the user tried to leave.
    virtual void NotifyDownloadPage();
    // Hands the chosen page to the view (NoPage for a root item).
    virtual void SelectPage(int page) = 0;
};

enum class NavClickOutcome {
    NotConnected,     // the not-connected box was shown
    TestRunning,      // the "Test is running" box was shown
    DownloadRunning,  // the download page was told; nothing else changed
    EmptyArea,        // flags cleared, nothing selected
    Selected,         // the page (or a root) was handed to the view
};

extern const char* const TestRunningText;

// One click on the tree; `hit` is the item under the mouse, or null.
NavClickOutcome OnNavTreeClick(NavigationEnvironment& env, const NavItem* hit);

// While a page holds the program busy (an end-of-line run, a download), what
// would start the pages over (New, Open, a recent document) is refused as a
// page switch is: the "Test is running" box, or the download page's line.
// The page on the screen stays. True when refused.
bool RefusedWhileBusy(NavigationEnvironment& env);

} // namespace tarvel
