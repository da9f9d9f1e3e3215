#include "ReportGlobals.h"

// EOL results page and EOL report
std::string ReportVin;
int EolVerdict = -1;
std::string EolVerdictWord;
std::string EolVoltageWord;
std::string EolWarningLampOnWord;
std::string EolWarningLampOffWord;
std::string EolBrakeLampOnWord;
std::string EolBrakeLampOffWord;
std::string EolSensor1Word;
std::string EolSensor2Word;
std::string EolSensor3Word;
std::string EolSensor4Word;
std::string EolModulator1Word;
std::string EolModulator2Word;
std::string EolModulator3Word;
std::string EolPressure1Word;
std::string EolPressure2Word;
std::string EolPressure3Word;
std::string EolPressure4Word;
std::string EolPressure5Word;
std::string EolPressure6Word;
std::string EolBackupPressureWord;
std::string EolLiftingAxleWord;
std::string EolLiftingSensorWord;
std::string EolHeightSensorWord;
std::string EolDtcWord;
std::string EolValveOpenWord;
std::string EolValveCloseWord;
std::string LastReportPath;
// ---- System-tag page ----
std::string PlateManufacturer, PlateType, PlateVin;
std::string PlateField356, PlateField357, PlateAbsConfiguration, PlateField361;
std::string PlateField368, PlateField369, PlateField370, PlateField371;
std::string PlateField411, PlateField412, PlateField413, PlateField414, PlateField415;
std::string PlateField416, PlateField417, PlateField418, PlateField419, PlateField420;
std::string PlateField421, PlateField422, PlateField423, PlateField424;
std::string PlateField425, PlateField426, PlateField427, PlateField428;
std::string PlateAxleCount;
std::string PlateAxleFlag1, PlateAxleFlag2, PlateAxleFlag3, PlateAxleFlag4, PlateAxleFlag5;
std::string PlateField508, PlateField509, PlateField510, PlateField511;
std::string PlateField586;
_tagSystemTagFilldesc_ SystemTagScratchRow;
int SystemTagEditRow = 0;
int SystemTagEditColumn = 0;
std::string SystemTagPdfPath;
// ---- end of the system-tag page ----

void ResetReportGlobals()
{
    PdfTextTable.clear();
    // EOL results page and EOL report
    ReportVin.clear();
    EolVerdict = -1;
    EolVerdictWord.clear();
    EolVoltageWord.clear();
    EolWarningLampOnWord.clear();
    EolWarningLampOffWord.clear();
    EolBrakeLampOnWord.clear();
    EolBrakeLampOffWord.clear();
    EolSensor1Word.clear();
    EolSensor2Word.clear();
    EolSensor3Word.clear();
    EolSensor4Word.clear();
    EolModulator1Word.clear();
    EolModulator2Word.clear();
    EolModulator3Word.clear();
    EolPressure1Word.clear();
    EolPressure2Word.clear();
    EolPressure3Word.clear();
    EolPressure4Word.clear();
    EolPressure5Word.clear();
    EolPressure6Word.clear();
    EolBackupPressureWord.clear();
    EolLiftingAxleWord.clear();
    EolLiftingSensorWord.clear();
    EolHeightSensorWord.clear();
    EolDtcWord.clear();
    EolValveOpenWord.clear();
    EolValveCloseWord.clear();
    LastReportPath.clear();
    // System-tag page.
    for (std::string* field :
         {&PlateManufacturer, &PlateType, &PlateVin, &PlateField356, &PlateField357, &PlateAbsConfiguration,
          &PlateField361, &PlateField368, &PlateField369, &PlateField370, &PlateField371, &PlateField411,
          &PlateField412, &PlateField413, &PlateField414, &PlateField415, &PlateField416, &PlateField417,
          &PlateField418, &PlateField419, &PlateField420, &PlateField421, &PlateField422, &PlateField423,
          &PlateField424, &PlateField425, &PlateField426, &PlateField427, &PlateField428, &PlateAxleCount,
          &PlateAxleFlag1, &PlateAxleFlag2, &PlateAxleFlag3, &PlateAxleFlag4, &PlateAxleFlag5, &PlateField508,
          &PlateField509, &PlateField510, &PlateField511, &PlateField586, &SystemTagPdfPath})
        field->clear();
    SystemTagScratchRow = _tagSystemTagFilldesc_{};
    SystemTagEditRow = 0;
    SystemTagEditColumn = 0;
}
