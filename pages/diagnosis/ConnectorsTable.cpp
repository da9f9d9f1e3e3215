#include "ConnectorsTable.h"

namespace connectors {

namespace {

struct PinCode {
    uint8_t bit;
    const char* label;
    uint8_t mask;
};

const PinCode kPinCodes[] = {
    {0x01, " Pin1", 0x01},   {0x02, " Pin3", 0x02},   {0x04, " Pin1&3", 0x03}, {0x08, " Pin4", 0x08},
    {0x10, " Pin1&4", 0x09}, {0x20, " Pin3&4", 0x0A}, {0x40, " Pin1&3&4", 0x0B},
};

// The pins of a GIO in list order, with their GIO-list columns.
struct PinColumn {
    uint8_t mask;
    int column;
};
const PinColumn kPins[] = {{kPin1, kGioPin1Column}, {kPin3, kGioPin3Column}, {kPin4, kGioPin4Column}};

std::string GioText(int gio, uint8_t bit)
{
    return "GIO" + std::to_string(gio) + PinLabel(bit);
}

bool SinglePinCode(uint8_t kept)
{
    for (const PinCode& code : kPinCodes)
        if (kept == code.bit)
            return true;
    return false;
}

} // namespace

const PinTable& ReferencePinTable()
{
    static const PinTable table = [] {
        PinTable t{};
        t[3 - 1][1 - 1] = 0x10;
        t[7 - 1][4 - 1] = 0x02;
        t[8 - 1][4 - 1] = 0x01;
        t[9 - 1][2 - 1] = 0x02;
        t[10 - 1][3 - 1] = 0x01;
        t[13 - 1][5 - 1] = 0x01;
        t[15 - 1][3 - 1] = 0x04;
        return t;
    }();
    return table;
}

std::string PinLabel(uint8_t bit)
{
    for (const PinCode& code : kPinCodes)
        if (code.bit == bit)
            return code.label;
    return std::string();
}

uint8_t PinMask(uint8_t kept)
{
    switch (kept) {
    case 0x04: return 0x03;
    case 0x10: return 0x09;
    case 0x20: return 0x0A;
    case 0x40: return 0x0B;
    default: return kept;
    }
}

PinTable KeptPins(const PinTable& pins, const PinTable& reference)
{
    PinTable kept{};
    for (int n = 0; n < kConnectorCount; ++n)
        for (int j = 0; j < kGioCount; ++j) {
            const uint8_t ref = reference[n][j];
            kept[n][j] = (pins[n][j] & ref) == ref ? ref : 0;
        }
    return kept;
}

std::vector<std::string> OptionTexts(const PinRow& pins)
{
    std::vector<std::string> options;
    for (int j = 0; j < kGioCount; ++j) {
        if (pins[j] == 0)
            continue;
        for (const PinCode& code : kPinCodes)
            if (pins[j] & code.bit)
                options.push_back(GioText(j + 1, code.bit));
    }
    options.push_back("None");
    return options;
}

std::string AssignmentText(const PinRow& kept)
{
    for (int j = 0; j < kGioCount; ++j) {
        if (kept[j] == 0)
            continue;
        const uint8_t lowest = static_cast<uint8_t>(kept[j] & -kept[j]);
        // A bit above the pin codes (0x80) has no label; it still names its GIO.
        return GioText(j + 1, lowest);
    }
    return "None";
}

ConnectorLayout BuildConnectorLayout(const PinTable& pins, const PinTable& reference,
                                     const std::vector<ConnectorName>& names)
{
    ConnectorLayout layout;
    layout.kept = KeptPins(pins, reference);

    std::vector<ConnectorName> named(kConnectorCount);
    for (int n = 0; n < kConnectorCount; ++n) {
        if (static_cast<size_t>(n) < names.size())
            named[n] = names[static_cast<size_t>(n)];
        else
            named[n].key = static_cast<uint8_t>(n + 1);
    }

    for (int n = 0; n < kConnectorCount; ++n)
        layout.options.push_back(OptionTexts(pins[n]));

    for (int k = 0; k < kGioCount; ++k) {
        GioRow row;
        row.Name = "GIO " + std::to_string(k + 1);
        std::string* cells[] = {&row.Pin1, &row.Pin3, &row.Pin4};
        for (int p = 0; p < 3; ++p) {
            for (int n = 0; n < kConnectorCount; ++n) {
                const uint8_t mask = PinMask(layout.kept[n][k]);
                if (mask != 0 && (mask & kPins[p].mask) == kPins[p].mask) {
                    *cells[p] += named[n].abbreviation + " ";
                    layout.claims[k][p].push_back(named[n].key);
                }
            }
        }
        layout.gioRows.push_back(row);
    }

    for (int n = 0; n < kConnectorCount; ++n) {
        ConnectorRow row;
        row.Abbreviation = named[n].abbreviation;
        row.Description = named[n].description;
        row.Assignment = AssignmentText(layout.kept[n]);
        row.Key = named[n].key;
        row.Row = n;
        layout.connectorRows.push_back(row);
    }

    std::set<uint8_t> conflicting;
    for (const auto& gio : layout.claims)
        for (const auto& keys : gio)
            if (keys.size() >= 2)
                conflicting.insert(keys.begin(), keys.end());

    for (const ConnectorRow& row : layout.connectorRows)
        if (conflicting.count(row.Key))
            layout.conflictingRows.insert(row.Row);

    for (uint8_t key : conflicting) {
        // The key byte names the connector; one outside 1..16 names none.
        if (key < 1 || key > kConnectorCount)
            continue;
        const PinRow& kept = layout.kept[key - 1];
        for (int k = 0; k < kGioCount; ++k) {
            if (!SinglePinCode(kept[k]))
                continue;
            const uint8_t mask = PinMask(kept[k]);
            for (const PinColumn& pin : kPins)
                if ((mask & pin.mask) == pin.mask)
                    layout.conflictingCells.insert({k, pin.column});
        }
    }
    return layout;
}

} // namespace connectors
