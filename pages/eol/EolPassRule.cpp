#include "EolPassRule.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"

#include <vector>

namespace {

//                          form    var  s3/4   mod3   p5/6   height lifting
constexpr EolRuleVariant kVariants[EolRuleVariantCount] = {
    {"2S2M", 1, false, false, false, false, false},
    {"2S2M", 2, false, false, false, true, false},
    {"2S2M", 3, false, false, false, false, true},
    {"2S2M", 4, false, false, false, true, true},
    {"4S2M", 1, true, false, false, false, false},
    {"4S2M", 2, true, false, false, true, false},
    {"4S2M", 3, true, false, false, false, true},
    {"4S2M", 4, true, false, false, true, true},
    {"4S3M", 1, true, true, true, false, false},
    {"4S3M", 2, true, true, true, true, false},
    {"4S3M", 3, true, true, true, false, true},
    {"4S3M", 4, true, true, true, true, true},
};

bool BrakeLampItemAcceptable(int32_t flag, int32_t brakeLampTest)
{
    return flag == 1 || flag == 2 || (flag == -1 && brakeLampTest != 1);
}

int EnabledItem(int32_t enabled, int32_t flag)
{
    if (enabled != 1)
        return 1;
    return flag == 1 ? 1 : flag == 0 ? 0 : -1;
}

} // namespace

EolResultValues EolResultValuesNow()
{
    EolResultValues f;
    f.voltage = EolVoltageResult;
    f.warningLampOn = EolWarningLampOnResult;
    f.warningLampOff = EolWarningLampOffResult;
    f.brakeLampOn = EolBrakeLampOnResult;
    f.brakeLampOff = EolBrakeLampOffResult;
    f.sensor1 = EolSensor1Result;
    f.sensor2 = EolSensor2Result;
    f.sensor3 = EolSensor3Result;
    f.sensor4 = EolSensor4Result;
    f.modulator1 = EolModulator1Result;
    f.modulator2 = EolModulator2Result;
    f.modulator3 = EolModulator3Result;
    f.pressure1 = EolPressure1Result;
    f.pressure2 = EolPressure2Result;
    f.pressure3 = EolPressure3Result;
    f.pressure4 = EolPressure4Result;
    f.pressure5 = EolPressure5Result;
    f.pressure6 = EolPressure6Result;
    f.backupPressure = EolBackupPressureResult;
    f.liftingAxle = EolLiftingAxleResult;
    f.liftingSensor = EolLiftingSensorResult;
    f.heightSensor = EolHeightSensorResult;
    f.dtc = EolDtcResult;
    f.valveOpen = EolValveOpenResult;
    f.valveClose = EolValveCloseResult;
    return f;
}

EolEquipment EolEquipmentNow()
{
    EolEquipment e;
    e.brakeLampTest = BrakeLampTestEnabled;
    e.liftingAxleTest = LiftingAxleTestEnabled;
    e.liftingSensorCalibration = LiftingSensorCalibrationEnabled;
    e.heightSensorCalibration = HeightSensorCalibrationEnabled;
    e.underwaterValveTest = UnderwaterValveTestEnabled;
    e.liftingAxleCalibration = LiftingAxleCalibrationEnabled;
    return e;
}

const char* EolRuleOutcomeName(EolRuleOutcome outcome)
{
    switch (outcome) {
    case EolRuleOutcome::Pass:
        return "pass";
    case EolRuleOutcome::Fail:
        return "fail";
    case EolRuleOutcome::Incomplete:
        return "incomplete";
    case EolRuleOutcome::Undecided:
        return "undecided";
    case EolRuleOutcome::NoRule:
        return "no rule";
    }
    return "?";
}

const EolRuleVariant* EolRuleVariants()
{
    return kVariants;
}

