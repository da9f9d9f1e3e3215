// The CAN adapter switch: the one place the program talks to a CAN adapter.
// Four back-ends sit behind open, start, transmit, close (and the receive
// side in AdapterSwitchPort): ControlCAN for types 20 and 3, Kvaser CANlib for
// 43605, the Vector XL driver for 99, and Dravix for every other type code.
// All operations return 1 on success and 0 on failure. Open, start and close
// run on the UI thread; transmit runs on whichever thread sends a request.
#pragma once

#include "CanAdapterGlobals.h"
#include "CanIdentifiers.h"
#include "CanRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvel {

struct CanAdapterRow {
    uint32_t TypeCode;
    const char* DisplayName;
};

struct CanBaudRow {
    uint32_t Kbps;
    uint32_t ReferenceCode; // bit timing for VCI_SetReference reference type 0
    int32_t CanlibBitrate;  // canBITRATE_ constant
    uint8_t Timing0;        // SJA1000 bus-timing registers
    uint8_t Timing1;
    uint8_t Spare[2];
};

struct CanErrorTextRow {
    uint32_t Bit;
    const char* Text; // null ends the table
};

constexpr uint32_t kCanTypeKestrin = 20;
constexpr uint32_t kCanTypeHolvar = 3;
constexpr uint32_t kCanTypeKvaser = 43605;
constexpr uint32_t kCanTypeVector = 99;
// The ECU's response identifier; the ControlCAN acceptance filter passes it.
constexpr uint32_t kUdsResponseId = kUdsResponseCanId;

// The adapters the ribbon lists, in this order (the selection is a row).
extern const std::array<CanAdapterRow, 4> CanAdapterTable;
extern const std::array<CanBaudRow, 2> CanBaudTable;
// 14 error bits with their texts, then a row with a null text.
extern const CanErrorTextRow CanErrorTextTable[15];

// The adapter rows the switch uses: CanAdapterTable unless a test replaced it.
const CanAdapterRow* CanAdapterRows();
size_t CanAdapterRowCount();
// Tests: use `rows` (not owned; must outlive its use) instead of the shipped
// table; nullptr restores it.
void SetCanAdapterTableForTest(const CanAdapterRow* rows, size_t count);

// What the view keeps of the open adapter.
struct OpenAdapterInfo {
    uint32_t type = 0;
    uint32_t index = 0;
    uint32_t channel = 0;
    std::string name;
};
OpenAdapterInfo OpenAdapterCopy();

int32_t OpenCanDevice(int32_t adapterRow, uint32_t deviceIndex, uint32_t channel, int32_t baudRow,
                      uint32_t filterFlag, uint32_t filterStart, uint32_t filterEnd);
int32_t StartCanChannel();
// Sends one frame: always a 29-bit identifier and 8 data bytes, the first
// min(length, 8, data.size()) taken from `data`, the rest 0x00.
int32_t TransmitCanFrame(uint32_t id, int32_t length, std::vector<uint8_t> data, const std::string& caption,
                         uint8_t extended);
int32_t CloseCanDevice();
// Texts are UTF-8 throughout the program, which is also its "ANSI" page.
std::string AnsiToCString(const std::string& text);

// The per-back-end open routines (the type code comes from the view's copy).
int32_t OpenControlCanDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow, uint32_t filterFlag,
                             uint32_t filterStart, uint32_t filterEnd);
int32_t OpenAdapterDllDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow, uint32_t filterFlag,
                             uint32_t filterStart, uint32_t filterEnd);
int32_t OpenKvaserDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow);

// Initialises the Vector XL driver once (view construction) and sets
// VectorDriverReady from the result. Returns the XL status.
int InitVectorDriver();

// The texts of the set bits of an error word, each preceded by ";".
std::string CanErrorTexts(uint32_t errCode);

// Which library serves a type code.
enum class CanBackend { ControlCan, Kvaser, Vector, Dravix };
CanBackend CanBackendOf(uint32_t typeCode);

// Tests: closes what is open without waiting and puts every global back to
// its load value.
void ResetCanAdapterForTest();

} // namespace tarvel
