#include <gtest/gtest.h>

#include "DefinitionsTestSupport.h"
#include "ValueCodec.h"
#include "WriteBlock.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Row {
    const char* name;
    const char* type;
    int byteIndex;
    int startBit;
    int bitLenth;
    const char* value;
};

ValueField FieldOf(const Row& r)
{
    ValueField f;
    f.DataType = r.type;
    f.ByteIndex = r.byteIndex;
    f.StartBit = r.startBit;
    f.BitLenth = r.bitLenth;
    f.DidNumber = "00A0";
    return f;
}

const ValueCodecOptions kOptions = ParameterCodecOptions(true);

// The block as the pages have always assembled it, one sub-field after the
// other: bit fields collect in a pending byte that is appended once a field
// ends at bit 8; whole-byte fields are appended (reserved ones as zeros);
// other types are appended when `appendOtherTypes`, else add nothing.
Bytes SequentialBlock(const std::vector<Row>& rows, bool appendOtherTypes, bool withChecksum)
{
    Bytes block;
    uint8_t pending = 0;
    int previousIndex = 0;
    for (const Row& r : rows) {
        const Bytes encoded = EncodeValue(r.value, FieldOf(r), kOptions).bytes;
        const std::string type = r.type;
        const std::string name = r.name;
        if (type == "Unsigned" && r.bitLenth < 8) {
            if (r.byteIndex > previousIndex) {
                pending = encoded[0];
            } else if (r.byteIndex == previousIndex) {
                pending = static_cast<uint8_t>(pending + encoded[0]);
                if (r.startBit + r.bitLenth == 8) block.push_back(pending);
            }
        } else if (type == "Unsigned") {
            if (name == "保留" || name == "---")
                block.insert(block.end(), static_cast<size_t>(r.bitLenth / 8), 0);
            else
                block.insert(block.end(), encoded.begin(), encoded.end());
        } else if (appendOtherTypes) {
            block.insert(block.end(), encoded.begin(), encoded.end());
        }
        previousIndex = r.byteIndex;
    }
    if (withChecksum && !block.empty()) {
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < block.size(); ++i) sum += block[i];
        block.back() = static_cast<uint8_t>(sum);
    }
    return block;
}

Bytes PositionalBlock(const std::vector<Row>& rows, bool withChecksum)
{
    std::vector<WriteBlockField> fields;
    for (const Row& r : rows) {
        WriteBlockField f;
        f.ByteIndex = r.byteIndex;
        f.StartBit = r.startBit;
        f.BitLenth = r.bitLenth;
        f.SubDataName = r.name;
        f.encoded = EncodeValue(r.value, FieldOf(r), kOptions).bytes;
        EXPECT_FALSE(f.encoded.empty()) << r.name;
        fields.push_back(f);
    }
    return BuildWriteBlock(fields, withChecksum);
}

struct Layout {
    const char* what;
    std::vector<Row> rows;
    bool appendOtherTypes;
    bool checksum;
    Bytes expected;
};

} // namespace

TEST(WriteBlockTest, EqualsTheSequentialAssemblyOnWellFormedLayouts)
{
    const Layout layouts[] = {
        {"three bytes and a checksum",
         {{"a", "Unsigned", 0, 0, 8, "1"}, {"b", "Unsigned", 1, 0, 8, "2"}, {"sum", "Unsigned", 2, 0, 8, "9"}},
         false,
         true,
         {0x01, 0x02, 0x03}},
        {"bit fields, numbers, a reserved field",
         {{"lo", "Unsigned", 0, 0, 4, "5"},
          {"hi", "Unsigned", 0, 4, 4, "10"},
          {"speed", "Unsigned", 1, 0, 16, "4660"},
          {"保留", "Unsigned", 3, 0, 16, "65535"},
          {"axles", "Unsigned", 5, 0, 8, "3"},
          {"a", "Unsigned", 6, 0, 1, "1"},
          {"b", "Unsigned", 6, 1, 2, "2"},
          {"c", "Unsigned", 6, 3, 5, "31"},
          {"---", "Unsigned", 7, 0, 8, "7"},
          {"checksum", "Unsigned", 8, 0, 8, "0"}},
         false,
         true,
         {0xA5, 0x34, 0x12, 0x00, 0x00, 0x03, 0xFD, 0x00, 0xEB}},
        {"vehicle configuration with text and BCD",
         {{"form", "Unsigned", 0, 0, 8, "2"},
          {"code", "ASCII", 1, 0, 32, "AB"},
          {"date", "BCD", 5, 0, 32, "20240131"},
          {"rev", "BCD1", 9, 0, 8, "4A"},
          {"count", "Unsigned", 10, 0, 16, "258"}},
         true,
         false,
         {0x02, 0x41, 0x42, 0x00, 0x00, 0x31, 0x01, 0x24, 0x20, 0x4A, 0x02, 0x01}},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.what);
        const Bytes positional = PositionalBlock(l.rows, l.checksum);
        EXPECT_EQ(positional, SequentialBlock(l.rows, l.appendOtherTypes, l.checksum));
        EXPECT_EQ(positional, l.expected);
    }
}

