#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "OdrValueDecoding.h"
#include "RecorderTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using recorder_test::RecorderBoxTest;

struct DecodeCase {
    const char* what;
    OdrValueVariant variant;
    Bytes bytes;
    int bitLenth;
    int startBit;
    float conversion;
    float offset;
    int decimalValid;
    const char* expected;
};

constexpr auto kInfo = OdrValueVariant::Information;
constexpr auto kTrip = OdrValueVariant::Trip;

class OdrValueDecodingTest : public RecorderBoxTest {};

TEST_F(OdrValueDecodingTest, UnsignedNumbersAndBitFields)
{
    const DecodeCase cases[] = {
        {"01 2C x 0.1", kInfo, {0x01, 0x2C}, 16, 0, 0.1f, 0.0f, 1, "30.0"},
        {"01 2C x 0.1, trip", kTrip, {0x01, 0x2C}, 16, 0, 0.1f, 0.0f, 1, "30.0"},
        {"FF FF FF FF in single precision", kInfo, {0xFF, 0xFF, 0xFF, 0xFF}, 32, 0, 1.0f, 0.0f, 0, "4294967296"},
        {"16777217 loses its last digit", kInfo, {0x01, 0x00, 0x00, 0x01}, 32, 0, 1.0f, 0.0f, 0, "16777216"},
        {"offset after the factor", kInfo, {0x5A}, 8, 0, 1.0f, -40.0f, 0, "50"},
        {"factor and offset", kTrip, {0x00, 0x64}, 16, 0, 0.5f, 1.0f, 2, "51.00"},
        {"five decimals", kInfo, {0x01}, 8, 0, 0.5f, 0.0f, 5, "0.50000"},
        {"DecimalValid 6 gives nothing", kInfo, {0x01, 0x2C}, 16, 0, 0.1f, 0.0f, 6, ""},
        {"DecimalValid -1 gives nothing", kInfo, {0x01, 0x2C}, 16, 0, 0.1f, 0.0f, -1, ""},
        {"12 bits take one byte", kInfo, {0x12, 0x34}, 12, 0, 1.0f, 0.0f, 0, "18"},
        {"bit field B4 from bit 2, 3 bits", kInfo, {0xB4}, 3, 2, 1.0f, 0.0f, 0, "5"},
        {"bit field B4 from bit 6 keeps bits 6 and 7", kInfo, {0xB4}, 3, 6, 1.0f, 0.0f, 0, "2"},
        {"bit field ignores factor, offset, decimals", kTrip, {0xB4}, 3, 2, 10.0f, 5.0f, 3, "5"},
        {"one-bit field", kTrip, {0x0B}, 1, 1, 1.0f, 0.0f, 0, "1"},
        {"BitLenth 0 masks everything", kInfo, {0xFF}, 0, 0, 1.0f, 0.0f, 0, "0"},
        {"StartBit 8 masks everything", kInfo, {0xFF}, 3, 8, 1.0f, 0.0f, 0, "0"},
        {"information field of 6 bytes: its last 4", kInfo, {0x11, 0x22, 0x00, 0x00, 0x01, 0x00}, 48, 0, 1.0f,
         0.0f, 0, "256"},
        {"trip field of 8 bytes: its last 4", kTrip, {0x11, 0x22, 0x33, 0x44, 0x00, 0x00, 0x01, 0x00}, 64, 0, 1.0f,
         0.0f, 0, "256"},
        {"trip field of 12 bytes: the last 4 of its first 8", kTrip,
         {0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0x00, 0x00, 0x05, 0xEE, 0xEE, 0xEE, 0xEE}, 96, 0, 1.0f, 0.0f, 0, "5"},
        {"information field of 12 bytes: its last 4", kInfo,
         {0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x01, 0x02}, 96, 0, 1.0f, 0.0f, 0, "258"},
        {"fewer bytes than the field needs", kInfo, {0x01, 0x2C}, 32, 0, 1.0f, 0.0f, 0, ""},
        {"no byte for a bit field", kTrip, {}, 3, 2, 1.0f, 0.0f, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeOdrValue(c.variant, c.bytes, "Unsigned", c.bitLenth, c.startBit, c.conversion, c.offset,
                                 c.decimalValid),
                  c.expected);
    }
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrValueDecodingTest, OnlyUnsignedIsDecodedEveryOtherTypeShowsBox77)
{
    const char* const types[] = {"Signed", "unsigned", "Unsigned ", "ASCII", "BCD", "BCD1", ""};
    for (const char* type : types) {
        SCOPED_TRACE(type);
        prompter_.Clear();
        EXPECT_EQ(DecodeOdrValue(kInfo, {0x01, 0x2C}, type, 16, 0, 1.0f, 0.0f, 0), "");
        EXPECT_EQ(DecodeOdrValue(kTrip, {0xB4}, type, 3, 2, 1.0f, 0.0f, 0), "");
        EXPECT_EQ(BoxRows(), (std::vector<int>{77, 77}));
        const DecodedValue quiet = DecodeOdrValueQuiet(kInfo, {0x01, 0x2C}, type, 16, 0, 1.0f, 0.0f, 0);
        EXPECT_EQ(quiet.text, "");
        EXPECT_EQ(quiet.box, 77);
        EXPECT_EQ(prompter_.Boxes().size(), 2u);
    }
}

