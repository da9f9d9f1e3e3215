// The connector assignment worked out from the ECU's pin bytes: what is kept,
// the texts of both lists and the conflicts, as one table of cases.
#include "ConnectorsTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace connectors;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<ConnectorName> Names()
{
    std::vector<ConnectorName> names;
    for (int n = 1; n <= kConnectorCount; ++n)
        names.push_back({"X" + std::to_string(n), "Function " + std::to_string(n), static_cast<uint8_t>(n)});
    return names;
}

struct Placement {
    int connector; // 1..16
    int gio;       // 1..5
    uint8_t byte;
};

struct Case {
    const char* what;
    std::vector<Placement> pins;
    // Expected: assignment text per named connector.
    std::vector<std::pair<int, std::string>> assignments;
    // Expected GIO-list rows (GIO number, pin 1, pin 3, pin 4 texts) for the GIOs named.
    std::vector<GioRow> gioRows;
    std::set<int> conflictingRows;
    std::set<std::pair<int, int>> conflictingCells;
};

const Case kCases[] = {
    {"reference bit present: 0x14 keeps 0x10, pins 1 and 4",
     {{3, 1, 0x14}},
     {{3, "GIO1 Pin1&4"}, {1, "None"}},
     {{"GIO 1", "X3 ", "", "X3 "}, {"GIO 3", "", "", ""}},
     {},
     {}},
    {"reference bit missing: 0x01 keeps nothing",
     {{3, 1, 0x01}},
     {{3, "None"}},
     {{"GIO 1", "", "", ""}},
     {},
     {}},
    {"a bit the reference does not expect is not kept",
     {{8, 4, 0x03}, {3, 2, 0x10}},
     {{8, "GIO4 Pin1"}, {3, "None"}},
     {{"GIO 4", "X8 ", "", ""}, {"GIO 2", "", "", ""}},
     {},
     {}},
    {"two connectors on GIO 3 pin 1: both rows and every pin they keep",
     {{10, 3, 0x01}, {15, 3, 0x04}, {13, 5, 0x01}},
     {{10, "GIO3 Pin1"}, {15, "GIO3 Pin1&3"}, {13, "GIO5 Pin1"}},
     {{"GIO 3", "X10 X15 ", "X15 ", ""}, {"GIO 5", "X13 ", "", ""}},
     {9, 14},
     {{2, kGioPin1Column}, {2, kGioPin3Column}}},
    {"the full reference assignment has no conflict",
     {{3, 1, 0x10}, {7, 4, 0x02}, {8, 4, 0x01}, {9, 2, 0x02}, {10, 3, 0x01}, {13, 5, 0x01}, {15, 3, 0x02}},
     {{7, "GIO4 Pin3"}, {9, "GIO2 Pin3"}, {15, "None"}},
     {{"GIO 4", "X8 ", "X7 ", ""}, {"GIO 2", "", "X9 ", ""}},
     {},
     {}},
};

class ConnectorsTable : public ::testing::TestWithParam<Case> {};

TEST_P(ConnectorsTable, ListsAndConflicts)
{
    const Case& c = GetParam();
    PinTable pins{};
    for (const Placement& p : c.pins)
        pins[p.connector - 1][p.gio - 1] = p.byte;
    const ConnectorLayout layout = BuildConnectorLayout(pins, ReferencePinTable(), Names());

    ASSERT_EQ(layout.connectorRows.size(), 16u);
    ASSERT_EQ(layout.gioRows.size(), 5u);
    for (const auto& [connector, text] : c.assignments) {
        const ConnectorRow& row = layout.connectorRows[connector - 1];
        EXPECT_EQ(row.Assignment, text) << "connector " << connector;
        EXPECT_EQ(row.Abbreviation, "X" + std::to_string(connector));
        EXPECT_EQ(row.Row, connector - 1);
    }
    for (const GioRow& want : c.gioRows) {
        const int k = want.Name.back() - '1';
        const GioRow& got = layout.gioRows[k];
        EXPECT_EQ(got.Name, want.Name);
        EXPECT_EQ(got.Pin1, want.Pin1) << want.Name;
        EXPECT_EQ(got.Pin3, want.Pin3) << want.Name;
        EXPECT_EQ(got.Pin4, want.Pin4) << want.Name;
    }
    EXPECT_EQ(layout.conflictingRows, c.conflictingRows);
    EXPECT_EQ(layout.conflictingCells, c.conflictingCells);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectorsTable, ::testing::ValuesIn(kCases));

