#include "SimTrailer.h"

#include "SimEcu.h"
#include "SimEcuData.h"

#include "Clock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <set>

namespace sim {

using namespace trailerdata;

namespace {

constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;
constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kRequestSequenceError = 0x24;
constexpr uint8_t kRequestOutOfRange = 0x31;
constexpr uint8_t kSecurityAccessDenied = 0x33;
constexpr uint8_t kNotInActiveSession = 0x7F;
constexpr uint8_t kExtendedSession = 0x03;
constexpr uint8_t kReturnControl = 0x00;
constexpr uint8_t kShortTermAdjustment = 0x03;

// Outputs and routines are for the extended session with level 1 unlocked.
uint8_t CheckAccess(const SimEcuContext& ecu)
{
    if (ecu.Session() != kExtendedSession)
        return kNotInActiveSession;
    if (!ecu.Unlocked(0x01))
        return kSecurityAccessDenied;
    return 0;
}

void PutU16Lsb(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU16Msb(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

uint16_t PressureRaw(double bar)
{
    const double raw = std::round((bar - kPressureOffsetBar) / kPressureBarPerBit);
    return uint16_t(std::clamp(raw, 0.0, 65535.0));
}

} // namespace

struct SimTrailer::Core {
    explicit Core(const tarvel::Clock& c) : clock(c) {}

    const tarvel::Clock& clock;
    mutable std::mutex mutex;

    TrailerForm form = TrailerForm::k4S2M;
    TrailerEquipment equipment;
    double supplyVolts = kDefaultSupplyVolts;
    double riseTau = kPressureRiseTauS;
    double fallTau = kPressureFallTauS;
    uint8_t marker = 0;

    // Lamps and valve (0x0004).
    struct Output {
        bool held = false;
        bool on = false;
        OutputDefect defect = OutputDefect::None;
    };
    std::map<uint8_t, Output> outputs{{kOutputWarningLamp, {}}, {kOutputUnderwaterValve, {}}, {kOutputBrakeLamp, {}}};

    // Pressures: first order from (p0 at t0) towards target.
    struct Lag {
        double p0 = 0, target = 0;
        uint64_t t0 = 0;
    };
    std::array<Lag, kPressureChannels> pressure{};
    std::array<std::optional<double>, kPressureChannels> commanded{};  // 2F 00 05 in force
    std::array<PressureDefect, kPressureChannels> pressureDefect{};
    Lag demand;
    double controlPressure = 0;
    bool backupHeld = false;
    // Pressure faults beyond PressureDefect: a channel that settles off what
    // it is driven to, one that never falls below a residual pressure, and
    // identifiers whose IO control the ECU refuses.
    std::array<double, kPressureChannels> pressureBias{};
    std::array<double, kPressureChannels> residualPressure{};
    std::set<uint16_t> refusedIoControls;

    // Wheels and sensors.
    struct Wheel {
        bool spun = false;
        uint64_t spunAt = 0, turningUntil = 0;
        double pulsesBefore = 0;
        bool stoppedByPulse = false;
    };
    std::array<Wheel, 4> wheels{};
    std::array<unsigned, 4> wiring{0, 1, 2, 3};  // sensor -> wheel
    std::array<bool, 4> sensorDead{};
    std::set<uint8_t> deadModulators;
    // Wheel-sensor and lifting test additions.
    uint32_t liftTravelMs = kLiftTravelMs;
    std::array<uint16_t, 4> spinRaw{{kWheelSpinRaw, kWheelSpinRaw, kWheelSpinRaw, kWheelSpinRaw}};
    std::array<bool, 4> keepsTurning{};
    std::map<uint8_t, uint8_t> miswired;
    std::array<int, 4> speedReadsBeforeFailure{{-1, -1, -1, -1}};
    int liftReadsBeforeFailure = -1;
    std::optional<int32_t> variant4S3M;  // unset: one modulator per wheel
    unsigned modulatorPulses = 0;

    // Height sensors (index 0 CD, 1 EF).
    struct Height {
        uint16_t ram = 0, stored = 0;
        HeightDefect defect = HeightDefect::None;
    };
    std::array<Height, 2> height{{{kHeightStoredCd, kHeightStoredCd}, {kHeightStoredEf, kHeightStoredEf}}};
    struct Calibration {
        unsigned axle = 0;
        uint16_t value = 0;
        bool ok = false;
        uint64_t doneAt = 0;
        std::optional<uint8_t> status;  // set once finished
    };
    std::optional<Calibration> calibration;
    // Height values a test set (absent: the trailer's own).
    std::array<std::optional<uint16_t>, 2> heightCurrentSet{};
    std::array<std::optional<uint16_t>, 2> heightStoredAfterRestart{};
    std::optional<uint8_t> routineStatusSet;

    // Lifting axles (index 0 and 1).
    struct Axle {
        uint8_t from = kLiftStateDown, to = kLiftStateDown;
        uint64_t startAt = 0;
        uint32_t travelMs = kLiftTravelMs;  // of the movement under way
        bool stuck = false;
        std::optional<uint8_t> sensorFrozen;
    };
    std::array<Axle, 2> axles{};

    std::set<uint32_t> presentFaults;

    uint64_t Now() const { return clock.NowUs(); }

    // ---- pressures ----

    double LagAt(const Lag& l, uint64_t now) const
    {
        const double dt = double(now - std::min(now, l.t0)) / 1e6;
        const double tau = l.target >= l.p0 ? riseTau : fallTau;
        if (tau <= 0)
            return l.target;
        return l.target + (l.p0 - l.target) * std::exp(-dt / tau);
    }

    static void Reanchor(Lag& l, double now_p, uint64_t now, double target)
    {
        l.p0 = now_p;
        l.t0 = now;
        l.target = target;
    }

    double TargetOf(unsigned c) const
    {
        const bool ebsd = c == kEbsdLeft || c == kEbsdRight;
        if (ebsd && form != TrailerForm::k4S3M)
            return 0;
        if (commanded[c])  // the modulator builds what the ECU commands
            return pressureDefect[c] == PressureDefect::NeverBuilds ? 0 : *commanded[c];
        if (backupHeld)
            return pressureDefect[c] == PressureDefect::NoBackup ? 0 : controlPressure;
        return controlPressure;  // the ECU brakes as the operator demands
    }

    void Retarget()
    {
        const uint64_t now = Now();
        for (unsigned c = 0; c < kPressureChannels; ++c) {
            Lag& l = pressure[c];
            const double p = LagAt(l, now);
            double target = TargetOf(c);
            if (target > 0)
                target = std::max(0.0, target + pressureBias[c]);
            target = std::max(target, residualPressure[c]);
            if (pressureDefect[c] == PressureDefect::NeverReleases && target < p)
                target = p;
            Reanchor(l, p, now, target);
        }
        Reanchor(demand, LagAt(demand, now), now, controlPressure);
    }

    // ---- wheels ----

    bool Turning(unsigned w, uint64_t now) const
    {
        const Wheel& wh = wheels[w];
        return wh.spun && now >= wh.spunAt && now < wh.turningUntil;
    }

    double Pulses(unsigned w, uint64_t now) const
    {
        const Wheel& wh = wheels[w];
        if (!wh.spun)
            return wh.pulsesBefore;
        const uint64_t end = std::min(now, wh.turningUntil);
        const double seconds = end > wh.spunAt ? double(end - wh.spunAt) / 1e6 : 0.0;
        return wh.pulsesBefore + seconds * kSensorPulsesPerSecond;
    }

    void Spin(unsigned w, uint32_t coastMs)
    {
        const uint64_t now = Now();
        Wheel& wh = wheels[w];
        wh.pulsesBefore = Pulses(w, now);
        wh.spun = true;
        wh.spunAt = now;
        wh.turningUntil = now + uint64_t(coastMs) * 1000;
        wh.stoppedByPulse = false;
    }

    uint16_t SpeedRaw(unsigned sensor) const
    {
        if (sensor >= SensorCount(form) || sensorDead[sensor])
            return 0;
        return Turning(wiring[sensor], Now()) ? spinRaw[wiring[sensor]] : 0;
    }

    // ---- outputs ----

    bool OutputOn(uint8_t id) const
    {
        const Output& o = outputs.at(id);
        if (o.defect == OutputDefect::StuckOff)
            return false;
        if (o.defect == OutputDefect::StuckOn)
            return true;
        return o.held && o.on;  // under the ECU's own control: lamps dark, valve open
    }

    bool AnyOutputHeld() const
    {
        return std::any_of(outputs.begin(), outputs.end(), [](const auto& o) { return o.second.held; });
    }

    // ---- height ----

    uint16_t HeightCurrent(unsigned axle) const
    {
        if (height[axle].defect == HeightDefect::Dead)
            return 0;
        if (heightCurrentSet[axle])
            return *heightCurrentSet[axle];
        return axle == 0 ? kHeightCurrentCd : kHeightCurrentEf;
    }

    bool HeightPresent(unsigned axle) const { return axle == 0 ? equipment.heightSensorCd : equipment.heightSensorEf; }

    void ResolveCalibration()
    {
        if (!calibration || calibration->status || Now() < calibration->doneAt)
            return;
        Calibration& c = *calibration;
        c.status = routineStatusSet ? *routineStatusSet : c.ok ? kRoutineDone : kRoutineFailed;
        if (*c.status == kRoutineDone) {
            Height& h = height[c.axle];
            h.ram = c.value;
            if (h.defect != HeightDefect::CalibrationNotStored)
                h.stored = c.value;
        }
    }

    // ---- lifting axles ----

    uint8_t AxleState(unsigned a, uint64_t now) const
    {
        const Axle& ax = axles[a];
        if (ax.from == ax.to || now >= ax.startAt + uint64_t(ax.travelMs) * 1000)
            return ax.to;
        return kLiftStateMoving;
    }

    void MoveAxle(unsigned a, uint8_t target)
    {
        Axle& ax = axles[a];
        if (ax.stuck)
            return;
        const uint64_t now = Now();
        const uint8_t state = AxleState(a, now);
        if (state == target && ax.to == target)
            return;
        // A reversal on the way starts from the position it was heading for.
        ax.from = state == kLiftStateMoving ? ax.to : state;
        ax.to = target;
        ax.startAt = now;
        ax.travelMs = liftTravelMs;
    }

    uint8_t LiftStatus() const
    {
        const uint64_t now = Now();
        auto field = [&](unsigned a) -> uint8_t {
            if (a >= equipment.liftingAxles)
                return a == 1 && equipment.liftingAxles == 1 ? uint8_t(equipment.unusedSecondAxleField & 0x03) : 0;
            if (axles[a].sensorFrozen)
                return *axles[a].sensorFrozen;
            return AxleState(a, now);
        };
        return uint8_t(field(0) | (field(1) << 2));
    }

    // ---- fault memory ----

    // The codes the ECU detects now, with their status.
    std::map<uint32_t, bool> FaultConditions() const
    {
        std::map<uint32_t, bool> present;
        present[kDtcEolNotPassed] = marker != 1;
        present[kDtcOutputUnderTesterControl] = AnyOutputHeld();
        for (uint32_t code : presentFaults)
            present[code] = true;
        return present;
    }

    // What the fault memory must take so that it matches the conditions: a
    // present code is current, a code that went away becomes history, a code
    // never seen since the last clear stays out.
    std::vector<SimDtc> DtcUpdates(const std::vector<SimDtc>& memory) const
    {
        std::vector<SimDtc> updates;
        for (const auto& [code, now] : FaultConditions()) {
            auto it = std::find_if(memory.begin(), memory.end(), [c = code](const SimDtc& d) { return d.code == c; });
            if (now && (it == memory.end() || it->status != kDtcStatusCurrent))
                updates.push_back({code, kDtcStatusCurrent});
            else if (!now && it != memory.end() && it->status == kDtcStatusCurrent)
                updates.push_back({code, kDtcStatusHistory});
        }
        return updates;
    }

    void UpdateDtcs(SimEcuContext& ecu) const
    {
        for (const SimDtc& d : DtcUpdates(ecu.Dtcs()))
            ecu.AddDtc(d.code, d.status);
    }

    // ---- ECU side ----

    // Every output the tester holds goes back to the ECU's own control (lamps
    // dark, valve open, brakes as demanded, backup valves free); the axles
    // stay where they are.
    void EndIoControls()
    {
        for (auto& o : outputs)
            o.second.held = false;
        commanded.fill(std::nullopt);
        backupHeld = false;
    }

    void OnDefaultSession(SimEcuContext& ecu)
    {
        EndIoControls();
        Retarget();
        UpdateDtcs(ecu);
    }

    void OnReset(SimEcuContext& ecu)
    {
        EndIoControls();
        ResolveCalibration();
        if (calibration && !calibration->status)
            calibration->status = kRoutineFailed;  // cut short by the restart
        for (Height& h : height)
            h.ram = h.stored;
        for (unsigned a = 0; a < 2; ++a)
            if (auto after = heightStoredAfterRestart[a]) {
                height[a].ram = height[a].stored = *after;
                heightStoredAfterRestart[a].reset();
            }
        Retarget();
        UpdateDtcs(ecu);
    }

    SimEcuAnswer LampsAndValve(uint8_t control, const std::vector<uint8_t>& state, SimEcuContext& ecu)
    {
        if (uint8_t nrc = CheckAccess(ecu))
            return SimEcuAnswer::Negative(nrc);
        if (control == kReturnControl) {
            if (!state.empty())
                return SimEcuAnswer::Negative(kIncorrectLength);
            for (auto& o : outputs)
                o.second.held = false;
        } else if (control == kShortTermAdjustment) {
            if (state.size() != 3)
                return SimEcuAnswer::Negative(kIncorrectLength);
            auto it = outputs.find(state[0]);
            if (it == outputs.end())
                return SimEcuAnswer::Negative(kRequestOutOfRange);
            it->second.held = true;
            it->second.on = state[1] != 0x00;
        } else {
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        }
        UpdateDtcs(ecu);
        return SimEcuAnswer::Positive(state);
    }

    SimEcuAnswer BrakePressure(uint8_t control, const std::vector<uint8_t>& state, SimEcuContext& ecu)
    {
        if (uint8_t nrc = CheckAccess(ecu))
            return SimEcuAnswer::Negative(nrc);
        if (refusedIoControls.count(kDidBrakePressureControl))
            return SimEcuAnswer::Negative(kConditionsNotCorrect);
        if (control == kReturnControl) {
            if (!state.empty())
                return SimEcuAnswer::Negative(kIncorrectLength);
            commanded.fill(std::nullopt);
        } else if (control == kShortTermAdjustment) {
            if (state.size() != 3)
                return SimEcuAnswer::Negative(kIncorrectLength);
            const auto channels = PressuresOfChannel(form, state[0]);
            if (channels.empty())
                return SimEcuAnswer::Negative(kRequestOutOfRange);
            for (PressureChannel c : channels)
                commanded[c] = state[1] * kBarPerLevel;
        } else {
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        }
        Retarget();
        return SimEcuAnswer::Positive(state);
    }

    SimEcuAnswer BackupValves(uint8_t control, const std::vector<uint8_t>& state, SimEcuContext& ecu)
    {
        if (uint8_t nrc = CheckAccess(ecu))
            return SimEcuAnswer::Negative(nrc);
        if (refusedIoControls.count(kDidBackupValves))
            return SimEcuAnswer::Negative(kConditionsNotCorrect);
        if (control == kReturnControl) {
            if (!state.empty())
                return SimEcuAnswer::Negative(kIncorrectLength);
            backupHeld = false;
        } else if (control == kShortTermAdjustment) {
            if (state.size() != 3)
                return SimEcuAnswer::Negative(kIncorrectLength);
            backupHeld = true;
        } else {
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        }
        Retarget();
        return SimEcuAnswer::Positive(state);
    }

    SimEcuAnswer ModulatorPulse(uint8_t control, const std::vector<uint8_t>& state, SimEcuContext& ecu)
    {
        if (uint8_t nrc = CheckAccess(ecu))
            return SimEcuAnswer::Negative(nrc);
        if (control == kReturnControl)
            return state.empty() ? SimEcuAnswer::Positive() : SimEcuAnswer::Negative(kIncorrectLength);
        if (control != kShortTermAdjustment)
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        if (state.size() != 3)
            return SimEcuAnswer::Negative(kIncorrectLength);
        if (WheelsBrakedByChannel(form, state[0]).empty())
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        const auto wire = miswired.find(state[0]);
        const uint8_t channel = wire == miswired.end() ? state[0] : wire->second;
        const auto braked = form == TrailerForm::k4S3M && variant4S3M
                                ? WheelsBrakedBy4S3MChannel(channel, *variant4S3M)
                                : WheelsBrakedByChannel(form, channel);
        ++modulatorPulses;
        if (!deadModulators.count(state[0])) {
            const uint64_t now = Now();
            for (unsigned w : braked) {
                if (Turning(w, now) && !keepsTurning[w]) {
                    wheels[w].turningUntil = now;
                    wheels[w].stoppedByPulse = true;
                }
            }
        }
        return SimEcuAnswer::Positive(state);
    }

    SimEcuAnswer LiftingAxle(uint8_t control, const std::vector<uint8_t>& state, SimEcuContext& ecu)
    {
        if (uint8_t nrc = CheckAccess(ecu))
            return SimEcuAnswer::Negative(nrc);
        if (control == kReturnControl)
            return state.empty() ? SimEcuAnswer::Positive() : SimEcuAnswer::Negative(kIncorrectLength);
        if (control != kShortTermAdjustment)
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        if (state.size() != 2)
            return SimEcuAnswer::Negative(kIncorrectLength);
        const uint8_t output = state[0];
        if (output < 1 || output > 3 || (state[1] != 0x00 && state[1] != 0xFF))
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        const unsigned needed = output == 1 ? 1 : 2;
        if (equipment.liftingAxles < needed)
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        const uint8_t target = state[1] == 0x00 ? kLiftStateDown : kLiftStateUp;
        if (output & 0x01)
            MoveAxle(0, target);
        if (output & 0x02)
            MoveAxle(1, target);
        return SimEcuAnswer::Positive(state);
    }

    SimEcuAnswer HeightRoutine(uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& ecu)
    {
        if (sub == 0x01) {
            if (uint8_t nrc = CheckAccess(ecu))
                return SimEcuAnswer::Negative(nrc);
            if (option.size() != 3)
                return SimEcuAnswer::Negative(kIncorrectLength);
            if (option[0] < 1 || option[0] > 2 || !HeightPresent(option[0] - 1u))
                return SimEcuAnswer::Negative(kRequestOutOfRange);
            ResolveCalibration();
            if (calibration && !calibration->status)
                return SimEcuAnswer::Negative(kConditionsNotCorrect);  // one calibration at a time
            Calibration c;
            c.axle = option[0] - 1u;
            c.value = HeightCurrent(c.axle);
            c.ok = c.value >= kHeightCalibratableMin && c.value <= kHeightCalibratableMax;
            c.doneAt = Now() + uint64_t(kHeightCalibrationMs) * 1000;
            calibration = c;
            return SimEcuAnswer::Positive();
        }
        if (sub == 0x03) {
            if (!option.empty())
                return SimEcuAnswer::Negative(kIncorrectLength);
            if (!calibration)
                return SimEcuAnswer::Negative(kRequestSequenceError);
            ResolveCalibration();
            return SimEcuAnswer::Positive({calibration->status ? *calibration->status : kRoutineRunning});
        }
        return SimEcuAnswer::Negative(kSubFunctionNotSupported);
    }
};

// ---- SimTrailer ------------------------------------------------------------------------

SimTrailer::SimTrailer(const tarvel::Clock& clock, TrailerForm form, TrailerEquipment equipment)
    : core_(std::make_shared<Core>(clock))
{
    core_->form = form;
    core_->equipment = equipment;
}

SimTrailer::~SimTrailer() = default;

namespace {

// A handler that forwards to the trailer while it exists.
template <typename Fn>
auto Bound(const std::shared_ptr<SimTrailer::Core>& core, Fn fn)
{
    std::weak_ptr<SimTrailer::Core> weak = core;
    return [weak, fn](uint8_t a, const std::vector<uint8_t>& b, SimEcuContext& ecu) {
        auto c = weak.lock();
        if (!c)
            return SimEcuAnswer::Negative(kConditionsNotCorrect);
        std::lock_guard<std::mutex> lock(c->mutex);
        return ((*c).*fn)(a, b, ecu);
    };
}

template <typename Fn>
DidReader Reader(const std::shared_ptr<SimTrailer::Core>& core, Fn fn)
{
    std::weak_ptr<SimTrailer::Core> weak = core;
    return [weak, fn](const SimEcuContext&) {
        auto c = weak.lock();
        if (!c)
            return std::vector<uint8_t>{};
        std::lock_guard<std::mutex> lock(c->mutex);
        return fn(*c);
    };
}

} // namespace

void SimTrailer::AttachTo(SimEcu& ecu)
{
    ecu_ = &ecu;
    const auto& core = core_;
    std::weak_ptr<Core> weak = core;

    ecu.RegisterDid(kDidSystemForm, ecudata::Ascii(FormName(Form())));

    ecu.RegisterDynamicDid(kDidSupplyVoltage, Reader(core, [](Core& c) {
        const double raw = std::round(c.supplyVolts / kVoltsPerBit);
        return std::vector<uint8_t>{uint8_t(std::clamp(raw, 0.0, 255.0))};
    }));
    for (uint16_t did : {kDidDemandPressure, kDidBrakePressure, kDidEbsdPressure})
        RegisterPressureReader(ecu, did);
    for (unsigned s = 0; s < 4; ++s) {
        ecu.RegisterDynamicDid(uint16_t(kDidWheelSpeedFirst + s), Reader(core, [s](Core& c) {
            std::vector<uint8_t> out;
            int& left = c.speedReadsBeforeFailure[s];
            if (left == 0)
                return out;  // answered without data: a failed read
            if (left > 0)
                --left;
            PutU16Msb(out, c.SpeedRaw(s));
            return out;
        }));
    }
    ecu.RegisterDynamicDid(kDidSensorPulses, Reader(core, [](Core& c) {
        std::vector<uint8_t> out;
        const uint64_t now = c.Now();
        for (unsigned s = 0; s < 4; ++s) {
            const bool seen = s < SensorCount(c.form) && !c.sensorDead[s];
            PutU16Lsb(out, seen ? uint16_t(uint64_t(c.Pulses(c.wiring[s], now)) & 0xFFFF) : 0);
        }
        return out;
    }));
    for (unsigned a = 0; a < 2; ++a) {
        ecu.RegisterDynamicDid(a == 0 ? kDidHeightCurrentCd : kDidHeightCurrentEf, Reader(core, [a](Core& c) {
            std::vector<uint8_t> out;
            PutU16Msb(out, c.HeightCurrent(a));
            return out;
        }));
        ecu.RegisterDynamicDid(a == 0 ? kDidHeightCalibrationCd : kDidHeightCalibrationEf, Reader(core, [a](Core& c) {
            c.ResolveCalibration();
            std::vector<uint8_t> out;
            PutU16Msb(out, c.height[a].ram);
            return out;
        }));
    }
    ecu.RegisterDynamicDid(kDidLiftingAxleStatus, Reader(core, [](Core& c) {
        int& left = c.liftReadsBeforeFailure;
        if (left == 0)
            return std::vector<uint8_t>{};  // answered without data: a failed read
        if (left > 0)
            --left;
        return std::vector<uint8_t>{c.LiftStatus()};
    }));

    ecu.RegisterIoControl(kDidLampsAndValve, Bound(core, &Core::LampsAndValve));
    ecu.RegisterIoControl(kDidBrakePressureControl, Bound(core, &Core::BrakePressure));
    ecu.RegisterIoControl(kDidBackupValves, Bound(core, &Core::BackupValves));
    ecu.RegisterIoControl(kDidModulatorPulse, Bound(core, &Core::ModulatorPulse));
    ecu.RegisterIoControl(kDidLiftingAxleControl, Bound(core, &Core::LiftingAxle));
    ecu.RegisterRoutine(kRoutineHeightCalibration, Bound(core, &Core::HeightRoutine));

    // The end-of-line marker: one byte, written in the extended session with level 1.
    if (auto marker = ecu.Did(kDidEolMarker); marker && marker->size() == 1) {
        std::lock_guard<std::mutex> lock(core->mutex);
        core->marker = (*marker)[0];
    } else {
        ecu.RegisterDid(kDidEolMarker, {0x00}, /*writable*/ true, /*needsUnlock*/ true);
    }
    ecu.SetDidWriteCheck(kDidEolMarker, [weak](const std::vector<uint8_t>& data, SimEcuContext& e) -> uint8_t {
        auto c = weak.lock();
        if (!c)
            return kConditionsNotCorrect;
        if (e.Session() != kExtendedSession)
            return kConditionsNotCorrect;
        if (!e.Unlocked(0x01))
            return kSecurityAccessDenied;
        std::lock_guard<std::mutex> lock(c->mutex);
        c->marker = data.at(0);
        c->UpdateDtcs(e);
        return 0;
    });

    ecu.AddEventListener([weak](SimEcuEvent event, SimEcuContext& e) {
        auto c = weak.lock();
        if (!c)
            return;
        std::lock_guard<std::mutex> lock(c->mutex);
        if (event == SimEcuEvent::Reset)
            c->OnReset(e);
        else if (event == SimEcuEvent::DefaultSession)
            c->OnDefaultSession(e);
        else
            c->UpdateDtcs(e);  // what is still detected comes back at once
    });
    ecu.SetRestartTime(kRestartMs);

    // The ECU's lock is never taken inside the trailer's.
    const std::vector<SimDtc> memory = ecu.Dtcs();
    std::vector<SimDtc> updates;
    {
        std::lock_guard<std::mutex> lock(core->mutex);
        updates = core->DtcUpdates(memory);
    }
    for (const SimDtc& d : updates)
        ecu.AddDtc(d.code, d.status);
}

// ---- Pressure readers and their faults ----

void SimTrailer::RegisterPressureReader(SimEcu& ecu, uint16_t did)
{
    if (did == kDidDemandPressure) {
        ecu.RegisterDynamicDid(did, Reader(core_, [](Core& c) {
            std::vector<uint8_t> out;
            PutU16Lsb(out, PressureRaw(c.LagAt(c.demand, c.Now())));
            return out;
        }));
        return;
    }
    const unsigned first = did == kDidBrakePressure ? kMainLeft : kEbsdLeft;
    ecu.RegisterDynamicDid(did, Reader(core_, [first](Core& c) {
        std::vector<uint8_t> out;
        const uint64_t now = c.Now();
        PutU16Lsb(out, PressureRaw(c.LagAt(c.pressure[first], now)));
        PutU16Lsb(out, PressureRaw(c.LagAt(c.pressure[first + 1], now)));
        return out;
    }));
}

void SimTrailer::SetPressureBias(PressureChannel channel, double bar)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->pressureBias.at(channel) = bar;
    core_->Retarget();
}

void SimTrailer::SetResidualPressure(PressureChannel channel, double bar)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->residualPressure.at(channel) = std::max(0.0, bar);
    core_->Retarget();
}

void SimTrailer::SetIoControlRefused(uint16_t did, bool refused)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (refused)
        core_->refusedIoControls.insert(did);
    else
        core_->refusedIoControls.erase(did);
}

