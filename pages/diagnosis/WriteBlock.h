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

// The outcome of encoding a record's texts: the block, or the first input
// the encoder refused and why.
struct WriteBlockResult {
    std::vector<uint8_t> block; // empty when an input was refused
    bool refused = false;
    size_t refusedInput = 0; // position in the inputs of the refused one
    int box = 0;             // the encoder's box row (77, 83), 0 for a refusal without a box
};

// Encodes every sub-field in order and builds the block; shows nothing.
// Reserved sub-fields are not encoded (they are zeros whatever their text).
// The first refusal ends the build; an empty identification text is refused
// without a box row. ParameterEncodedValue holds the last encoding's bytes.
WriteBlockResult TryEncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                     bool withChecksum);

// The same, showing the encoder's box (77 or 83, caption 76) for a refusal;
// the block is empty then.
std::vector<uint8_t> EncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                      bool withChecksum);
