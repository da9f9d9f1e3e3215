#include <gtest/gtest.h>

#include <functional>

#include "DefinitionsTestSupport.h"
#include "ValueCodec.h"

using namespace definitions_test;

namespace {

using Bytes = std::vector<uint8_t>;

ValueField Field(const char* type, int byteIndex, int startBit, int bitLenth, float conversion = 1.0f,
                 float offset = 0.0f, int decimals = 0, const char* did = "00A0")
{
    ValueField f;
    f.DataType = type;
    f.ByteIndex = byteIndex;
    f.StartBit = startBit;
    f.BitLenth = bitLenth;
    f.Conversion = conversion;
    f.Offset = offset;
    f.DecimalValid = decimals;
    f.DidNumber = did;
    return f;
}

const ValueCodecOptions kInfo = DeviceInfoCodecOptions();
const ValueCodecOptions kParam = ParameterCodecOptions(false);
const ValueCodecOptions kParamRev = ParameterCodecOptions(true);
const ValueCodecOptions kMonitor = MonitorCodecOptions();
const ValueCodecOptions kLift = LiftingAxleCodecOptions();
const ValueCodecOptions kTag = SystemTagCodecOptions(0);
const ValueCodecOptions kTag66 = SystemTagCodecOptions(66);
const ValueCodecOptions kRecorder = RecorderCodecOptions();
const ValueCodecOptions kInfoTaking = [] {
    ValueCodecOptions o = DeviceInfoCodecOptions();
    o.shortTextTaken = true;
    return o;
}();

Bytes Letters(size_t n, char c = 'A') { return Bytes(n, static_cast<uint8_t>(c)); }

Bytes At(size_t index, const Bytes& field)
{
    Bytes record(index + field.size(), 0xEE);
    for (size_t i = 0; i < field.size(); ++i) record[index + i] = field[i];
    return record;
}

struct DecodeCase {
    const char* what;
    const ValueCodecOptions* options;
    ValueField field;
    Bytes record;
    std::string text;
    int box;
};

} // namespace

