// The diagnostic contents of the fictional trailer ECU that the definition files
// in data/ describe: identification strings, the parameter blocks 00A0 and
// 00A1 with their write checks, live data, the roll-stability sensor, the
// connector assignment, the version DIDs and the operating data recorder.
//
// Two profiles:
// - Standard: 4S2M, software V2.7.1, calibration version "05", lifting-axle
//   version 2. Its versions have rows in the Mapping.xml files, so the program
//   picks the mapped definition files. Its recorder holds a full, wrapped
//   trip ring (1624 trips recorded, 600 held).
// - Alternate: 4S3M, software V2.5.0, calibration version "03", lifting-axle
//   version 1. No mapping row names them, so the program falls back to the
//   default definition files (and to the fallback parameter fault-code file).
//   Its recorder holds 148 trips of the older trip layout.
//
// Every value is written here as the bytes the ECU sends, by hand; the
// recorder's trips are made by the rule in SimEcuRecorderData.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

class SimEcu;

namespace ecudata {

enum class EcuProfile { Standard, Alternate };

struct ProfileIdentity {
    const char* softwareNumber;      // F194
    const char* softwareVersion;     // F195
    const char* systemForm;          // F197
    const char* identF1F4;           // F1F4
    const char* calibrationVersion;  // F1F5
    uint8_t liftingAxleVersion;      // 00F0 byte 0
};

ProfileIdentity Identity(EcuProfile profile);

// The parameter blocks as the ECU holds them after power-up, checksum included.
std::vector<uint8_t> CalibrationBlock(EcuProfile profile);  // 00A0
std::vector<uint8_t> LiftingAxleBlock(EcuProfile profile);  // 00A1

// Which lifting axles the 00A1 record describes: driven by the ECU (bytes 1
// and 2) or reported by a lifting sensor (bytes 8 and 9).
struct LiftingAxleFitting {
    bool driven1 = true;
    bool driven2 = false;
    bool sensor1 = false;
    bool sensor2 = false;
};
// Rewrites the 00A1 record this ECU holds with `fitting` and renews its
// checksum; the other bytes and the write check stay.
void SetLiftingAxleFitting(SimEcu& ecu, const LiftingAxleFitting& fitting);

// Reasons the ECU gives for a refused parameter write, in 0093 (00A0) and
// 0095 (00A1).
constexpr uint8_t kParamFaultChecksum = 0x01;
constexpr uint8_t kParamFaultAxleCount = 0x02;
constexpr uint8_t kParamFaultControlPressures = 0x03;
constexpr uint8_t kParamFaultReservedBits = 0x04;
constexpr uint8_t kLiftFaultControlMode = 0x03;
constexpr uint8_t kLiftFaultLiftThreshold = 0x04;
constexpr uint8_t kLiftFaultThresholdsOverlap = 0x06;
constexpr uint8_t kLiftFaultChecksum = 0xFB;

// Fills in (or replaces) everything that differs between the profiles and the
// data DIDs the pages read. InstallTrailerEbs installs the Standard profile;
// tests switch an ECU to the Alternate one by calling this again.
void InstallProfile(SimEcu& ecu, EcuProfile profile);

// The roll-stability sensor: DID 0064 reports the raw angle (tenths of a
// degree plus 90, most significant byte first; 0xFE00 no valid angle) and
// routine C008 calibrates (option 02: the angle becomes 900) or clears the
// calibration (option 20: 0xFE00), leaving status 01 for its result request.
struct RollSensorSetup {
    uint16_t rawAngle = 910;
    // When set, every calibration or clear leaves this status record instead
    // (00: the sensor refused; empty: a result without a status byte) and
    // the angle stays.
    std::optional<std::vector<uint8_t>> outcome;
};
// Installs (or replaces) the sensor with `setup`, as InstallProfile does
// with the defaults.
void InstallRollSensor(SimEcu& ecu, const RollSensorSetup& setup);

} // namespace ecudata
} // namespace sim
