// The device side of our CH375 driver stand-in: what sits at the far end of
// the USB cable. A device is installed at a driver index; when the host opens
// that index the driver attaches the device and hands it a link through which
// the device feeds the bulk IN and interrupt IN pipes and reports its own
// removal. Bulk OUT writes reach the device synchronously on the writer's
// thread.
#pragma once

#include "Ch375.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ch375 {

// What a device uses to talk to the host. Valid for the life of the process;
// data pushed while the index is not open is dropped, as a real host would
// never fetch it.
class DeviceLink {
public:
    virtual ~DeviceLink() = default;
    // Queues bytes on the bulk IN pipe as one transfer.
    virtual void PushBulkIn(const uint8_t* data, size_t length) = 0;
    // Queues one interrupt IN packet.
    virtual void PushInterrupt(const uint8_t* data, size_t length) = 0;
    // The device went away: pending and later transfers fail, and the
    // registered removal routine runs on the caller's thread. Never call this
    // from inside Attach or BulkOut (the host may hold locks there).
    virtual void DeviceRemoved() = 0;
};

class Device {
public:
    virtual ~Device() = default;
    // The host opened the device. False refuses the open (unplugged).
    virtual bool Attach(DeviceLink* link) = 0;
    // The host closed the device.
    virtual void Detach() = 0;
    // One bulk OUT transfer. False makes the write fail.
    virtual bool BulkOut(const uint8_t* data, size_t length) = 0;
};

// Installs a device at an index (replacing and detaching any earlier one);
// nullptr removes it. False for an index outside the driver's range.
CH375_API bool InstallDevice(unsigned index, std::shared_ptr<Device> device);

// The driver state of an index, for tests that check the call order's effect.
struct SlotState {
    bool open = false;
    bool removed = false;
    bool exclusive = false;
    bool bufferedUpload = false;
    bool bufferedDownload = false;
    bool notifyRegistered = false;
    uint32_t readTimeoutMs = 0;
    uint32_t interTimeoutMs = 0;
};
CH375_API SlotState GetSlotState(unsigned index);

} // namespace ch375
