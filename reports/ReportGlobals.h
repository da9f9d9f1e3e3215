// State shared by the report pages and the PDF writers.
#pragma once

#include <string>
#include <vector>

#include "LanguageTable.h"

// Texts of LanguagePDFConfig.xml in the current language, read by position
// (row N is the N-th record, whatever its Item says). Empty at start.
extern std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

// ---- EOL results page and EOL report ----
// The vehicle identification last read from the ECU for the report; empty
// until the first successful read.
extern std::string ReportVin;
// The overall verdict of the end-of-line results: -1 incomplete (at start),
// 0 failed, 1 passed.
extern int EolVerdict;
// Its word for the report (report text 42, 39 or 40); empty at start.
extern std::string EolVerdictWord;
// One result word per end-of-line item, as the results list last set them;
// empty at start.
extern std::string EolVoltageWord;
extern std::string EolWarningLampOnWord;
extern std::string EolWarningLampOffWord;
extern std::string EolBrakeLampOnWord;
extern std::string EolBrakeLampOffWord;
extern std::string EolSensor1Word;
extern std::string EolSensor2Word;
extern std::string EolSensor3Word;
extern std::string EolSensor4Word;
extern std::string EolModulator1Word;
extern std::string EolModulator2Word;
extern std::string EolModulator3Word;
extern std::string EolPressure1Word;
extern std::string EolPressure2Word;
extern std::string EolPressure3Word;
extern std::string EolPressure4Word;
extern std::string EolPressure5Word;
extern std::string EolPressure6Word;
extern std::string EolBackupPressureWord;
extern std::string EolLiftingAxleWord;
extern std::string EolLiftingSensorWord;
extern std::string EolHeightSensorWord;
extern std::string EolDtcWord;
extern std::string EolValveOpenWord;
extern std::string EolValveCloseWord;
// The full path last chosen for an EOL report.
extern std::string LastReportPath;
// ---- end of EOL results page and EOL report ----

// Restores every value above to its load-time value.
void ResetReportGlobals();
