// The pressures the end-of-line pressure pages read from the ECU: one reader
// for both pages. It walks the monitor definitions (MonitorDidList), reads
// every record whose identifier the pass asks for, and routes each sub-field
// by its name (UI texts 404 left, 405 right, 406 desired) through a page's
// table to one value slot. Values are decoded by the value codec with the
// monitor's options, so a page shows what the monitor shows for the same
// bytes.
#pragma once

#include "DidDefinitions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Names of the pressure sub-fields (UI texts of the current language).
constexpr int kPressureLeftNameRow = 404;
constexpr int kPressureRightNameRow = 405;
constexpr int kPressureDesiredNameRow = 406;

// Values of 12.0 bar and more are shown as "-" (and judged as they are).
constexpr float kPressureShownLimit = 12.0f;

// How a reading updates a value slot.
enum class PressureUpdate {
    KeepHighest, // applied pressures: the highest reading of the phase
    KeepLowest,  // released pressures: the lowest reading of the phase
    Take,        // every reading replaces the value
};

// Which system variants a route applies to (DerivedSystemVariant; -1, not
// yet derived, counts as "not 0").
enum class PressureVariant { Any, Zero, NotZero };

// One row of a page's routing table.
struct PressureRoute {
    uint16_t did;     // 0: any identifier the pass reads
    int nameRow;      // kPressureLeftNameRow, ...
    PressureVariant variant;
    int slot;         // the page's value slot (and its label)
    PressureUpdate update;
};

// A value slot of a page: the value held (none at the start of what the page
// judges) with its text, and the last reading routed to the slot, whether the
// update rule kept it or not.
struct PressureSlot {
    bool has = false;
    float value = 0.0f;
    std::string text;
    bool read = false;
    std::string lastReading;
};

// One decoded pressure sub-field.
struct PressureField {
    bool ok = false;   // false: under 8 or over 32 bits, or past the data
    float value = 0.0f;
    std::string text;  // "%.2f", or "-" from 12.0 up
};

// Decodes one sub-field of a record of `size` data bytes (what the ECU sent
// after 62 and the identifier).
PressureField DecodePressureField(const uint8_t* data, size_t size, const _tagMonitorDIDdesc_Sub_& sub,
                                  const std::string& didNumber);

// The identifier a record names (its DidNumber read as hexadecimal); false
// when the text is not a hexadecimal number of at most 4 digits.
bool PressureRecordDid(const _tagMonitorDIDdesc_& record, uint16_t& did);

// Applies one decoded value to a slot by the route's update rule (and notes
// it as the slot's last reading); true when the slot took it.
bool UpdatePressureSlot(PressureSlot& slot, const PressureField& field, PressureUpdate update);

// The last UDS call of this thread went out but no answer came: the ECU or
// the adapter has fallen silent (not a refusal, not a busy link).
bool LastRequestUnanswered();

enum class PressureReadOutcome {
    Done,       // every matching record was read (possibly none)
    ReadFailed, // a read was refused: the pass ended there
    NoAnswer,   // a read went unanswered: the pass ended there
    Ended,      // the page's test ended during a read
};

struct PressureReadPass {
    std::vector<uint16_t> dids;         // identifiers the pass reads
    std::vector<PressureRoute> routes;  // the page's table for this pass
    int32_t variant = -1;               // DerivedSystemVariant
};

// One reading pass over MonitorDidList, in its order. `text` gives UI texts
// by row; `stillRunning` is asked after each read (the read pumps events).
// Slots the routes name must exist in `slots`.
PressureReadOutcome ReadPressurePass(const PressureReadPass& pass, const std::function<std::string(int)>& text,
                                     const std::function<bool()>& stillRunning, std::vector<PressureSlot>& slots);
