#include "SimEcuProfile.h"

#include "SimEcu.h"
#include "SimEcuData.h"
#include "SimEcuRecorderData.h"

#include <memory>
#include <optional>

namespace sim {
namespace ecudata {

namespace {

constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kRequestOutOfRange = 0x31;
constexpr uint8_t kSecurityAccessDenied = 0x33;
constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;
constexpr uint8_t kExtendedSession = 0x03;

// ---- 00A0: vehicle configuration ("Calibration Parameters") -------------------------
// Multi-byte numbers least significant byte first; the last byte is the sum of
// all bytes before it, modulo 256.
const std::vector<uint8_t> kCalibrationStandard{
    0x03,                    //  0 number of axles
    0x01, 0x02,              //  1 sensor configuration, 2 ABS configuration
    0x01, 0x00,              //  3 level control mode (height sensor c-d), 4 height sensor e-f
    0x02, 0x02,              //  5 brake lamp output fitted, 6 underwater valve fitted
    0x01, 0x00, 0x01, 0x18,  //  7 sensor variant, 8 retarder, 9 stop light supply, 10 chamber type 24
    0x05, 0x05, 0x0C,        // 11..13 axle bits: sensed+twin, sensed+twin, twin+lift A
    0x00, 0x00,              // 14, 15 axles 4 and 5
    0x09, 0x09, 0x09, 0x00, 0x00,  // 16..20 axle loads (t)
    0x01, 0x02, 0x01, 0x02,  // 21..24 height sensor axles
    0x01, 0x02, 0x01, 0x02,  // 25..28 modulator axles
    0x03, 0x00, 0x05, 0x00, 0x02, 0x02,  // 29..34 GIO functions
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01,  // 35..40 odometer, ISO 7638 check, tilt warning
    0x1E, 0x1E, 0x02, 0x3C,  // 41..44 speed switch 1 30 km/h (twice), tilt level 2, speed switch 2 60 km/h
    0x64, 0x19,              // 45 control pressure laden 6.50 bar
    0xB0, 0x04,              // 47 control pressure unladen 1.20 bar
    0xC0, 0x12,              // 49 bellows pressure laden 4.80 bar
    0x58, 0x02,              // 51 bellows pressure unladen 0.60 bar
    0xFA, 0x00, 0xFA, 0x00,  // 53, 55 ride heights 250 mm
    0xB2, 0x0C,              // 57 tyre circumference 3250 mm
    0x64,                    // 59 exciter teeth 100
    0xBE,                    // 60 low-voltage warning 19.0 V
    0xA0, 0x86, 0x01, 0x00,  // 61 service interval 100000 km
    0x02,                    // 65 trailer type 2 (drawbar trailer)
    0x00,                    // 66 reserved
    0x01, 0x02,              // 67 suspension 1 (air), 68 load sensing 2 (electronic)
    0x58, 0x02,              // 69 plate minimum control pressure 0.60 bar
    0x64, 0x19,              // 71 plate maximum control pressure 6.50 bar
    0x5A, 0x0F,              // 73 plate axle loads 9.0 t laden, 1.5 t unladen
    0x18, 0x18, 0x18, 0x00, 0x00,  // 75..79 brake chambers of axles 1..5: 24, 24, 24, none, none
    0xB2, 0x0C, 0xB2, 0x0C,  // 80, 82 tyre circumference c-d and e-f 3250 mm
    0x64, 0x64,              // 84, 85 exciter teeth c-d and e-f 100
    0x01,                    // 86 steering axle lock not fitted
    0x18,                    // 87 checksum
};

// The layout of the default definition file: no service interval.
const std::vector<uint8_t> kCalibrationAlternate{
    0x03, 0x01, 0x02,
    0x00, 0x02,              //  3 no height sensor c-d, 4 height sensor e-f fitted
    0x01, 0x02,              //  5 brake lamp not fitted, 6 underwater valve fitted
    0x02, 0x00, 0x01, 0x18,
    0x01, 0x03, 0x14,        // 11..13 sensed, sensed+third modulator, twin+lift B
    0x00, 0x00,
    0x08, 0x08, 0x08, 0x00, 0x00,
    0x01, 0x02, 0x01, 0x02,
    0x01, 0x02, 0x01, 0x02,
    0x03, 0x00, 0x05, 0x00, 0x02, 0x02,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x1E, 0x1E, 0x02, 0x3C,
    0x58, 0x1B,              // 45 control pressure laden 7.00 bar
    0xE8, 0x03,              // 47 control pressure unladen 1.00 bar
    0x88, 0x13,              // 49 bellows pressure laden 5.00 bar
    0xF4, 0x01,              // 51 bellows pressure unladen 0.50 bar
    0x04, 0x01, 0x04, 0x01,  // 53, 55 ride heights 260 mm
    0xE4, 0x0C,              // 57 tyre circumference 3300 mm
    0x50,                    // 59 exciter teeth 80
    0xC3,                    // 60 low-voltage warning 19.5 V
    0x01, 0x02, 0x01,        // 61 trailer type 1 (semi-trailer), 62 suspension 2, 63 load sensing 1
    0xF4, 0x01,              // 64 plate minimum control pressure 0.50 bar
    0x00,                    // 66 reserved
    0x58, 0x1B,              // 67 plate maximum control pressure 7.00 bar
    0x50, 0x14,              // 69 plate axle loads 8.0 t laden, 2.0 t unladen
    0x1E, 0x1E, 0x1E, 0x00, 0x00,  // 71..75 brake chambers of axles 1..5: 30, 30, 30, none, none
    0xE4, 0x0C, 0xE4, 0x0C,  // 76, 78 tyre circumference c-d and e-f 3300 mm
    0x50, 0x50,              // 80, 81 exciter teeth c-d and e-f 80
    0x02,                    // 82 steering axle lock fitted
    0x95,                    // 83 checksum
};

// ---- 00A1: lifting axle -------------------------------------------------------------
const std::vector<uint8_t> kLiftingStandard{
    0x01,        //  0 automatic
    0x01, 0x00,  //  1 lifting axle 1 driven, 2 lifting axle 2 not driven
    0xFA, 0x00,  //  3 lift below 2.50 bar
    0x5E, 0x01,  //  5 lower above 3.50 bar
    0x01,        //  7 forced lowering at ignition off, reserved bits 0
    0x00, 0x00,  //  8, 9 no lifting-axle sensors
    0x1E,        // 10 lifting speed limit 30 km/h
    0x32,        // 11 lowering speed limit 50 km/h
    0xAC,        // 12 checksum
};

const std::vector<uint8_t> kLiftingAlternate{
    0x01,
    0x00, 0x00,  //  1, 2 no driven lifting axle
    0xDC, 0x00,  //  3 lift below 2.20 bar
    0x2C, 0x01,  //  5 lower above 3.00 bar
    0x00,
    0x01, 0x01,  //  8, 9 sensors on both lifting axles
    0x1E,        // 10 lifting speed limit 30 km/h
    0x2A,        // 11 checksum
};

bool ChecksumOk(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return false;
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        sum += data[i];
    return uint8_t(sum) == data.back();
}

unsigned Le16(const std::vector<uint8_t>& data, size_t at)
{
    return data[at] | (unsigned(data[at + 1]) << 8);
}

// Parameter writes need the extended session and the level-1 unlock.
uint8_t WriteGate(const SimEcuContext& ecu)
{
    if (ecu.Session() != kExtendedSession)
        return kConditionsNotCorrect;
    if (!ecu.Unlocked(0x01))
        return kSecurityAccessDenied;
    return 0;
}

uint8_t CheckCalibration(const std::vector<uint8_t>& data, SimEcuContext& ecu)
{
    if (uint8_t gate = WriteGate(ecu))
        return gate;
    uint8_t fault = 0;
    if (!ChecksumOk(data))
        fault = kParamFaultChecksum;
    else if (data[0] < 1 || data[0] > 5)
        fault = kParamFaultAxleCount;
    else if (Le16(data, 45) <= Le16(data, 47))
        fault = kParamFaultControlPressures;
    else {
        for (size_t axle = 11; axle <= 15; ++axle)
            if (data[axle] & 0xE0)
                fault = kParamFaultReservedBits;
    }
    ecu.SetDid(0x0093, {fault});
    return fault ? kRequestOutOfRange : 0;
}

uint8_t CheckLiftingAxle(const std::vector<uint8_t>& data, SimEcuContext& ecu)
{
    if (uint8_t gate = WriteGate(ecu))
        return gate;
    uint8_t fault = 0;
    if (!ChecksumOk(data))
        fault = kLiftFaultChecksum;
    else if (data[0] > 2)
        fault = kLiftFaultControlMode;
    else if (Le16(data, 3) > 1000)
        fault = kLiftFaultLiftThreshold;
    else if (Le16(data, 3) >= Le16(data, 5))
        fault = kLiftFaultThresholdsOverlap;
    ecu.SetDid(0x0095, {fault});
    return fault ? kRequestOutOfRange : 0;
}

// Live data: each read of the wheel speeds moves the clock of the values on.
struct LiveData {
    uint32_t tick = 0;
};

// Roll-stability sensor: the raw angle of 0064 (tenths of a degree plus 90),
// the status record of the last calibration routine and, when set, the
// record every later calibration leaves instead of succeeding.
struct RollSensor {
    uint16_t angle = 910;  // +1.0 degree: not yet calibrated
    std::vector<uint8_t> status{0x00};
    std::optional<std::vector<uint8_t>> outcome;
};

std::vector<uint8_t> Le(unsigned value, size_t bytes)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
    return out;
}

void InstallLiveData(SimEcu& ecu)
{
    auto live = std::make_shared<LiveData>();
    ecu.RegisterDynamicDid(0x0050, [live](const SimEcuContext&) {
        // Wheel speeds c, d, e, f around 20 km/h (0.01 km/h steps).
        const unsigned t = live->tick++ % 20;
        std::vector<uint8_t> out;
        for (unsigned w = 0; w < 4; ++w) {
            const std::vector<uint8_t> v = Le(2000 + 37 * t + 11 * w, 2);
            out.insert(out.end(), v.begin(), v.end());
        }
        return out;
    });
    // Pressures in mbar: demand 2.0 bar, brake pressures a little below it.
    ecu.RegisterDynamicDid(0x0051, [live](const SimEcuContext&) { return Le(2000 + 10 * (live->tick % 5), 2); });
    ecu.RegisterDynamicDid(0x0052, [live](const SimEcuContext&) {
        std::vector<uint8_t> out = Le(1950 + 7 * (live->tick % 5), 2);
        const std::vector<uint8_t> right = Le(1940 + 9 * (live->tick % 5), 2);
        out.insert(out.end(), right.begin(), right.end());
        return out;
    });
    ecu.RegisterDynamicDid(0x0053, [live](const SimEcuContext&) {
        std::vector<uint8_t> out = Le(1930 + 5 * (live->tick % 5), 2);
        const std::vector<uint8_t> right = Le(1945 + 3 * (live->tick % 5), 2);
        out.insert(out.end(), right.begin(), right.end());
        return out;
    });
    ecu.RegisterDynamicDid(0x0054, [live](const SimEcuContext&) { return Le(8200 - 20 * (live->tick % 10), 2); });
    // Supply voltage (10 mV) and temperature (degrees + 40).
    ecu.RegisterDynamicDid(0x0056, [live](const SimEcuContext&) {
        std::vector<uint8_t> out = Le(2410 + 3 * (live->tick % 7), 2);
        out.push_back(uint8_t(65 + live->tick % 3));
        return out;
    });
    // Switch inputs: brake light supply and ISO 7638 supply on.
    ecu.RegisterDid(0x0057, {0x03});
    ecu.RegisterDynamicDid(0x0092, [live](const SimEcuContext&) {
        return std::vector<uint8_t>{uint8_t(0x10 | (live->tick & 0x07)), 0x1A};
    });
}

void InstallRollSensorHandlers(SimEcu& ecu, const RollSensorSetup& setup)
{
    auto rss = std::make_shared<RollSensor>();
    rss->angle = setup.rawAngle;
    rss->outcome = setup.outcome;
    ecu.RegisterDynamicDid(0x0064, [rss](const SimEcuContext&) {
        return std::vector<uint8_t>{uint8_t(rss->angle >> 8), uint8_t(rss->angle)};  // most significant first
    });
    ecu.RegisterRoutine(0xC008, [rss](uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& e) {
        if (e.Session() != kExtendedSession)
            return SimEcuAnswer::Negative(kConditionsNotCorrect);
        if (sub == 0x03)
            return SimEcuAnswer::Positive(rss->status);
        if (sub != 0x01)
            return SimEcuAnswer::Negative(kSubFunctionNotSupported);
        if (!e.Unlocked(0x01))
            return SimEcuAnswer::Negative(kSecurityAccessDenied);
        if (option.size() != 1)
            return SimEcuAnswer::Negative(kIncorrectLength);
        if (option[0] != 0x02 && option[0] != 0x20)
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        if (rss->outcome) {
            rss->status = *rss->outcome;  // the sensor did not take the calibration
            return SimEcuAnswer::Positive(rss->status);
        }
        rss->angle = option[0] == 0x02 ? 900 : 0xFE00;  // calibrated level, or no valid angle once cleared
        rss->status = {0x01};
        return SimEcuAnswer::Positive(rss->status);
    });
}

void InstallConnectors(SimEcu& ecu)
{
    // Required connector version 3, an update is offered; the ECU holds version 2.
    ecu.RegisterDid(0x00F1, {0x03, 0x01});
    ecu.RegisterDid(0x00A2, {0x02, 0x01, 0x00, 0x05, 0x00, 0x00, 0x00, 0x03, 0x04, 0x02, 0x06, 0x00, 0x00, 0x07,
                             0x00, 0x06, 0x00});
    // Pin assignment of connectors X1 to X16, one byte per output GIO 1..5.
    const uint8_t pins[16][5] = {
        {0x00, 0x08, 0x00, 0x00, 0x00},  // X1  GIO2 pin 4
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x10, 0x00, 0x00, 0x00, 0x00},  // X3  GIO1 pins 1 and 4
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x02, 0x00},  // X7  GIO4 pin 3
        {0x00, 0x00, 0x00, 0x01, 0x00},  // X8  GIO4 pin 1
        {0x00, 0x02, 0x00, 0x00, 0x00},  // X9  GIO2 pin 3
        {0x00, 0x00, 0x01, 0x00, 0x00},  // X10 GIO3 pin 1
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0x01},  // X13 GIO5 pin 1
        {0x00, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x04, 0x00, 0x00},  // X15 GIO3 pins 1 and 3: claims X10's pin as well
        {0x00, 0x00, 0x00, 0x00, 0x00},
    };
    for (uint16_t n = 0; n < 16; ++n)
        ecu.RegisterDid(uint16_t(0xD001 + n), std::vector<uint8_t>(pins[n], pins[n] + 5));
}

} // namespace

