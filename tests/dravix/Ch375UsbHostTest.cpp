// The CH375 layer over a general USB library: device selection by index,
// time-outs, an abort that wakes a blocked read, removal, and a search with
// no chip attached that fails cleanly and leaves no thread behind.
#include "Ch375UsbHost.h"
#if defined(DRAVIX_WITH_LIBUSB)
#include "LibusbTransfer.h"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <map>
#include <mutex>
#include <thread>

namespace {

using dravix::UsbStatus;

// A USB bus with chips on it. Bulk IN reads block until data is queued,
// the pipe is cancelled or the device is pulled; they never time out on
// their own unless told to.
class FakeUsb : public dravix::UsbTransfer {
public:
    std::vector<std::string> devices{"001-004", "001-007"};
    std::vector<std::string> opened;
    std::vector<uint32_t> timeouts; // per transfer
    std::vector<std::vector<uint8_t>> written;
    int closed = 0;
    bool refuseClaim = false;

    std::vector<std::string> Devices() override { return devices; }
    int Open(const std::string& device) override
    {
        opened.push_back(device);
        return static_cast<int>(opened.size()) - 1;
    }
    bool Claim(int) override { return !refuseClaim; }
    UsbStatus Bulk(int, uint8_t endpoint, uint8_t* data, size_t length, size_t& done, uint32_t timeoutMs) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        timeouts.push_back(timeoutMs);
        if (gone_)
            return UsbStatus::NoDevice;
        if (!(endpoint & 0x80)) {
            written.emplace_back(data, data + length);
            done = length;
            return UsbStatus::Ok;
        }
        ++blocked_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !in_.empty() || cancelled_[endpoint] || gone_ || timeOut_; });
        --blocked_;
        if (cancelled_[endpoint]) {
            cancelled_[endpoint] = false;
            return UsbStatus::Cancelled;
        }
        if (gone_)
            return UsbStatus::NoDevice;
        if (timeOut_) {
            timeOut_ = false;
            return UsbStatus::TimedOut;
        }
        const auto chunk = in_.front();
        in_.pop_front();
        done = std::min(length, chunk.size());
        std::copy(chunk.begin(), chunk.begin() + static_cast<long>(done), data);
        return UsbStatus::Ok;
    }
    UsbStatus Interrupt(int, uint8_t, uint8_t* data, size_t length, size_t& done, uint32_t timeoutMs) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        timeouts.push_back(timeoutMs);
        done = std::min<size_t>(length, 8);
        std::fill(data, data + done, 0xA5);
        return UsbStatus::Ok;
    }
    void Cancel(int, uint8_t endpoint) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (blocked_ > 0)
            cancelled_[endpoint] = true;
        changed_.notify_all();
    }
    void Close(int) override { ++closed; }

    void Feed(std::vector<uint8_t> bytes)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        in_.push_back(std::move(bytes));
        changed_.notify_all();
    }
    void Pull()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        gone_ = true;
        changed_.notify_all();
    }
    void WaitUntilBlocked()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return blocked_ > 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> in_;
    std::map<uint8_t, bool> cancelled_;
    int blocked_ = 0;
    bool gone_ = false;
    bool timeOut_ = false;
};

std::atomic<int> g_removals{0};
std::atomic<uint32_t> g_lastEvent{99};
void CH375_CALL OnRemoval(uint32_t event)
{
    g_lastEvent = event;
    ++g_removals;
}

TEST(Ch375UsbHost, OpensTheChipAtTheIndexAndPassesTheTimeOuts)
{
    FakeUsb usb;
    dravix::Ch375UsbHost host(usb);
    EXPECT_EQ(host.OpenDevice(2), -1) << "only two chips attached";
    EXPECT_TRUE(usb.opened.empty());
    ASSERT_EQ(host.OpenDevice(1), 1);
    EXPECT_EQ(usb.opened, std::vector<std::string>{"001-007"});

    ASSERT_NE(host.SetTimeoutEx(1, 100, 200, 300, 40), 0);
    uint8_t packet[4] = {1, 2, 3, 4};
    uint32_t length = sizeof packet;
    ASSERT_NE(host.WriteData(1, packet, &length), 0);
    EXPECT_EQ(length, 4u);
    uint8_t ack[8];
    uint32_t ackLength = 8;
    EXPECT_EQ(host.ReadInter(1, ack, &ackLength), 8);
    usb.Feed({9, 8, 7});
    uint8_t in[64];
    uint32_t inLength = sizeof in;
    ASSERT_NE(host.ReadData(1, in, &inLength), 0);
    EXPECT_EQ(inLength, 3u);
    EXPECT_EQ(in[0], 9);
    EXPECT_EQ(usb.timeouts, (std::vector<uint32_t>{100, 40, 200})) << "write, interrupt, read time-outs";

    ASSERT_NE(host.SetTimeoutEx(1, CH375_WAIT_FOREVER, 5, 5, 5), 0);
    length = sizeof packet;
    host.WriteData(1, packet, &length);
    EXPECT_EQ(usb.timeouts.back(), 0u) << "waits without limit";

    host.CloseDevice(1);
    EXPECT_EQ(usb.closed, 1);
    inLength = sizeof in;
    EXPECT_EQ(host.ReadData(1, in, &inLength), 0) << "a closed device reads nothing";
    EXPECT_EQ(host.SetTimeoutEx(1, 1, 1, 1, 1), 0);
}

