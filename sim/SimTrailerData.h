// The numbers of the simulated trailer in one place: how the ECU encodes the
// values it reports, how fast the trailer's pressures and axles move, and what
// a healthy trailer reads. The end-of-line tests judge these values against
// fixed bands; the comments say which band each number has to meet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {
namespace trailerdata {

// ---- Identifiers ------------------------------------------------------------------
constexpr uint16_t kDidSupplyVoltage = 0x0029;
constexpr uint16_t kDidSensorPulses = 0x0001;       // read: pulse counters of the wheel sensors
constexpr uint16_t kDidModulatorPulse = 0x0001;     // IO control: pulse one modulator channel
constexpr uint16_t kDidWheelSpeedFirst = 0x0010;    // 0x0010 .. 0x0013, sensors 1 to 4
constexpr uint16_t kDidLampsAndValve = 0x0004;      // IO control: lamps and the underwater valve
constexpr uint16_t kDidBrakePressureControl = 0x0005;
constexpr uint16_t kDidBackupValves = 0x0006;
constexpr uint16_t kDidLiftingAxleControl = 0x0007;
constexpr uint16_t kDidDemandPressure = 0x0051;
constexpr uint16_t kDidBrakePressure = 0x0052;
constexpr uint16_t kDidEbsdPressure = 0x0053;
constexpr uint16_t kDidHeightCurrentCd = 0x0018;
constexpr uint16_t kDidHeightCurrentEf = 0x0019;
constexpr uint16_t kDidHeightCalibrationCd = 0x00B3;
constexpr uint16_t kDidHeightCalibrationEf = 0x00B4;
constexpr uint16_t kDidLiftingAxleStatus = 0x0070;
constexpr uint16_t kDidEolMarker = 0x0094;
constexpr uint16_t kDidSystemForm = 0xF197;
constexpr uint16_t kRoutineHeightCalibration = 0xC007;

// Outputs of identifier 0x0004.
constexpr uint8_t kOutputWarningLamp = 0x01;
constexpr uint8_t kOutputUnderwaterValve = 0x07;
constexpr uint8_t kOutputBrakeLamp = 0x08;

// ---- Fault memory -------------------------------------------------------------------
// Present while the end-of-line marker is not 1.
constexpr uint32_t kDtcEolNotPassed = 0xFD0E;
// Present while a lamp or valve output of 0x0004 is held by the tester.
constexpr uint32_t kDtcOutputUnderTesterControl = 0xDB08;
constexpr uint8_t kDtcStatusCurrent = 0x09;  // testFailed | confirmed
constexpr uint8_t kDtcStatusHistory = 0x08;  // confirmed only

// ---- Restart -------------------------------------------------------------------------
// Silence after 11 01. The program download asks for the ECU's identity
// 200 ms after the restart, the height-sensor page reads again 1000 ms after
// it and the fault check clears 1500 ms after it: all must find the ECU up
// again.
constexpr uint32_t kRestartMs = 150;

// ---- Supply voltage (0x0029): one byte, raw x 0.15 V ------------------------------
constexpr double kVoltsPerBit = 0.15;
constexpr double kDefaultSupplyVolts = 24.0;  // raw 160; the page passes 18.00 V .. 31.95 V

// ---- Pressures (0x0051, 0x0052, 0x0053) -----------------------------------------------
// Each pressure is an unsigned 16-bit number, least significant byte first,
// value = raw x kPressureBarPerBit + kPressureOffsetBar.
//   0x0051: byte 0-1 demand pressure                     (2 bytes)
//   0x0052: byte 0-1 left brake pressure, 2-3 right       (4 bytes)
//   0x0053: byte 0-1 EBS-D left, 2-3 EBS-D right          (4 bytes; 0 without a third modulator)
constexpr double kPressureBarPerBit = 0.001; // mbar, as the monitor definitions scale it
constexpr double kPressureOffsetBar = 0.0;
constexpr unsigned kPressureBits = 16;
constexpr bool kPressureLeastSignificantFirst = true;
constexpr size_t kPressureLeftByte = 0;
constexpr size_t kPressureRightByte = 2;
constexpr size_t kDemandPressureByte = 0;

// 2F 00 05 03 <channel> <level> FF: level x kBarPerLevel is the pressure the
// channel builds (0x64 -> 5.0 bar, the pages' target; 0x00 releases).
constexpr double kBarPerLevel = 0.05;
// First-order rise and fall. The brake-pressure page reads a channel 2.5 s
// after its first command (two channels) or 1.0 s after it (4S3M) and wants
// 5.0 +/- 0.7 bar, so the rise constant must stay below about 0.5 s; released
// channels must be under 0.7 bar after 1 s.
constexpr double kPressureRiseTauS = 0.3;
constexpr double kPressureFallTauS = 0.3;
// What the operator builds when asked to (backup-pressure test): not all
// below 5.0 bar, and every channel following it within 0.7 bar.
constexpr double kOperatorControlPressureBar = 6.0;

// Pressure channels of the model.
enum PressureChannel { kMainLeft = 0, kMainRight = 1, kEbsdLeft = 2, kEbsdRight = 3, kPressureChannels = 4 };

// ---- Wheels (0x0010 .. 0x0013, 0x0001) ------------------------------------------------
// Wheel speed: unsigned 16-bit, most significant byte first, x 0.0106. The
// wheel-sensor page counts 0 < speed < 20 as turning and exactly 0 as stopped.
constexpr double kWheelSpeedPerBit = 0.0106;
constexpr uint16_t kWheelSpinRaw = 425;         // 4.5 in the page's unit
// A wheel turned by hand coasts this long unless a modulator pulse stops it:
// longer than the page's search (46 samples) and its four samples after the pulse.
constexpr uint32_t kWheelCoastMs = 30000;
// The person at the trailer of the running program spins a wheel by hand
// and lets it go: it coasts this long. Long enough that the page finds it
// turning (three samples 500 ms apart), pulses 700 ms later and takes three
// samples more while it would still turn, so a modulator that does not stop
// it is caught; short enough that it has stopped before the next wheel's
// search begins.
constexpr uint32_t kHandSpinCoastMs = 5000;
// How long a person takes to act on what they are asked: about one to two
// seconds.
constexpr uint32_t kReactionMinMs = 1000;
constexpr uint32_t kReactionMaxMs = 2000;
// Pulse counters of 0x0001: four unsigned 16-bit counters (sensors 1 to 4),
// least significant byte first, counting while the sensor's wheel turns.
constexpr uint32_t kSensorPulsesPerSecond = 48;

// ---- Height sensors (0x0018/0x0019 current, 0x00B3/0x00B4 calibration) ---------------
// Unsigned 16-bit, most significant byte first, x 1.0.
constexpr uint16_t kHeightCurrentCd = 702;
constexpr uint16_t kHeightCurrentEf = 688;
// Stored at delivery; the page's Skip Test accepts 600.0 .. 800.0.
constexpr uint16_t kHeightStoredCd = 650;
constexpr uint16_t kHeightStoredEf = 645;
// The routine refuses to calibrate outside this band (status 0).
constexpr uint16_t kHeightCalibratableMin = 600;
constexpr uint16_t kHeightCalibratableMax = 800;
// The routine's run time; the page asks for its result after 1000 ms.
constexpr uint32_t kHeightCalibrationMs = 300;
// Routine status record, first byte.
constexpr uint8_t kRoutineFailed = 0x00;
constexpr uint8_t kRoutineDone = 0x01;
constexpr uint8_t kRoutineRunning = 0x02;

// ---- Lifting axles (0x0007, 0x0070) ---------------------------------------------------
// Status byte: bits 0-1 axle 1, bits 2-3 axle 2. State 1 is reached with
// command state 0x00 (axle down), state 2 with 0xFF (axle up), 0 while moving.
constexpr uint8_t kLiftStateMoving = 0;
constexpr uint8_t kLiftStateDown = 1;
constexpr uint8_t kLiftStateUp = 2;
// Travel time; the lifting-axle page polls for 16 s.
constexpr uint32_t kLiftTravelMs = 3000;

// ---- Per form --------------------------------------------------------------------------
enum class TrailerForm { k2S2M, k4S2M, k4S3M };
const char* FormName(TrailerForm form);  // "2S2M", "4S2M", "4S3M"
unsigned SensorCount(TrailerForm form);  // 2 or 4

// Wheels (by sensor position 0..3) that a modulator pulse on this channel
// brakes; empty for a channel the form does not have.
std::vector<unsigned> WheelsBrakedByChannel(TrailerForm form, uint8_t channel);
// A "4S3M" trailer: the channel of wheel c, d, e or f (0x10, 0x01, 0x02,
// 0x20) pulses the modulator of that wheel; variant 0 has modulator 3 on
// wheels 1 and 2, modulator 1 on wheel 3 and 2 on wheel 4, any other variant
// modulators 1 and 2 on wheels 1 and 2 and modulator 3 on wheels 3 and 4. The
// wheels (0..3) that modulator brakes.
std::vector<unsigned> WheelsBrakedBy4S3MChannel(uint8_t channel, int32_t variant);
// Pressure channels that 2F 00 05 on this channel drives; empty when unknown.
std::vector<PressureChannel> PressuresOfChannel(TrailerForm form, uint8_t channel);

} // namespace trailerdata
} // namespace sim
