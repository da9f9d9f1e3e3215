#include "OdrValueDecoding.h"

#include <algorithm>
#include <cstdio>

#include "LanguageTable.h"
#include "OdrDefinitions.h"
#include "Prompter.h"

namespace {

// ---- Civil calendar (proleptic Gregorian), independent of any time zone ----

bool IsLeapYear(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(long long year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a civil date (month 1..12, day 1..31).
long long DaysFromCivil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;                                   // 0..399
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1; // 0..365
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // 0..146096
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, long long& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

struct DateTime {
    long long year;
    int month, day, hour, minute, second;
};

bool IsValid(const DateTime& t)
{
    return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
           t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

DateTime AddMinutes(const DateTime& t, long long minutes)
{
    const long long seconds =
        DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL + t.minute * 60LL + t.second + minutes * 60;
    const long long days = FloorDiv(seconds, 86400);
    const long long rest = seconds - days * 86400;
    DateTime r{};
    CivilFromDays(days, r.year, r.month, r.day);
    r.hour = static_cast<int>(rest / 3600);
    r.minute = static_cast<int>(rest / 60 % 60);
    r.second = static_cast<int>(rest % 60);
    return r;
}

std::string Format(const DateTime& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

} // namespace

std::vector<uint8_t> OdrFieldBytes(const std::vector<uint8_t>& record, int ByteIndex, int BitLenth)
{
    if (ByteIndex < 0 || static_cast<size_t>(ByteIndex) >= record.size()) return {};
    const size_t count = BitLenth >= 8 ? static_cast<size_t>(BitLenth / 8) : 1;
    const size_t start = static_cast<size_t>(ByteIndex);
    const size_t end = start + std::min(count, record.size() - start);
    return std::vector<uint8_t>(record.begin() + static_cast<std::ptrdiff_t>(start),
                                record.begin() + static_cast<std::ptrdiff_t>(end));
}

DecodedValue DecodeOdrValueQuiet(OdrValueVariant variant, const std::vector<uint8_t>& fieldBytes,
                                 const std::string& DataType, int BitLenth, int StartBit, float Conversion,
                                 float Offset, int DecimalValid)
{
    const ValueCodecOptions options = RecorderCodecOptions();
    ValueField f;
    f.DataType = DataType;
    f.ByteIndex = 0;
    f.StartBit = StartBit;
    f.BitLenth = BitLenth;
    f.Conversion = Conversion;
    f.Offset = Offset;
    f.DecimalValid = DecimalValid;
    size_t size = fieldBytes.size();

    if (BitLenth < 8 && (BitLenth <= 0 || StartBit >= 8)) {
        // A bit field whose mask is empty (no bits, or all of them above bit
        // 7) reads 0 from whatever byte it has.
        if (DataType != "Unsigned") return DecodedValue{"", kCodecBadValueRow};
        return fieldBytes.empty() ? DecodedValue{} : DecodedValue{"0", 0};
    }
    if (BitLenth >= 8) {
        const size_t count = static_cast<size_t>(BitLenth / 8);
        if (DataType == "Unsigned" && size < count) return {};
        if (variant == OdrValueVariant::Trip && count > 8) {
            // A trip field gives at most its first 8 bytes; the number is the
            // last 4 of those.
            f.BitLenth = 64;
            size = 8;
        }
    }
    return DecodeValue(fieldBytes.data(), size, f, options);
}

std::string DecodeOdrValue(OdrValueVariant variant, const std::vector<uint8_t>& fieldBytes,
                           const std::string& DataType, int BitLenth, int StartBit, float Conversion, float Offset,
                           int DecimalValid)
{
    const DecodedValue r =
        DecodeOdrValueQuiet(variant, fieldBytes, DataType, BitLenth, StartBit, Conversion, Offset, DecimalValid);
    if (r.box != 0)
        tarvel::ShowMessage(LanguageText(r.box), LanguageText(kCodecBoxCaptionRow), tarvel::MsgIcon::None);
    return r.text;
}

std::string DecodeJ1939TimeDate(const std::vector<uint8_t>& fieldBytes)
{
    if (fieldBytes.size() < 8) return "0";
    const uint8_t* b = fieldBytes.data();
    if (std::all_of(b, b + 8, [](uint8_t x) { return x == 0; })) return "0";

    DateTime t{};
    t.second = b[0] / 4; // 0.25 s per bit, whole seconds
    t.minute = b[1];
    t.hour = b[2];
    t.month = b[3];
    t.day = (b[4] + 3) / 4; // 0.25 day per bit, offset 0.75
    t.year = b[5] + 1985;
    const int minuteOffset = b[6] - 125;
    const int hourOffset = b[7] - 125;
    if (!IsValid(t)) return BytesToHexText(b, 8);

    const DateTime local = AddMinutes(t, hourOffset * 60LL + minuteOffset);
    return Format(IsValid(local) ? local : t);
}

DecodedValue DecodeOdrInfoFieldQuiet(const std::vector<uint8_t>& record, const _tagODRDIDdesc_Sub_& sub)
{
    return DecodeOdrValueQuiet(OdrValueVariant::Information, OdrFieldBytes(record, sub.ByteIndex, sub.BitLenth),
                               sub.DataType, sub.BitLenth, sub.StartBit, sub.Conversion, sub.Offset, sub.DecimalValid);
}

DecodedValue DecodeOdrTripFieldQuiet(const std::vector<uint8_t>& record, const _tagODRTRIPINFODIDdesc_Sub_& sub,
                                     size_t number)
{
    const std::vector<uint8_t> bytes = OdrFieldBytes(record, sub.ByteIndex, sub.BitLenth);
    if (number == kOdrTimeDateField)
        return DecodedValue{DecodeJ1939TimeDate(bytes), 0};
    return DecodeOdrValueQuiet(OdrValueVariant::Trip, bytes, sub.DataType, sub.BitLenth, sub.StartBit, sub.Conversion,
                               sub.Offset, sub.DecimalValid);
}

namespace {

std::string Shown(const DecodedValue& r)
{
    if (r.box != 0)
        tarvel::ShowMessage(LanguageText(r.box), LanguageText(kCodecBoxCaptionRow), tarvel::MsgIcon::None);
    return r.text;
}

} // namespace

std::string DecodeOdrInfoField(const std::vector<uint8_t>& record, const _tagODRDIDdesc_Sub_& sub)
{
    return Shown(DecodeOdrInfoFieldQuiet(record, sub));
}

std::string DecodeOdrTripField(const std::vector<uint8_t>& record, const _tagODRTRIPINFODIDdesc_Sub_& sub,
                               size_t number)
{
    return Shown(DecodeOdrTripFieldQuiet(record, sub, number));
}

int OdrTripLayoutOf(const std::vector<uint8_t>& reply)
{
    int version = reply.empty() || reply[0] == 0 ? 1 : reply[0];
    if (version == 2 && reply.size() != 56 && reply.size() != 59)
        version = 1;
    return version;
}

OdrTrip DecodeOdrTrip(const std::vector<uint8_t>& reply, bool& unknownType)
{
    OdrTripLayoutVersion = OdrTripLayoutOf(reply);
    LoadOdrTripParameterConfig();
    const std::vector<uint8_t> source = reply.size() >= kOdrTripMinLength ? reply : std::vector<uint8_t>(100, 0);
    OdrTrip trip;
    if (OdrTripDidTable.empty())
        return trip;
    const auto& subs = OdrTripDidTable[0].SubFields;
    for (size_t j = 0; j < subs.size(); ++j) {
        const auto& sub = subs[j];
        OdrTripRow.No = std::to_string(j + 1);
        OdrTripRow.ParameterName = sub.SubDataName;
        const DecodedValue decoded = DecodeOdrTripFieldQuiet(source, sub, j);
        unknownType = unknownType || decoded.box != 0;
        OdrTripRow.Value = decoded.text;
        OdrTripRow.Unit = sub.Unit;
        OdrTripRow.Description = sub.Description;
        trip.push_back(OdrTripRow);
    }
    return trip;
}