TEST(Ch375UsbHost, AClaimRefusedFailsTheOpenAndReleasesTheDevice)
{
    FakeUsb usb;
    usb.refuseClaim = true;
    dravix::Ch375UsbHost host(usb);
    EXPECT_EQ(host.OpenDevice(0), -1);
    EXPECT_EQ(usb.closed, 1);
    EXPECT_FALSE(host.IsOpen(0));
    // The chip is there all the same: the layer above must not take the
    // simulated adapter for it.
    EXPECT_TRUE(host.Attached(0));
    EXPECT_TRUE(host.Attached(1));
    EXPECT_FALSE(host.Attached(2));
    usb.devices.clear();
    EXPECT_FALSE(host.Attached(0));
}

TEST(Ch375UsbHost, AbortWakesABlockedReadAndCloseWaitsForIt)
{
    FakeUsb usb;
    dravix::Ch375UsbHost host(usb);
    ASSERT_EQ(host.OpenDevice(0), 0);
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t in[64];
        uint32_t length = sizeof in;
        result = host.ReadData(0, in, &length);
    });
    usb.WaitUntilBlocked();
    EXPECT_NE(host.AbortRead(0), 0);
    reader.join();
    EXPECT_EQ(result, 0) << "the aborted read fails";

    // A read blocked at close is ended by the close itself.
    std::thread second([&] {
        uint8_t in[64];
        uint32_t length = sizeof in;
        result = host.ReadData(0, in, &length);
    });
    usb.WaitUntilBlocked();
    host.CloseDevice(0);
    second.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(usb.closed, 1);
}

TEST(Ch375UsbHost, RemovalIsReportedOnceAndLaterCallsFail)
{
    FakeUsb usb;
    dravix::Ch375UsbHost host(usb);
    ASSERT_EQ(host.OpenDevice(0), 0);
    g_removals = 0;
    ASSERT_NE(host.SetDeviceNotify(0, nullptr, &OnRemoval), 0);
    std::thread reader([&] {
        uint8_t in[64];
        uint32_t length = sizeof in;
        host.ReadData(0, in, &length);
    });
    usb.WaitUntilBlocked();
    usb.Pull();
    reader.join();
    EXPECT_EQ(g_removals, 1);
    EXPECT_EQ(g_lastEvent, CH375_DEVICE_REMOVED);

    uint8_t packet[2] = {1, 2};
    uint32_t length = 2;
    EXPECT_EQ(host.WriteData(0, packet, &length), 0);
    uint8_t in[8];
    uint32_t inLength = 8;
    EXPECT_EQ(host.ReadData(0, in, &inLength), 0);
    EXPECT_EQ(g_removals, 1) << "told once";
    host.CloseDevice(0);
    EXPECT_EQ(usb.closed, 1);
}

#if defined(DRAVIX_WITH_LIBUSB)
size_t ThreadCount()
{
    size_t n = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.')
                ++n;
        closedir(dir);
    }
    return n;
}

// No chip on this machine's USB (CI has none): the open fails with the
// driver's -1 and the USB library leaves no thread running.
TEST(Ch375UsbHost, WithNoChipAttachedTheOpenFailsAndNoThreadIsLeft)
{
    dravix::LibusbTransfer usb;
    if (!usb.Devices().empty())
        GTEST_SKIP() << "a CH375 chip is attached to this machine";
    const size_t before = ThreadCount();
    dravix::Ch375UsbHost host(usb);
    EXPECT_EQ(host.OpenDevice(0), -1);
    EXPECT_FALSE(host.IsOpen(0));
    uint8_t in[8];
    uint32_t length = 8;
    EXPECT_EQ(host.ReadData(0, in, &length), 0);
    EXPECT_EQ(host.AbortRead(0), 0);
    EXPECT_EQ(ThreadCount(), before);
}
#endif

} // namespace
