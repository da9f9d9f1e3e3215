// The pass rule shared by the final gate and the verdict: which items each
// form and variant requires, the item rules, and how pass, fail and
// incomplete are told apart.
#include "EolPassRule.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

EolResultValues AllPassed()
{
    EolResultValues f;
    for (int32_t* v : {&f.voltage,    &f.warningLampOn, &f.warningLampOff, &f.brakeLampOn, &f.brakeLampOff,
                       &f.sensor1,    &f.sensor2,       &f.sensor3,        &f.sensor4,     &f.modulator1,
                       &f.modulator2, &f.modulator3,    &f.pressure1,      &f.pressure2,   &f.pressure3,
                       &f.pressure4,  &f.pressure5,     &f.pressure6,      &f.backupPressure, &f.liftingAxle,
                       &f.liftingSensor, &f.heightSensor, &f.dtc,          &f.valveOpen,   &f.valveClose})
        *v = 1;
    return f;
}

struct Flag {
    const char* name;
    int32_t EolResultValues::*member;
};

const Flag kFlags[] = {
    {"voltage", &EolResultValues::voltage},
    {"warningLampOn", &EolResultValues::warningLampOn},
    {"warningLampOff", &EolResultValues::warningLampOff},
    {"sensor1", &EolResultValues::sensor1},
    {"sensor2", &EolResultValues::sensor2},
    {"sensor3", &EolResultValues::sensor3},
    {"sensor4", &EolResultValues::sensor4},
    {"modulator1", &EolResultValues::modulator1},
    {"modulator2", &EolResultValues::modulator2},
    {"modulator3", &EolResultValues::modulator3},
    {"pressure1", &EolResultValues::pressure1},
    {"pressure2", &EolResultValues::pressure2},
    {"pressure3", &EolResultValues::pressure3},
    {"pressure4", &EolResultValues::pressure4},
    {"pressure5", &EolResultValues::pressure5},
    {"pressure6", &EolResultValues::pressure6},
    {"backupPressure", &EolResultValues::backupPressure},
    {"heightSensor", &EolResultValues::heightSensor},
    {"liftingAxle", &EolResultValues::liftingAxle},
    {"liftingSensor", &EolResultValues::liftingSensor},
    {"dtc", &EolResultValues::dtc},
};

// Whether `flag` is required, written out from the requirement table rather
// than from the variant rows under test.
bool Required(const std::string& flag, const std::string& form, int variant, EolRuleScope scope)
{
    const bool four = form != "2S2M";
    const bool three = form == "4S3M";
    if (flag == "sensor3" || flag == "sensor4")
        return four;
    if (flag == "modulator3" || flag == "pressure5" || flag == "pressure6")
        return three;
    if (flag == "heightSensor")
        return variant == 2 || variant == 4;
    if (flag == "liftingAxle" || flag == "liftingSensor")
        return variant == 3 || variant == 4;
    if (flag == "dtc")
        return scope == EolRuleScope::Verdict;
    return true;
}

// The equipment of a variant: lifting-axle and height-sensor calibration as
// the variant needs, the lifting tests enabled so their flags count.
EolEquipment EquipmentOf(int variant)
{
    EolEquipment e;
    e.liftingAxleCalibration = variant >= 3 ? 1 : 0;
    e.heightSensorCalibration = variant == 2 || variant == 4 ? 1 : 0;
    e.liftingAxleTest = 1;
    e.liftingSensorCalibration = 1;
    e.brakeLampTest = 1;
    e.underwaterValveTest = 1;
    return e;
}

const char* const kForms[] = {"2S2M", "4S2M", "4S3M"};
const EolRuleScope kScopes[] = {EolRuleScope::FinalGate, EolRuleScope::Verdict};

TEST(EolPassRule, VariantsArePickedByFormAndTheTwoCalibrationFlags)
{
    struct Case {
        int32_t lifting;
        int32_t height;
        int variant;
    };
    const Case cases[] = {{1, 1, 4}, {1, 0, 3}, {1, -1, 3}, {0, 1, 2}, {2, 1, 2}, {0, 0, 1}, {2, 2, 1}, {-1, 0, 1}};
    for (const char* form : kForms)
        for (const Case& c : cases) {
            const EolRuleVariant* v = SelectEolRuleVariant(form, c.lifting, c.height);
            ASSERT_NE(v, nullptr) << form;
            EXPECT_EQ(std::string(v->form), form);
            EXPECT_EQ(v->variant, c.variant) << form << " L" << c.lifting << " H" << c.height;
        }
    for (const char* other : {"", "2s2m", "4S3M ", "6S3M"}) {
        EXPECT_EQ(SelectEolRuleVariant(other, 1, 1), nullptr) << other;
        EXPECT_EQ(EvaluateEolPassRule(AllPassed(), other, EolEquipment{}, EolRuleScope::Verdict),
                  EolRuleOutcome::NoRule);
    }
    // Twelve distinct rows.
    for (int i = 0; i < EolRuleVariantCount; ++i)
        for (int j = i + 1; j < EolRuleVariantCount; ++j)
            EXPECT_FALSE(std::string(EolRuleVariants()[i].form) == EolRuleVariants()[j].form &&
                         EolRuleVariants()[i].variant == EolRuleVariants()[j].variant);
}

