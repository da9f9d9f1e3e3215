// Frame conversion between a virtual bus node and the CanPort interface,
// shared by the UDS benchmarks.
#pragma once

#include "CanPort.h"
#include "VirtualCanBus.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace benchframes {

// An extended-identifier frame of 8 bytes carrying the first bytes of data.
inline sim::CanFrame Frame(uint32_t id, const std::vector<uint8_t>& data)
{
    sim::CanFrame f;
    f.id = id;
    f.extended = true;
    f.dlc = 8;
    std::copy_n(data.begin(), std::min<size_t>(8, data.size()), f.data.begin());
    return f;
}

// Moves up to max frames waiting at the node into out; returns how many.
inline size_t Receive(sim::CanNode& node, CanFrameRecord* out, size_t max)
{
    size_t n = 0;
    sim::CanFrame f;
    while (n < max && node.Receive(f)) {
        CanFrameRecord r{};
        r.ID = f.id;
        r.ExternFlag = 1;
        r.DataLen = f.dlc;
        std::copy(f.data.begin(), f.data.end(), r.Data);
        out[n++] = r;
    }
    return n;
}

} // namespace benchframes
