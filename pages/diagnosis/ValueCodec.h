// The value codec: one set of pure functions that turn the bytes of a DID's
// sub-field into display text and text back into bytes. What differs between
// the pages (byte order of multi-byte numbers, reversed text and BCD fields,
// Offset, number format, special DIDs) is chosen by ValueCodecOptions; the
// presets below give each page's options.
//
// DecodeValue/EncodeValue never show anything: they return the language row
// of the box the caller shows (77, 83), or 0. The wrappers with the pages'
// names show that box through the prompter and return only the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "DidDefinitions.h"

// ---- The sub-field a value belongs to ----

struct ValueField {
    std::string DataType; // "ASCII", "Unsigned", "BCD", "BCD1" (exact)
    int ByteIndex = 0;    // first byte within the DID's data record
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 1.0f;
    float Offset = 0.0f;
    int DecimalValid = 0;
    std::string DidNumber; // the DID's number as written ("F190", "0051", ...)
};

// Builds the ValueField of any family's sub-field record (DecimalValid is 0
// for families without it).
template <class Sub>
ValueField MakeValueField(const Sub& sub, const std::string& didNumber)
{
    ValueField f;
    f.DataType = sub.DataType;
    f.ByteIndex = sub.ByteIndex;
    f.StartBit = sub.StartBit;
    f.BitLenth = sub.BitLenth;
    f.Conversion = sub.Conversion;
    f.Offset = sub.Offset;
    if constexpr (!std::is_same_v<Sub, _tagStoredDIDdesc_Sub_>) f.DecimalValid = sub.DecimalValid;
    f.DidNumber = didNumber;
    return f;
}

// ---- Options ----

enum class ByteOrder {
    MostSignificantFirst,  // 0x12 0x34 -> 0x1234
    LeastSignificantFirst, // 0x34 0x12 -> 0x1234
};

enum class NumberFormat {
    Rounded,        // "%0.0f" whatever DecimalValid says
    ByDecimalValid, // DecimalValid 0..5 -> "%.0f".."%.5f"; any other -> empty text
};

struct ValueCodecOptions {
    // Byte order of multi-byte "Unsigned" fields in the data record.
    ByteOrder unsignedOrder = ByteOrder::MostSignificantFirst;
    // "ASCII" fields stored last character first.
    bool reverseAscii = false;
    // "BCD"/"BCD1" fields stored last byte first.
    bool reverseBcd = false;
    // Whether Offset is added after Conversion (and subtracted when encoding).
    bool applyOffset = true;
    NumberFormat format = NumberFormat::ByDecimalValid;
    // Scale in double precision and keep the result as a float (true), or
    // compute float(raw) * Conversion + Offset in single precision (false).
    bool scaleInDouble = false;
    // "Unsigned" with BitLenth 1..7: extract the bits at StartBit (true), or
    // read BitLenth / 8 = 0 bytes, which gives "0" (false).
    bool extractBitFields = true;
    // Whether "ASCII", "BCD" and "BCD1" are known types (an unknown type gives
    // box 77; "Unsigned" is always known).
    bool acceptAscii = true;
    bool acceptBcd = true;
    bool acceptBcd1 = true;
    // "BCD" fields of fewer than 4 bytes: empty value (true) or padded with
    // 0x00 bytes to 8 digits (false).
    bool shortBcdEmpty = false;
    // At most this many characters of an "ASCII" field are shown.
    size_t asciiLimit = 99;
    // An "ASCII" field that the data ends inside gives the characters that
    // are there (true), or the empty text as any other field (false).
    bool shortTextTaken = false;
    // DID "F190" (vehicle identification): a text is padded with spaces to a
    // width of 17 (characters above 0x7F count 2); an empty text gives an
    // empty result without a box, a wider one box 83.
    bool vinWidthRule = true;
    // DIDs "0051", "0052", "0054": a value of 12.0 or more shows "-";
    // DIDs "0092", "F186": the raw number in lower-case hexadecimal.
    bool monitorSpecials = false;
};

// The device-information page: most significant byte first, no Offset,
// "%0.0f", no bit fields, "BCD" unknown.
ValueCodecOptions DeviceInfoCodecOptions();
// The parameters page. recordReversed: the record whose multi-byte fields the
// page reads reversed ("Calibration Parameters", the identification record,
// the vehicle-configuration reload): numbers least significant byte first,
// text in wire order, BCD last byte first. Otherwise: numbers most
// significant byte first, text last character first, BCD in wire order.
ValueCodecOptions ParameterCodecOptions(bool recordReversed);
// Monitor channels, wherever they are read (monitor page, EOL pressure
// pages): numbers least significant byte first, scaled in double, the
// special DIDs, no "BCD1", short "BCD" empty.
ValueCodecOptions MonitorCodecOptions();
// The lifting-axle block: numbers least significant byte first, text and BCD
// last byte first.
ValueCodecOptions LiftingAxleCodecOptions();
// The system-tag page reading the vehicle-configuration block: numbers least
// significant byte first and text/BCD last byte first, except at byte index
// 66, read most significant byte first; text up to 199 characters.
ValueCodecOptions SystemTagCodecOptions(int byteIndex);