void SimTrailer::SetPressureReadRefused(uint16_t did, bool refused)
{
    if (!ecu_ || (did != kDidDemandPressure && did != kDidBrakePressure && did != kDidEbsdPressure))
        return;
    if (refused)
        ecu_->RemoveDid(did); // the ECU answers requestOutOfRange
    else
        RegisterPressureReader(*ecu_, did);
}

void SimTrailer::SetForm(TrailerForm form)
{
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        core_->form = form;
        core_->Retarget();
    }
    if (ecu_)
        ecu_->RegisterDid(kDidSystemForm, ecudata::Ascii(FormName(form)));
}

SimTrailer::TrailerForm SimTrailer::Form() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->form;
}

void SimTrailer::SetEquipment(const TrailerEquipment& equipment)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->equipment = equipment;
}

TrailerEquipment SimTrailer::Equipment() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->equipment;
}

void SimTrailer::SetSupplyVoltage(double volts)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->supplyVolts = volts;
}

void SimTrailer::SetPressureTimeConstants(double riseSeconds, double fallSeconds)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->Retarget();  // what has been built so far stays
    core_->riseTau = riseSeconds;
    core_->fallTau = fallSeconds;
}

bool SimTrailer::WarningLampLit() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->OutputOn(kOutputWarningLamp);
}