TEST(ValueCodecTest, DecodeTable)
{
    const DecodeCase cases[] = {
        // The device-information decode.
        {"info unsigned msb first", &kInfo, Field("Unsigned", 0, 0, 16, 0.1f), {0x01, 0x2C}, "30", 0},
        {"info rounds", &kInfo, Field("Unsigned", 0, 0, 8, 0.5f, 0, 3), {0x07}, "4", 0},
        {"info ignores offset", &kInfo, Field("Unsigned", 0, 0, 8, 1, -40), {0x3C}, "60", 0},
        {"info bit length 1 gives 0", &kInfo, Field("Unsigned", 0, 0, 1), {0xFF}, "0", 0},
        {"info bcd1", &kInfo, Field("BCD1", 0, 0, 8), {0x4A}, "4A", 0},
        {"info bcd1 bit length 1", &kInfo, Field("BCD1", 1, 0, 1), {0x00, 0x9F}, "9F", 0},
        {"info ascii stops at zero", &kInfo, Field("ASCII", 0, 0, 32), {0x41, 0x42, 0x00, 0x43}, "AB", 0},
        {"info bcd is unknown", &kInfo, Field("BCD", 0, 0, 32), {1, 2, 3, 4}, "", 77},
        {"info type compared exactly", &kInfo, Field("unsigned", 0, 0, 8), {1}, "", 77},
        // The parameters page, ordinary records.
        {"param msb first", &kParam, Field("Unsigned", 0, 0, 16, 0.1f), {0x01, 0x2C}, "30", 0},
        {"param offset", &kParam, Field("Unsigned", 0, 0, 8, 1, -40), {0x3C}, "20", 0},
        {"param decimals 0", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 0), {0x03}, "2", 0},
        {"param decimals 1", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 1), {0x03}, "1.5", 0},
        {"param decimals 2", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 2), {0x03}, "1.50", 0},
        {"param decimals 3", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 3), {0x03}, "1.500", 0},
        {"param decimals 4", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 4), {0x03}, "1.5000", 0},
        {"param decimals 5", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 5), {0x03}, "1.50000", 0},
        {"param decimals 6 empty", &kParam, Field("Unsigned", 0, 0, 8, 0.5f, 0, 6), {0x03}, "", 0},
        {"param decimals -1 empty", &kParam, Field("Unsigned", 0, 0, 8, 1, 0, -1), {0x03}, "", 0},
        {"param bit field", &kParam, Field("Unsigned", 0, 4, 2, 9, 9, 3), {0x30}, "3", 0},
        {"param bit field 3 of 0xB5", &kParam, Field("Unsigned", 1, 4, 3), {0x00, 0xB5}, "3", 0},
        {"param bit field past bit 7", &kParam, Field("Unsigned", 0, 6, 3), {0xFF}, "3", 0},
        {"param ascii reversed", &kParam, Field("ASCII", 0, 0, 32), {0x00, 0x00, 0x42, 0x41}, "AB", 0},
        {"param bcd wire order", &kParam, Field("BCD", 0, 0, 32), {0x12, 0x34, 0x56, 0x78}, "12345678", 0},
        {"param bcd 3 bytes padded", &kParam, Field("BCD", 0, 0, 24), {0x12, 0x34, 0x56}, "12345600", 0},
        {"param bcd1", &kParam, Field("BCD1", 0, 0, 8), {0x4A}, "4A", 0},
        {"param unknown", &kParam, Field("Float", 0, 0, 8), {1}, "", 77},
        // Records the parameters page reads reversed.
        {"reversed lsb first", &kParamRev, Field("Unsigned", 0, 0, 16, 0.1f), {0x2C, 0x01}, "30", 0},
        {"reversed ascii wire", &kParamRev, Field("ASCII", 0, 0, 32), {0x41, 0x42, 0x00, 0x00}, "AB", 0},
        {"reversed bcd", &kParamRev, Field("BCD", 0, 0, 32), {0x78, 0x56, 0x34, 0x12}, "12345678", 0},
        // The lifting-axle block.
        {"lift lsb first", &kLift, Field("Unsigned", 0, 0, 16), {0x34, 0x12}, "4660", 0},
        {"lift bcd reversed", &kLift, Field("BCD", 0, 0, 32), {0x78, 0x56, 0x34, 0x12}, "12345678", 0},
        {"lift ascii reversed", &kLift, Field("ASCII", 0, 0, 24), {0x43, 0x42, 0x41}, "ABC", 0},
        // Monitor channels.
        {"monitor lsb first", &kMonitor, Field("Unsigned", 0, 0, 16, 1, 0, 0, "0010"), {0x34, 0x12}, "4660", 0},
        {"monitor scale", &kMonitor, Field("Unsigned", 0, 0, 8, 0.1f, -1, 1, "0010"), {0x7B}, "11.3", 0},
        {"monitor 0051 at 12 shows -", &kMonitor, Field("Unsigned", 0, 0, 8, 0.1f, 0, 1, "0051"), {120}, "-", 0},
        {"monitor 0052 below 12", &kMonitor, Field("Unsigned", 0, 0, 8, 0.1f, 0, 1, "0052"), {119}, "11.9", 0},
        {"monitor 0054 above 12", &kMonitor, Field("Unsigned", 0, 0, 8, 1, 0, 0, "0054"), {200}, "-", 0},
        {"monitor 0092 hex", &kMonitor, Field("Unsigned", 0, 0, 16, 0.1f, 5, 2, "0092"), {0x2B, 0x1A}, "1a2b", 0},
        {"monitor F186 hex", &kMonitor, Field("Unsigned", 0, 0, 8, 1, 0, 0, "F186"), {0x03}, "3", 0},
        {"monitor bit field", &kMonitor, Field("Unsigned", 0, 1, 2, 1, 0, 0, "0010"), {0x06}, "3", 0},
        {"monitor bcd", &kMonitor, Field("BCD", 0, 0, 32, 1, 0, 0, "0010"), {0xAB, 0xCD, 0x01, 0x02}, "ABCD0102", 0},
        {"monitor short bcd empty", &kMonitor, Field("BCD", 0, 0, 16, 1, 0, 0, "0010"), {0x12, 0x34}, "", 0},
        {"monitor no bcd1", &kMonitor, Field("BCD1", 0, 0, 8, 1, 0, 0, "0010"), {0x12}, "", 77},
        // The system-tag page.
        {"tag lsb first", &kTag, Field("Unsigned", 0, 0, 16), {0x01, 0x02}, "513", 0},
        {"tag byte 66 msb first", &kTag66, Field("Unsigned", 66, 0, 16), At(66, {0x01, 0x02}), "258", 0},
        {"tag bit field", &kTag, Field("Unsigned", 0, 3, 2, 7, 7), {0xF8}, "3", 0},
        {"tag bcd reversed", &kTag, Field("BCD", 0, 0, 32), {0x20, 0x24, 0x01, 0x31}, "31012420", 0},
        {"tag bcd1", &kTag, Field("BCD1", 0, 0, 8), {0x07}, "07", 0},
        {"tag ascii 199", &kTag, Field("ASCII", 0, 0, 8 * 250), Letters(250), std::string(199, 'A'), 0},
        // Recorder records.
        {"recorder msb first", &kRecorder, Field("Unsigned", 0, 0, 16, 0.1f, 0, 1), {0x01, 0x2C}, "30.0", 0},
        {"recorder single precision", &kRecorder, Field("Unsigned", 0, 0, 32), {0xFF, 0xFF, 0xFF, 0xFF},
         "4294967296", 0},
        {"recorder 12 bits is one byte", &kRecorder, Field("Unsigned", 0, 0, 12), {0x05, 0x06}, "5", 0},
        {"recorder bit field", &kRecorder, Field("Unsigned", 0, 2, 3), {0xB4}, "5", 0},
        {"recorder bit field cut at bit 7", &kRecorder, Field("Unsigned", 0, 6, 3), {0xB4}, "2", 0},
        {"recorder trip field of 8 bytes", &kRecorder, Field("Unsigned", 0, 0, 64), {9, 9, 9, 9, 0, 0, 1, 0},
         "256", 0},
        {"recorder no ascii", &kRecorder, Field("ASCII", 0, 0, 8), {0x41}, "", 77},
        {"recorder no bcd", &kRecorder, Field("BCD", 0, 0, 32), {1, 2, 3, 4}, "", 77},
        {"recorder no bcd1", &kRecorder, Field("BCD1", 0, 0, 8), {0x12}, "", 77},
        // Bounds: never past the data, never more than the limits.
        {"past the end", &kParam, Field("Unsigned", 1, 0, 16), {0x01, 0x02}, "", 0},
        {"starts past the end", &kParam, Field("Unsigned", 5, 0, 8), {0x01, 0x02}, "", 0},
        {"bit field past the end", &kParam, Field("Unsigned", 2, 0, 3), {0x01, 0x02}, "", 0},
        {"negative byte index", &kParam, Field("Unsigned", -1, 0, 8), {0x01, 0x02}, "", 0},
        {"bit length 0", &kParam, Field("Unsigned", 0, 0, 0), {0x01}, "", 0},
        {"empty record", &kInfo, Field("ASCII", 0, 0, 8), {}, "", 0},
        // A text the data ends inside, taken as far as it goes only when
        // asked for (the device information); never a number.
        {"short text taken", &kInfoTaking, Field("ASCII", 0, 0, 16), {0x35}, "5", 0},
        {"short text from past the end", &kInfoTaking, Field("ASCII", 2, 0, 16), {0x35}, "", 0},
        {"short number never taken", &kInfoTaking, Field("Unsigned", 0, 0, 16), {0x35}, "", 0},
        {"short text not taken", &kInfo, Field("ASCII", 0, 0, 16), {0x35}, "", 0},
        {"ascii at most 99", &kParam, Field("ASCII", 0, 0, 8 * 120), Letters(120), std::string(99, 'A'), 0},
        {"6 bytes msb first: low 4", &kParam, Field("Unsigned", 0, 0, 48), {9, 9, 0, 0, 1, 0}, "256", 0},
        {"6 bytes lsb first: low 4", &kLift, Field("Unsigned", 0, 0, 48), {0, 1, 0, 0, 9, 9}, "256", 0},
        {"huge bit length", &kParam, Field("Unsigned", 0, 0, 0x7FFFFFF8), {1, 2}, "", 0},
        {"huge byte index", &kParam, Field("Unsigned", 0x7FFFFFFF, 0, 8), {1, 2}, "", 0},
    };
    for (const DecodeCase& c : cases) {
        const DecodedValue v = DecodeValue(c.record, c.field, *c.options);
        EXPECT_EQ(v.text, c.text) << c.what;
        EXPECT_EQ(v.box, c.box) << c.what;
    }
}

