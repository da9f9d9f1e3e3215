// Dravix, our own USB-CAN adapter library, bound by name at run time
// ("dravix": libdravix.so / dravix.dll beside the program). Until the library
// is present every Dravix operation of the adapter switch fails cleanly.
#pragma once

#include "CanRecords.h"

#include <cstdint>
#include <string>

#if defined(_WIN32)
#define DRAVIX_CALL __stdcall
#else
#define DRAVIX_CALL
#endif

namespace tarvel {

// Dravix's exports, in the shape of the ControlCAN API. Every entry but the
// ones marked optional must resolve for the binding to be usable.
struct DravixApi {
    uint32_t(DRAVIX_CALL* OpenDevice)(uint32_t type, uint32_t index, uint32_t reserved) = nullptr;
    uint32_t(DRAVIX_CALL* CloseDevice)(uint32_t type, uint32_t index) = nullptr;
    uint32_t(DRAVIX_CALL* InitCAN)(uint32_t type, uint32_t index, uint32_t can, CanInitConfig* config) = nullptr;
    uint32_t(DRAVIX_CALL* StartCAN)(uint32_t type, uint32_t index, uint32_t can) = nullptr;
    uint32_t(DRAVIX_CALL* ResetCAN)(uint32_t type, uint32_t index, uint32_t can) = nullptr;
    uint32_t(DRAVIX_CALL* Transmit)(uint32_t type, uint32_t index, uint32_t can, const CanFrameRecord* frames,
                                    uint32_t len) = nullptr;
    uint32_t(DRAVIX_CALL* Receive)(uint32_t type, uint32_t index, uint32_t can, CanFrameRecord* frames, uint32_t len,
                                   uint32_t waitMs) = nullptr;
    uint32_t(DRAVIX_CALL* GetReceiveNum)(uint32_t type, uint32_t index, uint32_t can) = nullptr;
    uint32_t(DRAVIX_CALL* ClearBuffer)(uint32_t type, uint32_t index, uint32_t can) = nullptr;
    uint32_t(DRAVIX_CALL* ReadBoardInfo)(uint32_t type, uint32_t index, CanBoardInfo* info) = nullptr;
    uint32_t(DRAVIX_CALL* ReadErrInfo)(uint32_t type, uint32_t index, uint32_t can, CanErrorInfo* info) = nullptr;
    uint32_t(DRAVIX_CALL* SetReference)(uint32_t type, uint32_t index, uint32_t can, uint32_t refType,
                                        void* data) = nullptr;
    // Optional: exports with no caller in Tarvel.
    uint32_t(DRAVIX_CALL* ReadCANStatus)(uint32_t type, uint32_t index, uint32_t can, void* status) = nullptr;
    uint32_t(DRAVIX_CALL* GetReference)(uint32_t type, uint32_t index, uint32_t can, uint32_t refType,
                                        void* data) = nullptr;
    uint32_t(DRAVIX_CALL* WriteD)(uint32_t type, uint32_t index, uint32_t addr, uint32_t len, void* data) = nullptr;
    uint32_t(DRAVIX_CALL* ReadD)(uint32_t type, uint32_t index, uint32_t addr, uint32_t len, void* data) = nullptr;
    uint32_t(DRAVIX_CALL* canIoctl)(uint32_t index, uint32_t channel, uint32_t code, void* data) = nullptr;
};

// The bound library, loaded on first use; null when it is missing or lacks a
// required export (the reason goes to the trace).
const DravixApi* GetDravix();
// Forgets the binding (the library is unloaded); the next GetDravix loads
// again. Only while no Dravix device is open: its receive threads run in the
// library.
void UnloadDravix();
// Library base name or path ("dravix" unless changed).
void SetDravixLibraryName(const std::string& name);
// What the library opened device `index` on, as one line for the trace and
// the output pane: the adapter on the USB hardware, or the simulated one.
std::string DravixDriverLine(uint32_t index);

// Tests: use `api` instead of loading the library (nullptr returns to loading).
void SetDravixApiForTest(const DravixApi* api);

} // namespace tarvel