bool SimTrailer::BrakeLampLit() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->OutputOn(kOutputBrakeLamp);
}

bool SimTrailer::UnderwaterValveOpen() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return !core_->OutputOn(kOutputUnderwaterValve);
}

double SimTrailer::Pressure(PressureChannel channel) const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->LagAt(core_->pressure.at(channel), core_->Now());
}

double SimTrailer::DemandPressure() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->LagAt(core_->demand, core_->Now());
}

bool SimTrailer::BackupValvesHeld() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->backupHeld;
}

bool SimTrailer::WheelTurning(unsigned wheel) const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return wheel >= 1 && wheel <= 4 && core_->Turning(wheel - 1, core_->Now());
}

bool SimTrailer::WheelStoppedByPulse(unsigned wheel) const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return wheel >= 1 && wheel <= 4 && core_->wheels[wheel - 1].stoppedByPulse;
}

uint8_t SimTrailer::LiftingAxleState(unsigned axle) const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle < 1 || axle > 2)
        return 0;
    return core_->AxleState(axle - 1, core_->Now());
}

uint8_t SimTrailer::EolMarker() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->marker;
}

void SimTrailer::TurnWheel(unsigned wheel) { TurnWheel(wheel, kWheelCoastMs); }

void SimTrailer::TurnWheel(unsigned wheel, uint32_t coastMs)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (wheel >= 1 && wheel <= 4)
        core_->Spin(wheel - 1, coastMs);
}

