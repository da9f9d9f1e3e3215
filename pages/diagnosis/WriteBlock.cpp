#include "WriteBlock.h"

#include <algorithm>

namespace {

// A block longer than the largest message the transport carries is never
// sent; fields reaching past it add nothing.
constexpr long long kLargestBlock = 4095;

long long FieldBytes(const WriteBlockField& f) { return f.BitLenth >= 8 ? f.BitLenth / 8 : 1; }

bool Placeable(const WriteBlockField& f)
{
    return f.ByteIndex >= 0 && f.BitLenth > 0 && f.ByteIndex + FieldBytes(f) <= kLargestBlock;
}

} // namespace

bool IsReservedSubField(const std::string& subDataName)
{
    return subDataName == "保留" || subDataName == "---";
}

std::vector<uint8_t> BuildWriteBlock(const std::vector<WriteBlockField>& fields, bool withChecksum)
{
    long long size = 0;
    for (const WriteBlockField& f : fields)
        if (Placeable(f)) size = std::max(size, f.ByteIndex + FieldBytes(f));
    std::vector<uint8_t> block(static_cast<size_t>(size), 0);

    for (const WriteBlockField& f : fields) {
        if (!Placeable(f) || IsReservedSubField(f.SubDataName) || f.encoded.empty()) continue;
        const size_t at = static_cast<size_t>(f.ByteIndex);
        if (f.BitLenth >= 8) {
            const size_t n = std::min(static_cast<size_t>(f.BitLenth / 8), f.encoded.size());
            for (size_t i = 0; i < n; ++i) block[at + i] |= f.encoded[i];
        } else if (f.StartBit >= 0 && f.StartBit < 8) {
            const unsigned mask = (((1u << f.BitLenth) - 1u) << f.StartBit) & 0xFFu;
            block[at] |= static_cast<uint8_t>(f.encoded[0] & mask);
        }
    }

    if (withChecksum && !block.empty()) {
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < block.size(); ++i) sum += block[i];
        block.back() = static_cast<uint8_t>(sum & 0xFFu);
    }
    return block;
}

std::vector<uint8_t> EncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                      bool withChecksum)
{
    std::vector<WriteBlockField> fields;
    fields.reserve(inputs.size());
    for (const WriteBlockInput& in : inputs) {
        WriteBlockField f;
        f.ByteIndex = in.field.ByteIndex;
        f.StartBit = in.field.StartBit;
        f.BitLenth = in.field.BitLenth;
        f.SubDataName = in.SubDataName;
        if (!IsReservedSubField(in.SubDataName)) {
            f.encoded = EncodeParameterValue(in.text, in.field, options);
            if (f.encoded.empty()) return {};
        }
        fields.push_back(std::move(f));
    }
    return BuildWriteBlock(fields, withChecksum);
}
