// A small trailer behind the simulated ECU, on the clock the ECU runs on: the
// lamps and the underwater valve, the brake-pressure channels with their
// backup valves, four wheels with their sensors and modulators, the height
// sensors with their calibration routine, the lifting axles, the supply
// voltage, the end-of-line marker and the fault codes that follow the
// trailer's state. The end-of-line tests command it through the ECU and a
// simulated operator (SimOperator) looks at it and turns its wheels.
//
// Usage:
//   tarvel::VirtualClock clock;
//   sim::SimEcu ecu(clock);
//   sim::SimTrailer trailer(clock, sim::trailerdata::TrailerForm::k4S3M);
//   trailer.AttachTo(ecu);
//   trailer.SetOutputDefect(sim::trailerdata::kOutputWarningLamp, sim::OutputDefect::StuckOff);
//
// As ISO 14229 has it, an output the tester controls (lamps, valve, brake
// pressure, backup valves) returns to the ECU when the ECU goes back to the
// default session (10 01 or the S3 time-out) or restarts.
//
// Sensors and wheels are numbered 1 to 4 (1 front left, 2 front right, 3 rear
// left, 4 rear right), height-sensor axles 1 (CD) and 2 (EF), lifting axles 1
// and 2. Every method may be called from any thread; the ECU's handlers take
// the trailer's lock inside the ECU's lock, so the trailer never calls the ECU
// while it holds its own.
#pragma once

#include "SimTrailerData.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tarvel {
class Clock;
}

namespace sim {

class SimEcu;

// What the vehicle has, as the vehicle-configuration record describes it.
struct TrailerEquipment {
    bool heightSensorCd = true;
    bool heightSensorEf = true;
    unsigned liftingAxles = 2;          // 0, 1 or 2
    bool liftingSensorVariant = false;  // the axles are moved by hand and reported by the lifting sensor
    uint8_t unusedSecondAxleField = 0;  // bits 2-3 of 0x0070 with a single lifting axle (0 or 3)
};

// A lamp or valve output of 0x0004 that does not follow its command. For the
// underwater valve "on" means energised, that is closed.
enum class OutputDefect { None, StuckOff, StuckOn };

enum class PressureDefect {
    None,
    NeverBuilds,    // the modulator builds nothing on command (the backup path still works)
    NeverReleases,  // the channel keeps the highest pressure it reached
    NoBackup,       // with the backup valves held the channel does not follow the control pressure
};

enum class HeightDefect {
    None,
    Dead,                  // reads 0; the calibration routine ends with status 0
    CalibrationNotStored,  // a calibration is lost at the next restart
};

class SimTrailer {
public:
    using TrailerForm = trailerdata::TrailerForm;
    using PressureChannel = trailerdata::PressureChannel;

    SimTrailer(const tarvel::Clock& clock, TrailerForm form = TrailerForm::k4S2M, TrailerEquipment equipment = {});
    ~SimTrailer();
    SimTrailer(const SimTrailer&) = delete;
    SimTrailer& operator=(const SimTrailer&) = delete;

    // Registers the trailer's identifiers, IO controls, the calibration
    // routine, the marker's write rule, the restart time and the fault-code
    // rules with this ECU, and writes the form into F197. One ECU per trailer.
    // The two may be destroyed in either order: once the trailer is gone its
    // handlers answer conditionsNotCorrect.
    void AttachTo(SimEcu& ecu);

    void SetForm(TrailerForm form);
    TrailerForm Form() const;
    void SetEquipment(const TrailerEquipment& equipment);
    TrailerEquipment Equipment() const;
    void SetSupplyVoltage(double volts);
    void SetPressureTimeConstants(double riseSeconds, double fallSeconds);

    // ---- What can be seen on the trailer ----
    bool WarningLampLit() const;
    bool BrakeLampLit() const;
    bool UnderwaterValveOpen() const;
    double Pressure(PressureChannel channel) const;  // bar
    double DemandPressure() const;                  // bar
    bool BackupValvesHeld() const;
    bool WheelTurning(unsigned wheel) const;
    // The last modulator pulse stopped this wheel (while it was turning).
    bool WheelStoppedByPulse(unsigned wheel) const;
    uint8_t LiftingAxleState(unsigned axle) const;  // where the axle really is (1 down, 2 up, 0 moving)
    uint8_t EolMarker() const;                      // last value written to 0x0094 (0 at delivery)

