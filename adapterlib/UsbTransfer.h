// The few USB operations the CH375 host layer needs, so its logic can run
// against a fake: list the attached chips, open one, claim it, move bytes
// on a bulk or interrupt pipe with a time-out, cancel what is pending on a
// pipe, close. The libusb implementation is in LibusbTransfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dravix {

enum class UsbStatus { Ok, TimedOut, Cancelled, NoDevice, Error };

// The chip's pipes in its default firmware.
constexpr uint8_t kCh375BulkOut = 0x02;
constexpr uint8_t kCh375BulkIn = 0x82;
constexpr uint8_t kCh375InterruptIn = 0x81;

class UsbTransfer {
public:
    virtual ~UsbTransfer() = default;
    // The attached devices with the chip's USB identifiers, in a stable
    // order (the driver's device index is the position in this list).
    virtual std::vector<std::string> Devices() = 0;
    // A handle (>= 0), or -1 when the device cannot be opened.
    virtual int Open(const std::string& device) = 0;
    // Takes the chip's interface for this program. False when refused.
    virtual bool Claim(int handle) = 0;
    // One transfer on `endpoint` (bit 7 set: IN). `timeoutMs` 0 waits without
    // limit. `done` is the byte count moved.
    virtual UsbStatus Bulk(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                           uint32_t timeoutMs) = 0;
    virtual UsbStatus Interrupt(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                                uint32_t timeoutMs) = 0;
    // Ends the transfer pending on that pipe, if any: it returns Cancelled.
    virtual void Cancel(int handle, uint8_t endpoint) = 0;
    // Only when no transfer on the handle is pending.
    virtual void Close(int handle) = 0;
};

} // namespace dravix
