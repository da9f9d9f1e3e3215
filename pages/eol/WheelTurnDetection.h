// The measuring core of the wheel-sensor and modulator test, free of UDS,
// clocks and windows: which sensor and modulator belong to which wheel, the
// wheel-speed decoding, the detection of the wheel the operator turns (a
// machine fed one sample of the wheel speeds at a time that says what comes
// next: read, wait, pulse or decided), and the verdict of one wheel.
//
// Wheels are named by item letters: "c" sensor 1 (front left), "d" sensor 2
// (front right), "e" sensor 3 (rear left), "f" sensor 4 (rear right).
//
// Driving the detection:
//   TurningWheelDetection detection(4, /*manual*/ false, SystemForm, DerivedSystemVariant);
//   for (DetectionStep step = detection.Begin(work); step != DetectionStep::Done;) {
//       switch (step) {
//       case DetectionStep::ReadSpeeds: step = detection.Sampled(speedsRead, readFailed, work); break;
//       case DetectionStep::Wait: wait detection.WaitMs(); step = detection.Continue(work); break;
//       case DetectionStep::Pulse: pulse the item's modulator; step = detection.Continue(work); break;
//       }
//   }
//   detection.Outcome() -> result, boxes, operator question
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The working verdicts of the wheel test.
struct WheelWork {
    // WheelTurnFlag1..4: -1 not seen, 0 not turning, 1 turning.
    std::array<int32_t, 4> turn{{-1, -1, -1, -1}};
    // ModulatorState1..3: -1 unknown, 0 failed, 1 passed.
    std::array<int32_t, 3> modulator{{-1, -1, -1}};
    // ModulatorMatch slots A..F: 1 when the pulse stopped the owner's wheel.
    std::array<uint8_t, 6> match{};
};

// The seven result flags of the page: sensors 1..4, modulators 1..3.
struct WheelResults {
    std::array<int32_t, 4> sensor{{-1, -1, -1, -1}};
    std::array<int32_t, 3> modulator{{-1, -1, -1}};
};

// ---- Maps ----

// "cdef" for "4S2M" and "4S3M", "cd" for "2S2M", "a" (no test) otherwise.
std::string SensorTestOrderText(const std::string& systemForm);
// Sensor 1..4 of an item letter, 0 for any other byte.
int SensorOfItem(uint8_t item);
uint8_t ItemOfSensor(int sensor);
// The modulator (1..3) that brakes sensor `sensor`'s wheel; 0 when the form
// has no such sensor ("2S2M" sensors 3 and 4).
int ModulatorOfSensor(const std::string& systemForm, int32_t variant, int sensor);
int ModulatorOfItem(const std::string& systemForm, int32_t variant, uint8_t item);
// The IO-control channel that pulses the item's modulator: "4S3M" 0x10,
// 0x01, 0x02, 0x20 for c..f; any other form 0x10, 0x01, 0x10, 0x01; 0 for
// another item.
uint8_t ModulatorChannelForItem(const std::string& systemForm, uint8_t item);
// The ModulatorMatch slot (0 = A .. 5 = F) a sensor owns in a detection
// over `sensors` (2 or 4) sensors; -1 when it owns none.
int MatchSlotOfSensor(int sensors, const std::string& systemForm, int32_t variant, int sensor);
// How many result flags the form has: 4 for "2S2M", 7 for "4S3M", 6 otherwise.
int FormResultCount(const std::string& systemForm);
// True when every result flag of the form is 1.
bool FormResultsAllPassed(const std::string& systemForm, const WheelResults& results);

// One row of a wheel order: the sensor tested and the modulator it needs.
struct SensorChainRow {
    int sensor;
    int modulator;
    bool operator==(const SensorChainRow& o) const { return sensor == o.sensor && modulator == o.modulator; }
};
std::vector<SensorChainRow> SensorChainRows(const std::string& systemForm, int32_t variant, bool clockwise);

// ---- Wheel speed ----

constexpr double kWheelSpeedPerBit = 0.0106;
constexpr double kWheelTurningBelow = 20.0;
// The first two data bytes, most significant first, x 0.0106; false when
// the record holds fewer than two bytes (a failed read).
bool WheelSpeedFromRecord(const uint8_t* data, size_t size, double& speed);
inline bool WheelSpeedTurning(double speed) { return speed > 0.0 && speed < kWheelTurningBelow; }
inline bool WheelSpeedStopped(double speed) { return speed == 0.0; }

