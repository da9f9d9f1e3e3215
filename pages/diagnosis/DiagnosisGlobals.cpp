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
}
