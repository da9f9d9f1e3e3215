// The monitor page's pure rules: the poll period, the rows one DID's answer
// gives, and the lines of a CSV recording.
#pragma once

#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

// The period as the edit holds it after the rule: a value above 9.0 or below
// 1.0 (or no number at all) becomes 1.0; one decimal is kept.
struct Period {
    std::string text; // "%0.1f"
    int32_t ms = 1000;
};
// Nothing for an empty edit.
std::optional<Period> ApplyPeriodRule(const std::string& editText);

// The DID number of a definition as a number (hexadecimal digits); nothing
// for a number that is not one.
std::optional<uint16_t> DidNumberValue(const std::string& didNumber);

// The rows of one DID: one per sub-field, numbered from 1. `record` are the
// bytes after the identifier, of which the first `size` are the ECU's data;
// `record` null (a failed read) gives every row an empty value. A sub-field
// of a type the monitor cannot show gets an empty value and sets
// `unknownType`.
void AppendDidRows(const _tagMonitorDIDdesc_& did, const uint8_t* record, size_t size,
                   std::vector<_tagFillMonitordesc_>& rows, bool& unknownType);

// A CSV cell: cut to 255 bytes (never inside a character), then quoted when
// it holds a comma, a quote or a line break (quotes doubled).
std::string CsvCell(const std::string& text);
// The header line: "<unit>-<name>," per row, then a line feed.
std::string CsvHeaderLine(const std::vector<_tagFillMonitordesc_>& rows);
// One value line: "<value>," per row, then a line feed.
std::string CsvValueLine(const std::vector<_tagFillMonitordesc_>& rows);
// What a recording file starts with, so spreadsheets read it as UTF-8.
extern const char kCsvByteOrderMark[4];

} // namespace monitor
