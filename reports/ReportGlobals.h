// State shared by the report pages and the PDF writers.
#pragma once

#include <string>
#include <vector>

#include "ReportTextTable.h"

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
// ---- System-tag page: the plate fields and the page's edit state ----
// The braking-system plate, printed by the system tag and by the first page
// of the EOL report (UTF-8, empty at start). Manufacturer and type are typed
// on the system-tag page; the VIN is typed or read from the ECU; every other
// field is a value of the ECU's vehicle-configuration block, mapped by the
// name of its row.
extern std::string PlateManufacturer;
extern std::string PlateType;
extern std::string PlateVin;
extern std::string PlateField356;
extern std::string PlateField357;
extern std::string PlateAbsConfiguration;
extern std::string PlateField361;
extern std::string PlateField368;
extern std::string PlateField369;
extern std::string PlateField370;
extern std::string PlateField371;
extern std::string PlateField411, PlateField412, PlateField413, PlateField414, PlateField415;
extern std::string PlateField416, PlateField417, PlateField418, PlateField419, PlateField420;
extern std::string PlateField421, PlateField422, PlateField423, PlateField424;
extern std::string PlateField425, PlateField426, PlateField427, PlateField428;
extern std::string PlateAxleCount;
extern std::string PlateAxleFlag1, PlateAxleFlag2, PlateAxleFlag3, PlateAxleFlag4, PlateAxleFlag5;
extern std::string PlateField508, PlateField509, PlateField510, PlateField511;
extern std::string PlateField586;
// One decoded row of the system-tag list.
struct _tagSystemTagFilldesc_ {
    std::string RowNumber;     // 1-based, decimal
    std::string ParameterName; // the sub-field's SubDataName
    std::string ValueText;
    std::string UnitText;
};
// The row being built by a read before it is appended to the read's rows.
extern _tagSystemTagFilldesc_ SystemTagScratchRow;
// The list cell the edit box edits (0 at start).
extern int SystemTagEditRow;
extern int SystemTagEditColumn;
// The full path chosen in the last completed save of a system tag.
extern std::string SystemTagPdfPath;
// ---- end of the system-tag page ----

// Restores every value above to its load-time value.
void ResetReportGlobals();
