#include "Ch375UsbHost.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dravix {

Ch375UsbHost::~Ch375UsbHost()
{
    for (uint32_t i = 0; i < kSlots; ++i)
        CloseDevice(i);
}

bool Ch375UsbHost::IsOpen(uint32_t index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index < kSlots && slots_[index].open;
}

bool Ch375UsbHost::Attached(uint32_t index) { return index < kSlots && index < usb_.Devices().size(); }

intptr_t Ch375UsbHost::OpenDevice(uint32_t index)
{
    if (index >= kSlots)
        return -1;
    // A re-open of an open index starts from a closed device.
    CloseDevice(index);
    const std::vector<std::string> devices = usb_.Devices();
    if (index >= devices.size())
        return -1;
    const int handle = usb_.Open(devices[index]);
    if (handle < 0)
        return -1;
    if (!usb_.Claim(handle)) {
        usb_.Close(handle);
        return -1;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& s = slots_[index];
    s = Slot{};
    s.open = true;
    s.handle = handle;
    // Until told otherwise a transfer waits at most 5 s.
    s.writeMs = s.readMs = s.interMs = 5000;
    return static_cast<intptr_t>(index);
}

void Ch375UsbHost::CloseDevice(uint32_t index)
{
    if (index >= kSlots)
        return;
    int handle = -1;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        Slot& s = slots_[index];
        if (!s.open)
            return;
        s.open = false;
        handle = s.handle;
        // Pending transfers end now; the handle is closed once none runs.
        lock.unlock();
        usb_.Cancel(handle, kCh375BulkOut);
        usb_.Cancel(handle, kCh375BulkIn);
        usb_.Cancel(handle, kCh375InterruptIn);
        lock.lock();
        idle_.wait(lock, [&] { return s.inFlight == 0; });
        s.handle = -1;
        s.routine = nullptr;
    }
    usb_.Close(handle);
}

int Ch375UsbHost::SetTimeoutEx(uint32_t index, uint32_t writeMs, uint32_t readMs, uint32_t, uint32_t interMs)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= kSlots || !slots_[index].open)
        return 0;
    Slot& s = slots_[index];
    s.writeMs = writeMs;
    s.readMs = readMs;
    s.interMs = interMs;
    return 1;
}

// The chip's own driver buffers bulk transfers in the kernel; here every
// read is one transfer, so the modes are accepted and change nothing.
int Ch375UsbHost::SetBufUpload(uint32_t index, uint32_t)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index < kSlots && slots_[index].open ? 1 : 0;
}

int Ch375UsbHost::SetBufDownload(uint32_t index, uint32_t enable) { return SetBufUpload(index, enable); }

int Ch375UsbHost::SetDeviceNotify(uint32_t index, const char*, Ch375NotifyRoutine routine)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= kSlots || !slots_[index].open)
        return 0;
    slots_[index].routine = routine;
    return 1;
}

// The interface is claimed at open, which already keeps other programs out.
int Ch375UsbHost::SetExclusive(uint32_t index, uint32_t)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index < kSlots && slots_[index].open ? 1 : 0;
}

int Ch375UsbHost::Begin(uint32_t index, uint32_t Slot::*timeout, uint32_t& timeoutMs)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= kSlots)
        return -1;
    Slot& s = slots_[index];
    if (!s.open || s.removed)
        return -1;
    ++s.inFlight;
    timeoutMs = UsbTimeout(s.*timeout);
    return s.handle;
}

void Ch375UsbHost::End(uint32_t index, UsbStatus status)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& s = slots_[index];
    if (status == UsbStatus::NoDevice)
        s.removed = true;
    if (--s.inFlight == 0)
        idle_.notify_all();
}

void Ch375UsbHost::ReportRemoval(uint32_t index)
{
    Ch375NotifyRoutine routine = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& s = slots_[index];
        if (!s.open || !s.removed || s.removalReported)
            return;
        s.removalReported = true;
        routine = s.routine;
    }
    if (routine)
        routine(CH375_DEVICE_REMOVED);
}

int Ch375UsbHost::WriteData(uint32_t index, const void* buffer, uint32_t* length)
{
    if (!buffer || !length)
        return 0;
    uint32_t timeoutMs = 0;
    const int handle = Begin(index, &Slot::writeMs, timeoutMs);
    if (handle < 0)
        return 0;
    size_t done = 0;
    const UsbStatus status = usb_.Bulk(handle, kCh375BulkOut, const_cast<uint8_t*>(static_cast<const uint8_t*>(buffer)),
                                       *length, done, timeoutMs);
    End(index, status);
    const bool all = status == UsbStatus::Ok && done == *length;
    *length = static_cast<uint32_t>(done);
    return all ? 1 : 0;
}

int Ch375UsbHost::ReadData(uint32_t index, void* buffer, uint32_t* length)
{
    if (!buffer || !length)
        return 0;
    // A removal another transfer saw is told here, outside every lock.
    ReportRemoval(index < kSlots ? index : 0);
    uint32_t timeoutMs = 0;
    const int handle = Begin(index, &Slot::readMs, timeoutMs);
    if (handle < 0) {
        *length = 0;
        return 0;
    }
    size_t done = 0;
    const UsbStatus status = usb_.Bulk(handle, kCh375BulkIn, static_cast<uint8_t*>(buffer), *length, done, timeoutMs);
    End(index, status);
    if (status == UsbStatus::NoDevice)
        ReportRemoval(index);
    if (status != UsbStatus::Ok || done == 0) {
        *length = 0;
        return 0;
    }
    *length = static_cast<uint32_t>(done);
    return 1;
}

int Ch375UsbHost::ReadInter(uint32_t index, void* buffer, uint32_t* length)
{
    if (!buffer || !length)
        return 0;
    uint32_t timeoutMs = 0;
    const int handle = Begin(index, &Slot::interMs, timeoutMs);
    if (handle < 0)
        return 0;
    size_t done = 0;
    const UsbStatus status =
        usb_.Interrupt(handle, kCh375InterruptIn, static_cast<uint8_t*>(buffer), *length, done, timeoutMs);
    End(index, status);
    if (status != UsbStatus::Ok || done == 0) {
        *length = 0;
        return 0;
    }
    *length = static_cast<uint32_t>(done);
    return static_cast<int>(done);
}

int Ch375UsbHost::Abort(uint32_t index, uint8_t endpoint)
{
    int handle = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index >= kSlots || !slots_[index].open)
            return 0;
        handle = slots_[index].handle;
    }
    usb_.Cancel(handle, endpoint);
    return 1;
}

int Ch375UsbHost::AbortWrite(uint32_t index) { return Abort(index, kCh375BulkOut); }
int Ch375UsbHost::AbortRead(uint32_t index) { return Abort(index, kCh375BulkIn); }
int Ch375UsbHost::AbortInter(uint32_t index) { return Abort(index, kCh375InterruptIn); }

} // namespace dravix
