#include "WriteBlock.h"

#include <algorithm>

#include "LanguageTable.h"
#include "Prompter.h"

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

WriteBlockResult TryEncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                     bool withChecksum)
{
    WriteBlockResult result;
    std::vector<WriteBlockField> fields;
    fields.reserve(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        const WriteBlockInput& in = inputs[i];
        WriteBlockField f;
        f.ByteIndex = in.field.ByteIndex;
        f.StartBit = in.field.StartBit;
        f.BitLenth = in.field.BitLenth;
        f.SubDataName = in.SubDataName;
        if (!IsReservedSubField(in.SubDataName)) {
            EncodedValue encoded = EncodeValue(in.text, in.field, options);
            ParameterEncodedValue = encoded.bytes;
            if (!encoded.ok()) {
                result.refused = true;
                result.refusedInput = i;
                result.box = encoded.box;
                return result;
            }
            f.encoded = std::move(encoded.bytes);
        }
        fields.push_back(std::move(f));
    }
    result.block = BuildWriteBlock(fields, withChecksum);
    return result;
}

std::vector<uint8_t> EncodeWriteBlock(const std::vector<WriteBlockInput>& inputs, const ValueCodecOptions& options,
                                      bool withChecksum)
{
    WriteBlockResult result = TryEncodeWriteBlock(inputs, options, withChecksum);
    if (result.refused && result.box != 0)
        tarvel::ShowMessage(LanguageText(result.box), LanguageText(kCodecBoxCaptionRow), tarvel::MsgIcon::None);
    return std::move(result.block);
}
