#include "SimEcuData.h"

#include "SimBootLoader.h"
#include "SimEcu.h"
#include "SimEcuProfile.h"

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

// As a software file carries them (";BL=0102", ";HW=0201").
const std::array<uint8_t, 4> kBootLoaderVersion{0x30, 0x31, 0x30, 0x32};
const std::array<uint8_t, 4> kHardwareVersionCode{0x30, 0x32, 0x30, 0x31};


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
    // Version strings, parameter blocks, live data, roll-stability sensor,
    // connectors and operating data recorder of the standard profile.
    InstallProfile(ecu, EcuProfile::Standard);

    // Fault memory: one current fault, two stored ones (one whose first byte is 0).
    ecu.AddDtc(0x5A0113, 0x09);
    ecu.AddDtc(0xC11087, 0x08);
    ecu.AddDtc(0x004811, 0x08);

    // Programming routines of the boot loader.
    InstallBootLoader(ecu);
}

} // namespace ecudata
} // namespace sim
