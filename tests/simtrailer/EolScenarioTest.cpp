// Every end-of-line page's traffic against the simulated trailer: a healthy
// trailer of each form passes every page and the final gate; each injected
// fault fails exactly the page that is there to catch it.
#include "EolStation.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using simtest::EolStation;
using simtest::Outcome;
using simtest::PageRun;
using simtest::TrailerForm;
using simtest::TrailerRig;
using namespace sim::trailerdata;
using Q = sim::OperatorQuestion;

namespace {

enum class Page {
    Voltage,
    WarningLamp,
    WheelSensors,
    BrakePressure,
    BackupPressure,
    BrakeLamp,
    UnderwaterValve,
    HeightSensor,
    LiftingAxle,
    LiftingSensor,
    FaultCheck,
};

const char* PageName(Page p)
{
    switch (p) {
    case Page::Voltage: return "supply voltage";
    case Page::WarningLamp: return "warning lamp";
    case Page::WheelSensors: return "wheel sensors";
    case Page::BrakePressure: return "brake pressure";
    case Page::BackupPressure: return "backup pressure";
    case Page::BrakeLamp: return "brake lamp";
    case Page::UnderwaterValve: return "underwater valve";
    case Page::HeightSensor: return "height sensor";
    case Page::LiftingAxle: return "lifting axle";
    case Page::LiftingSensor: return "lifting sensor";
    case Page::FaultCheck: return "fault check";
    }
    return "?";
}

// One whole end-of-line run in the station's order; the fault check last,
// with its gate open only when every other page passed.
std::map<Page, PageRun> RunAll(EolStation& station, TrailerForm form,
                               const sim::TrailerEquipment& eq)
{
    std::map<Page, PageRun> runs;
    runs[Page::Voltage] = station.SupplyVoltage();
    runs[Page::WarningLamp] = station.Lamp(kOutputWarningLamp, Q::WarningLampLit, Q::WarningLampDark);
    runs[Page::WheelSensors] = station.WheelSensors(form);
    runs[Page::BrakePressure] = station.BrakePressure(form);
    runs[Page::BackupPressure] = station.BackupPressure(form);
    runs[Page::BrakeLamp] = station.Lamp(kOutputBrakeLamp, Q::BrakeLampLit, Q::BrakeLampDark);
    runs[Page::UnderwaterValve] = station.UnderwaterValve();
    runs[Page::HeightSensor] = station.HeightSensor(eq);
    runs[Page::LiftingAxle] = station.LiftingAxle(eq);
    runs[Page::LiftingSensor] = station.LiftingSensor(eq);
    bool allPassed = true;
    for (const auto& [page, run] : runs)
        allPassed &= run.outcome == Outcome::Pass || run.outcome == Outcome::Skipped;
    runs[Page::FaultCheck] = station.FaultCheck(allPassed);
    return runs;
}

std::string Describe(const std::map<Page, PageRun>& runs)
{
    std::string s;
    for (const auto& [page, run] : runs)
        s += std::string(PageName(page)) + ": " + simtest::OutcomeName(run.outcome) +
             (run.detail.empty() ? "" : " (" + run.detail + ")") + "\n";
    return s;
}

struct Healthy {
    const char* name;
    TrailerForm form;
    sim::TrailerEquipment eq;
};

sim::TrailerEquipment Equip(bool cd, bool ef, unsigned lifting, bool sensorVariant, uint8_t unusedField = 0)
{
    sim::TrailerEquipment eq;
    eq.heightSensorCd = cd;
    eq.heightSensorEf = ef;
    eq.liftingAxles = lifting;
    eq.liftingSensorVariant = sensorVariant;
    eq.unusedSecondAxleField = unusedField;
    return eq;
}

TEST(EolScenario, HealthyTrailerOfEveryFormPassesEveryPageAndTheFinalGate)
{
    const Healthy cases[] = {
        {"2S2M, no height sensor, one lifting axle", TrailerForm::k2S2M, Equip(false, false, 1, false)},
        {"4S2M, both height sensors, two lifting axles", TrailerForm::k4S2M, Equip(true, true, 2, false)},
        {"4S3M, EF height sensor, lifting-sensor variant with two axles", TrailerForm::k4S3M,
         Equip(false, true, 2, true)},
        {"4S2M, no lifting axle", TrailerForm::k4S2M, Equip(true, false, 0, false)},
        {"2S2M, one sensed lifting axle beside a second one", TrailerForm::k2S2M, Equip(false, false, 1, true, 3)},
    };
    for (const Healthy& c : cases) {
        SCOPED_TRACE(c.name);
        TrailerRig rig(c.form, c.eq);
        EolStation station(rig);
        const auto runs = RunAll(station, c.form, c.eq);
        for (const auto& [page, run] : runs) {
            const bool applicable =
                (page != Page::HeightSensor || c.eq.heightSensorCd || c.eq.heightSensorEf) &&
                (page != Page::LiftingAxle || c.eq.liftingAxles > 0) &&
                (page != Page::LiftingSensor || (c.eq.liftingSensorVariant && c.eq.liftingAxles > 0));
            EXPECT_EQ(run.outcome, applicable ? Outcome::Pass : Outcome::Skipped)
                << PageName(page) << "\n" << Describe(runs);
        }
        // The gate ran once: marker 1, restart, and a clean fault memory after it.
        EXPECT_EQ(station.gatesPassed, 1);
        EXPECT_EQ(rig.trailer->EolMarker(), 1);
        EXPECT_EQ(rig.Read(0x0094), (simtest::Bytes{0x01}));
    }
}

struct FaultCase {
    const char* name;
    TrailerForm form;
    std::function<void(sim::SimTrailer&, sim::SimOperator&)> inject;
    Page fails;
    bool sensorVariant = false;
};

TEST(EolScenario, EachInjectedFaultFailsExactlyItsPage)
{
    using PC = sim::trailerdata::PressureChannel;
    const FaultCase cases[] = {
        {"supply voltage 17.8 V", TrailerForm::k4S2M, [](auto& t, auto&) { t.SetSupplyVoltage(17.8); },
         Page::Voltage},
        {"supply voltage 32.2 V", TrailerForm::k2S2M, [](auto& t, auto&) { t.SetSupplyVoltage(32.2); },
         Page::Voltage},
        {"warning lamp never lights", TrailerForm::k4S2M,
         [](auto& t, auto&) { t.SetOutputDefect(kOutputWarningLamp, sim::OutputDefect::StuckOff); },
         Page::WarningLamp},
        {"warning lamp never goes dark", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetOutputDefect(kOutputWarningLamp, sim::OutputDefect::StuckOn); },
         Page::WarningLamp},
        {"operator calls the dark warning lamp lit", TrailerForm::k4S2M,
         [](auto&, auto& o) { o.AnswerWrongly(Q::WarningLampDark); }, Page::WarningLamp},
        {"brake lamp never lights", TrailerForm::k2S2M,
         [](auto& t, auto&) { t.SetOutputDefect(kOutputBrakeLamp, sim::OutputDefect::StuckOff); }, Page::BrakeLamp},
        {"underwater valve never closes", TrailerForm::k4S2M,
         [](auto& t, auto&) { t.SetOutputDefect(kOutputUnderwaterValve, sim::OutputDefect::StuckOff); },
         Page::UnderwaterValve},
        {"underwater valve never opens", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetOutputDefect(kOutputUnderwaterValve, sim::OutputDefect::StuckOn); },
         Page::UnderwaterValve},
        {"left pressure channel never builds", TrailerForm::k4S2M,
         [](auto& t, auto&) { t.SetPressureDefect(PC::kMainLeft, sim::PressureDefect::NeverBuilds); },
         Page::BrakePressure},
        {"right pressure channel never releases", TrailerForm::k2S2M,
         [](auto& t, auto&) { t.SetPressureDefect(PC::kMainRight, sim::PressureDefect::NeverReleases); },
         Page::BrakePressure},
        {"EBS-D left channel never builds", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetPressureDefect(PC::kEbsdLeft, sim::PressureDefect::NeverBuilds); },
         Page::BrakePressure},
        {"pressure builds too slowly for the 4S3M reading", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetPressureTimeConstants(0.8, 0.8); }, Page::BrakePressure},
        {"right backup valve does not pass the demand", TrailerForm::k4S2M,
         [](auto& t, auto&) { t.SetPressureDefect(PC::kMainRight, sim::PressureDefect::NoBackup); },
         Page::BackupPressure},
        {"EBS-D right backup valve does not pass the demand", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetPressureDefect(PC::kEbsdRight, sim::PressureDefect::NoBackup); },
         Page::BackupPressure},
        {"wheel sensor 3 gives no pulses", TrailerForm::k4S2M, [](auto& t, auto&) { t.SetWheelSensorDead(3); },
         Page::WheelSensors},
        {"wheel sensors 1 and 2 swapped", TrailerForm::k2S2M, [](auto& t, auto&) { t.SwapWheelSensors(1, 2); },
         Page::WheelSensors},
        {"wheel sensors 3 and 4 swapped", TrailerForm::k4S3M, [](auto& t, auto&) { t.SwapWheelSensors(3, 4); },
         Page::WheelSensors},
        {"right modulator brakes nothing", TrailerForm::k4S2M, [](auto& t, auto&) { t.SetModulatorDead(0x01); },
         Page::WheelSensors},
        {"CD height sensor dead", TrailerForm::k4S2M,
         [](auto& t, auto&) { t.SetHeightDefect(1, sim::HeightDefect::Dead); }, Page::HeightSensor},
        {"EF calibration lost at the restart", TrailerForm::k4S3M,
         [](auto& t, auto&) { t.SetHeightDefect(2, sim::HeightDefect::CalibrationNotStored); }, Page::HeightSensor},
        {"lifting axle 2 stuck", TrailerForm::k4S2M, [](auto& t, auto&) { t.SetLiftingAxleStuck(2); },
         Page::LiftingAxle},
        {"operator denies a raised axle", TrailerForm::k2S2M,
         [](auto&, auto& o) { o.AnswerWrongly(Q::LiftingAxleUp); }, Page::LiftingAxle},
        {"lifting sensor of axle 1 stuck", TrailerForm::k4S2M, [](auto& t, auto&) { t.SetLiftingSensorStuck(1); },
         Page::LiftingSensor, true},
        {"a fault the ECU keeps detecting", TrailerForm::k4S2M, [](auto& t, auto&) { t.AddPresentFault(0x5A0113); },
         Page::FaultCheck},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        const sim::TrailerEquipment eq = Equip(true, true, 2, c.sensorVariant);
        TrailerRig rig(c.form, eq);
        c.inject(*rig.trailer, *rig.op);
        EolStation station(rig);
        const auto runs = RunAll(station, c.form, eq);
        std::set<Page> failed;
        for (const auto& [page, run] : runs)
            if (run.outcome == Outcome::Fail)
                failed.insert(page);
        EXPECT_EQ(failed, std::set<Page>{c.fails}) << Describe(runs);
        if (c.fails != Page::FaultCheck) {
            EXPECT_EQ(station.gatesPassed, 0) << "a failed run must not pass the gate";
            EXPECT_NE(rig.trailer->EolMarker(), 1);
        }
    }
}

} // namespace
