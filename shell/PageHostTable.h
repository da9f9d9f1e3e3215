// The 23 function pages at their fixed tab indices: class, dialog template,
// caption row, the trace line and result code when the page cannot be created,
// and the messages each page answers.
#pragma once

#include <array>

namespace tarvel {

constexpr int PageCount = 23;

struct PageSpec {
    int tab;
    const char* className;
    int templateId;
    int textRow;                 // LanguageTable row of the tab caption
    const char* defaultTitle;    // caption while the language table has no text
    const char* failTrace;       // trace line when the page window cannot be created
    int failCode;                // the view's create result in that case
    std::array<int, 2> activate; // activate message(s) sent by the page switch, 0 = none
    int languageMessage;         // language-refresh message, 0 = none
};

// Row `tab` of the table; null for an index outside 0..22.
const PageSpec* FindPageSpec(int tab);
const std::array<PageSpec, PageCount>& PageTable();

// Tab indices by name.
enum PageTab : int {
    TabDeviceInfo = 0,
    TabParameters = 1,
    TabMonitor = 2,
    TabTroubleCodes = 3,
    TabProgramDownload = 4,
    TabEolVoltage = 5,
    TabEolLamp = 6,
    TabEolSensor = 7,
    TabEolPressure = 8,
    TabEolBackupPressure = 9,
    TabEolDtc = 10,
    TabEolReports = 11,
    TabSystemTag = 12,
    TabLiftingAxleCalibration = 13,
    TabEolLiftingAxle = 14,
    TabEolHeightSensor = 15,
    TabOdrInfo = 16,
    TabOdrTrip = 17,
    TabEolBrakeLamp = 18,
    TabEolLiftingSensor = 19,
    TabRssCalibration = 20,
    TabEolUnderwaterValve = 21,
    TabConnectors = 22,
};

} // namespace tarvel
