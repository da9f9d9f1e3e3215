#include "EolGlobals.h"

std::atomic<uint8_t> EolStopRequested{0};
std::atomic<int32_t> EolTestIdle{1};
int32_t EolDtcReadPending = 0;
int32_t EolPassedFlag = 0;

int32_t EolVoltageResult = EolNotTested;
int32_t EolWarningLampOnResult = EolNotTested;
int32_t EolWarningLampOffResult = EolNotTested;
int32_t EolBrakeLampOnResult = EolNotTested;
int32_t EolBrakeLampOffResult = EolNotTested;
int32_t EolSensor1Result = EolNotTested;
int32_t EolSensor2Result = EolNotTested;
int32_t EolSensor3Result = EolNotTested;
int32_t EolSensor4Result = EolNotTested;
int32_t EolModulator1Result = EolNotTested;
int32_t EolModulator2Result = EolNotTested;
int32_t EolModulator3Result = EolNotTested;
int32_t EolPressure1Result = EolNotTested;
int32_t EolPressure2Result = EolNotTested;
int32_t EolPressure3Result = EolNotTested;
int32_t EolPressure4Result = EolNotTested;
int32_t EolPressure5Result = EolNotTested;
int32_t EolPressure6Result = EolNotTested;
int32_t EolBackupPressureResult = EolNotTested;
int32_t EolLiftingAxleResult = EolNotTested;
int32_t EolLiftingSensorResult = EolNotTested;
int32_t EolHeightSensorResult = EolNotTested;
int32_t EolDtcResult = EolNotTested;
int32_t EolValveOpenResult = EolNotTested;
int32_t EolValveCloseResult = EolNotTested;

const char* const EolNoRemark = "-";
std::string EolVoltageRemark = EolNoRemark;
std::string EolWarningLampOnRemark = EolNoRemark;
std::string EolWarningLampOffRemark = EolNoRemark;
std::string EolDtcRemark = EolNoRemark;
std::string EolPressureRemark1 = EolNoRemark;
std::string EolPressureRemark2 = EolNoRemark;
std::string EolPressureRemark3 = EolNoRemark;
std::string EolPressureRemark4 = EolNoRemark;
std::string EolPressureRemark5 = EolNoRemark;
std::string EolPressureRemark6 = EolNoRemark;
std::string EolBackupPressureRemark = EolNoRemark;
std::string EolValveOpenRemark = EolNoRemark;
std::string EolValveCloseRemark = EolNoRemark;
std::string EolSensorRemark1 = EolNoRemark;
std::string EolSensorRemark2 = EolNoRemark;
std::string EolSensorRemark3 = EolNoRemark;
std::string EolSensorRemark4 = EolNoRemark;
std::string EolSensorRemark5 = EolNoRemark;
std::string EolSensorRemark6 = EolNoRemark;
std::string EolSensorRemark7 = EolNoRemark;
std::string EolBrakeLampOnRemark = EolNoRemark;
std::string EolBrakeLampOffRemark = EolNoRemark;
std::string EolHeightSensorRemark = EolNoRemark;
std::string EolLiftingAxleRemark = EolNoRemark;
std::string EolLiftingSensorRemark = EolNoRemark;

std::string EolResultsVin;

#define EOL_ROW(flag, page, afterPass, configuration) {&flag, #flag, EolPage::page, afterPass, configuration}