namespace {

struct EncodeCase {
    const char* what;
    const ValueCodecOptions* options;
    ValueField field;
    std::string text;
    Bytes bytes;
    int box;
};

Bytes Text(const std::string& s, size_t n)
{
    Bytes b(s.begin(), s.end());
    b.resize(n, 0);
    return b;
}

} // namespace

TEST(ValueCodecTest, EncodeTable)
{
    const std::string vin16 = "WTR4S2M0N0K01234";
    const std::string wide9 = "\xE5\x90\x8D\xE5\x90\x8D\xE5\x90\x8D\xE5\x90\x8D\xE5\x90\x8D\xE5\x90\x8D\xE5\x90\x8D"
                              "\xE5\x90\x8D"
                              "A"; // 8 characters above 0x7F and one letter: width 17
    const EncodeCase cases[] = {
        // Numbers: double, then float, then truncated toward zero.
        {"30 / 0.1f is 300, lsb first", &kParamRev, Field("Unsigned", 0, 0, 16, 0.1f), "30", {0x2C, 0x01}, 0},
        {"msb first", &kParam, Field("Unsigned", 0, 0, 16, 0.1f), "30", {0x01, 0x2C}, 0},
        {"offset", &kParamRev, Field("Unsigned", 0, 0, 8, 1, -40), "20", {0x3C}, 0},
        {"truncates, never rounds", &kLift, Field("Unsigned", 0, 0, 8, 0.1f), "0.19", {0x01}, 0},
        {"fraction truncated", &kLift, Field("Unsigned", 0, 0, 8), "7.9", {0x07}, 0},
        {"blanks and sign allowed", &kLift, Field("Unsigned", 0, 0, 8), " +12 ", {0x0C}, 0},
        {"largest 2 bytes", &kLift, Field("Unsigned", 0, 0, 16), "65535", {0xFF, 0xFF}, 0},
        {"3 bytes lsb first", &kMonitor, Field("Unsigned", 0, 0, 24), "66051", {0x03, 0x02, 0x01}, 0},
        {"4 bytes msb first", &kParam, Field("Unsigned", 0, 0, 32), "16909060", {1, 2, 3, 4}, 0},
        {"without offset", &kInfo, Field("Unsigned", 0, 0, 8, 1, -40), "20", {0x14}, 0},
        {"bit field", &kParam, Field("Unsigned", 0, 4, 2), "3", {0x30}, 0},
        {"bit field top bit", &kParam, Field("Unsigned", 0, 7, 1), "1", {0x80}, 0},
        // BCD and BCD1.
        {"bcd 8 digits", &kParam, Field("BCD", 0, 0, 32), "12345678", {0x12, 0x34, 0x56, 0x78}, 0},
        {"bcd 6 digits in 4 bytes", &kParam, Field("BCD", 0, 0, 32), "123456", {0x12, 0x34, 0x56, 0x00}, 0},
        {"bcd 6 digits in 3 bytes", &kParam, Field("BCD", 0, 0, 24), "123456", {0x12, 0x34, 0x56}, 0},
        {"bcd padding dropped", &kParam, Field("BCD", 0, 0, 24), "12345600", {0x12, 0x34, 0x56}, 0},
        {"bcd lower case", &kParam, Field("BCD", 0, 0, 32), "abcdef01", {0xAB, 0xCD, 0xEF, 0x01}, 0},
        {"bcd reversed record", &kParamRev, Field("BCD", 0, 0, 32), "12345678", {0x78, 0x56, 0x34, 0x12}, 0},
        {"bcd1", &kParam, Field("BCD1", 0, 0, 8), "4A", {0x4A}, 0},
        // ASCII and the identification rule.
        {"ascii padded", &kParamRev, Field("ASCII", 0, 0, 32), "AB", {0x41, 0x42, 0, 0}, 0},
        {"ascii reversed record", &kParam, Field("ASCII", 0, 0, 32), "AB", {0, 0, 0x42, 0x41}, 0},
        {"ascii empty", &kParamRev, Field("ASCII", 0, 0, 16), "", {0, 0}, 0},
        {"vin 16 letters get a space", &kParamRev, Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), vin16,
         Text(vin16 + " ", 17), 0},
        {"vin 17 letters as they are", &kParamRev, Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), vin16 + "5",
         Text(vin16 + "5", 17), 0},
        {"vin wide characters count 2", &kParamRev, Field("ASCII", 0, 0, 200, 1, 0, 0, "F190"), wide9,
         Text(wide9, 25), 0},
        {"vin empty: stop without a box", &kParamRev, Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), "", {}, 0},
        {"vin 18 letters", &kParamRev, Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), vin16 + "56", {}, 83},
        {"vin wide 9 plus one", &kParamRev, Field("ASCII", 0, 0, 200, 1, 0, 0, "F190"), wide9 + "B", {}, 83},
        // Refusals: box 77, no bytes.
        {"empty number", &kLift, Field("Unsigned", 0, 0, 8), "", {}, 77},
        {"not a number", &kLift, Field("Unsigned", 0, 0, 8), "abc", {}, 77},
        {"number with a tail", &kLift, Field("Unsigned", 0, 0, 8), "12abc", {}, 77},
        {"hexadecimal number", &kLift, Field("Unsigned", 0, 0, 8), "0x10", {}, 77},
        {"infinity", &kLift, Field("Unsigned", 0, 0, 8), "inf", {}, 77},
        {"negative", &kLift, Field("Unsigned", 0, 0, 8), "-5", {}, 77},
        {"negative half", &kLift, Field("Unsigned", 0, 0, 8), "-0.5", {}, 77},
        {"below the offset", &kLift, Field("Unsigned", 0, 0, 8, 1, -40), "-41", {}, 77},
        {"too big for 1 byte", &kLift, Field("Unsigned", 0, 0, 8), "256", {}, 77},
        {"too big for 2 bytes", &kLift, Field("Unsigned", 0, 0, 16), "65536", {}, 77},
        {"too big after scaling", &kLift, Field("Unsigned", 0, 0, 8, 0.1f), "25.6", {}, 77},
        {"conversion 0", &kLift, Field("Unsigned", 0, 0, 8, 0), "1", {}, 77},
        {"more than 4 bytes", &kLift, Field("Unsigned", 0, 0, 40), "1", {}, 77},
        {"bit length 0", &kLift, Field("Unsigned", 0, 0, 0), "1", {}, 77},
        {"bit field too big", &kParam, Field("Unsigned", 0, 4, 2), "4", {}, 77},
        {"bit field fraction", &kParam, Field("Unsigned", 0, 0, 3), "1.5", {}, 77},
        {"bit field negative", &kParam, Field("Unsigned", 0, 0, 3), "-1", {}, 77},
        {"bit field empty", &kParam, Field("Unsigned", 0, 0, 3), "", {}, 77},
        {"bit field past bit 7", &kParam, Field("Unsigned", 0, 7, 2), "1", {}, 77},
        {"bcd 7 digits", &kParam, Field("BCD", 0, 0, 32), "1234567", {}, 77},
        {"bcd 4 digits", &kParam, Field("BCD", 0, 0, 32), "1234", {}, 77},
        {"bcd not hexadecimal", &kParam, Field("BCD", 0, 0, 32), "12345G78", {}, 77},
        {"bcd digits cut off", &kParam, Field("BCD", 0, 0, 24), "12345678", {}, 77},
        {"bcd unknown on the info page", &kInfo, Field("BCD", 0, 0, 32), "12345678", {}, 77},
        {"bcd1 one digit", &kParam, Field("BCD1", 0, 0, 8), "4", {}, 77},
        {"bcd1 three digits", &kParam, Field("BCD1", 0, 0, 8), "4AB", {}, 77},
        {"bcd1 not hexadecimal", &kParam, Field("BCD1", 0, 0, 8), "4Z", {}, 77},
        {"bcd1 unknown to the monitor", &kMonitor, Field("BCD1", 0, 0, 8), "4A", {}, 77},
        {"ascii too long", &kParam, Field("ASCII", 0, 0, 32), "ABCDE", {}, 77},
        {"ascii no bytes", &kParam, Field("ASCII", 0, 0, 4), "A", {}, 77},
        {"ascii over 99", &kParam, Field("ASCII", 0, 0, 8 * 120), std::string(100, 'A'), {}, 77},
        {"unknown type", &kParam, Field("Text", 0, 0, 8), "1", {}, 77},
    };
    for (const EncodeCase& c : cases) {
        const EncodedValue v = EncodeValue(c.text, c.field, *c.options);
        EXPECT_EQ(v.bytes, c.bytes) << c.what;
        EXPECT_EQ(v.box, c.box) << c.what;
    }
}