// ---- Detection ----

enum class DetectionStep { ReadSpeeds, Wait, Pulse, Done };

struct DetectionOutcome {
    // 1: a decision was reached and the wheel can be judged; 0: not.
    uint8_t result = 0;
    // Boxes to show, in order (UI rows 192..196, caption 76, exclamation).
    std::vector<int> boxes;
    // Manual form: no wheel turned, ask the operator (question UI 270).
    bool askOperator = false;
    // A speed read failed: the wheel gets no verdict.
    bool readFailed = false;
};

class TurningWheelDetection {
public:
    static constexpr int kSearchSamples = 46;
    static constexpr int kNotTurningSamples = 42; // 0.9 x 46, rounded up
    static constexpr int kFoundAt = 3;
    static constexpr int kPulseSamples = 4;
    static constexpr uint32_t kFoundWaitMs = 700;
    static constexpr uint32_t kSampleWaitMs = 500;
    static constexpr int kNoWheelTurningRow = 192;
    static constexpr int kNoSignalFirstRow = 193; // + sensor - 1

    // `sensors` 2 (sensors 1, 2) or 4 (sensors 1 to 4).
    TurningWheelDetection(int sensors, bool manual, const std::string& systemForm, int32_t variant);

    int Sensors() const { return sensors_; }
    // Clears every slot; the first step is a read.
    DetectionStep Begin(WheelWork& work);
    // The speeds of sensors 1..S read in order; on a failed read the ones
    // read before it, with `failed`.
    DetectionStep Sampled(const std::vector<double>& speeds, bool failed, WheelWork& work);
    // The wait or the pulse asked for is done.
    DetectionStep Continue(WheelWork& work);
    uint32_t WaitMs() const { return waitMs_; }
    const DetectionOutcome& Outcome() const { return outcome_; }

    // For inspection: the running result and the counters of sensor 1..4.
    uint8_t Result() const { return result_; }
    int TurningSamples(int sensor) const { return t_[static_cast<size_t>(sensor - 1)]; }
    int NotTurningSamples(int sensor) const { return n_[static_cast<size_t>(sensor - 1)]; }
    int StoppedSamples(int sensor) const { return z_[static_cast<size_t>(sensor - 1)]; }
    int SamplesTaken() const { return samples_; }

private:
    enum class Next { Read, PulseThenRead, Decide, EndCheck, Done };
    DetectionStep Wait(uint32_t ms, Next next);
    DetectionStep Decide(WheelWork& work);
    DetectionStep EndCheck(WheelWork& work, bool failed);

    int sensors_;
    bool manual_;
    std::string form_;
    int32_t variant_;
    bool pulsed_ = false;
    int samples_ = 0;
    int pulseSamples_ = 0;
    uint8_t result_ = 0;
    uint32_t waitMs_ = 0;
    Next next_ = Next::Read;
    std::array<int, 4> t_{}, n_{}, z_{};
    DetectionOutcome outcome_;
};

// ---- Verdict of one wheel ----

struct WheelItemInput {
    int sensors = 4;       // the detection's form: 2 or 4
    bool manual = false;
    std::string systemForm;
    int32_t variant = 0;
    uint8_t item = 'c';
};

enum class WheelPicture { Unchanged, Passed, Failed };
enum class WheelTestEnd { None, Idle, Passed };

struct WheelEvaluation {
    // Pictures of sensors 1..4 then modulators 1..3.
    std::array<WheelPicture, 7> pictures{};
    // The UI row written into each remark (sensors 1..4, modulators 1..3);
    // 0 where the remark is left alone.
    std::array<int, 7> remarkRows{};
    // What the remark line shows afterwards: the last remark written, 0 empty.
    int remarkLineRow = 0;
    // A verdict was recorded (the step ends: SensorTestActive 0).
    bool verdict = false;
    // A result was set to 0: the failure marker is written (once).
    bool writeMarker = false;
    // Manual forms: every sensor judged (Idle) and everything passed (Passed).
    WheelTestEnd end = WheelTestEnd::None;
};

// The manual remark of sensor s (1..4) when it did not turn (`other` 0) or
// when sensor `other` turned instead.
int WheelRemarkRow(int sensor, int other);
constexpr int kModulatorFailedRemarkRow = 256;

WheelEvaluation EvaluateWheelItem(const WheelItemInput& input, WheelWork& work, WheelResults& results);
