// The pieces of the system tag's read: the decode of one field of the ECU's
// vehicle-configuration block (through the value codec's system-tag options),
// the rows a block gives, and the copy of a row's value into the plate field
// its name stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DidDefinitions.h"
#include "ReportGlobals.h"
#include "ValueCodec.h"

// The byte whose multi-byte fields are stored most significant byte first and
// whose short or zero values the list leaves empty.
constexpr int kSystemTagSpecialByte = 66;

// Language rows of the read's boxes.
constexpr int kSystemTagReadFailedRow = 82;
constexpr int kSystemTagErrorCaptionRow = 76;
// Report row of the ABS configuration "none".
constexpr int kSystemTagNoAbsConfigurationPdfRow = 24;

// One field of the block as text, with the system-tag options for its byte
// (numbers least significant byte first, text and BCD stored last byte first,
// except at byte 66). `size` is what the ECU sent; a field past it decodes
// empty. An unknown type shows box 77/76 (OK only) and gives the empty text.
std::string DecodeSystemTagValue(const uint8_t* record, size_t size, const ValueField& field);

// Two upper-case hexadecimal digits per byte and a terminating zero.
inline void BytesToHex(char* out, const uint8_t* in, size_t count) { BytesToHexText(out, in, count); }

// The rows of one block: one per sub-field of `subFields`, in their order,
// numbered from "4"; a field at byte 66 whose value is "0" or whose length is
// 8 bits or less shows empty. Each row passes through SystemTagScratchRow.
std::vector<_tagSystemTagFilldesc_> SystemTagRowsFromBlock(const uint8_t* record, size_t size,
                                                          const std::vector<_tagABSDIDdesc_Sub_>& subFields);

// Copies `value` into the plate field whose language row (LanguageTable) the
// parameter `name` equals; a name that matches none changes nothing. The ABS
// configuration is stored as its word ("0" -> report row 24, "1" "2S2M",
// "2" "4S2M", "3" "4S3M"; other values leave it as it was).
void MapSystemTagFields(std::string name, std::string value);

// Empties every plate field that a read of the ECU fills (all but the
// manufacturer, the type and the VIN), so that one plate never mixes two reads.
void ClearEcuPlateFields();
