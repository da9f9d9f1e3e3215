// The operating data recorder of the simulated ECU: its information record,
// its trip ring and the few counters around them. Every record is written
// here byte for byte; the layouts are those of the recorder definition files
// in data/VADE_ODR_ParameterConfig/.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

class SimEcu;

namespace ecudata {

// The information record (DID 0x0042).
const std::vector<uint8_t>& OdrInformationRecord();
// The trip records, ring slot 0 first (DID 0x0047 hands them out one by one).
const std::vector<std::vector<uint8_t>>& OdrTripRecords();
// Reference values read beside the information record: DID 0x0043 (tenths
// of a km, signed 32-bit) and DID 0x0044 (minutes, signed 32-bit).
const std::vector<uint8_t>& OdrMileageReference();
const std::vector<uint8_t>& OdrTimeReference();

// Registers the recorder: DIDs 0x0042, 0x0043, 0x0044, 0x0048 (newest ring
// slot), 0x004A (number of trips), 0x0047 (the next trip record) and
// routine 0xC00A, whose start (option 00 hi lo) sets the slot the next read
// of 0x0047 returns; it is refused (0x33) unless the ECU is unlocked in the
// extended session.
void InstallOdrRecorder(SimEcu& ecu);

} // namespace ecudata
} // namespace sim
