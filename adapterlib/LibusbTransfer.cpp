#include "LibusbTransfer.h"

#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace dravix {

namespace {

// The chip's identifiers: its maker's original and current vendor ids.
struct ChipId {
    uint16_t vendor;
    uint16_t product;
};
constexpr ChipId kChipIds[] = {{0x4348, 0x5537}, {0x1A86, 0x5537}};

bool IsChip(const libusb_device_descriptor& d)
{
    for (const auto& id : kChipIds)
        if (d.idVendor == id.vendor && d.idProduct == id.product)
            return true;
    return false;
}

std::string DeviceId(libusb_device* dev)
{
    char text[32];
    std::snprintf(text, sizeof text, "%03u-%03u", libusb_get_bus_number(dev), libusb_get_device_address(dev));
    return text;
}

// Runs when libusb finishes a transfer (on whichever thread handles events).
void LIBUSB_CALL Finished(libusb_transfer* transfer) { *static_cast<int*>(transfer->user_data) = 1; }

UsbStatus StatusOf(libusb_transfer_status status)
{
    switch (status) {
    case LIBUSB_TRANSFER_COMPLETED:
        return UsbStatus::Ok;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return UsbStatus::TimedOut;
    case LIBUSB_TRANSFER_CANCELLED:
        return UsbStatus::Cancelled;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return UsbStatus::NoDevice;
    default:
        return UsbStatus::Error;
    }
}

} // namespace

LibusbTransfer::~LibusbTransfer()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& h : handles_) {
        libusb_release_interface(h.second, 0);
        libusb_close(h.second);
    }
    handles_.clear();
    if (context_)
        libusb_exit(context_);
    context_ = nullptr;
}

bool LibusbTransfer::StartLocked()
{
    if (context_)
        return true;
    return libusb_init(&context_) == 0 || (context_ = nullptr, false);
}

void LibusbTransfer::StopIfIdleLocked()
{
    if (context_ && handles_.empty()) {
        libusb_exit(context_);
        context_ = nullptr;
    }
}

std::vector<std::string> LibusbTransfer::Devices()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> found;
    if (!StartLocked())
        return found;
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(context_, &list);
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(list[i], &d) == 0 && IsChip(d))
            found.push_back(DeviceId(list[i]));
    }
    if (list)
        libusb_free_device_list(list, 1);
    std::sort(found.begin(), found.end());
    StopIfIdleLocked();
    return found;
}

int LibusbTransfer::Open(const std::string& device)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!StartLocked())
        return -1;
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(context_, &list);
    libusb_device_handle* opened = nullptr;
    for (ssize_t i = 0; i < n && !opened; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(list[i], &d) == 0 && IsChip(d) && DeviceId(list[i]) == device)
            if (libusb_open(list[i], &opened) != 0)
                opened = nullptr;
    }
    if (list)
        libusb_free_device_list(list, 1);
    if (!opened) {
        StopIfIdleLocked();
        return -1;
    }
    const int handle = nextHandle_++;
    handles_[handle] = opened;
    return handle;
}

bool LibusbTransfer::Claim(int handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return false;
    libusb_set_auto_detach_kernel_driver(it->second, 1);
    return libusb_claim_interface(it->second, 0) == 0;
}

UsbStatus LibusbTransfer::Run(int handle, uint8_t endpoint, bool interrupt, uint8_t* data, size_t length,
                              size_t& done, uint32_t timeoutMs)
{
    done = 0;
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (!transfer)
        return UsbStatus::Error;
    int finished = 0;
    libusb_context* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = handles_.find(handle);
        if (it == handles_.end()) {
            libusb_free_transfer(transfer);
            return UsbStatus::Error;
        }
        context = context_;
        if (interrupt)
            libusb_fill_interrupt_transfer(transfer, it->second, endpoint, data, static_cast<int>(length), &Finished,
                                           &finished, timeoutMs);
        else
            libusb_fill_bulk_transfer(transfer, it->second, endpoint, data, static_cast<int>(length), &Finished,
                                      &finished, timeoutMs);
        const int rc = libusb_submit_transfer(transfer);
        if (rc != 0) {
            libusb_free_transfer(transfer);
            return rc == LIBUSB_ERROR_NO_DEVICE ? UsbStatus::NoDevice : UsbStatus::Error;
        }
        pending_[{handle, endpoint}] = transfer;
    }
    while (!finished) {
        const int rc = libusb_handle_events_completed(context, &finished);
        if (rc < 0 && rc != LIBUSB_ERROR_INTERRUPTED) {
            libusb_cancel_transfer(transfer);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.erase({handle, endpoint});
    }
    const UsbStatus status = StatusOf(transfer->status);
    done = transfer->actual_length > 0 ? static_cast<size_t>(transfer->actual_length) : 0;
    libusb_free_transfer(transfer);
    return status;
}

UsbStatus LibusbTransfer::Bulk(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                               uint32_t timeoutMs)
{
    return Run(handle, endpoint, false, data, length, done, timeoutMs);
}

UsbStatus LibusbTransfer::Interrupt(int handle, uint8_t endpoint, uint8_t* data, size_t length, size_t& done,
                                    uint32_t timeoutMs)
{
    return Run(handle, endpoint, true, data, length, done, timeoutMs);
}

void LibusbTransfer::Cancel(int handle, uint8_t endpoint)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = pending_.find({handle, endpoint});
    if (it != pending_.end())
        libusb_cancel_transfer(it->second);
}

void LibusbTransfer::Close(int handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return;
    libusb_release_interface(it->second, 0);
    libusb_close(it->second);
    handles_.erase(it);
    StopIfIdleLocked();
}

} // namespace dravix