// decode(encode(x)) = x for every type under every page's options, and
// encode(decode(bytes)) = bytes: what a page reads it writes back unchanged.
TEST(ValueCodecTest, RoundTripsUnderEveryOptionSet)
{
    struct Option {
        const char* name;
        const ValueCodecOptions* options;
    };
    const Option options[] = {{"param", &kParam}, {"param reversed", &kParamRev}, {"lift", &kLift},
                              {"monitor", &kMonitor}, {"tag", &kTag},        {"tag 66", &kTag66},
                              {"recorder", &kRecorder}};
    struct Value {
        ValueField field;
        std::string text;
    };
    const Value values[] = {
        {Field("Unsigned", 0, 0, 8), "200"},
        {Field("Unsigned", 0, 0, 16, 0.1f, 0, 1, "0010"), "30.0"},
        {Field("Unsigned", 0, 0, 16, 0.5f, -40, 1, "0010"), "1234.5"},
        {Field("Unsigned", 0, 0, 24, 1, 0, 0, "0010"), "70000"},
        {Field("Unsigned", 0, 0, 32, 0.01f, 0, 2, "0010"), "1234.56"},
        {Field("Unsigned", 0, 2, 3), "5"},
        {Field("BCD", 0, 0, 32), "20240131"},
        {Field("BCD1", 0, 0, 8), "4A"},
        {Field("ASCII", 0, 0, 64), "TRLK-01"},
        {Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), "WTR4S2M0N0K012345"},
    };
    for (const Option& o : options) {
        for (const Value& v : values) {
            if ((v.field.DataType == "BCD1" && !o.options->acceptBcd1) ||
                (v.field.DataType == "BCD" && !o.options->acceptBcd) ||
                (v.field.DataType == "ASCII" && !o.options->acceptAscii))
                continue;
            SCOPED_TRACE(std::string(o.name) + " " + v.field.DataType + " " + v.text);
            const EncodedValue e = EncodeValue(v.text, v.field, *o.options);
            ASSERT_TRUE(e.ok());
            const DecodedValue d = DecodeValue(e.bytes, v.field, *o.options);
            EXPECT_EQ(d.text, v.text);
            EXPECT_EQ(EncodeValue(d.text, v.field, *o.options).bytes, e.bytes);
        }
        // Wire bytes read and written back stay the same bytes.
        const Bytes wire = {0x20, 0x24, 0x01, 0x31};
        const ValueField bcd = Field("BCD", 0, 0, 32);
        if (o.options->acceptBcd) {
            EXPECT_EQ(EncodeValue(DecodeValue(wire, bcd, *o.options).text, bcd, *o.options).bytes, wire) << o.name;
        }
        const ValueField number = Field("Unsigned", 0, 0, 32);
        const Bytes small = {0x00, 0x01, 0x02, 0x00}; // fits a float exactly either way round
        EXPECT_EQ(EncodeValue(DecodeValue(small, number, *o.options).text, number, *o.options).bytes, small)
            << o.name;
    }
}

