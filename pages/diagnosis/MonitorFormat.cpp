#include "MonitorFormat.h"

#include "ValueCodec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace monitor {

const char kCsvByteOrderMark[4] = "\xEF\xBB\xBF";

namespace {
constexpr size_t kCsvCellLimit = 255;

std::string Format1(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%0.1f", value);
    return buffer;
}
} // namespace

std::optional<Period> ApplyPeriodRule(const std::string& editText)
{
    if (editText.empty())
        return std::nullopt;
    char* end = nullptr;
    double p = std::strtod(editText.c_str(), &end);
    if (end == editText.c_str() || !std::isfinite(p))
        p = 0.0;
    if (p > 9.0 || p < 1.0)
        p = 1.0;
    // Shown with one decimal and read back, so the wait is what the edit shows.
    Period period;
    period.text = Format1(p);
    const double shown = std::strtod(period.text.c_str(), nullptr);
    period.ms = static_cast<int32_t>(std::lround(shown * 10.0) * 100);
    return period;
}

std::optional<uint16_t> DidNumberValue(const std::string& didNumber)
{
    if (didNumber.empty() || didNumber.size() > 4)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(didNumber.c_str(), &end, 16);
    if (*end != '\0')
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

void AppendDidRows(const _tagMonitorDIDdesc_& did, const uint8_t* record, size_t size,
                   std::vector<_tagFillMonitordesc_>& rows, bool& unknownType)
{
    static const ValueCodecOptions options = MonitorCodecOptions();
    int number = 1;
    for (const auto& sub : did.SubFields) {
        _tagFillMonitordesc_ row;
        row.Number = std::to_string(number++);
        row.SubDataName = sub.SubDataName;
        row.Unit = sub.Unit;
        if (record) {
            const DecodedValue value = DecodeValue(record, size, MakeValueField(sub, did.DidNumber), options);
            if (value.box == kCodecBadValueRow)
                unknownType = true;
            else
                row.Value = value.text;
        }
        rows.push_back(std::move(row));
    }
}

std::string CsvCell(const std::string& text)
{
    std::string cell = text.substr(0, kCsvCellLimit);
    if (cell.size() < text.size()) {
        // Back off to the first byte of a character.
        size_t end = cell.size();
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        cell.resize(end);
    }
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvHeaderLine(const std::vector<_tagFillMonitordesc_>& rows)
{
    std::string line;
    for (const auto& row : rows)
        line += CsvCell(row.Unit + "-" + row.SubDataName) + ",";
    line += "\n";
    return line;
}

std::string CsvValueLine(const std::vector<_tagFillMonitordesc_>& rows)
{
    std::string line;
    for (const auto& row : rows)
        line += CsvCell(row.Value) + ",";
    line += "\n";
    return line;
}

} // namespace monitor