void InstallRollSensor(SimEcu& ecu, const RollSensorSetup& setup)
{
    InstallRollSensorHandlers(ecu, setup);
}

ProfileIdentity Identity(EcuProfile profile)
{
    if (profile == EcuProfile::Alternate)
        return {"TEB-SW-2250", "V2.5.0", "4S3M", "TE4S3M01", "03", 0x01};
    return {kSoftwareNumber, kSoftwareVersion, kSystemForm, kIdentF1F4, kCalibrationVersion, 0x02};
}

std::vector<uint8_t> CalibrationBlock(EcuProfile profile)
{
    return profile == EcuProfile::Alternate ? kCalibrationAlternate : kCalibrationStandard;
}

std::vector<uint8_t> LiftingAxleBlock(EcuProfile profile)
{
    return profile == EcuProfile::Alternate ? kLiftingAlternate : kLiftingStandard;
}

void SetLiftingAxleFitting(SimEcu& ecu, const LiftingAxleFitting& fitting)
{
    std::vector<uint8_t> record = ecu.Did(0x00A1).value_or(LiftingAxleBlock(EcuProfile::Standard));
    if (record.size() < 11)
        return;
    record[1] = fitting.driven1 ? 0x01 : 0x00;
    record[2] = fitting.driven2 ? 0x01 : 0x00;
    record[8] = fitting.sensor1 ? 0x01 : 0x00;
    record[9] = fitting.sensor2 ? 0x01 : 0x00;
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < record.size(); ++i)
        sum += record[i];
    record.back() = uint8_t(sum);
    ecu.RegisterDid(0x00A1, record, /*writable*/ true, /*needsUnlock*/ true);
}