// What a refused value is told to accept: the range as the field shows its
// numbers, rounded inwards so that both ends are taken and one step past the
// top is not; text widths, hexadecimal digit counts, and nothing for fields no
// value can be written to.
TEST(ValueCodecTest, AcceptedInputOfEveryKindOfField)
{
    using K = AcceptedInput::Kind;
    struct Case {
        const char* what;
        ValueField field;
        K kind;
        std::string low, high;
        std::vector<size_t> counts;
        const char* pastTop; // a text one step above `high`, refused; nullptr: none
    };
    const std::vector<Case> cases{
        {"byte", Field("Unsigned", 0, 0, 8), K::Number, "0", "255", {}, "256"},
        {"offset", Field("Unsigned", 0, 0, 8, 1, -40), K::Number, "-40", "215", {}, "216"},
        {"scaled two decimals", Field("Unsigned", 0, 0, 16, 0.001f, 0, 2), K::Number, "0.00", "65.53", {}, "65.54"},
        {"scaled one decimal", Field("Unsigned", 0, 0, 16, 0.1f, 0, 1), K::Number, "0.0", "6553.5", {}, "6553.6"},
        {"three bytes", Field("Unsigned", 0, 0, 24), K::Number, "0", "16777215", {}, "16777216"},
        {"no decimals text", Field("Unsigned", 0, 0, 8, 0.5f, 0, 9), K::Number, "0", "127.5", {}, nullptr},
        {"bit field", Field("Unsigned", 0, 4, 2), K::WholeNumber, "0", "3", {}, "4"},
        {"bit field past the byte", Field("Unsigned", 0, 7, 2), K::Nothing, "", "", {}, nullptr},
        {"text", Field("ASCII", 0, 0, 80), K::Text, "", "", {10}, nullptr},
        {"identification", Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), K::Text, "", "", {17}, nullptr},
        {"bcd", Field("BCD", 0, 0, 32), K::HexDigits, "", "", {6, 8}, nullptr},
        {"bcd of 3 bytes", Field("BCD", 0, 0, 24), K::HexDigits, "", "", {6}, nullptr},
        {"bcd1", Field("BCD1", 0, 0, 8), K::HexDigits, "", "", {2}, nullptr},
        {"conversion 0", Field("Unsigned", 0, 0, 8, 0.0f), K::Nothing, "", "", {}, nullptr},
        {"five bytes", Field("Unsigned", 0, 0, 40), K::Nothing, "", "", {}, nullptr},
        {"unknown type", Field("Signed", 0, 0, 8), K::Nothing, "", "", {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AcceptedInput a = AcceptedInputOf(c.field, kParamRev);
        EXPECT_EQ(a.kind, c.kind);
        EXPECT_EQ(a.low, c.low);
        EXPECT_EQ(a.high, c.high);
        EXPECT_EQ(a.counts, c.counts);
        if (c.kind == K::Number || c.kind == K::WholeNumber) {
            EXPECT_TRUE(EncodeValue(a.low, c.field, kParamRev).ok());
            EXPECT_TRUE(EncodeValue(a.high, c.field, kParamRev).ok());
        }
        if (c.pastTop) {
            EXPECT_FALSE(EncodeValue(c.pastTop, c.field, kParamRev).ok());
        }
    }
}

TEST(ValueCodecTest, ByteHelpers)
{
    uint8_t buffer[6] = {9, 9, 9, 9, 9, 9};
    IntToBytesLE(0x12345678u, buffer, 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{0x78, 0x56, 0x34, 0x12, 0x00, 0x00}));
    EXPECT_EQ(BytesToIntLE(buffer), 0x12345678u);
    uint8_t two[2] = {9, 9};
    IntToBytesLE(0x0102u, two, 2); // never writes past a short buffer
    EXPECT_EQ(Bytes(two, two + 2), (Bytes{0x02, 0x01}));

    char out[9] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    const uint8_t in[4] = {0x0A, 0xF0, 0x9B, 0x00};
    BytesToHexText(out, in, 4);
    EXPECT_STREQ(out, "0AF09B00");
    EXPECT_EQ(BytesToHexText(in, 2), "0AF0");
    EXPECT_EQ(BytesToHexText(in, 0), "");
}