const EolResultRow* EolResultTable()
{
    // The order of EolResultFlags(). Disconnect after a pass keeps the fifth
    // and sixth pressures; a configuration write keeps the third modulator,
    // the fifth and sixth pressures and the underwater-valve pair.
    static const EolResultRow rows[EolResultFlagCount] = {
        EOL_ROW(EolVoltageResult, Voltage, true, true),
        EOL_ROW(EolWarningLampOnResult, WarningLamp, true, true),
        EOL_ROW(EolWarningLampOffResult, WarningLamp, true, true),
        EOL_ROW(EolBrakeLampOnResult, BrakeLamp, true, true),
        EOL_ROW(EolBrakeLampOffResult, BrakeLamp, true, true),
        EOL_ROW(EolSensor1Result, Sensors, true, true),
        EOL_ROW(EolSensor2Result, Sensors, true, true),
        EOL_ROW(EolSensor3Result, Sensors, true, true),
        EOL_ROW(EolSensor4Result, Sensors, true, true),
        EOL_ROW(EolModulator1Result, Sensors, true, true),
        EOL_ROW(EolModulator2Result, Sensors, true, true),
        EOL_ROW(EolModulator3Result, Sensors, true, false),
        EOL_ROW(EolPressure1Result, Pressure, true, true),
        EOL_ROW(EolPressure2Result, Pressure, true, true),
        EOL_ROW(EolPressure3Result, Pressure, true, true),
        EOL_ROW(EolPressure4Result, Pressure, true, true),
        EOL_ROW(EolPressure5Result, Pressure, false, false),
        EOL_ROW(EolPressure6Result, Pressure, false, false),
        EOL_ROW(EolBackupPressureResult, BackupPressure, true, true),
        EOL_ROW(EolLiftingAxleResult, LiftingAxle, true, true),
        EOL_ROW(EolLiftingSensorResult, LiftingSensor, true, true),
        EOL_ROW(EolHeightSensorResult, HeightSensor, true, true),
        EOL_ROW(EolDtcResult, Dtc, true, true),
        EOL_ROW(EolValveOpenResult, UnderwaterValve, true, false),
        EOL_ROW(EolValveCloseResult, UnderwaterValve, true, false),
    };
    return rows;
}

#undef EOL_ROW
#define EOL_REMARK(remark, page) {&remark, #remark, EolPage::page}

const EolRemarkRow* EolRemarkTable()
{
    static const EolRemarkRow rows[EolRemarkCount] = {
        EOL_REMARK(EolVoltageRemark, Voltage),
        EOL_REMARK(EolWarningLampOnRemark, WarningLamp),
        EOL_REMARK(EolWarningLampOffRemark, WarningLamp),
        EOL_REMARK(EolDtcRemark, Dtc),
        EOL_REMARK(EolPressureRemark1, Pressure),
        EOL_REMARK(EolPressureRemark2, Pressure),
        EOL_REMARK(EolPressureRemark3, Pressure),
        EOL_REMARK(EolPressureRemark4, Pressure),
        EOL_REMARK(EolPressureRemark5, Pressure),
        EOL_REMARK(EolPressureRemark6, Pressure),
        EOL_REMARK(EolBackupPressureRemark, BackupPressure),
        EOL_REMARK(EolValveOpenRemark, UnderwaterValve),
        EOL_REMARK(EolValveCloseRemark, UnderwaterValve),
        EOL_REMARK(EolSensorRemark1, Sensors),
        EOL_REMARK(EolSensorRemark2, Sensors),
        EOL_REMARK(EolSensorRemark3, Sensors),
        EOL_REMARK(EolSensorRemark4, Sensors),
        EOL_REMARK(EolSensorRemark5, Sensors),
        EOL_REMARK(EolSensorRemark6, Sensors),
        EOL_REMARK(EolSensorRemark7, Sensors),
        EOL_REMARK(EolBrakeLampOnRemark, BrakeLamp),
        EOL_REMARK(EolBrakeLampOffRemark, BrakeLamp),
        EOL_REMARK(EolHeightSensorRemark, HeightSensor),
        EOL_REMARK(EolLiftingAxleRemark, LiftingAxle),
        EOL_REMARK(EolLiftingSensorRemark, LiftingSensor),
    };
    return rows;
}

#undef EOL_REMARK

int32_t* const* EolResultFlags()
{
    struct Flags {
        int32_t* at[EolResultFlagCount];
        Flags()
        {
            for (int i = 0; i < EolResultFlagCount; ++i)
                at[i] = EolResultTable()[i].flag;
        }
    };
    static const Flags flags;
    return flags.at;
}

void ResetAllEolResults()
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        *EolResultTable()[i].flag = EolNotTested;
    for (int i = 0; i < EolRemarkCount; ++i)
        *EolRemarkTable()[i].remark = EolNoRemark;
}

void ResetEolResultsAfterPass()
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (EolResultTable()[i].clearedAfterPass)
            *EolResultTable()[i].flag = EolNotTested;
}

void ResetEolResults()
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (EolResultTable()[i].clearedByConfiguration)
            *EolResultTable()[i].flag = EolNotTested;
}

void ResetEolPageResults(EolPage page)
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (EolResultTable()[i].page == page)
            *EolResultTable()[i].flag = EolNotTested;
}