void SimTrailer::SetControlPressure(double bar)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->controlPressure = std::max(0.0, bar);
    core_->Retarget();
}

void SimTrailer::MoveLiftingAxleByHand(unsigned axle, uint8_t state)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= core_->equipment.liftingAxles && (state == kLiftStateDown || state == kLiftStateUp))
        core_->MoveAxle(axle - 1, state);
}

void SimTrailer::SetOutputDefect(uint8_t output, OutputDefect defect)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    auto it = core_->outputs.find(output);
    if (it != core_->outputs.end())
        it->second.defect = defect;
}

void SimTrailer::SetPressureDefect(PressureChannel channel, PressureDefect defect)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->pressureDefect.at(channel) = defect;
    core_->Retarget();
}

void SimTrailer::SetWheelSensorDead(unsigned sensor, bool dead)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (sensor >= 1 && sensor <= 4)
        core_->sensorDead[sensor - 1] = dead;
}

void SimTrailer::SwapWheelSensors(unsigned a, unsigned b)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (a >= 1 && a <= 4 && b >= 1 && b <= 4)
        std::swap(core_->wiring[a - 1], core_->wiring[b - 1]);
}

void SimTrailer::SetModulatorDead(uint8_t channel, bool dead)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (dead)
        core_->deadModulators.insert(channel);
    else
        core_->deadModulators.erase(channel);
}

