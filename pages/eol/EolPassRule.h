// Which end-of-line results a vehicle needs, and whether they are there: the
// one rule behind the fault check's final gate and the results page's
// verdict. Plain values in, an outcome out; nothing is read or written here
// but what the caller passes (the *Now() helpers read the globals).
//
//   const EolRuleOutcome gate = EvaluateEolPassRule(EolResultValuesNow(), SystemForm, EolEquipmentNow(),
//                                                   EolRuleScope::FinalGate);
//
// The vehicle's form ("2S2M", "4S2M", "4S3M") and its lifting-axle and
// height-sensor calibration flags pick one of twelve variants (EolRuleVariants);
// a variant names the items it requires beyond the common ones.
#pragma once

#include <cstdint>
#include <string>

// The 25 result flags as plain values (-1 not tested, 0 failed, 1 passed,
// 2 skipped).
struct EolResultValues {
    int32_t voltage = -1;
    int32_t warningLampOn = -1;
    int32_t warningLampOff = -1;
    int32_t brakeLampOn = -1;
    int32_t brakeLampOff = -1;
    int32_t sensor1 = -1;
    int32_t sensor2 = -1;
    int32_t sensor3 = -1;
    int32_t sensor4 = -1;
    int32_t modulator1 = -1;
    int32_t modulator2 = -1;
    int32_t modulator3 = -1;
    int32_t pressure1 = -1;
    int32_t pressure2 = -1;
    int32_t pressure3 = -1;
    int32_t pressure4 = -1;
    int32_t pressure5 = -1;
    int32_t pressure6 = -1;
    int32_t backupPressure = -1;
    int32_t liftingAxle = -1;
    int32_t liftingSensor = -1;
    int32_t heightSensor = -1;
    int32_t dtc = -1;
    int32_t valveOpen = -1;
    int32_t valveClose = -1;
};
// The result flags as they stand now.
EolResultValues EolResultValuesNow();

// The vehicle's equipment flags (1: the vehicle has it).
struct EolEquipment {
    int32_t brakeLampTest = 0;
    int32_t liftingAxleTest = 0;
    int32_t liftingSensorCalibration = 0;
    int32_t heightSensorCalibration = 0;
    int32_t underwaterValveTest = 0;
    int32_t liftingAxleCalibration = 0;
};
// The equipment flags as they stand now.
EolEquipment EolEquipmentNow();

// Who asks: the fault check's final gate leaves out the fault-check result
// itself and the underwater valve (which may be tested later); the verdict
// requires both.
enum class EolRuleScope { FinalGate, Verdict };

enum class EolRuleOutcome {
    Pass,        // every required item passed
    Fail,        // a required item failed
    Incomplete,  // a required item has not been tested
    Undecided,   // neither: a flag holds a value no test writes
    NoRule,      // the form is none of "2S2M", "4S2M", "4S3M"
};
const char* EolRuleOutcomeName(EolRuleOutcome outcome);

// One variant of the rule: the items it requires beyond those every variant
// requires (voltage, both warning-lamp items, the brake lamp, sensors 1 and 2,
// modulators 1 and 2, pressures 1 to 4, backup pressure).
struct EolRuleVariant {
    const char* form;       // "2S2M", "4S2M" or "4S3M"
    int variant;            // 1 basic, 2 height sensor, 3 lifting axle, 4 both
    bool sensors3And4;
    bool modulator3;
    bool pressures5And6;
    bool heightSensor;      // EolHeightSensorResult
    bool lifting;           // the lifting-axle and lifting-sensor checks
};
constexpr int EolRuleVariantCount = 12;
const EolRuleVariant* EolRuleVariants(); // EolRuleVariantCount rows

// The variant of `form` (compared exactly) for the two calibration flags:
// lifting-axle 1 and height-sensor 1 variant 4, lifting-axle 1 alone 3,
// height-sensor 1 alone 2, anything else 1. Null for any other form.
const EolRuleVariant* SelectEolRuleVariant(const std::string& form, int32_t liftingAxleCalibration,
                                           int32_t heightSensorCalibration);

// ---- Item rules ----
// Two bits, bit 0 the brake lamp on, bit 1 off: set when the flag is 1 or 2,
// or -1 while the brake-lamp test is not enabled.
int EolBrakeLampAcceptable(const EolResultValues& flags, const EolEquipment& equipment);
// 1 when the lifting-axle test is not enabled; else 1 passed, 0 failed, -1
// anything else.
int EolLiftingAxleAcceptable(const EolResultValues& flags, const EolEquipment& equipment);
// The same for the lifting-sensor test.
int EolLiftingSensorAcceptable(const EolResultValues& flags, const EolEquipment& equipment);
// 1 when the underwater-valve test is not enabled; else 1 when both valve
// items passed, 0 when either failed, -1 otherwise (not tested, or a value no
// test writes).
int UnderwaterValveResult(const EolResultValues& flags, const EolEquipment& equipment);

// The same rules under the names the results page knows them by.
inline int CombineBrakeLampResults(const EolResultValues& flags, const EolEquipment& equipment)
{
    return EolBrakeLampAcceptable(flags, equipment);
}
inline int LiftingAxleResult(const EolResultValues& flags, const EolEquipment& equipment)
{
    return EolLiftingAxleAcceptable(flags, equipment);
}
inline int LiftingSensorResult(const EolResultValues& flags, const EolEquipment& equipment)
{
    return EolLiftingSensorAcceptable(flags, equipment);
}

// ---- The rule ----
// The first that matches:
//   Pass: every required item is 1 and both brake-lamp bits are set (and,
//         for the final gate, the underwater valve has not failed);
//   Fail: a required item is 0 (a brake-lamp flag of 0 fails whatever the
//         brake-lamp test's flag says; for the final gate also a failed
//         underwater valve);
//   Incomplete: a required item is -1 (a brake-lamp flag of -1 only while
//         the brake-lamp test is enabled);
//   Undecided otherwise.
// NoRule for a form other than the three.
EolRuleOutcome EvaluateEolPassRule(const EolResultValues& flags, const std::string& form,
                                   const EolEquipment& equipment, EolRuleScope scope);
