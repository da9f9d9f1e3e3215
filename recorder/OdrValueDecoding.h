// Turns the bytes of one recorder sub-field into the text the recorder list,
// the trip browser and the export show. Numbers in the recorder are unsigned
// and most significant byte first; they are scaled in single precision, as
// the ECU's own tools do (FF FF FF FF reads 4294967296). Decoding goes through
// the program's value codec with the recorder's options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RecorderGlobals.h"
#include "ValueCodec.h"

enum class OdrValueVariant {
    Information, // information record: a field's number from its last 4 bytes
    Trip,        // trip record: at most 8 bytes taken, the number from the last 4 of them
};

// The bytes of a sub-field in a record: BitLenth / 8 bytes from ByteIndex (one
// byte for a bit field, BitLenth below 8). Bytes past the end of the record
// are not taken, so a field reaching past the end comes back short (and
// decodes as the empty text).
std::vector<uint8_t> OdrFieldBytes(const std::vector<uint8_t>& record, int ByteIndex, int BitLenth);

// Decodes the bytes of one sub-field without showing anything: the text, and
// box row 77 for a DataType other than "Unsigned" (text empty then).
//  - BitLenth 1..7: the bits from StartBit of the first byte, "%d" (bits above
//    bit 7 are dropped; BitLenth 0 or less gives "0");
//  - BitLenth 8 and more: a big-endian number, times Conversion plus Offset in
//    single precision, with DecimalValid decimals (0..5; any other: empty).
// A field with fewer bytes than BitLenth / 8 decodes as the empty text.
DecodedValue DecodeOdrValueQuiet(OdrValueVariant variant, const std::vector<uint8_t>& fieldBytes,
                                 const std::string& DataType, int BitLenth, int StartBit, float Conversion,
                                 float Offset, int DecimalValid);

// The same, showing box 77 (caption 76, OK button, no icon) for an unknown type.
std::string DecodeOdrValue(OdrValueVariant variant, const std::vector<uint8_t>& fieldBytes,
                           const std::string& DataType, int BitLenth, int StartBit, float Conversion, float Offset,
                           int DecimalValid);

// The SAE J1939 time/date of a trip (8 bytes: seconds x 4, minutes, hours,
// month, day x 4, year - 1985, local minute offset + 125, local hour offset +
// 125) as "YYYY-MM-DD hh:mm:ss" in local time. All zero bytes, or fewer than
// 8 bytes: "0". A date or time that does not exist: the 8 bytes as 16
// upper-case hexadecimal digits. If the local offset carries the time out of
// the years 100..9999, the time without the offset. Only the first 8 bytes of
// a longer field are read.
std::string DecodeJ1939TimeDate(const std::vector<uint8_t>& fieldBytes);

// The value of sub-field `number` (counted from 0) of a record, decoded with
// its definition the way the read sequence does: every information sub-field
// with the information variant; in a trip record the eighth (number 7) as the
// J1939 time/date, the others with the trip variant. The Quiet forms show
// nothing and return the box row with the text; the others show box 77 for an
// unknown type, as DecodeOdrValue.
constexpr size_t kOdrTimeDateField = 7;
DecodedValue DecodeOdrInfoFieldQuiet(const std::vector<uint8_t>& record, const _tagODRDIDdesc_Sub_& sub);
DecodedValue DecodeOdrTripFieldQuiet(const std::vector<uint8_t>& record, const _tagODRTRIPINFODIDdesc_Sub_& sub,
                                     size_t number);
std::string DecodeOdrInfoField(const std::vector<uint8_t>& record, const _tagODRDIDdesc_Sub_& sub);
std::string DecodeOdrTripField(const std::vector<uint8_t>& record, const _tagODRTRIPINFODIDdesc_Sub_& sub,
                               size_t number);

// The trip layout version of a trip reply (its data bytes): byte 0, where 0
// or no byte reads as 1, and a version 2 that is not 56 or 59 bytes long as 1.
int OdrTripLayoutOf(const std::vector<uint8_t>& reply);
// Records shorter than this decode every sub-field from zero bytes.
constexpr size_t kOdrTripMinLength = 52;

// One trip reply as the read sequence decodes it: OdrTripLayoutVersion is set
// from the reply, the definitions of that version are loaded
// (LoadOdrTripParameterConfig, which may show box 460) and every sub-field of
// the first definition becomes a row ("No" = its 1-based position, name,
// value, unit, description); a reply shorter than kOdrTripMinLength decodes as
// zero bytes. No definition gives a trip without rows. `unknownType` is set
// when a sub-field has a DataType that cannot be decoded (its value empty); no
// box is shown for it here.
OdrTrip DecodeOdrTrip(const std::vector<uint8_t>& reply, bool& unknownType);
