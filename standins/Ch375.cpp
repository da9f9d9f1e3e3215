// Our CH375 driver stand-in: per-index slots with the pipes' queues. Reads
// wait on a condition variable so that a time-out, an abort, a close or a
// removal wakes them at once; that is what lets Dravix join its receive
// thread on close instead of leaving it to run out.
#include "Ch375.h"
#include "Ch375Device.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

namespace ch375 {
namespace {

// A device that nobody reads from cannot buffer without bound; past this the
// driver drops new bulk IN transfers, as the chip's FIFO would overflow.
constexpr size_t kMaxBufferedBulkIn = 8u * 1024u * 1024u;
constexpr size_t kMaxBufferedInter = 256;

class Slot : public DeviceLink {
public:
    void PushBulkIn(const uint8_t* data, size_t length) override
    {
        if (!data || length == 0)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        if (!open || removed || bulkInBytes + length > kMaxBufferedBulkIn)
            return;
        bulkIn.emplace_back(data, data + length);
        bulkInBytes += length;
        wake.notify_all();
    }

    void PushInterrupt(const uint8_t* data, size_t length) override
    {
        if (!data || length == 0)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        if (!open || removed || inter.size() >= kMaxBufferedInter)
            return;
        inter.emplace_back(data, data + length);
        wake.notify_all();
    }

    void DeviceRemoved() override
    {
        Ch375NotifyRoutine routine = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (removed)
                return;
            removed = true;
            ClearQueuesLocked();
            wake.notify_all();
            if (open)
                routine = notify;
        }
        // Outside the lock: the routine normally closes the device.
        if (routine)
            routine(CH375_DEVICE_REMOVED);
    }

    void ClearQueuesLocked()
    {
        bulkIn.clear();
        bulkInBytes = 0;
        inter.clear();
    }

    // Waits until `ready` holds or the wait must end. True when `ready` holds.
    template <class Pred>
    bool WaitLocked(std::unique_lock<std::mutex>& lock, uint32_t timeoutMs, const uint64_t& abortCounter, Pred ready)
    {
        const uint64_t abortAtStart = abortCounter;
        const uint64_t openAtStart = openEpoch;
        auto done = [&] {
            return ready() || abortCounter != abortAtStart || !open || removed || openEpoch != openAtStart;
        };
        if (timeoutMs == CH375_WAIT_FOREVER)
            wake.wait(lock, done);
        else
            wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
        return ready() && abortCounter == abortAtStart && open && !removed && openEpoch == openAtStart;
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::shared_ptr<Device> device;
    bool open = false;
    bool removed = false;
    bool exclusive = false;
    bool bufferedUpload = false;
    bool bufferedDownload = false;
    Ch375NotifyRoutine notify = nullptr;
    uint32_t writeTimeoutMs = CH375_WAIT_FOREVER;
    uint32_t readTimeoutMs = CH375_WAIT_FOREVER;
    uint32_t auxTimeoutMs = CH375_WAIT_FOREVER;
    uint32_t interTimeoutMs = CH375_WAIT_FOREVER;
    std::deque<std::vector<uint8_t>> bulkIn;
    size_t bulkInBytes = 0;
    std::deque<std::vector<uint8_t>> inter;
    uint64_t readAborts = 0;
    uint64_t interAborts = 0;
    uint64_t openEpoch = 0;
};

Slot* SlotAt(uint32_t index)
{
    static Slot slots[CH375_MAX_DEVICES];
    return index < CH375_MAX_DEVICES ? &slots[index] : nullptr;
}

using Queue = std::deque<std::vector<uint8_t>>;

// A read that has a transfer waiting: the slot, still locked, and the room the
// caller offered.
struct PendingRead {
    Slot* slot = nullptr;
    std::unique_lock<std::mutex> lock;
    uint32_t room = 0;
};

// What the bulk and the interrupt read share up to the copy: the argument
// checks, nothing reported read yet, and the wait (with that pipe's time-out
// and abort count) for its queue to hold a transfer. `slot` stays null when
// there is nothing to read.
PendingRead WaitForTransfer(uint32_t index, const void* buffer, uint32_t* length, Queue Slot::*queue,
                            uint32_t Slot::*timeoutMs, uint64_t Slot::*aborts)
{
    PendingRead read;
    Slot* slot = SlotAt(index);
    if (!slot || !length)
        return read;
    const uint32_t room = *length;
    *length = 0;
    if (!buffer || room == 0)
        return read;
    std::unique_lock<std::mutex> lock(slot->mutex);
    if (!slot->open || slot->removed)
        return read;
    const Queue& pending = slot->*queue;
    if (!slot->WaitLocked(lock, slot->*timeoutMs, slot->*aborts, [&pending] { return !pending.empty(); }))
        return read;
    read.slot = slot;
    read.lock = std::move(lock);
    read.room = room;
    return read;
}

// Runs `f` on the slot under its lock; 0 for an index outside the driver's
// range.
template <class F>
int WithLockedSlot(uint32_t index, F f)
{
    Slot* slot = SlotAt(index);
    if (!slot)
        return 0;
    std::lock_guard<std::mutex> lock(slot->mutex);
    return f(*slot);
}

// Wakes the reads waiting on one pipe; they fail.
int AbortReads(uint32_t index, uint64_t Slot::*aborts)
{
    return WithLockedSlot(index, [aborts](Slot& slot) {
        ++(slot.*aborts);
        slot.wake.notify_all();
        return 1;
    });
}

} // namespace

bool InstallDevice(unsigned index, std::shared_ptr<Device> device)
{
    Slot* slot = SlotAt(index);
    if (!slot)
        return false;
    std::shared_ptr<Device> previous;
    bool wasOpen = false;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        previous = slot->device;
        wasOpen = slot->open;
        slot->open = false;
        slot->exclusive = false;
        slot->notify = nullptr;
        slot->removed = false;
        slot->ClearQueuesLocked();
        ++slot->openEpoch;
        slot->device = std::move(device);
        slot->wake.notify_all();
    }
    if (previous && wasOpen)
        previous->Detach();
    return true;
}

