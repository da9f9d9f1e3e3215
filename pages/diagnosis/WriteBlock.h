// The data block of a WriteDataByIdentifier, built positionally: every
// sub-field's encoded bytes are OR-ed in at its ByteIndex, a bit field masked
// to its BitLenth bits at StartBit, into a block that ends with the last
// field's last byte. Sub-fields named "保留" or "---" are reserved and stay
// zero whatever their value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
