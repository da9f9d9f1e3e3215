// The monitor page's pure rules: the period, the rows of one DID's answer
// and the CSV lines.
#include "MonitorFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using monitor::ApplyPeriodRule;

TEST(MonitorPeriod, OutsideOneToNineBecomesOneAndOneDecimalIsKept)
{
    struct Case {
        const char* edit;
        const char* shown;
        int32_t ms;
    };
    const Case cases[] = {
        {"0.5", "1.0", 1000},  {"12", "1.0", 1000},   {"2.34", "2.3", 2300}, {"1", "1.0", 1000},
        {"9", "9.0", 9000},    {"9.04", "1.0", 1000}, {"9.1", "1.0", 1000},  {"0.99", "1.0", 1000},
        {"2.36", "2.4", 2400}, {"-3", "1.0", 1000},   {"abc", "1.0", 1000},  {"4.7", "4.7", 4700},
    };
    for (const Case& c : cases) {
        const auto period = ApplyPeriodRule(c.edit);
        ASSERT_TRUE(period.has_value()) << c.edit;
        EXPECT_EQ(period->text, c.shown) << c.edit;
        EXPECT_EQ(period->ms, c.ms) << c.edit;
    }
    EXPECT_FALSE(ApplyPeriodRule("").has_value());
}

TEST(MonitorDidNumber, HexadecimalDigitsOnly)
{
    EXPECT_EQ(monitor::DidNumberValue("0051"), 0x0051);
    EXPECT_EQ(monitor::DidNumberValue("F186"), 0xF186);
    EXPECT_FALSE(monitor::DidNumberValue("").has_value());
    EXPECT_FALSE(monitor::DidNumberValue("00G1").has_value());
    EXPECT_FALSE(monitor::DidNumberValue("12345").has_value());
}

_tagMonitorDIDdesc_Sub_ Sub(const char* name, const char* type, int byteIndex, int startBit, int bits, float conversion,
                            float offset, int decimals, const char* unit = "")
{
    _tagMonitorDIDdesc_Sub_ s;
    s.SubDataName = name;
    s.DataType = type;
    s.ByteIndex = byteIndex;
    s.StartBit = startBit;
    s.BitLenth = bits;
    s.Conversion = conversion;
    s.Offset = offset;
    s.DecimalValid = decimals;
    s.Unit = unit;
    return s;
}

_tagMonitorDIDdesc_ Did(const char* number, std::vector<_tagMonitorDIDdesc_Sub_> subs)
{
    _tagMonitorDIDdesc_ d;
    d.DidNumber = number;
    d.name = number;
    d.SubFields = std::move(subs);
    return d;
}

struct DecodeCase {
    const char* what;
    _tagMonitorDIDdesc_ did;
    std::vector<uint8_t> data;
    std::vector<std::string> values;
    bool unknownType;
};