TEST(EolPassRule, EachRequiredFlagFailsAtZeroAndIsMissingAtMinusOneOthersAreIgnored)
{
    for (EolRuleScope scope : kScopes)
        for (const char* form : kForms)
            for (int variant = 1; variant <= 4; ++variant) {
                SCOPED_TRACE(std::string(form) + " variant " + std::to_string(variant) +
                             (scope == EolRuleScope::Verdict ? " verdict" : " gate"));
                const EolEquipment equipment = EquipmentOf(variant);
                ASSERT_EQ(SelectEolRuleVariant(form, equipment.liftingAxleCalibration,
                                               equipment.heightSensorCalibration)
                              ->variant,
                          variant);
                EXPECT_EQ(EvaluateEolPassRule(AllPassed(), form, equipment, scope), EolRuleOutcome::Pass);
                for (const Flag& flag : kFlags) {
                    const bool required = Required(flag.name, form, variant, scope);
                    for (int32_t value : {0, -1}) {
                        EolResultValues f = AllPassed();
                        f.*flag.member = value;
                        const EolRuleOutcome expected = !required ? EolRuleOutcome::Pass
                                                        : value == 0 ? EolRuleOutcome::Fail
                                                                     : EolRuleOutcome::Incomplete;
                        EXPECT_EQ(EvaluateEolPassRule(f, form, equipment, scope), expected)
                            << flag.name << " = " << value << ": " << EolRuleOutcomeName(expected) << " expected";
                    }
                }
                // A failure outweighs a missing item.
                EolResultValues f = AllPassed();
                f.voltage = -1;
                f.pressure4 = 0;
                EXPECT_EQ(EvaluateEolPassRule(f, form, equipment, scope), EolRuleOutcome::Fail);
            }
}

TEST(EolPassRule, BrakeLampItems)
{
    struct Case {
        int32_t on, off, enabled;
        int bits;
        EolRuleOutcome verdict;
    };
    const Case cases[] = {
        {1, 1, 1, 3, EolRuleOutcome::Pass},
        {2, 2, 1, 3, EolRuleOutcome::Pass},       // skipped counts as acceptable
        {1, 2, 1, 3, EolRuleOutcome::Pass},
        {-1, -1, 0, 3, EolRuleOutcome::Pass},     // not tested, but no brake-lamp test on this vehicle
        {-1, -1, 1, 0, EolRuleOutcome::Incomplete},
        {1, -1, 1, 1, EolRuleOutcome::Incomplete},
        {-1, 1, 1, 2, EolRuleOutcome::Incomplete},
        {0, 1, 1, 2, EolRuleOutcome::Fail},
        {0, -1, 0, 2, EolRuleOutcome::Fail},      // a failed lamp fails whatever the test flag says
        {1, 0, 0, 1, EolRuleOutcome::Fail},
        {3, 1, 1, 2, EolRuleOutcome::Undecided},  // no test writes 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.on) + "/" + std::to_string(c.off) + " enabled " + std::to_string(c.enabled));
        EolResultValues f = AllPassed();
        f.brakeLampOn = c.on;
        f.brakeLampOff = c.off;
        EolEquipment e;
        e.brakeLampTest = c.enabled;
        EXPECT_EQ(EolBrakeLampAcceptable(f, e), c.bits);
        EXPECT_EQ(CombineBrakeLampResults(f, e), c.bits);
        EXPECT_EQ(EvaluateEolPassRule(f, "4S2M", e, EolRuleScope::Verdict), c.verdict);
        // The gate passes exactly where the verdict does.
        EXPECT_EQ(EvaluateEolPassRule(f, "4S2M", e, EolRuleScope::FinalGate) == EolRuleOutcome::Pass,
                  c.verdict == EolRuleOutcome::Pass);
    }
}