class ValueCodecBoxTest : public BoxTest {
protected:
    ~ValueCodecBoxTest() override { ResetValueCodecGlobals(); }
};

TEST_F(ValueCodecBoxTest, WrappersShowTheBoxTheCodecAsksFor)
{
    EXPECT_EQ(DecodeDeviceInfoValue({0x01, 0x2C}, "Unsigned", 0, 16, 0, 0.1f), "30");
    EXPECT_EQ(DecodeDeviceInfoValue({0x35}, "ASCII", 0, 16, 0, 1), "5"); // an answer shorter than its field
    EXPECT_EQ(DecodeDeviceInfoValue({0x12, 0x34, 0x56, 0x78}, "BCD", 0, 32, 0, 1), "");
    ASSERT_EQ(BoxRows(), std::vector<int>{77});
    EXPECT_EQ(prompter_.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);

    prompter_.Clear();
    EXPECT_EQ(DecodeParameterValue({0x03}, Field("Unsigned", 0, 0, 8, 0.5f, 0, 2), kParam), "1.50");
    EXPECT_EQ(EncodeParameterValue("30", Field("Unsigned", 0, 0, 16, 0.1f), kParamRev), (Bytes{0x2C, 0x01}));
    EXPECT_EQ(ParameterEncodedValue, (Bytes{0x2C, 0x01}));
    EXPECT_TRUE(BoxRows().empty());

    EXPECT_TRUE(EncodeParameterValue("-1", Field("Unsigned", 0, 0, 16), kParamRev).empty());
    EXPECT_TRUE(ParameterEncodedValue.empty());
    EXPECT_TRUE(EncodeParameterValue("WTR4S2M0N0K0123456", Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), kParamRev)
                    .empty());
    EXPECT_TRUE(EncodeParameterValue("", Field("ASCII", 0, 0, 136, 1, 0, 0, "F190"), kParamRev).empty());
    EXPECT_EQ(BoxRows(), (std::vector<int>{77, 83}));
    EXPECT_EQ(prompter_.Boxes()[1].icon, tarvel::MsgIcon::None);
}