    // ---- What an operator does ----
    // Spins the wheel; it coasts kWheelCoastMs, or `coastMs`, unless a
    // modulator pulse stops it.
    void TurnWheel(unsigned wheel);
    void TurnWheel(unsigned wheel, uint32_t coastMs);
    void SetControlPressure(double bar);  // the brake demand the operator builds
    void MoveLiftingAxleByHand(unsigned axle, uint8_t state);

    // ---- Faults ----
    void SetOutputDefect(uint8_t output, OutputDefect defect);
    void SetPressureDefect(PressureChannel channel, PressureDefect defect);
    void SetWheelSensorDead(unsigned sensor, bool dead = true);
    // Sensor a reports wheel b and sensor b wheel a.
    void SwapWheelSensors(unsigned a, unsigned b);
    // Pulses on this channel are accepted but brake nothing.
    void SetModulatorDead(uint8_t channel, bool dead = true);
    void SetHeightDefect(unsigned axle, HeightDefect defect);
    void SetLiftingAxleStuck(unsigned axle, bool stuck = true);
    // The lifting sensor keeps reporting the position it had now.
    void SetLiftingSensorStuck(unsigned axle, bool stuck = true);
    // A fault the ECU keeps detecting: current in the fault memory, back at
    // once after every clear.
    void AddPresentFault(uint32_t code);
    // Pressure faults: the channel settles `bar` off what it is driven to
    // (imbalance); it never falls below `bar` (residual pressure); the ECU
    // refuses IO control of 0x0005 or 0x0006, or reads of 0x0051, 0x0052,
    // 0x0053 (requestOutOfRange).
    void SetPressureBias(PressureChannel channel, double bar);
    void SetResidualPressure(PressureChannel channel, double bar);
    void SetIoControlRefused(uint16_t did, bool refused = true);
    void SetPressureReadRefused(uint16_t did, bool refused = true);
    void ClearDefects();

    // ---- Height sensors as a test sets them (axle 1 CD, 2 EF) ----
    // The sensor's reading (0x0018 / 0x0019), instead of the trailer's own.
    void SetHeightCurrent(unsigned axle, uint16_t raw);
    // The calibration the ECU holds now (0x00B3 / 0x00B4, kept over restarts).
    void SetHeightStored(unsigned axle, uint16_t raw);
    uint16_t HeightStored(unsigned axle) const;
    // What the ECU holds after its next restart (once): a calibration value
    // that changes across the restart.
    void SetHeightStoredAfterRestart(unsigned axle, uint16_t raw);
    // The first byte of the calibration routine's status record once it has
    // finished, whatever the height; nullopt: the routine's own verdict. The
    // routine stores the current height only when it ends with status 1.
    void SetHeightRoutineStatus(std::optional<uint8_t> status);
    // How long the ECU stays silent after 11 01.
    void SetRestartSilence(uint32_t ms);
    // ---- Wheel-sensor test: speeds, pulses and wheel faults ----
    // The raw speed a turning wheel reports (x 0.0106; 1..1886 counts as
    // turning, 1887 and above as too fast). Default kWheelSpinRaw.
    void SetWheelSpinRaw(unsigned wheel, uint16_t raw);
    // The modulator pulse never stops this wheel.
    void SetWheelKeepsTurning(unsigned wheel, bool keeps = true);
    // Pulses on channel `commanded` drive the modulator that channel `actual`
    // names (a miswired valve); the same channel undoes it.
    void MiswireModulator(uint8_t commanded, uint8_t actual);
    // After `reads` more reads the sensor's speed answers carry no data (a
    // failed read); -1 never.
    void FailWheelSpeedRead(unsigned sensor, int reads);
    // The variant of a "4S3M" trailer: 0 puts modulator 3 on the front
    // wheels (1 and 2), anything else on the rear wheels (3 and 4). Until it
    // is set, each channel brakes its own wheel.
    void Set4S3MVariant(int32_t variant);
    // Modulator pulses accepted so far.
    unsigned ModulatorPulses() const;
    // After `reads` more reads the lifting-axle status answers (0x0070)
    // carry no data (a failed read); -1 never.
    void FailLiftingStatusRead(int reads);
    // How long a lifting axle takes from one end position to the other
    // (default kLiftTravelMs), for the movements that start from now on;
    // SetLiftingAxleStuck for one that never moves.
    void SetLiftingAxleTravelMs(uint32_t ms);

    struct Core;

private:
    void RegisterPressureReader(SimEcu& ecu, uint16_t did);

    std::shared_ptr<Core> core_;
    SimEcu* ecu_ = nullptr;
};

// The trailer behind the program's built-in simulated ECU; null before
// StartBuiltInEcu and after StopBuiltInEcu.
SimTrailer* BuiltInTrailer();

} // namespace sim