SlotState GetSlotState(unsigned index)
{
    SlotState s;
    Slot* slot = SlotAt(index);
    if (!slot)
        return s;
    std::lock_guard<std::mutex> lock(slot->mutex);
    s.open = slot->open;
    s.removed = slot->removed;
    s.exclusive = slot->exclusive;
    s.bufferedUpload = slot->bufferedUpload;
    s.bufferedDownload = slot->bufferedDownload;
    s.notifyRegistered = slot->notify != nullptr;
    s.readTimeoutMs = slot->readTimeoutMs;
    s.interTimeoutMs = slot->interTimeoutMs;
    return s;
}

} // namespace ch375

using ch375::Slot;
using ch375::SlotAt;
using ch375::WithLockedSlot;

extern "C" {

CH375_API intptr_t CH375_CALL CH375OpenDevice(uint32_t index)
{
    Slot* slot = SlotAt(index);
    if (!slot)
        return -1;
    std::shared_ptr<ch375::Device> device;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        if (!slot->device)
            return -1;
        if (slot->open)
            return slot->exclusive ? -1 : static_cast<intptr_t>(index);
        device = slot->device;
    }
    if (!device->Attach(slot))
        return -1;
    std::lock_guard<std::mutex> lock(slot->mutex);
    if (slot->device != device) // replaced while attaching
        return -1;
    slot->open = true;
    slot->removed = false;
    slot->exclusive = false;
    slot->ClearQueuesLocked();
    ++slot->openEpoch;
    return static_cast<intptr_t>(index);
}

CH375_API void CH375_CALL CH375CloseDevice(uint32_t index)
{
    Slot* slot = SlotAt(index);
    if (!slot)
        return;
    std::shared_ptr<ch375::Device> device;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        if (!slot->open)
            return;
        slot->open = false;
        slot->exclusive = false;
        slot->notify = nullptr;
        slot->ClearQueuesLocked();
        ++slot->openEpoch;
        slot->wake.notify_all();
        device = slot->device;
    }
    if (device)
        device->Detach();
}

CH375_API int CH375_CALL CH375SetTimeoutEx(uint32_t index, uint32_t writeMs, uint32_t readMs, uint32_t auxMs,
                                           uint32_t interMs)
{
    return WithLockedSlot(index, [&](Slot& slot) {
        if (!slot.open || slot.removed)
            return 0;
        slot.writeTimeoutMs = writeMs;
        slot.readTimeoutMs = readMs;
        slot.auxTimeoutMs = auxMs;
        slot.interTimeoutMs = interMs;
        return 1;
    });
}

