// The CAN adapter switch's program-wide state. Written on the UI thread
// (connect, disconnect, shutdown); the transmit and receive paths read the
// type, index, channel and the Kvaser channel from whichever thread runs the
// UDS request, so those are atomic. Nothing closes the adapter while the
// live-data worker runs (the monitor is stopped and joined first).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace tarvel {

class CanlibChannel;

// The ribbon combo rows the user chose (the connection logic writes them);
// -1 until a row is chosen.
extern std::atomic<int32_t> SelectedCanAdapter;
extern std::atomic<int32_t> SelectedCanBaud;
// The baud row given to the last OpenCanDevice.
extern std::atomic<int32_t> OpenCanBaudRow;
// Type code, device index and channel of the open adapter; set by the
// connection logic after a successful open, read by transmit and receive.
extern std::atomic<uint32_t> CanDeviceType;
extern std::atomic<uint32_t> CanDeviceIndex;
extern std::atomic<uint32_t> CanChannel;
// 0 closed, 1 opened, 2 started.
extern std::atomic<int32_t> CanDeviceOpen;
// The current Kvaser channel wrapper, or null.
extern std::unique_ptr<CanlibChannel> KvaserChannel;
// 1 when the Vector XL driver was initialised at view construction.
extern std::atomic<int32_t> VectorDriverReady;

} // namespace tarvel
