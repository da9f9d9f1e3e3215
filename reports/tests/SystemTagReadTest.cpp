// The system tag's decode of single fields and the copy of row values into
// the plate fields.
#include "SystemTagRead.h"

#include "LanguageTable.h"
#include "Prompter.h"
#include "ReportGlobals.h"

#include "Matchers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using tarvel_test::BoxIs;

ValueField Field(const std::string& type, int byteIndex, int startBit, int bits, float conversion = 1.0f,
                 float offset = 0.0f, int decimals = 0)
{
    ValueField f;
    f.DataType = type;
    f.ByteIndex = byteIndex;
    f.StartBit = startBit;
    f.BitLenth = bits;
    f.Conversion = conversion;
    f.Offset = offset;
    f.DecimalValid = decimals;
    f.DidNumber = "00A0";
    return f;
}

// `bytes` placed at `at` in a record of zeros.
std::vector<uint8_t> At(size_t at, std::vector<uint8_t> bytes)
{
    std::vector<uint8_t> record(at, 0x00);
    record.insert(record.end(), bytes.begin(), bytes.end());
    return record;
}

class SystemTagRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Row n of the text table reads "row n"; rows 512 and 425 share a text.
        LanguageTable.resize(700);
        for (size_t n = 0; n < LanguageTable.size(); ++n)
            LanguageTable[n].text = "row " + std::to_string(n);
        PdfTextTable.resize(30);
        PdfTextTable[24].text = "None";
    }
    static std::string Row(int n) { return "row " + std::to_string(n); }

    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
};

TEST_F(SystemTagRead, DecodesEachTypeWithTheTagByteOrder)
{
    struct Case {
        const char* what;
        ValueField field;
        std::vector<uint8_t> record;
        std::string want;
    };
    const Case cases[] = {
        {"one byte scaled", Field("Unsigned", 3, 0, 8, 0.5f, 10.0f, 1), At(3, {0x14}), "20.0"},
        {"two bytes least significant first", Field("Unsigned", 0, 0, 16), {0x01, 0x02}, "513"},
        {"two bytes at byte 66 most significant first", Field("Unsigned", 66, 0, 16), At(66, {0x01, 0x02}), "258"},
        {"at most four bytes", Field("Unsigned", 0, 0, 48), {0x01, 0x00, 0x01, 0x00, 0xFF, 0xFF}, "65537"},
        {"bit field unscaled", Field("Unsigned", 0, 3, 2, 7.0f, 7.0f, 2), {0xF8}, "3"},
        {"bit field from its own byte", Field("Unsigned", 2, 0, 1), {0x00, 0x00, 0x01}, "1"},
        {"decimals past 5 give nothing", Field("Unsigned", 0, 0, 8, 1.0f, 0.0f, 6), {0x05}, ""},
        {"negative decimals give nothing", Field("Unsigned", 0, 0, 8, 1.0f, 0.0f, -1), {0x05}, ""},
        {"five decimals", Field("Unsigned", 0, 0, 8, 0.5f, 0.0f, 5), {0x03}, "1.50000"},
        {"BCD stored last byte first", Field("BCD", 0, 0, 32), {0x20, 0x24, 0x01, 0x31}, "31012420"},
        {"BCD at byte 66 in wire order", Field("BCD", 66, 0, 32), At(66, {0x20, 0x24, 0x01, 0x31}), "20240131"},
        {"BCD1", Field("BCD1", 0, 0, 8), {0x07}, "07"},
        {"ASCII stored last byte first", Field("ASCII", 0, 0, 24), {'C', 'B', 'A'}, "ABC"},
        {"ASCII at byte 66 in wire order", Field("ASCII", 66, 0, 24), At(66, {'A', 'B', 'C'}), "ABC"},
        {"ASCII up to 199 bytes", Field("ASCII", 0, 0, 8 * 210), std::vector<uint8_t>(210, 'Q'), std::string(199, 'Q')},
        {"a field past the data", Field("Unsigned", 4, 0, 16), {0x01, 0x02, 0x03, 0x04, 0x05}, ""},
        {"no length", Field("Unsigned", 0, 0, 0), {0x01}, ""},
        {"negative length", Field("Unsigned", 0, 0, -8), {0x01}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeSystemTagValue(c.record.data(), c.record.size(), c.field), c.want) << c.what;
    }
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(SystemTagRead, AnUnknownTypeShowsOneBoxEachAndDecodesEmpty)
{
    LanguageTable[77].text = "Unsupported data type in the definition file";
    LanguageTable[76].text = "Error";
    const std::vector<uint8_t> record{0x01, 0x02};
    EXPECT_EQ(DecodeSystemTagValue(record.data(), record.size(), Field("Signed", 0, 0, 8)), "");
    EXPECT_EQ(DecodeSystemTagValue(record.data(), record.size(), Field("unsigned", 1, 0, 8)), "");
    EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs("Unsupported data type in the definition file", "Error"),
                                              BoxIs("Unsupported data type in the definition file", "Error")));
    EXPECT_EQ(prompter.Boxes()[0].buttons, tarvel::MsgButtons::Ok);
}