void ResetEolPageRemarks(EolPage page)
{
    for (int i = 0; i < EolRemarkCount; ++i)
        if (EolRemarkTable()[i].page == page)
            *EolRemarkTable()[i].remark = EolNoRemark;
}

bool EolPageResultsNotTested(EolPage page)
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (EolResultTable()[i].page == page && *EolResultTable()[i].flag != EolNotTested)
            return false;
    return true;
}

bool EolAllResultsNotTested()
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (*EolResultTable()[i].flag != EolNotTested)
            return false;
    return true;
}

void ResetEolGlobals()
{
    EolStopRequested = 0;
    EolTestIdle = 1;
    EolDtcReadPending = 0;
    EolPassedFlag = 0;
    ResetAllEolResults();
    EolResultsVin.clear();
    // Fault-check page
    EolDtcReadCounter = 0;
    EolDtcCount = 0;
    EolSeenCodeFD0E.clear();
    EolSeenCodeDB08.clear();
    // Height-sensor calibration page
    EolHeightCdAxleResult = EolNotTested;
    EolHeightEfAxleResult = EolNotTested;
    HeightResetCountdown = 0;
    HeightCdCalibrationValue = 0.0f;
    HeightEfCalibrationValue = 0.0f;
    HeightCdCalibrationText.clear();
    HeightCdCalibrationTextAfterReset.clear();
    HeightEfCalibrationText.clear();
    HeightEfCalibrationTextAfterReset.clear();
    ResetEolPressureGlobals();
    // Wheel-sensor and modulator page
    SensorTestOrder.fill(0);
    SensorTestItem = 0;
    SensorTestActive = 0;
    SensorTestAwaitingAnswer = 0;
    SensorTestChannel = 0;
    WheelTurnFlag1 = WheelTurnFlag2 = WheelTurnFlag3 = WheelTurnFlag4 = -1;
    ModulatorState1 = ModulatorState2 = ModulatorState3 = -1;
    ModulatorMatch.fill(0);
    // Lifting-axle test page
    LiftingAxleRowAnswers.fill(-1);
    LiftingAxleStepTicks = 0;
    LiftingAxleStatusBytes.clear();
    LiftingAxlePromptText.clear();
    // Lifting-sensor test page
    LiftingSensorStatusBytes.clear();
    LiftingSensorFailText = 0;
    SecondLiftingAxleFitted = 0;
}

// ---- Fault-check page ----
int32_t EolDtcReadCounter = 0;
int32_t EolDtcCount = 0;
std::string EolSeenCodeFD0E;
std::string EolSeenCodeDB08;

// ---- Height-sensor calibration page ----
int32_t EolHeightCdAxleResult = EolNotTested;
int32_t EolHeightEfAxleResult = EolNotTested;
uint8_t HeightResetCountdown = 0;
float HeightCdCalibrationValue = 0.0f;
float HeightEfCalibrationValue = 0.0f;
std::string HeightCdCalibrationText;
std::string HeightCdCalibrationTextAfterReset;
std::string HeightEfCalibrationText;
std::string HeightEfCalibrationTextAfterReset;
// ---- Wheel-sensor and modulator page ----
std::array<uint8_t, 4> SensorTestOrder{};
uint8_t SensorTestItem = 0;
uint8_t SensorTestActive = 0;
uint8_t SensorTestAwaitingAnswer = 0;
int32_t SensorTestChannel = 0;
int32_t WheelTurnFlag1 = -1;
int32_t WheelTurnFlag2 = -1;
int32_t WheelTurnFlag3 = -1;
int32_t WheelTurnFlag4 = -1;
int32_t ModulatorState1 = -1;
int32_t ModulatorState2 = -1;
int32_t ModulatorState3 = -1;
std::array<uint8_t, 6> ModulatorMatch{};

// ---- Lifting-axle test page ----
std::array<int32_t, 5> LiftingAxleRowAnswers{{-1, -1, -1, -1, -1}};
int32_t LiftingAxleStepTicks = 0;
std::vector<uint8_t> LiftingAxleStatusBytes;
std::string LiftingAxlePromptText;

// ---- Lifting-sensor test page ----
std::vector<uint8_t> LiftingSensorStatusBytes;
int32_t LiftingSensorFailText = 0;
uint8_t SecondLiftingAxleFitted = 0;