TEST(ConnectorsTablePins, OptionTextsListEverySetBitThenNone)
{
    EXPECT_THAT(OptionTexts({0x00, 0x00, 0x05, 0x00, 0x80}), ElementsAre("GIO3 Pin1", "GIO3 Pin1&3", "None"));
    EXPECT_THAT(OptionTexts({0x7F, 0, 0, 0, 0}),
                ElementsAre("GIO1 Pin1", "GIO1 Pin3", "GIO1 Pin1&3", "GIO1 Pin4", "GIO1 Pin1&4", "GIO1 Pin3&4",
                            "GIO1 Pin1&3&4", "None"));
    EXPECT_THAT(OptionTexts({0, 0, 0, 0, 0}), ElementsAre("None"));
    EXPECT_EQ(PinMask(0x10), 0x09);
    EXPECT_EQ(PinMask(0x40), 0x0B);
    EXPECT_EQ(PinMask(0x08), 0x08);
    EXPECT_EQ(PinMask(0x05), 0x05);
}

TEST(ConnectorsTablePins, KeyBytesOutsideTheConnectorsAndMissingNamesAreSafe)
{
    PinTable pins{};
    pins[10 - 1][3 - 1] = 0x01;
    pins[15 - 1][3 - 1] = 0x04;
    // Connector 10's key points nowhere; connector 15 has no definition entry.
    std::vector<ConnectorName> names = Names();
    names[10 - 1].key = 0xC8;
    names.resize(14);
    const ConnectorLayout layout = BuildConnectorLayout(pins, ReferencePinTable(), names);
    EXPECT_EQ(layout.gioRows[2].Pin1, "X10  ");
    EXPECT_EQ(layout.connectorRows[14].Abbreviation, "");
    EXPECT_EQ(layout.connectorRows[14].Key, 15);
    EXPECT_EQ(layout.conflictingRows, (std::set<int>{9, 14}));
    // Only connector 15's pins can be marked: 0xC8 names no connector.
    EXPECT_EQ(layout.conflictingCells,
              (std::set<std::pair<int, int>>{{2, kGioPin1Column}, {2, kGioPin3Column}}));

    const ConnectorLayout unnamed = BuildConnectorLayout(pins, ReferencePinTable(), {});
    EXPECT_EQ(unnamed.connectorRows[9].Key, 10);
    EXPECT_EQ(unnamed.conflictingRows, (std::set<int>{9, 14}));
}

TEST(ConnectorsTablePins, AKeptByteOfSeveralBitsClaimsItsPinsButMarksNoCell)
{
    // A reference expecting two pin codes at once on GIO 2 for connector 4.
    PinTable reference = ReferencePinTable();
    reference[4 - 1][2 - 1] = 0x09; // " Pin1" and " Pin4"
    PinTable pins{};
    pins[4 - 1][2 - 1] = 0x09;
    pins[9 - 1][2 - 1] = 0x02; // connector 9: GIO 2 pin 3
    pins[1 - 1][2 - 1] = 0x00;
    reference[1 - 1][2 - 1] = 0x01;
    pins[1 - 1][2 - 1] = 0x01; // connector 1: GIO 2 pin 1, shared with connector 4
    const ConnectorLayout layout = BuildConnectorLayout(pins, reference, Names());
    EXPECT_EQ(layout.gioRows[1].Pin1, "X1 X4 ");
    EXPECT_EQ(layout.gioRows[1].Pin4, "X4 ");
    EXPECT_EQ(layout.connectorRows[3].Assignment, "GIO2 Pin1");
    EXPECT_EQ(layout.conflictingRows, (std::set<int>{0, 3}));
    // Only connector 1's single pin code marks its cell.
    EXPECT_EQ(layout.conflictingCells, (std::set<std::pair<int, int>>{{1, kGioPin1Column}}));
}

} // namespace
