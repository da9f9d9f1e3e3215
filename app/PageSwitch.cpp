#include "PageSwitch.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include "Prompter.h"

namespace tarvel {

namespace {

const std::array<std::pair<int, int>, LanguageBroadcastCount> kLanguageBroadcast = {{
    {TabDeviceInfo, WM_LANG_DEVICEINFO},
    {TabParameters, WM_LANG_RWDID},
    {TabMonitor, WM_LANG_MONITOR},
    {TabTroubleCodes, WM_LANG_DTCINFO},
    {TabSystemTag, WM_LANG_SYSTEMTAG},
    {TabEolVoltage, WM_LANG_EOLVOLTAGE},
    {TabEolLamp, WM_LANG_EOLLAMP},
    {TabEolBrakeLamp, WM_LANG_EOLBRAKELAMP},
    {TabEolSensor, WM_LANG_EOLSENSOR},
    {TabEolPressure, WM_LANG_EOLPRESSURE},
    {TabEolBackupPressure, WM_LANG_EOLBACKUPPRESSURE},
    {TabEolLiftingAxle, WM_LANG_EOLLIFTAXLE},
    {TabEolLiftingSensor, WM_LANG_EOLLIFTSENSOR},
    {TabEolHeightSensor, WM_LANG_EOLHEIGHTSENSOR},
    {TabEolDtc, WM_LANG_EOLDTC},
    {TabEolReports, WM_LANG_EOLREPORTS},
    {TabOdrInfo, WM_LANG_ODRINFO},
    {TabOdrTrip, WM_LANG_ODRTRIP},
    {TabRssCalibration, WM_LANG_RSSCALIB},
    {TabEolUnderwaterValve, WM_LANG_EOLBRAKELAMP},
}};

// Language rows of the messages shown here.
constexpr int kRowNotIdentifiedText = 464;
constexpr int kRowFailureCaption = 76;

// Shows a page with its activate message, if it has one.
void ShowAndActivate(ShellPages& pages, int tab, int message)
{
    pages.ShowTab(tab, true);
    if (message != 0)
        pages.SendToPage(tab, message);
}

} // namespace

const std::array<std::pair<int, int>, LanguageBroadcastCount>& LanguageBroadcastOrder()
{
    return kLanguageBroadcast;
}

void BroadcastLanguage(ShellPages& pages)
{
    pages.SendToWindow(WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
    for (const auto& entry : kLanguageBroadcast)
        pages.SendToPage(entry.first, entry.second);
}

void PageSwitcher::OnSelectPage(int page)
{
    pages_.HideAllTabs();

    // While the ECU is known to be unidentified only the information, fault
    // and download pages open, and the user is told why nothing else does.
    if (EcuIdentified == 0) {
        switch (page) {
        case TabDeviceInfo:
            ShowAndActivate(pages_, TabDeviceInfo, WM_ACTIVATE_DEVICEINFO);
            break;
        case TabTroubleCodes:
        case TabProgramDownload:
            pages_.ShowTab(page, true);
            break;
        default:
            break;
        }
        ShowMessage(ShellText(kRowNotIdentifiedText, "The ECU is not identified"),
                    ShellText(kRowFailureCaption, "Error"), MsgIcon::Exclamation);
        return;
    }

    switch (page) {
    case TabDeviceInfo:
        ShowAndActivate(pages_, TabDeviceInfo, WM_ACTIVATE_DEVICEINFO);
        break;
    case TabParameters:
        // The first visit after a disconnect must not show the old ECU's values.
        if (ParameterListStale == 1) {
            ParameterListStale = 0;
            ClearParameterList();
        }
        pages_.ShowTab(TabParameters, true);
        pages_.ShowTab(TabLiftingAxleCalibration, LiftingAxleCalibrationEnabled == 1);
        break;
    case TabMonitor:
    case TabTroubleCodes:
    case TabProgramDownload:
    case TabSystemTag:
    case TabRssCalibration:
        pages_.ShowTab(page, true);
        break;
    case TabEolVoltage:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLVOLTAGE);
        break;
    case TabEolLamp:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLLAMP);
        break;
    case TabEolSensor:
        pages_.ShowTab(page, true);
        pages_.SendToPage(page, WM_ACTIVATE_EOLSENSOR_PREPARE);
        pages_.SendToPage(page, WM_ACTIVATE_EOLSENSOR);
        break;
    case TabEolPressure:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLPRESSURE);
        break;
    case TabEolBackupPressure:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLBACKUPPRESSURE);
        break;
    case TabEolDtc:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLDTC);
        break;
    case TabEolReports:
        // The report reads the brake-lamp results, so that page is reset first.
        pages_.SendToPage(TabEolBrakeLamp, WM_RESET_EOLBRAKELAMP);
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLREPORTS);
        break;
    case TabEolLiftingAxle:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLLIFTAXLE);
        break;
    case TabEolHeightSensor:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLHEIGHTSENSOR);
        break;
    case TabOdrInfo:
        ShowAndActivate(pages_, page, WM_ACTIVATE_ODRINFO);
        break;
    case TabEolBrakeLamp:
        if (BrakeLampTestEnabled == 1)
            ShowAndActivate(pages_, page, WM_ACTIVATE_EOLBRAKELAMP);
        break;
    case TabEolLiftingSensor:
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLLIFTSENSOR);
        break;
    case TabEolUnderwaterValve:
        // The underwater-valve page answers the brake-lamp page's activate message.
        ShowAndActivate(pages_, page, WM_ACTIVATE_EOLBRAKELAMP);
        break;
    default:
        // Roots, the lifting-axle calibration, trip and connector pages:
        // nothing is chosen here.
        break;
    }
}

PageCommandOutcome PageSwitcher::OpenFromRibbon(int tab)
{
    if (EcuConnected.load() != 1) {
        ShowNotConnectedBox();
        return PageCommandOutcome::NotConnected;
    }
    if (EolTestIdle.load() == 0) {
        ShowMessage(TestRunningText, "Warning", MsgIcon::None);
        return PageCommandOutcome::TestRunning;
    }
    if (DownloadIdle == 0) {
        pages_.SendToWindow(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED);
        return PageCommandOutcome::DownloadRunning;
    }
    StopRunningPageWork();
    pages_.HideAllTabs();
    pages_.ShowTab(tab, true);
    return PageCommandOutcome::Shown;
}

PageCommandOutcome PageSwitcher::OnProgramDownload()
{
    return OpenFromRibbon(TabProgramDownload);
}

PageCommandOutcome PageSwitcher::OnRssCalibration()
{
    return OpenFromRibbon(TabRssCalibration);
}

} // namespace tarvel