TEST(MonitorRows, DecodeLeastSignificantByteFirstWithTheMonitorsSpecials)
{
    const DecodeCase cases[] = {
        {"scaled, lsb first",
         Did("0050", {Sub("c", "Unsigned", 0, 0, 16, 0.01f, 0, 1), Sub("d", "Unsigned", 2, 0, 16, 0.01f, 0, 1)}),
         {0xD0, 0x07, 0xDB, 0x07},
         {"20.0", "20.1"},
         false},
        {"offset and decimals",
         Did("0056", {Sub("v", "Unsigned", 0, 0, 16, 0.01f, 0, 2), Sub("t", "Unsigned", 2, 0, 8, 1, -40, 0)}),
         {0x6A, 0x09, 0x41},
         {"24.10", "25"},
         false},
        {"0051 at 12.0 shows -",
         Did("0051", {Sub("p", "Unsigned", 0, 0, 16, 0.001f, 0, 2)}),
         {0xE0, 0x2E},
         {"-"},
         false},
        {"0051 below 12.0",
         Did("0051", {Sub("p", "Unsigned", 0, 0, 16, 0.001f, 0, 2)}),
         {0xDF, 0x2E},
         {"12.00"},
         false},
        {"0054 above 12.0 shows -",
         Did("0054", {Sub("p", "Unsigned", 0, 0, 16, 0.001f, 0, 2)}),
         {0x10, 0x27 + 0x10},
         {"-"},
         false},
        {"0053 is not special",
         Did("0053", {Sub("p", "Unsigned", 0, 0, 16, 0.001f, 0, 2)}),
         {0xE0, 0x2E},
         {"12.00"},
         false},
        {"0092 raw hexadecimal",
         Did("0092", {Sub("s", "Unsigned", 0, 0, 16, 0.5f, 3, 2)}),
         {0x13, 0x1A},
         {"1a13"},
         false},
        {"F186 raw hexadecimal", Did("F186", {Sub("s", "Unsigned", 0, 0, 8, 1, 0, 0)}), {0x03}, {"3"}, false},
        {"bit fields",
         Did("0057", {Sub("a", "Unsigned", 0, 0, 1, 1, 0, 0), Sub("b", "Unsigned", 0, 1, 1, 1, 0, 0),
                      Sub("c", "Unsigned", 0, 2, 1, 1, 0, 0)}),
         {0x03},
         {"1", "1", "0"},
         false},
        {"field past the data is empty",
         Did("0052", {Sub("l", "Unsigned", 0, 0, 16, 0.001f, 0, 2), Sub("r", "Unsigned", 2, 0, 16, 0.001f, 0, 2)}),
         {0x9E, 0x07, 0x94},
         {"1.95", ""},
         false},
        {"unknown type is empty and noted",
         Did("0050", {Sub("x", "Float", 0, 0, 16, 1, 0, 0), Sub("y", "Unsigned", 0, 0, 8, 1, 0, 0)}),
         {0x01, 0x02},
         {"", "1"},
         true},
        {"BCD1 is unknown to the monitor", Did("0050", {Sub("x", "BCD1", 0, 0, 8, 1, 0, 0)}), {0x12}, {""}, true},
        {"short BCD is empty", Did("0050", {Sub("x", "BCD", 0, 0, 16, 1, 0, 0)}), {0x12, 0x34}, {""}, false},
        {"BCD", Did("0050", {Sub("x", "BCD", 0, 0, 32, 1, 0, 0)}), {0x12, 0x34, 0xAB, 0x0C}, {"1234AB0C"}, false},
        {"ASCII", Did("0050", {Sub("x", "ASCII", 0, 0, 24, 1, 0, 0)}), {'A', 'B', 'C'}, {"ABC"}, false},
    };
    for (const DecodeCase& c : cases) {
        std::vector<_tagFillMonitordesc_> rows;
        bool unknown = false;
        monitor::AppendDidRows(c.did, c.data.data(), c.data.size(), rows, unknown);
        ASSERT_EQ(rows.size(), c.values.size()) << c.what;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].Value, c.values[i]) << c.what << " row " << i;
            EXPECT_EQ(rows[i].Number, std::to_string(i + 1)) << c.what;
            EXPECT_EQ(rows[i].SubDataName, c.did.SubFields[i].SubDataName) << c.what;
        }
        EXPECT_EQ(unknown, c.unknownType) << c.what;
    }
}

TEST(MonitorRows, AFailedReadKeepsEveryRowWithAnEmptyValue)
{
    const auto did = Did("0052", {Sub("Left", "Unsigned", 0, 0, 16, 0.001f, 0, 2, "bar"),
                                  Sub("Right", "Unsigned", 2, 0, 16, 0.001f, 0, 2, "bar")});
    std::vector<_tagFillMonitordesc_> rows(1);
    bool unknown = false;
    monitor::AppendDidRows(did, nullptr, 0, rows, unknown);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].SubDataName, "Left");
    EXPECT_EQ(rows[2].Unit, "bar");
    EXPECT_EQ(rows[1].Value, "");
    EXPECT_EQ(rows[2].Value, "");
}

TEST(MonitorCsv, PlainCellsStayAsTheyAreOthersAreQuotedAndLongOnesCut)
{
    EXPECT_EQ(monitor::CsvCell("20.5"), "20.5");
    EXPECT_EQ(monitor::CsvCell(""), "");
    EXPECT_EQ(monitor::CsvCell("bar-Brake Pressure Left"), "bar-Brake Pressure Left");
    EXPECT_EQ(monitor::CsvCell("a,b"), "\"a,b\"");
    EXPECT_EQ(monitor::CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(monitor::CsvCell("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(monitor::CsvCell(std::string(300, 'x')), std::string(255, 'x'));
    // A cut never splits a character: 254 bytes and a two-byte letter.
    const std::string text = std::string(254, 'x') + "\xD0\x96" + "tail";
    EXPECT_EQ(monitor::CsvCell(text), std::string(254, 'x'));
}

TEST(MonitorCsv, HeaderAndValueLinesEndEveryCellWithAComma)
{
    std::vector<_tagFillMonitordesc_> rows = {{"1", "Demand Pressure", "2.00", "bar"},
                                              {"1", "Temp, inside", "25", "degC"}};
    EXPECT_EQ(monitor::CsvHeaderLine(rows), "bar-Demand Pressure,\"degC-Temp, inside\",\n");
    EXPECT_EQ(monitor::CsvValueLine(rows), "2.00,25,\n");
    EXPECT_EQ(monitor::CsvValueLine({}), "\n");
}

} // namespace
