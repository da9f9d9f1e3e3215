#include "ShellGlobals.h"

#include "WindowRegistry.h"
#include "Log.h"
#include "Prompter.h"


#include "LanguageChange.h"
#include "LanguageTable.h"
#include "SettingsFiles.h"
#include "ProgramPaths.h"
#include "CanAdapterGlobals.h"
#include "CanAdapterSwitch.h"
#include "IsoTpLink.h"
#include "UdsEngine.h"

std::atomic<int> EcuConnected{0};
std::atomic<int> AppClosing{0};
int32_t ConnectCommandEnabled = 1;
std::string SelectedNavItemText;
int AppLook = 215;
int SplashTickCount = 0;

namespace tarvel {

namespace {


ShellServices DefaultServices()
{
    ShellServices s;
    s.text = [](int row) { return LanguageText(row); };
    s.loadSettings = [] {
        LoadLastConfig();
        LoadLastStringConfig();
    };
    s.saveSettings = [] {
        SaveLastConfig();
        SaveLastStringConfig();
    };
    s.refreshLanguage = [] { RefreshLanguage(); };
    s.setRefreshLanguageHandler = [](std::function<void()> handler) {
        SetRefreshLanguageHandler(std::move(handler));
    };
    s.lastConfigCount = [] { return static_cast<int>(LastConfigItems.size()); };
    s.lastConfigValue = [](int record) {
        if (record < 0 || record >= static_cast<int>(LastConfigItems.size()))
            return -1;
        return LastConfigItems[static_cast<size_t>(record)].nIndex;
    };
    s.reportLogoMode = [] { return ReportLogoMode; };
    s.setComboSource = [](std::function<std::array<int, 3>()> source) {
        if (!source) {
            SetComboSelectionSource({});
            return;
        }
        SetComboSelectionSource([source] {
            std::array<int, 3> rows = source();
            ComboSelections c;
            c.adapterRow = rows[0];
            c.baudRow = rows[1];
            c.languageRow = rows[2];
            return c;
        });
    };
    s.setLanguageIndex = [](int v) { LanguageIndex = v; };
    s.programFolder = [] { return ProgramFolder(); };
    s.closeAdapter = [] { CloseCanDevice(); };
    s.initAdapterDriver = [] { InitVectorDriver(); };
    s.adapterNames = [] {
        std::vector<std::string> names;
        for (const CanAdapterRow& row : CanAdapterTable)
            names.push_back(row.DisplayName ? row.DisplayName : "");
        return names;
    };
    s.setSelectedAdapter = [](int v) { SelectedCanAdapter = v; };
    s.setSelectedBaud = [](int v) { SelectedCanBaud = v; };
    s.setTestRunning = [](int v) { TestRunning = static_cast<uint32_t>(v); };
    s.setRequestCanId = [](unsigned id) { RequestCanId = id; };
    s.languageChosen = [](int row) { OnLanguageChanged(row); };
    return s;
}

ShellServices& Storage()
{
    static ShellServices services = DefaultServices();
    return services;
}

} // namespace

ShellServices& Services()
{
    return Storage();
}

void ResetShellServices()
{
    Storage() = DefaultServices();
}

namespace {
TimerFactory* timerFactory = nullptr;
}

TimerFactory* ShellTimerFactory()
{
    return timerFactory;
}

void SetShellTimerFactory(TimerFactory* factory)
{
    timerFactory = factory;
}

namespace {
std::function<void()>& PageWorkStopHandler()
{
    static std::function<void()> handler;
    return handler;
}
std::function<void()>& ParameterListClearHandler()
{
    static std::function<void()> handler;
    return handler;
}
} // namespace

void SetPageWorkStopHandler(std::function<void()> handler)
{
    PageWorkStopHandler() = std::move(handler);
}

void RunPageWorkStopHandler()
{
    if (PageWorkStopHandler())
        PageWorkStopHandler()();
}

void ClearParameterList()
{
    if (ParameterListClearHandler())
        ParameterListClearHandler()();
}

void SetParameterListClearHandler(std::function<void()> handler)
{
    ParameterListClearHandler() = std::move(handler);
}

const char* BuiltInRowText(int row)
{
    switch (row) {
    case kRowNotConnectedText: return kNotConnectedFallbackText;
    case kRowNotConnectedCaption: return kNotConnectedFallbackCaption;
    default: return "";
    }
}

std::string ShellText(int row, const std::string& fallback)
{
    std::string text = Storage().text ? Storage().text(row) : std::string();
    if (!text.empty())
        return text;
    return fallback.empty() ? std::string(BuiltInRowText(row)) : fallback;
}

void ShowNotConnectedBox()
{
    ShowMessage(ShellText(kRowNotConnectedText), ShellText(kRowNotConnectedCaption), MsgIcon::Exclamation);
}

void ResetShellGlobals()
{
    EcuConnected = 0;
    AppClosing = 0;
    ConnectCommandEnabled = 1;
    SelectedNavItemText.clear();
    AppLook = 215;
    ResetShellServices();
    SetShellTimerFactory(nullptr);
    SetParameterListClearHandler(nullptr);
    SetPageWorkStopHandler(nullptr);
    for (int slot = 0; slot < static_cast<int>(WindowSlot::Count); ++slot)
        RegisterWindow(static_cast<WindowSlot>(slot), nullptr);
}

} // namespace tarvel