void InstallProfile(SimEcu& ecu, EcuProfile profile)
{
    const ProfileIdentity id = Identity(profile);
    ecu.RegisterDid(0xF194, Ascii(id.softwareNumber));
    ecu.RegisterDid(0xF195, Ascii(id.softwareVersion));
    ecu.RegisterDid(0xF197, Ascii(id.systemForm));
    ecu.RegisterDid(0xF1F4, Ascii(id.identF1F4));
    ecu.RegisterDid(0xF1F5, Ascii(id.calibrationVersion));

    // Parameter blocks: kept across resets; refused writes leave a reason.
    ecu.RegisterDid(0x00A0, CalibrationBlock(profile), /*writable*/ true, /*needsUnlock*/ true);
    ecu.SetDidWriteCheck(0x00A0, CheckCalibration);
    ecu.RegisterDid(0x0093, {0x00});
    ecu.RegisterDid(0x00A1, LiftingAxleBlock(profile), true, true);
    ecu.SetDidWriteCheck(0x00A1, CheckLiftingAxle);
    ecu.RegisterDid(0x0095, {0x00});
    ecu.RegisterDid(0x00F0, {id.liftingAxleVersion});

    InstallLiveData(ecu);
    InstallRollSensor(ecu, RollSensorSetup{});
    InstallConnectors(ecu);
    // The recorder of this trailer (its own trips).
    InstallOdrRecorder(ecu, profile);
}

} // namespace ecudata
} // namespace sim