TEST(EolPassRule, LiftingChecksPassWhileTheirTestsAreOff)
{
    struct Case {
        int32_t enabled;
        int32_t flag;
        int item;
    };
    const Case cases[] = {{0, -1, 1}, {0, 0, 1}, {2, 0, 1}, {1, 1, 1}, {1, 0, 0}, {1, -1, -1}, {1, 2, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("enabled " + std::to_string(c.enabled) + " flag " + std::to_string(c.flag));
        EolResultValues f = AllPassed();
        f.liftingAxle = c.flag;
        f.liftingSensor = c.flag;
        EolEquipment axle;
        axle.liftingAxleTest = c.enabled;
        EolEquipment sensor;
        sensor.liftingSensorCalibration = c.enabled;
        EXPECT_EQ(EolLiftingAxleAcceptable(f, axle), c.item);
        EXPECT_EQ(LiftingAxleResult(f, axle), c.item);
        EXPECT_EQ(EolLiftingSensorAcceptable(f, sensor), c.item);
        EXPECT_EQ(LiftingSensorResult(f, sensor), c.item);
        // Each check follows only its own test's flag.
        EXPECT_EQ(EolLiftingAxleAcceptable(f, sensor), 1);
        EXPECT_EQ(EolLiftingSensorAcceptable(f, axle), 1);
    }
    // A 2S2M trailer with lifting-axle calibration but neither lifting test:
    // the lifting results do not matter.
    EolResultValues f = AllPassed();
    f.liftingAxle = -1;
    f.liftingSensor = 0;
    EolEquipment e;
    e.liftingAxleCalibration = 1;
    EXPECT_EQ(EvaluateEolPassRule(f, "2S2M", e, EolRuleScope::FinalGate), EolRuleOutcome::Pass);
    e.heightSensorCalibration = 1;
    f.heightSensor = -1;
    EXPECT_EQ(EvaluateEolPassRule(f, "2S2M", e, EolRuleScope::FinalGate), EolRuleOutcome::Incomplete);
}

TEST(EolPassRule, TheValveAndTheFaultCheckAtTheGateAndInTheVerdict)
{
    struct Case {
        const char* name;
        int32_t valveTest;
        int32_t open, close, dtc;
        int valveItem;
        EolRuleOutcome gate, verdict;
    };
    const Case cases[] = {
        {"all passed", 1, 1, 1, 1, 1, EolRuleOutcome::Pass, EolRuleOutcome::Pass},
        {"fault check not run yet", 1, 1, 1, -1, 1, EolRuleOutcome::Pass, EolRuleOutcome::Incomplete},
        {"fault check failed", 1, 1, 1, 0, 1, EolRuleOutcome::Pass, EolRuleOutcome::Fail},
        {"valve not tested", 1, -1, -1, 1, -1, EolRuleOutcome::Pass, EolRuleOutcome::Incomplete},
        {"valve half tested", 1, 1, -1, 1, -1, EolRuleOutcome::Pass, EolRuleOutcome::Incomplete},
        {"valve failed to open", 1, 0, 1, 1, 0, EolRuleOutcome::Fail, EolRuleOutcome::Fail},
        {"valve failed to close", 1, -1, 0, -1, 0, EolRuleOutcome::Fail, EolRuleOutcome::Fail},
        {"no valve on this vehicle", 0, 0, 0, 1, 1, EolRuleOutcome::Pass, EolRuleOutcome::Pass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EolResultValues f = AllPassed();
        f.valveOpen = c.open;
        f.valveClose = c.close;
        f.dtc = c.dtc;
        EolEquipment e;
        e.underwaterValveTest = c.valveTest;
        EXPECT_EQ(UnderwaterValveResult(f, e), c.valveItem);
        EXPECT_EQ(EvaluateEolPassRule(f, "4S3M", e, EolRuleScope::FinalGate), c.gate);
        EXPECT_EQ(EvaluateEolPassRule(f, "4S3M", e, EolRuleScope::Verdict), c.verdict);
    }
}

TEST(EolPassRule, FlagsNoTestWritesLeaveTheRuleUndecided)
{
    EolResultValues f = AllPassed();
    f.backupPressure = 2;
    EXPECT_EQ(EvaluateEolPassRule(f, "2S2M", EolEquipment{}, EolRuleScope::Verdict), EolRuleOutcome::Undecided);
    f.sensor1 = -1;
    EXPECT_EQ(EvaluateEolPassRule(f, "2S2M", EolEquipment{}, EolRuleScope::Verdict), EolRuleOutcome::Incomplete);
}

TEST(EolPassRule, TheNowHelpersReadTheGlobals)
{
    EolPressure6Result = 0;
    EolDtcResult = 1;
    EolValveCloseResult = 2;
    EolBrakeLampOnResult = 2;
    BrakeLampTestEnabled = 1;
    LiftingAxleCalibrationEnabled = 1;
    UnderwaterValveTestEnabled = 1;
    const EolResultValues f = EolResultValuesNow();
    EXPECT_EQ(f.pressure6, 0);
    EXPECT_EQ(f.dtc, 1);
    EXPECT_EQ(f.valveClose, 2);
    EXPECT_EQ(f.brakeLampOn, 2);
    EXPECT_EQ(f.voltage, -1);
    const EolEquipment e = EolEquipmentNow();
    EXPECT_EQ(e.brakeLampTest, 1);
    EXPECT_EQ(e.liftingAxleCalibration, 1);
    EXPECT_EQ(e.underwaterValveTest, 1);
    EXPECT_EQ(e.heightSensorCalibration, HeightSensorCalibrationEnabled);
    ResetEolGlobals();
}

} // namespace