CH375_API int CH375_CALL CH375SetBufUpload(uint32_t index, uint32_t enable)
{
    return WithLockedSlot(index, [enable](Slot& slot) {
        slot.bufferedUpload = enable != 0;
        if (!slot.bufferedUpload) {
            slot.bulkIn.clear();
            slot.bulkInBytes = 0;
        }
        return 1;
    });
}

CH375_API int CH375_CALL CH375SetBufDownload(uint32_t index, uint32_t enable)
{
    return WithLockedSlot(index, [enable](Slot& slot) {
        slot.bufferedDownload = enable != 0;
        return 1;
    });
}

CH375_API int CH375_CALL CH375SetDeviceNotify(uint32_t index, const char* /*deviceName*/, Ch375NotifyRoutine routine)
{
    return WithLockedSlot(index, [routine](Slot& slot) {
        if (!slot.open || slot.removed)
            return 0;
        slot.notify = routine;
        return 1;
    });
}

CH375_API int CH375_CALL CH375SetExclusive(uint32_t index, uint32_t exclusive)
{
    return WithLockedSlot(index, [exclusive](Slot& slot) {
        if (!slot.open)
            return 0;
        slot.exclusive = exclusive != 0;
        return 1;
    });
}

CH375_API int CH375_CALL CH375WriteData(uint32_t index, const void* buffer, uint32_t* length)
{
    Slot* slot = SlotAt(index);
    if (!slot || !length)
        return 0;
    if (!buffer || *length == 0) {
        *length = 0;
        return 0;
    }
    std::shared_ptr<ch375::Device> device;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        if (!slot->open || slot->removed || !slot->device) {
            *length = 0;
            return 0;
        }
        device = slot->device;
    }
    // Outside the lock: the device may answer at once through the link.
    if (!device->BulkOut(static_cast<const uint8_t*>(buffer), *length)) {
        *length = 0;
        return 0;
    }
    return 1;
}

CH375_API int CH375_CALL CH375ReadData(uint32_t index, void* buffer, uint32_t* length)
{
    const auto read = ch375::WaitForTransfer(index, buffer, length, &Slot::bulkIn, &Slot::readTimeoutMs,
                                             &Slot::readAborts);
    if (!read.slot)
        return 0;
    Slot* slot = read.slot;
    const uint32_t room = read.room;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t used = 0;
    // Whole transfers while they fit; a transfer larger than the room left at
    // the start is split, so no byte is lost.
    while (!slot->bulkIn.empty()) {
        auto& front = slot->bulkIn.front();
        const size_t take = std::min<size_t>(front.size(), room - used);
        if (take < front.size() && used > 0)
            break;
        std::memcpy(out + used, front.data(), take);
        used += static_cast<uint32_t>(take);
        slot->bulkInBytes -= take;
        if (take == front.size())
            slot->bulkIn.pop_front();
        else
            front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(take));
        if (used == room)
            break;
    }
    *length = used;
    return used > 0 ? 1 : 0;
}

CH375_API int CH375_CALL CH375ReadInter(uint32_t index, void* buffer, uint32_t* length)
{
    const auto read = ch375::WaitForTransfer(index, buffer, length, &Slot::inter, &Slot::interTimeoutMs,
                                             &Slot::interAborts);
    if (!read.slot)
        return 0;
    auto& packet = read.slot->inter.front();
    const size_t take = std::min<size_t>(packet.size(), read.room);
    std::memcpy(buffer, packet.data(), take);
    read.slot->inter.pop_front();
    *length = static_cast<uint32_t>(take);
    return 1;
}

CH375_API int CH375_CALL CH375AbortWrite(uint32_t index)
{
    // Bulk writes complete synchronously in this driver; nothing is pending.
    return SlotAt(index) ? 1 : 0;
}

CH375_API int CH375_CALL CH375AbortRead(uint32_t index) { return ch375::AbortReads(index, &Slot::readAborts); }

CH375_API int CH375_CALL CH375AbortInter(uint32_t index) { return ch375::AbortReads(index, &Slot::interAborts); }

} // extern "C"