void SimTrailer::SetHeightDefect(unsigned axle, HeightDefect defect)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= 2)
        core_->height[axle - 1].defect = defect;
}

// ---- Height sensors as a test sets them ----

void SimTrailer::SetHeightCurrent(unsigned axle, uint16_t raw)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= 2)
        core_->heightCurrentSet[axle - 1] = raw;
}

void SimTrailer::SetHeightStored(unsigned axle, uint16_t raw)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= 2)
        core_->height[axle - 1].ram = core_->height[axle - 1].stored = raw;
}

uint16_t SimTrailer::HeightStored(unsigned axle) const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return axle >= 1 && axle <= 2 ? core_->height[axle - 1].stored : 0;
}

void SimTrailer::SetHeightStoredAfterRestart(unsigned axle, uint16_t raw)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= 2)
        core_->heightStoredAfterRestart[axle - 1] = raw;
}

void SimTrailer::SetHeightRoutineStatus(std::optional<uint8_t> status)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->routineStatusSet = status;
}

void SimTrailer::SetRestartSilence(uint32_t ms)
{
    if (ecu_)
        ecu_->SetRestartTime(ms);
}

void SimTrailer::SetLiftingAxleStuck(unsigned axle, bool stuck)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle >= 1 && axle <= 2)
        core_->axles[axle - 1].stuck = stuck;
}

