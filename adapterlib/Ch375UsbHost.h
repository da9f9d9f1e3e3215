// The CH375 driver interface over a UsbTransfer: what the chip's vendor
// driver offers Dravix (open by index, pipe time-outs, buffered modes,
// removal notification, exclusive use, bulk and interrupt transfers, aborts,
// close), for a chip reached through a general USB library.
//
// A read blocks until data arrives, its time-out passes, an abort of that
// pipe, a close, or the device's removal. A removal seen by any transfer is
// reported once to the registered routine, on the thread of the next bulk
// read (Dravix always has its receive thread reading), never under a lock of
// this layer, so the routine may close the device.
#pragma once

#include "Ch375.h"
#include "UsbTransfer.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace dravix {

class Ch375UsbHost {
public:
    static constexpr uint32_t kSlots = CH375_MAX_DEVICES;

    explicit Ch375UsbHost(UsbTransfer& usb) : usb_(usb) {}
    ~Ch375UsbHost();
    Ch375UsbHost(const Ch375UsbHost&) = delete;
    Ch375UsbHost& operator=(const Ch375UsbHost&) = delete;

    // The index, or -1 when there is no such device or it cannot be taken.
    intptr_t OpenDevice(uint32_t index);
    void CloseDevice(uint32_t index);
    int SetTimeoutEx(uint32_t index, uint32_t writeMs, uint32_t readMs, uint32_t auxMs, uint32_t interMs);
    int SetBufUpload(uint32_t index, uint32_t enable);
    int SetBufDownload(uint32_t index, uint32_t enable);
    int SetDeviceNotify(uint32_t index, const char* deviceName, Ch375NotifyRoutine routine);
    int SetExclusive(uint32_t index, uint32_t exclusive);
    int WriteData(uint32_t index, const void* buffer, uint32_t* length);
    int ReadData(uint32_t index, void* buffer, uint32_t* length);
    int ReadInter(uint32_t index, void* buffer, uint32_t* length);
    int AbortWrite(uint32_t index);
    int AbortRead(uint32_t index);
    int AbortInter(uint32_t index);

    bool IsOpen(uint32_t index) const;
    // A chip is attached at `index`, whether or not it could be opened (a
    // chip this user may not open is not the same as no chip at all).
    bool Attached(uint32_t index);

private:
    struct Slot {
        bool open = false;
        bool removed = false;
        bool removalReported = false;
        int handle = -1;
        uint32_t writeMs = 0;
        uint32_t readMs = 0;
        uint32_t interMs = 0;
        Ch375NotifyRoutine routine = nullptr;
        int inFlight = 0;
    };

    // Starts a transfer on an open, present device: its handle and time-out,
    // or -1.
    int Begin(uint32_t index, uint32_t Slot::*timeout, uint32_t& timeoutMs);
    void End(uint32_t index, UsbStatus status);
    void ReportRemoval(uint32_t index);
    int Abort(uint32_t index, uint8_t endpoint);
    static uint32_t UsbTimeout(uint32_t ms) { return ms == CH375_WAIT_FOREVER ? 0 : (ms == 0 ? 1 : ms); }

    UsbTransfer& usb_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    Slot slots_[kSlots];
};

} // namespace dravix