// Recorder information and trip records: numbers most significant byte first
// in single precision; only "Unsigned" is known. A longer trip field gives its
// number from its 4 least significant bytes, as every field does.
ValueCodecOptions RecorderCodecOptions();

// ---- Results ----

constexpr int kCodecBadValueRow = 77;   // unknown type, or a value the field cannot hold
constexpr int kCodecVinTooWideRow = 83; // identification text wider than 17
constexpr int kCodecBoxCaptionRow = 76;
constexpr int kVinWidth = 17;

struct DecodedValue {
    std::string text; // empty on failure or when the field lies past the data
    int box = 0;      // language row of the box to show (caption 76), 0 for none
    // A scaled "Unsigned" number (not a bit field): its value as the text
    // was formed from, also where the text shows "-" or hexadecimal.
    bool hasNumber = false;
    float number = 0.0f;
};

struct EncodedValue {
    std::vector<uint8_t> bytes; // empty when refused
    int box = 0;                // language row of the box to show, 0 for none
    bool ok() const { return !bytes.empty(); }
};

// ---- The codec ----

// Decodes one sub-field of a DID's data record (the bytes after 0x62 and the
// two DID bytes; `size` is what the transport announced minus 3). The field's
// bytes are those from ByteIndex on: BitLenth / 8 of them for 8 bits or more,
// one for a bit field. A field that lies even partly past `size` decodes as
// the empty text, without a box (a text field, with shortTextTaken, as the
// characters before the end). A number longer than 4 bytes is read from
// its 4 least significant bytes.
DecodedValue DecodeValue(const uint8_t* record, size_t size, const ValueField& field,
                         const ValueCodecOptions& options);
DecodedValue DecodeValue(const std::vector<uint8_t>& record, const ValueField& field,
                         const ValueCodecOptions& options);

// Encodes a text into the bytes of one sub-field, in the order they stand in
// the record: BitLenth / 8 bytes, one byte for a bit field (the value shifted
// to StartBit). Refuses with box 77 and no bytes what would change the value:
// an unknown type, non-numeric or empty number text, a negative raw value, a
// value that does not fit the field's bytes or bits, Conversion 0, an
// "Unsigned" field over 4 bytes, a BCD text of other than 6 or 8 hexadecimal
// digits (or one whose digits do not fit the field), a BCD1 text of other
// than 2, an ASCII text longer than the field.
EncodedValue EncodeValue(const std::string& text, const ValueField& field, const ValueCodecOptions& options);

// What a sub-field takes when it is written, so that a refused value can be
// explained: the kind of text and, for numbers, the least and the greatest
// value as the field shows them (DecodeValue of the raw extremes).
struct AcceptedInput {
    enum class Kind {
        Number,      // a decimal number from `low` to `high`
        WholeNumber, // a bit field: a whole number from `low` to `high`
        Text,        // at most counts[0] characters
        HexDigits,   // exactly one of `counts` hexadecimal digits
        Nothing,     // the definition cannot be written (unknown type, Conversion 0, too wide)
    };
    Kind kind = Kind::Nothing;
    std::string low;
    std::string high;
    std::vector<size_t> counts;
};
AcceptedInput AcceptedInputOf(const ValueField& field, const ValueCodecOptions& options);

// ---- The same, showing the box (text row, caption row 76) ----

// The common decode of the device-information page: the data record (as long
// as the ECU announced it), the sub-field's DataType, ByteIndex, BitLenth,
// StartBit and Conversion; a text the record ends inside is taken as far as
// it goes. Unknown types show box 77/76 with the exclamation icon.
std::string DecodeDeviceInfoValue(const std::vector<uint8_t>& record, const std::string& DataType, int ByteIndex,
                                  int BitLenth, int StartBit, float Conversion);

// Decode and encode with a page's options; boxes 77 and 83 are shown with the
// OK button only. EncodeParameterValue also leaves its result in
// ParameterEncodedValue (emptied first, empty after a refusal).
std::string DecodeParameterValue(const std::vector<uint8_t>& record, const ValueField& field,
                                 const ValueCodecOptions& options);
std::vector<uint8_t> EncodeParameterValue(const std::string& text, const ValueField& field,
                                          const ValueCodecOptions& options);

// The result of the last EncodeParameterValue.
extern std::vector<uint8_t> ParameterEncodedValue;
void ResetValueCodecGlobals();

// ---- Byte helpers ----

// Fills `size` bytes with 0x00, then writes `value` least significant byte
// first into the first min(size, 4) of them.
void IntToBytesLE(uint32_t value, uint8_t* buffer, size_t size);
// Bytes 0..3 as a number, least significant byte first.
uint32_t BytesToIntLE(const uint8_t* buffer);
// Two upper-case hexadecimal digits per byte, high nibble first, then a
// terminating zero: `out` must hold 2 * count + 1 characters.
void BytesToHexText(char* out, const uint8_t* in, size_t count);
std::string BytesToHexText(const uint8_t* in, size_t count);