void SimTrailer::SetLiftingSensorStuck(unsigned axle, bool stuck)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (axle < 1 || axle > 2)
        return;
    auto& frozen = core_->axles[axle - 1].sensorFrozen;
    if (stuck)
        frozen = core_->AxleState(axle - 1, core_->Now());
    else
        frozen.reset();
}

void SimTrailer::AddPresentFault(uint32_t code)
{
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        core_->presentFaults.insert(code & 0xFFFFFF);
    }
    if (ecu_)
        ecu_->AddDtc(code, kDtcStatusCurrent);
}

void SimTrailer::ClearDefects()
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    Core& c = *core_;
    for (auto& o : c.outputs)
        o.second.defect = OutputDefect::None;
    c.pressureDefect.fill(PressureDefect::None);
    c.pressureBias.fill(0.0);
    c.residualPressure.fill(0.0);
    c.refusedIoControls.clear();
    c.sensorDead.fill(false);
    c.wiring = {0, 1, 2, 3};
    c.deadModulators.clear();
    c.keepsTurning.fill(false);
    c.miswired.clear();
    c.speedReadsBeforeFailure.fill(-1);
    c.liftReadsBeforeFailure = -1;
    for (auto& h : c.height)
        h.defect = HeightDefect::None;
    for (auto& a : c.axles) {
        a.stuck = false;
        a.sensorFrozen.reset();
    }
    c.presentFaults.clear();
    c.Retarget();
}

