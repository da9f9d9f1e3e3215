// Identity and contents of the one fictional ECU the program is built for: a
// 4S2M trailer EBS. Everything the simulated ECU answers by default lives in
// SimEcuData.cpp, so the definition files in data/ can be matched against one
// place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class SimEcu;

namespace ecudata {

// Identification DIDs (ASCII contents).
extern const char* const kSupplierId;       // F18A
extern const char* const kSerialNumber;     // F18C
extern const char* const kVin;              // F190, 17 characters
extern const char* const kHardwareNumber;   // F192
extern const char* const kHardwareVersion;  // F193
extern const char* const kSoftwareNumber;   // F194
extern const char* const kSoftwareVersion;  // F195
extern const char* const kSystemForm;       // F197
extern const char* const kIdentF1F4;        // F1F4
extern const char* const kCalibrationVersion;  // F1F5

// What the boot loader accepts (routines 0204 and 0205).
extern const std::array<uint8_t, 4> kBootLoaderVersion;
extern const std::array<uint8_t, 4> kHardwareVersionCode;

// CRC-32 (IEEE 802.3, reflected 0xEDB88320) as the checksum routine 0202 checks it.
uint32_t Crc32(const std::vector<uint8_t>& bytes);

std::vector<uint8_t> Ascii(const std::string& text, size_t width = 0);  // padded with blanks to width

// Fills the ECU with the trailer EBS identity DIDs, data DIDs, fault memory
// and the programming routines.
void InstallTrailerEbs(SimEcu& ecu);

} // namespace ecudata
} // namespace sim
