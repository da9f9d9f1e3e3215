// The connector assignment worked out from what the ECU holds: which of the
// trailer's sixteen connectors sit on which pin (1, 3, 4) of the five
// general-purpose outputs GIO 1..5, the texts of both lists of the connectors
// page, and the pins more than one connector claims. Pure functions, no I/O.
//
// Each connector has one byte per GIO; its bits are pin codes:
//   0x01 " Pin1", 0x02 " Pin3", 0x04 " Pin1&3", 0x08 " Pin4",
//   0x10 " Pin1&4", 0x20 " Pin3&4", 0x40 " Pin1&3&4".
// Only the bits the fixed reference assignment expects are kept.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace connectors {

constexpr int kConnectorCount = 16;
constexpr int kGioCount = 5;
// Pins of a GIO as a pin mask.
constexpr uint8_t kPin1 = 0x01;
constexpr uint8_t kPin3 = 0x02;
constexpr uint8_t kPin4 = 0x08;

// One byte per GIO 1..5 for each connector 1..16.
using PinRow = std::array<uint8_t, kGioCount>;
using PinTable = std::array<PinRow, kConnectorCount>;

// The fixed reference assignment (connector 3 GIO 1 0x10, connector 7 GIO 4
// 0x02, 8/4 0x01, 9/2 0x02, 10/3 0x01, 13/5 0x01, 15/3 0x04, all else 0).
const PinTable& ReferencePinTable();

// The label of one pin-code bit (" Pin1" ...); empty for anything else.
std::string PinLabel(uint8_t bit);
// The pins a kept byte stands for: 0x04, 0x10, 0x20, 0x40 become their pin
// masks (0x03, 0x09, 0x0A, 0x0B), any other byte is taken as a mask as it is.
uint8_t PinMask(uint8_t kept);

// For each connector and GIO the reference byte when every bit of it is set
// in `pins`, else 0.
PinTable KeptPins(const PinTable& pins, const PinTable& reference);

// The drop-down texts of one connector: "GIO<j><label>" for every set bit of
// every GIO, GIO 1 first and bit 0x01 first, then "None".
std::vector<std::string> OptionTexts(const PinRow& pins);
// The assignment of one connector: the lowest set bit of the first GIO whose
// kept byte is not 0, as "GIO<j><label>"; "None" when nothing is kept.
std::string AssignmentText(const PinRow& kept);

// What the definition says about one connector.
struct ConnectorName {
    std::string abbreviation; // short name, e.g. "X3"
    std::string description;
    uint8_t key = 0;          // the connector's key byte
};

// A row of the connector list.
struct ConnectorRow {
    std::string Abbreviation;
    std::string Description;
    std::string Assignment;
    uint8_t Key = 0;
    int Row = 0;
};

// A row of the GIO list: "GIO k" and the connectors on pins 1, 3 and 4
// (each short name followed by one blank).
struct GioRow {
    std::string Name;
    std::string Pin1;
    std::string Pin3;
    std::string Pin4;
};

// GIO-list columns (column 0 is the hidden one, 1 the GIO name).
constexpr int kGioPin1Column = 2;
constexpr int kGioPin3Column = 3;
constexpr int kGioPin4Column = 4;
// The connector-list column of the assignment.
constexpr int kAssignmentColumn = 2;

struct ConnectorLayout {
    PinTable kept{};
    std::vector<GioRow> gioRows;                 // 5 rows
    std::vector<ConnectorRow> connectorRows;     // 16 rows
    std::vector<std::vector<std::string>> options; // per connector
    // The key bytes claiming each GIO (0..4) and pin (0 pin 1, 1 pin 3, 2 pin 4).
    std::array<std::array<std::vector<uint8_t>, 3>, kGioCount> claims;
    // Rows of the connector list that share a pin with another connector.
    std::set<int> conflictingRows;
    // Cells (GIO row 0..4, column 2..4) of the GIO list that are conflicting.
    std::set<std::pair<int, int>> conflictingCells;
};

// Works out both lists from the ECU's bytes. `names` gives connector n at
// [n - 1]; a connector beyond its end has no names and the key byte n.
ConnectorLayout BuildConnectorLayout(const PinTable& pins, const PinTable& reference,
                                     const std::vector<ConnectorName>& names);

} // namespace connectors
