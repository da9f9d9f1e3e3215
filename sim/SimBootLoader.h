// The simulated ECU's boot loader: the routines of the programming sequence
// (preconditions 0203, boot-loader and hardware compatibility 0204/0205,
// erase FF00, checksum 0202, dependencies FF01) and how they answer. The
// transfer itself (34/36/37) is part of SimEcu.
//
// Every routine but 0203 needs the programming session (7F 31 7F otherwise)
// and the programming unlock, level 09/0A (7F 31 33 otherwise).
#pragma once

#include <array>
#include <cstdint>

namespace sim {

class SimEcu;

struct BootLoaderSettings {
    // Versions the compatibility routines accept, as a software file carries
    // them (four characters: ";BL=0102" gives 30 31 30 32).
    std::array<uint8_t, 4> bootLoaderVersion{0x30, 0x31, 0x30, 0x32};
    std::array<uint8_t, 4> hardwareVersion{0x30, 0x32, 0x30, 0x31};
    // Status byte of the preconditions check when it is asked outside the
    // default session (0 = programming may start).
    uint8_t preconditionStatus = 0x00;
    // How long the erase takes; the ECU answers "pending" meanwhile.
    uint32_t eraseMs = 0;
    uint8_t eraseStatus = 0x00;
    // Status of the dependency check after a complete transfer.
    uint8_t dependencyStatus = 0x00;
};

// Registers (or replaces) the boot loader's routines on the ECU.
void InstallBootLoader(SimEcu& ecu, const BootLoaderSettings& settings = {});

} // namespace sim
