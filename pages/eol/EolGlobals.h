// Run state and result flags shared by the end-of-line test pages, the view,
// the navigation tree and the reports.
#pragma once

#include <atomic>
#include <cstdint>

// 1 asks the running end-of-line step to stop at its next check. The page
// switch, the navigation click and Disconnect set it; the Start handlers clear it.
extern std::atomic<uint8_t> EolStopRequested;
// 1 while no end-of-line test runs; page changes are refused while it is 0.
extern std::atomic<int32_t> EolTestIdle;
// 1 after the final gate restarted the ECU, so the fault-check page reads the codes.
extern int32_t EolDtcReadPending;
// 1 once a whole run passed and the passed marker was written into the ECU.
extern int32_t EolPassedFlag;

// Result flags: -1 not tested, 0 failed, 1 passed, 2 skipped.
constexpr int32_t EolNotTested = -1;
constexpr int32_t EolFailed = 0;
constexpr int32_t EolPassed = 1;
constexpr int32_t EolSkipped = 2;

extern int32_t EolVoltageResult;
extern int32_t EolWarningLampOnResult;
extern int32_t EolWarningLampOffResult;
extern int32_t EolBrakeLampOnResult;
extern int32_t EolBrakeLampOffResult;
extern int32_t EolSensor1Result;
extern int32_t EolSensor2Result;
extern int32_t EolSensor3Result;
extern int32_t EolSensor4Result;
extern int32_t EolModulator1Result;
extern int32_t EolModulator2Result;
extern int32_t EolModulator3Result;
extern int32_t EolPressure1Result;
extern int32_t EolPressure2Result;
extern int32_t EolPressure3Result;
extern int32_t EolPressure4Result;
extern int32_t EolPressure5Result;
extern int32_t EolPressure6Result;
extern int32_t EolBackupPressureResult;
extern int32_t EolLiftingAxleResult;
extern int32_t EolLiftingSensorResult;
extern int32_t EolHeightSensorResult;
extern int32_t EolDtcResult;
extern int32_t EolValveOpenResult;
extern int32_t EolValveCloseResult;

// All 25 result flags, in the order above, for code that walks them.
constexpr int EolResultFlagCount = 25;
int32_t* const* EolResultFlags();

// Restores every value above to its load-time value.
void ResetEolGlobals();
