// Run-state and equipment flags of the diagnosis, parameter, calibration and
// programming pages that the shell reads or clears.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// -1 at load (counts as identified), 1 after the identification answered,
// 0 after it failed or after a download's erase step.
extern int32_t EcuIdentified;
// 1 while the monitor's worker loops; the worker reads it, hence atomic.
extern std::atomic<int32_t> MonitorRunning;
// 1 while the fault-memory page re-reads every 2000 ms.
extern int32_t DtcReadPending;
// 1 while the ECU information page re-reads its fault status every 5000 ms.
extern int32_t DeviceInfoAutoRead;
// 1 whenever no download runs, 0 during a download.
extern int32_t DownloadIdle;
// 1 after a disconnect, until the parameters page is next opened.
extern int32_t ParameterListStale;
// The brake-system form the ECU reported ("2S2M", "4S2M" or "4S3M"); written
// by the ECU information page, emptied by Disconnect.
extern std::string SystemForm;

// Equipment feature flags: a function counts as present only when its flag is exactly 1.
extern int32_t LiftingAxleCalibrationEnabled;
extern int32_t BrakeLampTestEnabled;
extern int32_t HeightSensorCalibrationEnabled;
extern int32_t UnderwaterValveTestEnabled;
extern int32_t LiftingAxleTestEnabled;
extern int32_t LiftingSensorCalibrationEnabled;

// Restores every value above to its load-time value.
void ResetDiagnosisGlobals();
