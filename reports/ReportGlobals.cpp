#include "ReportGlobals.h"

std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

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
}
