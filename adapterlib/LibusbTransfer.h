// UsbTransfer over libusb-1.0 (Linux). The library is started when a device
// list is asked for or a device is open, and stopped again as soon as no
// device is open, so a search that finds nothing leaves no thread behind.
// Transfers are submitted asynchronously and waited for on the caller's
// thread, so a cancel from another thread ends them at once.
#pragma once

#include "UsbTransfer.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

struct libusb_context;
struct libusb_device_handle;
struct libusb_transfer;

namespace dravix {

class LibusbTransfer : public UsbTransfer {
public:
    LibusbTransfer() = default;
    ~LibusbTransfer() override;

    std::vector<std::string> Devices() override;
    int Open(const std::string& device) override;
    bool Claim(int handle) override;
    UsbStatus Bulk(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                   uint32_t timeoutMs) override;
    UsbStatus Interrupt(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                        uint32_t timeoutMs) override;
    void Cancel(int handle, uint8_t endpoint) override;
    void Close(int handle) override;

private:
    bool StartLocked();
    void StopIfIdleLocked();
    UsbStatus Run(int handle, uint8_t endpoint, bool interrupt, uint8_t* data, size_t length, size_t& done,
                  uint32_t timeoutMs);

    std::mutex mutex_;
    libusb_context* context_ = nullptr;
    std::map<int, libusb_device_handle*> handles_;
    std::map<std::pair<int, uint8_t>, libusb_transfer*> pending_;
    int nextHandle_ = 0;
};

} // namespace dravix
