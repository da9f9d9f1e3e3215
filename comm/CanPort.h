// What the ISO-TP link needs of a CAN adapter: send one frame, fetch what was
// received. The adapter switch provides the port the program uses; tests can
// put a port straight onto a virtual bus.
#pragma once

#include "CanRecords.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvel {

class CanPort {
public:
    virtual ~CanPort() = default;
    // Sends one extended 8-byte frame: the first bytes of `data` (at most 8),
    // padded with 0x00. `caption` names the request in the trace. True on
    // success.
    virtual bool Transmit(uint32_t id, const std::vector<uint8_t>& data, const std::string& caption) = 0;
    // Reads up to `max` received frames into `out` and returns how many. When
    // nothing has arrived it may pause briefly, as the back-end does.
    virtual size_t Receive(CanFrameRecord* out, size_t max) = 0;
    // Adapter type code of the frames the last Receive returned, for the
    // header of the receive trace line; none when the port has no such code.
    virtual std::optional<uint32_t> TraceDeviceType() const { return std::nullopt; }
};

namespace detail {
inline std::atomic<CanPort*>& CanPortSlot()
{
    static std::atomic<CanPort*> slot{nullptr};
    return slot;
}
} // namespace detail

// The port the UDS client talks through (null until the program installs one).
inline CanPort* GetCanPort() { return detail::CanPortSlot().load(std::memory_order_acquire); }
inline void SetCanPort(CanPort* port) { detail::CanPortSlot().store(port, std::memory_order_release); }

} // namespace tarvel