struct TimeCase {
    const char* what;
    Bytes bytes;
    const char* expected;
};

TEST_F(OdrValueDecodingTest, J1939TimeDate)
{
    const TimeCase cases[] = {
        {"local hour offset +2", {0x28, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7F}, "2023-06-15 14:30:10"},
        {"over the year end", {0x28, 0x1E, 0x17, 0x0C, 0x7C, 0x26, 0x7D, 0x7F}, "2024-01-01 01:30:10"},
        {"month 0", {0x28, 0x1E, 0x0C, 0x00, 0x3C, 0x26, 0x7D, 0x7F}, "281E0C003C267D7F"},
        {"all zero", {0, 0, 0, 0, 0, 0, 0, 0}, "0"},
        {"day 0", {0x28, 0x1E, 0x0C, 0x06, 0x00, 0x26, 0x7D, 0x7F}, "281E0C0600267D7F"},
        {"day byte 3 is day 1", {0x28, 0x1E, 0x0C, 0x06, 0x03, 0x26, 0x7D, 0x7D}, "2023-06-01 12:30:10"},
        {"negative hour offset back over midnight", {0x28, 0x1E, 0x01, 0x06, 0x3C, 0x26, 0x7D, 0x7A},
         "2023-06-14 22:30:10"},
        {"negative minute offset back over a year end", {0x00, 0x0A, 0x00, 0x01, 0x01, 0x27, 0x5F, 0x7D},
         "2023-12-31 23:40:00"},
        {"into a leap day", {0x00, 0x00, 0x17, 0x02, 0x6D, 0x27, 0x7D, 0x7F}, "2024-02-29 01:00:00"},
        {"29 February of a common year", {0x00, 0x00, 0x0C, 0x02, 0x71, 0x26, 0x7D, 0x7D}, "00000C0271267D7D"},
        {"second 60", {0xF0, 0x00, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7D}, "F0000C063C267D7D"},
        {"hour 24", {0x00, 0x00, 0x18, 0x06, 0x3C, 0x26, 0x7D, 0x7D}, "000018063C267D7D"},
        {"minute 60", {0x00, 0x3C, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7D}, "003C0C063C267D7D"},
        {"quarter seconds are cut", {0x2B, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7D}, "2023-06-15 12:30:10"},
        {"fewer than 8 bytes", {0x28, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D}, "0"},
        {"no bytes", {}, "0"},
        {"only the first 8 of a longer field", {0x28, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7F, 0xFF},
         "2023-06-15 14:30:10"},
    };
    // No time zone or daylight saving changes a result.
    const char* const zones[] = {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"};
    for (const char* zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(zone) + ": " + c.what);
            EXPECT_EQ(DecodeJ1939TimeDate(c.bytes), c.expected);
        }
    }
    unsetenv("TZ");
    tzset();
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrValueDecodingTest, FieldsAreCutFromTheRecordAndTheEighthTripFieldIsTheTimeDate)
{
    const Bytes record{0x00, 0x01, 0x2C, 0xB4, 0x28, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7F};
    EXPECT_EQ(OdrFieldBytes(record, 1, 16), (Bytes{0x01, 0x2C}));
    EXPECT_EQ(OdrFieldBytes(record, 3, 3), (Bytes{0xB4}));
    EXPECT_EQ(OdrFieldBytes(record, 3, 0), (Bytes{0xB4}));
    EXPECT_EQ(OdrFieldBytes(record, 10, 32), (Bytes{0x7D, 0x7F})); // cut at the end of the record
    EXPECT_TRUE(OdrFieldBytes(record, 12, 8).empty());
    EXPECT_TRUE(OdrFieldBytes(record, -1, 8).empty());

    _tagODRTRIPINFODIDdesc_Sub_ time;
    time.ByteIndex = 4;
    time.BitLenth = 64;
    time.DataType = "Unsigned";
    time.Conversion = 1.0f;
    EXPECT_EQ(DecodeOdrTripField(record, time, 7), "2023-06-15 14:30:10");
    // Any other position decodes the same bytes as a number (their last 4).
    EXPECT_EQ(DecodeOdrTripField(record, time, 6), "1009155456"); // 0x3C267D7F in single precision

    _tagODRDIDdesc_Sub_ scaled;
    scaled.ByteIndex = 1;
    scaled.BitLenth = 16;
    scaled.DataType = "Unsigned";
    scaled.Conversion = 0.1f;
    scaled.DecimalValid = 1;
    EXPECT_EQ(DecodeOdrInfoField(record, scaled), "30.0");
    scaled.ByteIndex = 11; // reaches past the end of the record
    EXPECT_EQ(DecodeOdrInfoField(record, scaled), "");
    EXPECT_TRUE(BoxRows().empty());
}

} // namespace
