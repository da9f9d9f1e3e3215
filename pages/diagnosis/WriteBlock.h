// The data block of a WriteDataByIdentifier, built positionally: every
// sub-field's encoded bytes are OR-ed in at its ByteIndex, a bit field masked
// to its BitLenth bits at StartBit, into a block that ends with the last
// field's last byte. Sub-fields named "保留" or "---" are reserved and stay
// zero whatever their value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ValueCodec.h"

struct WriteBlockField {
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    std::string SubDataName;
    std::vector<uint8_t> encoded; // the field's bytes as EncodeValue gave them
};

// True for the reserved names "保留" and "---".
bool IsReservedSubField(const std::string& subDataName);

// The block. A field with a negative ByteIndex or a BitLenth of 0 or less
// adds nothing. withChecksum: the last byte becomes the sum of all the
// others modulo 256 (an empty block stays empty).
std::vector<uint8_t> BuildWriteBlock(const std::vector<WriteBlockField>& fields, bool withChecksum);

// One sub-field of a record to write and the text the user gave it.
struct WriteBlockInput {
    ValueField field;
    std::string SubDataName;
    std::string text;
};

// Encodes every sub-field in order with EncodeParameterValue and builds the
// block. Reserved sub-fields are not encoded (they are zeros whatever their
// text). The first refusal has shown its box (77 or 83) and ends the build
// with an empty block; so does an empty identification text, without a box.
std::vector<uint8_t> EncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                      bool withChecksum);
