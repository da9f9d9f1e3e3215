// Where Dravix's CH375 calls go, per device index. At each open the chip is
// looked for on the USB hardware first (Linux: through libusb; Windows: the
// chip's driver library loaded by name); only when no such device is there
// does the CH375 stand-in answer, loaded by its own name beside the program,
// with the simulated adapter the program installed in it. Setting the
// environment variable DRAVIX_SIMULATE to a non-empty value skips the
// hardware.
#pragma once

#include "Ch375.h"

#include <cstdint>

namespace dravix {

struct Ch375Api {
    intptr_t(CH375_CALL* OpenDevice)(uint32_t index) = nullptr;
    void(CH375_CALL* CloseDevice)(uint32_t index) = nullptr;
    int(CH375_CALL* SetTimeoutEx)(uint32_t index, uint32_t writeMs, uint32_t readMs, uint32_t auxMs,
                                  uint32_t interMs) = nullptr;
    int(CH375_CALL* SetBufUpload)(uint32_t index, uint32_t enable) = nullptr;
    int(CH375_CALL* SetBufDownload)(uint32_t index, uint32_t enable) = nullptr;
    int(CH375_CALL* SetDeviceNotify)(uint32_t index, const char* deviceName, Ch375NotifyRoutine routine) = nullptr;
    int(CH375_CALL* SetExclusive)(uint32_t index, uint32_t exclusive) = nullptr;
    int(CH375_CALL* WriteData)(uint32_t index, const void* buffer, uint32_t* length) = nullptr;
    int(CH375_CALL* ReadData)(uint32_t index, void* buffer, uint32_t* length) = nullptr;
    int(CH375_CALL* ReadInter)(uint32_t index, void* buffer, uint32_t* length) = nullptr;
    int(CH375_CALL* AbortWrite)(uint32_t index) = nullptr;
    int(CH375_CALL* AbortRead)(uint32_t index) = nullptr;
    int(CH375_CALL* AbortInter)(uint32_t index) = nullptr;
};

// Refused: the adapter's chip is on the USB but could not be opened or
// claimed (no access to the device, or another program holds it).
enum class UsbLayer { None, Hardware, Standin, Refused };

// Opens device `index` on the first layer that has it and keeps that layer
// for the index's later calls. The CH375 open result: -1 when none has it.
// A chip that is attached but refuses the open fails it: the simulated
// adapter stands in only where no adapter is attached.
intptr_t UsbOpen(uint32_t index);
// The layer the index was last opened on; its calls fail before any open.
const Ch375Api& Usb(uint32_t index);
UsbLayer UsbLayerOf(uint32_t index);

} // namespace dravix