// A byte whose bit fields end below bit 8 was never appended by the
// sequential assembly, so every later byte moved one place forward.
TEST(WriteBlockTest, BitFieldEndingBelowBit8StaysAtItsOwnByte)
{
    const std::vector<Row> rows = {{"lo", "Unsigned", 0, 0, 4, "5"},
                                   {"mid", "Unsigned", 0, 4, 3, "7"},
                                   {"next", "Unsigned", 1, 0, 8, "170"},
                                   {"last", "Unsigned", 2, 0, 8, "187"}};
    EXPECT_EQ(PositionalBlock(rows, false), (Bytes{0x75, 0xAA, 0xBB}));
    EXPECT_EQ(SequentialBlock(rows, false, false), (Bytes{0xAA, 0xBB}));
}

TEST(WriteBlockTest, MasksPlacesAndSkipsWhatCannotBePlaced)
{
    std::vector<WriteBlockField> fields(5);
    fields[0] = {0, 4, 2, "bits", {0xFF}};             // only bits 4 and 5 survive
    fields[1] = {2, 0, 16, "word", {0x12, 0x34, 0x56}}; // only its 2 bytes
    fields[2] = {1, 0, 8, "保留", {0x77}};             // reserved: zero
    fields[3] = {-1, 0, 8, "negative", {0x99}};        // nowhere to go
    fields[4] = {3, 0, 0, "no bits", {0x99}};          // no length
    EXPECT_EQ(BuildWriteBlock(fields, false), (Bytes{0x30, 0x00, 0x12, 0x34}));
    EXPECT_EQ(BuildWriteBlock(fields, true), (Bytes{0x30, 0x00, 0x12, 0x42}));
    EXPECT_TRUE(BuildWriteBlock({}, true).empty());
    EXPECT_TRUE(BuildWriteBlock({{0x7FFFFFF0, 0, 8, "far", {1}}}, false).empty());
    EXPECT_TRUE(IsReservedSubField("保留"));
    EXPECT_TRUE(IsReservedSubField("---"));
    EXPECT_FALSE(IsReservedSubField("--"));
}

namespace {

class EncodeWriteBlockTest : public definitions_test::BoxTest {
protected:
    ~EncodeWriteBlockTest() override { ResetValueCodecGlobals(); }

    static WriteBlockInput In(const char* name, const char* type, int byteIndex, int startBit, int bitLenth,
                              const char* text)
    {
        return WriteBlockInput{FieldOf({name, type, byteIndex, startBit, bitLenth, text}), name, text};
    }
};

} // namespace

TEST_F(EncodeWriteBlockTest, EncodesInOrderAndStopsAtTheFirstRefusal)
{
    // A reserved row is zeros whatever it holds, even text no encoder takes.
    const std::vector<WriteBlockInput> good = {In("a", "Unsigned", 0, 0, 8, "1"),
                                               In("保留", "Unsigned", 1, 0, 16, "junk"),
                                               In("b", "Unsigned", 3, 0, 8, "2"),
                                               In("sum", "Unsigned", 4, 0, 8, "0")};
    EXPECT_EQ(EncodeWriteBlock(good, kOptions, true), (Bytes{0x01, 0x00, 0x00, 0x02, 0x03}));
    EXPECT_TRUE(BoxRows().empty());

    std::vector<WriteBlockInput> bad = good;
    bad[2].text = "-3";
    bad.push_back(In("x", "BCD", 5, 0, 32, "123")); // never reached: one box only
    EXPECT_TRUE(EncodeWriteBlock(bad, kOptions, true).empty());
    EXPECT_EQ(BoxRows(), std::vector<int>{77});
}
