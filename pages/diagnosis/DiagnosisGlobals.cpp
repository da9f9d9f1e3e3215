#include "DiagnosisGlobals.h"

int32_t EcuIdentified = -1;
std::atomic<int32_t> MonitorRunning{0};
int32_t DtcReadPending = 0;
int32_t DeviceInfoAutoRead = 0;
int32_t DownloadIdle = 1;
int32_t ParameterListStale = 0;
std::string SystemForm;

int32_t LiftingAxleCalibrationEnabled = 0;
int32_t BrakeLampTestEnabled = 0;
int32_t HeightSensorCalibrationEnabled = 0;
int32_t UnderwaterValveTestEnabled = 0;
int32_t LiftingAxleTestEnabled = 0;
int32_t LiftingSensorCalibrationEnabled = 0;

uint8_t HeightSensorAxle1Present = 0;
uint8_t HeightSensorAxle2Present = 0;
int32_t ParameterChoice = 0;
int32_t AxleCount = 0;
std::array<int32_t, 10> AxleFeatureFlags{};
std::array<int32_t, 10> LiftingAxleFlags{};
int32_t DerivedSystemVariant = -1;
std::array<uint8_t, 20> SystemTagValues = [] {
    std::array<uint8_t, 20> bytes{};
    bytes.fill(0xFF);
    return bytes;
}();
std::vector<std::string> LiftingAxleRowValues;
std::string ParameterValueText1;
std::string ParameterValueText2;
std::string ParameterValueText3;
std::string ParameterValueText4;
std::string ParameterValueText5;
std::string ParameterValueText6;
std::string ParameterValueText7;
float ParameterValueSum = 0.0f;
int32_t LiftingAxleRowCount = 0;

void ResetDiagnosisGlobals()
{
    EcuIdentified = -1;
    MonitorRunning = 0;
    DtcReadPending = 0;
    DeviceInfoAutoRead = 0;
    DownloadIdle = 1;
    ParameterListStale = 0;
    SystemForm.clear();

    LiftingAxleCalibrationEnabled = 0;
    BrakeLampTestEnabled = 0;
    HeightSensorCalibrationEnabled = 0;
    UnderwaterValveTestEnabled = 0;
    LiftingAxleTestEnabled = 0;
    LiftingSensorCalibrationEnabled = 0;

    HeightSensorAxle1Present = 0;
    HeightSensorAxle2Present = 0;
    ParameterChoice = 0;
    AxleCount = 0;
    AxleFeatureFlags.fill(0);
    LiftingAxleFlags.fill(0);
    DerivedSystemVariant = -1;
    SystemTagValues.fill(0xFF);
    LiftingAxleRowValues.clear();
    ParameterValueText1.clear();
    ParameterValueText2.clear();
    ParameterValueText3.clear();
    ParameterValueText4.clear();
    ParameterValueText5.clear();
    ParameterValueText6.clear();
    ParameterValueText7.clear();
    ParameterValueSum = 0.0f;
    LiftingAxleRowCount = 0;
    ResetMonitorGlobals();
}

// ---- Live-data monitor page ----
std::vector<_tagMonitorDIDdesc_> MonitorDidTable;
std::vector<_tagMonitorDIDdesc_> MonitorDidList;
std::vector<_tagFillMonitordesc_> MonitorRows;
int32_t MonitorDisplayState = 1;
std::atomic<int32_t> MonitorPeriodMs{1000};
std::atomic<int32_t> MonitorRebuildPending{1};
std::atomic<int32_t> MonitorFailCount{0};
int32_t MonitorRecordState = 1;
std::FILE* MonitorCsvFile = nullptr;
std::mutex& MonitorCsvLock()
{
    static std::mutex lock;
    return lock;
}
std::atomic<int32_t> MonitorCsvHeaderPending{-1};

void ResetMonitorGlobals()
{
    MonitorDidTable.clear();
    MonitorDidList.clear();
    MonitorRows.clear();
    MonitorDisplayState = 1;
    MonitorPeriodMs = 1000;
    MonitorRebuildPending = 1;
    MonitorFailCount = 0;
    MonitorRecordState = 1;
    if (MonitorCsvFile)
        std::fclose(MonitorCsvFile);
    MonitorCsvFile = nullptr;
    MonitorCsvHeaderPending = -1;
}
// ---- end of the live-data monitor page ----