// ---- Wheel-sensor test: speeds, pulses and wheel faults ----

void SimTrailer::SetWheelSpinRaw(unsigned wheel, uint16_t raw)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (wheel >= 1 && wheel <= 4)
        core_->spinRaw[wheel - 1] = raw;
}

void SimTrailer::SetWheelKeepsTurning(unsigned wheel, bool keeps)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (wheel >= 1 && wheel <= 4)
        core_->keepsTurning[wheel - 1] = keeps;
}

void SimTrailer::MiswireModulator(uint8_t commanded, uint8_t actual)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (commanded == actual)
        core_->miswired.erase(commanded);
    else
        core_->miswired[commanded] = actual;
}

void SimTrailer::FailWheelSpeedRead(unsigned sensor, int reads)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (sensor >= 1 && sensor <= 4)
        core_->speedReadsBeforeFailure[sensor - 1] = reads < 0 ? -1 : reads;
}

void SimTrailer::Set4S3MVariant(int32_t variant)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->variant4S3M = variant;
}

void SimTrailer::FailLiftingStatusRead(int reads)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->liftReadsBeforeFailure = reads < 0 ? -1 : reads;
}

void SimTrailer::SetLiftingAxleTravelMs(uint32_t ms)
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->liftTravelMs = ms;
}

unsigned SimTrailer::ModulatorPulses() const
{
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->modulatorPulses;
}

} // namespace sim
