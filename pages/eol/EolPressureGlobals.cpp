#include "EolGlobals.h"

float LeftBrakePressure = 0.0f;
float LeftReleasePressure = 0.0f;
float RightBrakePressure = 0.0f;
float RightReleasePressure = 0.0f;
float EbsdLeftBrakePressure = 0.0f;
float EbsdRightBrakePressure = 0.0f;
float EbsdLeftReleasePressure = 0.0f;
float EbsdRightReleasePressure = 0.0f;
uint8_t PressureStepPassed[4] = {0, 0, 0, 0};
float PressurePhaseElapsed = 0.0f;
float BackupPressureValues[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
std::string BackupPressureTexts[5];
uint8_t BackupPressurePassed = 0;

void ResetEolPressureGlobals()
{
    for (float* value : {&LeftBrakePressure, &LeftReleasePressure, &RightBrakePressure, &RightReleasePressure,
                         &EbsdLeftBrakePressure, &EbsdRightBrakePressure, &EbsdLeftReleasePressure,
                         &EbsdRightReleasePressure, &PressurePhaseElapsed})
        *value = 0.0f;
    for (uint8_t& step : PressureStepPassed)
        step = 0;
    for (float& value : BackupPressureValues)
        value = 0.0f;
    for (std::string& text : BackupPressureTexts)
        text.clear();
    BackupPressurePassed = 0;
}
