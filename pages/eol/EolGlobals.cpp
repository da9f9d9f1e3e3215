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

int32_t* const* EolResultFlags()
{
    static int32_t* const flags[EolResultFlagCount] = {
        &EolVoltageResult,      &EolWarningLampOnResult, &EolWarningLampOffResult,
        &EolBrakeLampOnResult,  &EolBrakeLampOffResult,  &EolSensor1Result,
        &EolSensor2Result,      &EolSensor3Result,       &EolSensor4Result,
        &EolModulator1Result,   &EolModulator2Result,    &EolModulator3Result,
        &EolPressure1Result,    &EolPressure2Result,     &EolPressure3Result,
        &EolPressure4Result,    &EolPressure5Result,     &EolPressure6Result,
        &EolBackupPressureResult, &EolLiftingAxleResult, &EolLiftingSensorResult,
        &EolHeightSensorResult, &EolDtcResult,           &EolValveOpenResult,
        &EolValveCloseResult,
    };
    return flags;
}

void ResetEolGlobals()
{
    EolStopRequested = 0;
    EolTestIdle = 1;
    EolDtcReadPending = 0;
    EolPassedFlag = 0;
    int32_t* const* flags = EolResultFlags();
    for (int i = 0; i < EolResultFlagCount; ++i)
        *flags[i] = EolNotTested;
}
