// The CAN port the program's ISO-TP link talks through: transmit goes to the
// adapter switch, receive reads the open adapter's back-end (chosen by
// CanDeviceType, with CanDeviceIndex and CanChannel) and hands the frames
// over as CanFrameRecords. Filtering by identifier and queuing are the
// link's business.
#pragma once

#include "CanPort.h"

namespace tarvel {

class AdapterSwitchPort : public CanPort {
public:
    // Frames read from the adapter in one call at most.
    static constexpr size_t kBatch = 50;

    bool Transmit(uint32_t id, const std::vector<uint8_t>& data, const std::string& caption) override;
    // ControlCAN and Dravix: up to min(max, 50) frames when some are
    // pending. Kvaser: one frame. Vector: one event; only the ECU's response
    // identifier counts. A read error reads the adapter's error record and
    // returns 0. No back-end pauses when nothing is pending: the caller's
    // wait does, once a round brought nothing.
    size_t Receive(CanFrameRecord* out, size_t max) override;
    // CanDeviceType as it stood at the last Receive.
    std::optional<uint32_t> TraceDeviceType() const override;

private:
    std::atomic<uint32_t> lastType_{0};
};

} // namespace tarvel
