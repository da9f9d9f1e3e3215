// Run state and result flags shared by the end-of-line test pages, the view,
// the navigation tree and the reports.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

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

// Report remarks: the text the report prints beside each item. "-" until a
// test fails; a failed item copies its reason into its remark.
extern const char* const EolNoRemark; // "-"
extern std::string EolVoltageRemark;
extern std::string EolWarningLampOnRemark;
extern std::string EolWarningLampOffRemark;
extern std::string EolDtcRemark;
extern std::string EolPressureRemark1;
extern std::string EolPressureRemark2;
extern std::string EolPressureRemark3;
extern std::string EolPressureRemark4;
extern std::string EolPressureRemark5;
extern std::string EolPressureRemark6;
extern std::string EolBackupPressureRemark;
extern std::string EolValveOpenRemark;
extern std::string EolValveCloseRemark;
extern std::string EolSensorRemark1;
extern std::string EolSensorRemark2;
extern std::string EolSensorRemark3;
extern std::string EolSensorRemark4;
extern std::string EolSensorRemark5;
extern std::string EolSensorRemark6;
extern std::string EolSensorRemark7;
extern std::string EolBrakeLampOnRemark;
extern std::string EolBrakeLampOffRemark;
extern std::string EolHeightSensorRemark;
extern std::string EolLiftingAxleRemark;
extern std::string EolLiftingSensorRemark;

// The vehicle identification (22 F1 90, as read) of the ECU the current
// results were earned on; empty while no test has started on a known ECU.
extern std::string EolResultsVin;

// ---- Who owns which result, and who resets it ----

// The end-of-line test pages.
enum class EolPage {
    Voltage,
    WarningLamp,
    Sensors,
    Pressure,
    BackupPressure,
    Dtc,
    LiftingAxle,
    HeightSensor,
    BrakeLamp,
    LiftingSensor,
    UnderwaterValve,
};

// One row per result flag: the page that earns it and the resets beyond its
// own page that clear it.
struct EolResultRow {
    int32_t* flag;
    const char* name;           // the flag's name, for messages
    EolPage page;
    bool clearedAfterPass;      // by Disconnect once a run has passed
    bool clearedByConfiguration; // by a vehicle-configuration write
};
const EolResultRow* EolResultTable(); // EolResultFlagCount rows, flag order

struct EolRemarkRow {
    std::string* remark;
    const char* name;
    EolPage page;
};
constexpr int EolRemarkCount = 25;
const EolRemarkRow* EolRemarkTable(); // EolRemarkCount rows

// Every flag -1 and every remark "-" (an ECU other than the one the
// results belong to). EolResultsVin is left alone.
void ResetAllEolResults();
// Disconnect after a passed run: 23 flags, all but the fifth and sixth
// pressure results. Remarks are kept.
void ResetEolResultsAfterPass();
// After the parameters page wrote the vehicle configuration: 20 flags, all
// but the third modulator, the fifth and sixth pressures and the
// underwater-valve pair. Remarks are kept.
void ResetEolResults();
// The flags of one page to -1 (its Start and Exit).
void ResetEolPageResults(EolPage page);
// The remarks of one page to "-" (its Start).
void ResetEolPageRemarks(EolPage page);
// True while every flag of the page is -1 (nothing to show on activation).
bool EolPageResultsNotTested(EolPage page);
// True while every one of the 25 flags is -1.
bool EolAllResultsNotTested();

// ---- Fault-check page ----
// Readings done in the current series of five.
extern int32_t EolDtcReadCounter;
// The fault count of the last reading (255 when it could not be read).
extern int32_t EolDtcCount;
// "0xFD0E" / "0xDB08" when the last reading listed that code, else empty.
extern std::string EolSeenCodeFD0E;
extern std::string EolSeenCodeDB08;

// ---- Height-sensor calibration page ----
// -1 not calibrated, 1 calibrated and verified across a restart.
extern int32_t EolHeightCdAxleResult;
extern int32_t EolHeightEfAxleResult;
// Seconds left after the ECU restart of a calibration (survives Exit).
extern uint8_t HeightResetCountdown;
// Last calibration values read (0x00B3 CD, 0x00B4 EF).
extern float HeightCdCalibrationValue;
extern float HeightEfCalibrationValue;
// "%.2f" texts of the calibration values read before a restart (or by the
// live reading) and after it.
extern std::string HeightCdCalibrationText;
extern std::string HeightCdCalibrationTextAfterReset;
extern std::string HeightEfCalibrationText;
extern std::string HeightEfCalibrationTextAfterReset;
// ---- Brake-pressure and backup-pressure pages ----
// The values the brake-pressure page judges (bar; 0.0 while it holds none).
extern float LeftBrakePressure;
extern float LeftReleasePressure;
extern float RightBrakePressure;
extern float RightReleasePressure;
extern float EbsdLeftBrakePressure;
extern float EbsdRightBrakePressure;
extern float EbsdLeftReleasePressure;
extern float EbsdRightReleasePressure;
// 1 once items 1 to 4 of the two-channel sequence have passed.
extern uint8_t PressureStepPassed[4];
// Seconds run by the current phase (0.5 per tick).
extern float PressurePhaseElapsed;
// Backup-pressure channels 1 to 5: desired, left, right, EBS-D left, EBS-D
// right; the values and the texts last shown.
extern float BackupPressureValues[5];
extern std::string BackupPressureTexts[5];
// 1 after a passing evaluation, else 0.
extern uint8_t BackupPressurePassed;
void ResetEolPressureGlobals();
// ---- end of the pressure pages ----
// ---- Wheel-sensor and modulator page ----
// The items of the steps, copied from the order text at each set-up.
extern std::array<uint8_t, 4> SensorTestOrder;
// The item of the step that runs ('c'..'f').
extern uint8_t SensorTestItem;
// 1 while a step runs; every verdict, Exit and the page's end set it 0.
extern uint8_t SensorTestActive;
// 1 while a manual step waits for the operator's answer.
extern uint8_t SensorTestAwaitingAnswer;
// The IO-control channel of the current item.
extern int32_t SensorTestChannel;
// Working verdicts: -1 not seen / unknown, 0 no, 1 yes.
extern int32_t WheelTurnFlag1;
extern int32_t WheelTurnFlag2;
extern int32_t WheelTurnFlag3;
extern int32_t WheelTurnFlag4;
extern int32_t ModulatorState1;
extern int32_t ModulatorState2;
extern int32_t ModulatorState3;
// Slots A..F: 1 when the pulse stopped the wheel of the slot's sensor.
extern std::array<uint8_t, 6> ModulatorMatch;

// ---- Lifting-axle test page ----
// The answer rows 1..5: -1 unanswered, 0 NO or timed out, 1 YES.
extern std::array<int32_t, 5> LiftingAxleRowAnswers;
// Ticks of the running step.
extern int32_t LiftingAxleStepTicks;
// The data of the last status read (0x0070).
extern std::vector<uint8_t> LiftingAxleStatusBytes;
// The text last shown in the prompt label.
extern std::string LiftingAxlePromptText;

// ---- Lifting-sensor test page ----
// The data of the last status read (0x0070).
extern std::vector<uint8_t> LiftingSensorStatusBytes;
// The UI text of the last mismatch the status check saw in the running step; 0 none.
extern int32_t LiftingSensorFailText;
// 1 when the flags name a second lifting axle (set by Start).
extern uint8_t SecondLiftingAxleFitted;

// Restores every value above to its load-time value.
void ResetEolGlobals();