TEST_F(SystemTagRead, RowsAreNumberedFromFourAndByte66HidesShortOrZeroValues)
{
    auto sub = [](const char* name, int byte, int bits, const char* unit = "") {
        _tagABSDIDdesc_Sub_ s;
        s.SubDataName = name;
        s.ByteIndex = byte;
        s.BitLenth = bits;
        s.Conversion = 1.0f;
        s.DataType = "Unsigned";
        s.Unit = unit;
        return s;
    };
    std::vector<uint8_t> record(70, 0x00);
    record[0] = 0x09;
    record[66] = 0x07;
    record[68] = 0x01;
    const std::vector<_tagABSDIDdesc_Sub_> subs{
        sub("first", 0, 8, "t"), sub("short at 66", 66, 8), sub("long at 66", 66, 16), sub("wide at 68", 68, 16),
    };
    const std::vector<uint8_t> zero(70, 0x00);
    const auto rows = SystemTagRowsFromBlock(record.data(), record.size(), subs);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].RowNumber, "4");
    EXPECT_EQ(rows[0].ParameterName, "first");
    EXPECT_EQ(rows[0].ValueText, "9");
    EXPECT_EQ(rows[0].UnitText, "t");
    EXPECT_EQ(rows[1].ValueText, "");     // 8 bits at byte 66
    EXPECT_EQ(rows[2].ValueText, "1792"); // 07 00 most significant first
    EXPECT_EQ(rows[3].RowNumber, "7");
    EXPECT_EQ(rows[3].ValueText, "1"); // 01 00 least significant first
    const auto zeros = SystemTagRowsFromBlock(zero.data(), zero.size(), {sub("zero at 66", 66, 16)});
    EXPECT_EQ(zeros[0].ValueText, "");
    // The last row stays in the scratch row.
    EXPECT_EQ(SystemTagScratchRow.ParameterName, "zero at 66");
}

TEST_F(SystemTagRead, MapsEachNamedRowIntoItsPlateField)
{
    struct Case {
        int row;
        std::string* field;
    };
    const Case cases[] = {
        {356, &PlateField356}, {357, &PlateField357}, {361, &PlateField361}, {368, &PlateField368},
        {369, &PlateField369}, {370, &PlateField370}, {371, &PlateField371}, {411, &PlateField411},
        {415, &PlateField415}, {416, &PlateField416}, {420, &PlateField420}, {421, &PlateField421},
        {422, &PlateField422}, {423, &PlateField423}, {424, &PlateField424}, {425, &PlateField425},
        {512, &PlateField425}, {627, &PlateField425}, {426, &PlateField426}, {513, &PlateField426},
        {628, &PlateField426}, {427, &PlateField427}, {514, &PlateField427}, {629, &PlateField427},
        {428, &PlateField428}, {515, &PlateField428}, {630, &PlateField428}, {318, &PlateAxleCount},
        {321, &PlateAxleFlag1}, {327, &PlateAxleFlag2}, {333, &PlateAxleFlag3}, {339, &PlateAxleFlag4},
        {345, &PlateAxleFlag5}, {508, &PlateField508}, {623, &PlateField508}, {509, &PlateField509},
        {624, &PlateField509}, {510, &PlateField510}, {625, &PlateField510}, {511, &PlateField511},
        {626, &PlateField511}, {586, &PlateField586},
    };
    for (const Case& c : cases) {
        ResetReportGlobals();
        const std::string value = "v" + std::to_string(c.row);
        MapSystemTagFields(Row(c.row), value);
        EXPECT_EQ(*c.field, value) << "row " << c.row;
    }
    // Names of no plate row change nothing; neither does the typed trio.
    ResetReportGlobals();
    for (int row : {315, 317, 319, 322, 360, 410, 429, 507, 516, 622, 631})
        MapSystemTagFields(Row(row), "x");
    MapSystemTagFields("row 425 ", "x"); // exact comparison
    MapSystemTagFields("ROW 425", "x");
    EXPECT_TRUE(PlateField425.empty());
    EXPECT_TRUE(PlateAxleFlag1.empty());
    EXPECT_TRUE(PlateManufacturer.empty() && PlateType.empty() && PlateVin.empty());
}

TEST_F(SystemTagRead, TheAbsConfigurationIsStoredAsItsWord)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0", "None"}, {"1", "2S2M"}, {"2", "4S2M"}, {"3", "4S3M"},
    };
    for (const auto& c : cases) {
        PlateAbsConfiguration = "before";
        MapSystemTagFields(Row(316), c.first);
        EXPECT_EQ(PlateAbsConfiguration, c.second) << c.first;
    }
    for (const char* other : {"4", "5", "", "1 ", "01"}) {
        PlateAbsConfiguration = "kept";
        MapSystemTagFields(Row(316), other);
        EXPECT_EQ(PlateAbsConfiguration, "kept") << other;
    }
}

TEST_F(SystemTagRead, AnAliasSetsOneFieldOnceAndALaterRowWins)
{
    // A name equal to the texts of rows 425 and 512.
    LanguageTable[512].text = Row(425);
    MapSystemTagFields(Row(425), "250");
    EXPECT_EQ(PlateField425, "250");
    EXPECT_TRUE(PlateField426.empty());
    // Two rows for one field, in list order: the later one stays.
    MapSystemTagFields(Row(627), "260");
    EXPECT_EQ(PlateField425, "260");
    MapSystemTagFields(Row(318), "3");
    MapSystemTagFields(Row(318), "4");
    EXPECT_EQ(PlateAxleCount, "4");
}

TEST_F(SystemTagRead, AnEmptyTextNamesNoRow)
{
    LanguageTable[356].text.clear();
    MapSystemTagFields("", "x");
    EXPECT_TRUE(PlateField356.empty());
}

TEST_F(SystemTagRead, ClearingKeepsTheTypedFields)
{
    PlateManufacturer = "M";
    PlateType = "T";
    PlateVin = "V";
    PlateField425 = PlateAxleCount = PlateField586 = PlateAbsConfiguration = "x";
    ClearEcuPlateFields();
    EXPECT_EQ(PlateManufacturer + PlateType + PlateVin, "MTV");
    EXPECT_EQ(PlateField425 + PlateAxleCount + PlateField586 + PlateAbsConfiguration, "");
}

} // namespace
