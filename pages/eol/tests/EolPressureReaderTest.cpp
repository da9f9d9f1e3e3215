// The pressure pages' decoder and slot rules: the monitor's value for the
// same bytes, "-" from 12.0 bar, no value for fields the decoder does not
// handle or that lie past the answer.
#include "EolPressureReader.h"

#include "ValueCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

_tagMonitorDIDdesc_Sub_ Field(int byteIndex, int bits, float conversion = 0.001f, float offset = 0.0f)
{
    _tagMonitorDIDdesc_Sub_ sub;
    sub.SubDataName = "Brake Pressure Left";
    sub.ByteIndex = byteIndex;
    sub.BitLenth = bits;
    sub.Conversion = conversion;
    sub.Offset = offset;
    sub.DataType = "Unsigned";
    sub.DecimalValid = 2;
    return sub;
}

TEST(EolPressureDecoder, DecodesAsTheMonitorDoesLeastSignificantByteFirst)
{
    struct Case {
        const char* did;
        std::vector<uint8_t> data;
        int byteIndex, bits;
        float conversion, offset;
        bool ok;
        float value;
        const char* text;
    };
    const Case cases[] = {
        // 0x1388 = 5000 mbar, least significant byte first.
        {"0052", {0x88, 0x13, 0x00, 0x00}, 0, 16, 0.001f, 0.0f, true, 5.0f, "5.00"},
        {"0052", {0x00, 0x00, 0xBC, 0x02}, 2, 16, 0.001f, 0.0f, true, 0.7f, "0.70"},
        {"0053", {0xDB, 0x2E}, 0, 16, 0.001f, 0.0f, true, 11.995f, "12.00"}, // below 12.0: a number
        {"0052", {0xE0, 0x2E}, 0, 16, 0.001f, 0.0f, true, 12.0f, "-"},
        {"0053", {0xE0, 0x2E}, 0, 16, 0.001f, 0.0f, true, 12.0f, "-"}, // every pressure, not only the monitor's three
        {"0051", {0x10, 0x27}, 0, 16, 0.001f, 0.0f, true, 10.0f, "10.00"},
        {"0052", {0x64}, 0, 8, 0.05f, 0.0f, true, 5.0f, "5.00"},
        {"0052", {0x01, 0x00, 0x00, 0x00}, 0, 32, 1.0f, -0.5f, true, 0.5f, "0.50"},
        {"0052", {0x88, 0x13, 0x00, 0x00}, 0, 24, 0.001f, 0.0f, true, 5.0f, "5.00"},
        // Past the answer, or widths the decoder does not read.
        {"0052", {0x88}, 0, 16, 0.001f, 0.0f, false, 0.0f, ""},
        {"0052", {0x88, 0x13, 0x00}, 2, 16, 0.001f, 0.0f, false, 0.0f, ""},
        {"0052", {0x88, 0x13}, 0, 4, 0.001f, 0.0f, false, 0.0f, ""},
        {"0052", {0x88, 0x13}, 0, 1, 0.001f, 0.0f, false, 0.0f, ""},
        {"0052", {0x88, 0x13, 0, 0, 0}, 0, 40, 0.001f, 0.0f, false, 0.0f, ""},
        {"0052", {}, 0, 16, 0.001f, 0.0f, false, 0.0f, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.did) + " " + std::to_string(c.bits) + " bits at " + std::to_string(c.byteIndex));
        const auto sub = Field(c.byteIndex, c.bits, c.conversion, c.offset);
        const PressureField field = DecodePressureField(c.data.data(), c.data.size(), sub, c.did);
        EXPECT_EQ(field.ok, c.ok);
        EXPECT_EQ(field.text, c.text);
        if (!c.ok)
            continue;
        EXPECT_FLOAT_EQ(field.value, c.value);
        // The monitor's own decode of the same bytes.
        ValueField monitorField = MakeValueField(sub, c.did);
        const DecodedValue monitor = DecodeValue(c.data.data(), c.data.size(), monitorField, MonitorCodecOptions());
        ASSERT_TRUE(monitor.hasNumber);
        EXPECT_EQ(monitor.number, field.value);
        if (field.text != "-" && monitor.text != "-") {
            EXPECT_EQ(monitor.text, field.text);
        }
    }
}

TEST(EolPressureDecoder, SlotsKeepTheHighestOrLowestReadingOrTakeEach)
{
    auto reading = [](float value) {
        PressureField f;
        f.ok = true;
        f.value = value;
        f.text = std::to_string(value);
        return f;
    };
    PressureSlot high, low, take;
    for (float v : {3.0f, 5.1f, 4.9f}) {
        UpdatePressureSlot(high, reading(v), PressureUpdate::KeepHighest);
        UpdatePressureSlot(low, reading(v), PressureUpdate::KeepLowest);
        UpdatePressureSlot(take, reading(v), PressureUpdate::Take);
    }
    EXPECT_FLOAT_EQ(high.value, 5.1f);
    EXPECT_FLOAT_EQ(low.value, 3.0f);
    EXPECT_FLOAT_EQ(take.value, 4.9f);
    EXPECT_EQ(high.text, std::to_string(5.1f));
    // A field without value changes nothing; an empty slot takes any value.
    EXPECT_FALSE(UpdatePressureSlot(high, PressureField{}, PressureUpdate::Take));
    EXPECT_FLOAT_EQ(high.value, 5.1f);
    PressureSlot empty;
    EXPECT_TRUE(UpdatePressureSlot(empty, reading(9.0f), PressureUpdate::KeepLowest));
    EXPECT_TRUE(empty.has);
}

TEST(EolPressureDecoder, RecordsAreMatchedByTheirHexadecimalNumber)
{
    struct Case {
        const char* text;
        bool ok;
        uint16_t did;
    };
    for (const Case& c : {Case{"0052", true, 0x52}, Case{"52", true, 0x52}, Case{"00a1", true, 0xA1},
                          Case{"F190", true, 0xF190}, Case{"", false, 0}, Case{"0x52", false, 0},
                          Case{"00520", false, 0}, Case{"52 ", false, 0}}) {
        _tagMonitorDIDdesc_ record;
        record.DidNumber = c.text;
        uint16_t did = 0;
        EXPECT_EQ(PressureRecordDid(record, did), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(did, c.did) << c.text;
        }
    }
}

} // namespace
