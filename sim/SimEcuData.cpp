#include "SimEcuData.h"

#include "SimEcu.h"
#include "SimEcuProfile.h"
#include "SimEcuRecorderData.h"

#include <algorithm>

namespace sim {
namespace ecudata {

// ---- Identity of the trailer EBS (4 sensors, 2 modulators) ------------------------
const char* const kSupplierId = "TRLK";
const char* const kSerialNumber = "TE2411070123";
const char* const kVin = "WTR4S2M0N0K012345";
const char* const kHardwareNumber = "4S2M-HW-0412";
const char* const kHardwareVersion = "H03.01";
const char* const kSoftwareNumber = "TEB-SW-2271";
const char* const kSoftwareVersion = "V2.7.1";
const char* const kSystemForm = "4S2M";
const char* const kIdentF1F4 = "TE4S2M01";
const char* const kCalibrationVersion = "05";

const std::array<uint8_t, 4> kBootLoaderVersion{0x01, 0x04, 0x00, 0x02};
const std::array<uint8_t, 4> kHardwareVersionCode{0x03, 0x01, 0x00, 0x00};

namespace {

constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;
constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kSecurityAccessDenied = 0x33;
constexpr uint8_t kProgrammingSession = 0x02;
constexpr uint8_t kDefaultSession = 0x01;

// Routine status bytes as the download sequence reads them.
constexpr uint8_t kStatusOk = 0x00;        // preconditions, erase, checksum, dependencies
constexpr uint8_t kStatusFailed = 0x01;
constexpr uint8_t kCompatible = 0x01;      // boot-loader and hardware checks: 0 means incompatible
constexpr uint8_t kIncompatible = 0x00;

// The common gate of the boot loader's routines: programming session and the
// programming unlock (level 09/0A).
bool ProgrammingAllowed(const SimEcuContext& ecu, SimEcuAnswer& refusal)
{
    if (ecu.Session() != kProgrammingSession) {
        refusal = SimEcuAnswer::Negative(kConditionsNotCorrect);
        return false;
    }
    if (!ecu.Unlocked(0x09)) {
        refusal = SimEcuAnswer::Negative(kSecurityAccessDenied);
        return false;
    }
    return true;
}

RoutineHandler StartOnly(size_t optionLength, bool needsProgramming,
                         std::function<SimEcuAnswer(const std::vector<uint8_t>&, SimEcuContext&)> body)
{
    return [=](uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& ecu) {
        if (sub != 0x01)
            return SimEcuAnswer::Negative(kSubFunctionNotSupported);
        if (option.size() != optionLength)
            return SimEcuAnswer::Negative(kIncorrectLength);
        SimEcuAnswer refusal;
        if (needsProgramming && !ProgrammingAllowed(ecu, refusal))
            return refusal;
        return body(option, ecu);
    };
}

} // namespace

std::vector<uint8_t> Ascii(const std::string& text, size_t width)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (bytes.size() < width)
        bytes.resize(width, ' ');
    return bytes;
}

uint32_t Crc32(const std::vector<uint8_t>& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void InstallTrailerEbs(SimEcu& ecu)
{
    // Identification (read by the ECU information page and the reports).
    ecu.RegisterDid(0xF18A, Ascii(kSupplierId));
    ecu.RegisterDid(0xF18C, Ascii(kSerialNumber));
    ecu.RegisterDid(0xF190, Ascii(kVin), /*writable*/ true, /*needsUnlock*/ true);
    ecu.RegisterDid(0xF192, Ascii(kHardwareNumber));
    ecu.RegisterDid(0xF193, Ascii(kHardwareVersion));
    ecu.RegisterDid(0xF194, Ascii(kSoftwareNumber));
    ecu.RegisterDid(0xF195, Ascii(kSoftwareVersion));
    ecu.RegisterDid(0xF197, Ascii(kSystemForm));
    ecu.RegisterDid(0xF1F4, Ascii(kIdentF1F4));
    ecu.RegisterDid(0xF1F5, Ascii(kCalibrationVersion));
    // The active diagnostic session.
    ecu.RegisterDynamicDid(0xF186, [](const SimEcuContext& e) { return std::vector<uint8_t>{e.Session()}; });

    // Stored data: the end-of-line marker (0 not passed, 1 passed).
    ecu.RegisterDid(0x0094, {0x00}, true, true);
    // Version strings, parameter blocks, live data, roll-stability sensor and
    // connectors of the standard profile.
    InstallProfile(ecu, EcuProfile::Standard);

    // Fault memory: one current fault, two stored ones (one whose first byte is 0).
    ecu.AddDtc(0x5A0113, 0x09);
    ecu.AddDtc(0xC11087, 0x08);
    ecu.AddDtc(0x004811, 0x08);

    // The operating data recorder.
    InstallOdrRecorder(ecu);

    // Programming routines of the boot loader.
    ecu.RegisterRoutine(0x0203, StartOnly(0, false, [](const std::vector<uint8_t>&, SimEcuContext& e) {
        // Programming preconditions: not from the default session.
        return SimEcuAnswer::Positive({e.Session() == kDefaultSession ? kStatusFailed : kStatusOk});
    }));
    ecu.RegisterRoutine(0x0204, StartOnly(4, true, [](const std::vector<uint8_t>& v, SimEcuContext&) {
        const bool same = std::equal(v.begin(), v.end(), kBootLoaderVersion.begin());
        return SimEcuAnswer::Positive({same ? kCompatible : kIncompatible});
    }));
    ecu.RegisterRoutine(0x0205, StartOnly(4, true, [](const std::vector<uint8_t>& v, SimEcuContext&) {
        const bool same = std::equal(v.begin(), v.end(), kHardwareVersionCode.begin());
        return SimEcuAnswer::Positive({same ? kCompatible : kIncompatible});
    }));
    ecu.RegisterRoutine(0xFF00, StartOnly(9, true, [](const std::vector<uint8_t>& v, SimEcuContext& e) {
        // Erase memory: 44, four address bytes, four length bytes.
        if (v[0] != 0x44)
            return SimEcuAnswer::Negative(0x31);
        e.ClearImage();
        return SimEcuAnswer::Positive({kStatusOk});
    }));
    ecu.RegisterRoutine(0x0202, StartOnly(4, true, [](const std::vector<uint8_t>& v, SimEcuContext& e) {
        const uint32_t crc = Crc32(e.Image());
        const uint32_t sent = (uint32_t(v[0]) << 24) | (uint32_t(v[1]) << 16) | (uint32_t(v[2]) << 8) | v[3];
        return SimEcuAnswer::Positive({crc == sent && !e.Image().empty() ? kStatusOk : kStatusFailed});
    }));
    ecu.RegisterRoutine(0xFF01, StartOnly(0, true, [](const std::vector<uint8_t>&, SimEcuContext& e) {
        return SimEcuAnswer::Positive({e.Image().empty() ? kStatusFailed : kStatusOk});
    }));
}

} // namespace ecudata
} // namespace sim
