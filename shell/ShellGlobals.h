// Program-wide state of the application shell, and the few services the shell
// takes from its neighbours (texts, settings, adapter) behind plain functions,
// so the navigation and start-up logic can be tested without a window.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// 1 while the adapter is open and the ECU answered the probe and the keep-alive.
// The monitor worker reads it, hence atomic.
extern std::atomic<int> EcuConnected;
// 1 from the view's destruction on; the monitor worker ends on it.
extern std::atomic<int> AppClosing;
// 1 while disconnected (Connect enabled and checked, Disconnect disabled),
// 0 while connected (the reverse). UI thread only.
extern int32_t ConnectCommandEnabled;
// Caption of the navigation item last clicked (read by the page switch).
extern std::string SelectedNavItemText;
// The current visual-style command id, 205..219 (profile value "ApplicationLook").
extern int AppLook;
// The splash progress counter; global and never reset, as the splash reads it.
extern int SplashTickCount;

namespace tarvel {

// What the shell needs of the settings, language and adapter code. The
// defaults are wired to the real functions when those libraries are part of
// the build; tests and later tasks may replace single entries.
struct ShellServices {
    std::function<std::string(int row)> text;    // LanguageTable row, UTF-8; empty past the end
    std::function<void()> loadSettings;          // LastConfig.xml (with the language table), LastStringConfig.xml
    std::function<void()> saveSettings;          // both files, LastConfig first
    std::function<void()> refreshLanguage;       // RefreshLanguage()
    std::function<void()> closeAdapter;          // CloseCanDevice()
    std::function<void()> initAdapterDriver;     // the Vector driver's one-time initialisation
    std::function<std::vector<std::string>()> adapterNames; // the adapter table's display names
    std::function<void(std::function<void()>)> setRefreshLanguageHandler;
    std::function<int(int record)> lastConfigValue;  // LastConfig record value, or -1 when missing
    std::function<int()> lastConfigCount;            // number of LastConfig records
    std::function<int()> reportLogoMode;             // ReportLogoMode
    std::function<void(int)> setSelectedAdapter;     // SelectedCanAdapter
    std::function<void(int)> setSelectedBaud;        // SelectedCanBaud
    std::function<void(int)> setLanguageIndex;       // LanguageIndex
    std::function<void(int)> setTestRunning;         // TestRunning (UDS engine)
    std::function<void(unsigned)> setRequestCanId;   // RequestCanId (ISO-TP link)
    // Lets the settings code read the three ribbon combos when it saves:
    // the source answers {adapter row, baud row, language row}.
    std::function<void(std::function<std::array<int, 3>()>)> setComboSource;
    std::function<void(int newRow)> languageChosen;  // the language change
    std::function<std::string()> programFolder;      // folder of the running program
};

ShellServices& Services();
// Restores the defaults described above.
void ResetShellServices();

// Restores the shell's globals above (except the splash counter, which is
// never reset), its services and handlers, and the window registry to their
// load-time values.
void ResetShellGlobals();

class TimerFactory;
// The timer factory pages take their timers from (wxTimer in the program,
// virtual timers in tests); null until one is installed.
TimerFactory* ShellTimerFactory();
void SetShellTimerFactory(TimerFactory* factory); // not owned

// Whatever must stop before another page is shown, beyond the program-wide
// flags: the view installs a handler that tells every page's logic to stop
// its work; running it without a handler does nothing.
void SetPageWorkStopHandler(std::function<void()> handler);
void RunPageWorkStopHandler();

// Empties the parameters page's list (the page switch does it the first time
// the page opens after a disconnect). The parameters page installs it.
void ClearParameterList();
void SetParameterListClearHandler(std::function<void()> handler);

// Text of a LanguageTable row, or the fallback when the row has no text
// (with no fallback given: the row's built-in text, BuiltInRowText).
std::string ShellText(int row, const std::string& fallback = std::string());

// The box shown when something needs the ECU and none is connected (rows 75
// and 74 of the language table).
constexpr int kRowNotConnectedText = 75;
constexpr int kRowNotConnectedCaption = 74;
// What that box says while the language table has no text for its rows.
constexpr const char* kNotConnectedFallbackText = "Please connect the ECU first";
constexpr const char* kNotConnectedFallbackCaption = "Tips";
// The built-in text of a row that every part of the program shows the same
// way (rows 75 and 74 above); empty for any other row.
const char* BuiltInRowText(int row);
void ShowNotConnectedBox();

} // namespace tarvel