const EolRuleVariant* SelectEolRuleVariant(const std::string& form, int32_t liftingAxleCalibration,
                                           int32_t heightSensorCalibration)
{
    const int variant = liftingAxleCalibration == 1 ? (heightSensorCalibration == 1 ? 4 : 3)
                                                    : (heightSensorCalibration == 1 ? 2 : 1);
    for (const EolRuleVariant& row : kVariants)
        if (form == row.form && row.variant == variant)
            return &row;
    return nullptr;
}

int EolBrakeLampAcceptable(const EolResultValues& flags, const EolEquipment& equipment)
{
    return (BrakeLampItemAcceptable(flags.brakeLampOn, equipment.brakeLampTest) ? 1 : 0) |
           (BrakeLampItemAcceptable(flags.brakeLampOff, equipment.brakeLampTest) ? 2 : 0);
}

int EolLiftingAxleAcceptable(const EolResultValues& flags, const EolEquipment& equipment)
{
    return EnabledItem(equipment.liftingAxleTest, flags.liftingAxle);
}

int EolLiftingSensorAcceptable(const EolResultValues& flags, const EolEquipment& equipment)
{
    return EnabledItem(equipment.liftingSensorCalibration, flags.liftingSensor);
}

int UnderwaterValveResult(const EolResultValues& flags, const EolEquipment& equipment)
{
    if (equipment.underwaterValveTest != 1)
        return 1;
    if (flags.valveOpen == 1 && flags.valveClose == 1)
        return 1;
    if (flags.valveOpen == 0 || flags.valveClose == 0)
        return 0;
    return -1;
}

EolRuleOutcome EvaluateEolPassRule(const EolResultValues& flags, const std::string& form,
                                   const EolEquipment& equipment, EolRuleScope scope)
{
    const EolRuleVariant* variant =
        SelectEolRuleVariant(form, equipment.liftingAxleCalibration, equipment.heightSensorCalibration);
    if (!variant)
        return EolRuleOutcome::NoRule;

    std::vector<int32_t> items = {flags.voltage,    flags.warningLampOn, flags.warningLampOff, flags.sensor1,
                                  flags.sensor2,    flags.modulator1,    flags.modulator2,     flags.pressure1,
                                  flags.pressure2,  flags.pressure3,     flags.pressure4,      flags.backupPressure};
    if (variant->sensors3And4) {
        items.push_back(flags.sensor3);
        items.push_back(flags.sensor4);
    }
    if (variant->modulator3)
        items.push_back(flags.modulator3);
    if (variant->pressures5And6) {
        items.push_back(flags.pressure5);
        items.push_back(flags.pressure6);
    }
    if (variant->heightSensor)
        items.push_back(flags.heightSensor);
    if (variant->lifting) {
        items.push_back(EolLiftingAxleAcceptable(flags, equipment));
        items.push_back(EolLiftingSensorAcceptable(flags, equipment));
    }
    const int valve = UnderwaterValveResult(flags, equipment);
    if (scope == EolRuleScope::Verdict) {
        items.push_back(flags.dtc);
        items.push_back(valve);
    }

    auto any = [&](int32_t value) {
        for (int32_t item : items)
            if (item == value)
                return true;
        return false;
    };
    // A failed valve stays a failure at the gate too: the pass marker would
    // overwrite the failure marker it left in the ECU. An untested one does
    // not hold the gate.
    const bool valveFailedAtGate = scope == EolRuleScope::FinalGate && valve == 0;

    const bool allPassed = !valveFailedAtGate && EolBrakeLampAcceptable(flags, equipment) == 3 &&
                           [&] {
                               for (int32_t item : items)
                                   if (item != 1)
                                       return false;
                               return true;
                           }();
    if (allPassed)
        return EolRuleOutcome::Pass;
    if (any(0) || flags.brakeLampOn == 0 || flags.brakeLampOff == 0 || valveFailedAtGate)
        return EolRuleOutcome::Fail;
    if (any(-1) || (equipment.brakeLampTest == 1 && (flags.brakeLampOn == -1 || flags.brakeLampOff == -1)))
        return EolRuleOutcome::Incomplete;
    return EolRuleOutcome::Undecided;
}
