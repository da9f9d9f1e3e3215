#include "ValueCodec.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "LanguageTable.h"
#include "Prompter.h"

std::vector<uint8_t> ParameterEncodedValue;

void ResetValueCodecGlobals() { ParameterEncodedValue.clear(); }

namespace {

enum class Kind { Ascii, Unsigned, Bcd, Bcd1, Unknown };

Kind KindOf(const std::string& type, const ValueCodecOptions& o)
{
    if (type == "ASCII" && o.acceptAscii) return Kind::Ascii;
    if (type == "Unsigned") return Kind::Unsigned;
    if (type == "BCD" && o.acceptBcd) return Kind::Bcd;
    if (type == "BCD1" && o.acceptBcd1) return Kind::Bcd1;
    return Kind::Unknown;
}

std::string Format(const char* format, double value)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string FormatNumber(float value, const ValueField& f, const ValueCodecOptions& o)
{
    if (o.format == NumberFormat::Rounded) return Format("%0.0f", value);
    static const char* const kFormats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.5f"};
    if (f.DecimalValid < 0 || f.DecimalValid > 5) return "";
    return Format(kFormats[f.DecimalValid], value);
}

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Trimmed(const std::string& s)
{
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    size_t e = s.size();
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A decimal number: optional sign, digits with an optional point (at least
// one digit), optional exponent; blanks around are allowed.
bool ParseNumber(const std::string& text, double& out)
{
    const std::string s = Trimmed(text);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    out = std::strtod(s.c_str(), nullptr);
    return std::isfinite(out);
}

// Only decimal digits, optionally after a '+'; blanks around allowed.
bool ParseSmallUnsigned(const std::string& text, unsigned& out)
{
    const std::string s = Trimmed(text);
    size_t i = (!s.empty() && s[0] == '+') ? 1 : 0;
    if (i == s.size() || s.size() - i > 6) return false;
    unsigned v = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        v = v * 10 + static_cast<unsigned>(s[i] - '0');
    }
    out = v;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hexadecimal digit pairs -> bytes; false when a character is not a digit.
bool HexToBytes(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return true;
}

// Width of a text for the identification rule: a character above 0x7F counts 2.
size_t VinWidth(const std::string& text)
{
    size_t width = 0;
    for (unsigned char c : text) {
        if (c < 0x80)
            width += 1;
        else if ((c & 0xC0) != 0x80)
            width += 2;
    }
    return width;
}

bool IsOneOf(const std::string& s, std::initializer_list<const char*> list)
{
    for (const char* item : list)
        if (s == item) return true;
    return false;
}

EncodedValue Refused(int row = kCodecBadValueRow) { return EncodedValue{{}, row}; }

} // namespace

// ---- Presets ----

ValueCodecOptions DeviceInfoCodecOptions()
{
    ValueCodecOptions o;
    o.unsignedOrder = ByteOrder::MostSignificantFirst;
    o.applyOffset = false;
    o.format = NumberFormat::Rounded;
    o.extractBitFields = false;
    o.acceptBcd = false;
    return o;
}

ValueCodecOptions ParameterCodecOptions(bool recordReversed)
{
    ValueCodecOptions o;
    if (recordReversed) {
        o.unsignedOrder = ByteOrder::LeastSignificantFirst;
        o.reverseAscii = false;
        o.reverseBcd = true;
    } else {
        o.unsignedOrder = ByteOrder::MostSignificantFirst;
        o.reverseAscii = true;
        o.reverseBcd = false;
    }
    return o;
}

ValueCodecOptions MonitorCodecOptions()
{
    ValueCodecOptions o;
    o.unsignedOrder = ByteOrder::LeastSignificantFirst;
    o.scaleInDouble = true;
    o.acceptBcd1 = false;
    o.shortBcdEmpty = true;
    o.monitorSpecials = true;
    return o;
}

ValueCodecOptions LiftingAxleCodecOptions()
{
    ValueCodecOptions o;
    o.unsignedOrder = ByteOrder::LeastSignificantFirst;
    o.reverseAscii = true;
    o.reverseBcd = true;
    return o;
}

ValueCodecOptions SystemTagCodecOptions(int byteIndex)
{
    ValueCodecOptions o;
    o.asciiLimit = 199;
    if (byteIndex == 66) {
        o.unsignedOrder = ByteOrder::MostSignificantFirst;
    } else {
        o.unsignedOrder = ByteOrder::LeastSignificantFirst;
        o.reverseAscii = true;
        o.reverseBcd = true;
    }
    return o;
}

ValueCodecOptions RecorderCodecOptions()
{
    ValueCodecOptions o;
    o.unsignedOrder = ByteOrder::MostSignificantFirst;
    o.acceptAscii = false;
    o.acceptBcd = false;
    o.acceptBcd1 = false;
    return o;
}

// ---- Decoding ----

DecodedValue DecodeValue(const uint8_t* record, size_t size, const ValueField& f, const ValueCodecOptions& o)
{
    const Kind kind = KindOf(f.DataType, o);
    if (kind == Kind::Unknown) return DecodedValue{"", kCodecBadValueRow};

    // How many bytes the field spans in the record.
    size_t count = 0;
    if (f.BitLenth >= 8)
        count = static_cast<size_t>(f.BitLenth / 8);
    else if (f.BitLenth >= 1)
        count = (o.extractBitFields || f.BitLenth == 1) ? 1 : 0;
    const bool zeroByteNumber = kind == Kind::Unsigned && !o.extractBitFields && f.BitLenth >= 1 && f.BitLenth < 8;
    if (count == 0 && !zeroByteNumber) return {};
    if (f.ByteIndex < 0 || (record == nullptr && count > 0)) return {};
    const size_t start = static_cast<size_t>(f.ByteIndex);
    if (start > size) return {};
    if (count > size - start) {
        if (kind != Kind::Ascii || !o.shortTextTaken) return {};
        count = size - start;
    }
    std::vector<uint8_t> bytes(record + start, record + start + count);

    switch (kind) {
    case Kind::Ascii: {
        if (o.reverseAscii) std::reverse(bytes.begin(), bytes.end());
        std::string text;
        for (uint8_t b : bytes) {
            if (b == 0 || text.size() >= o.asciiLimit) break;
            text.push_back(static_cast<char>(b));
        }
        return {text, 0};
    }
    case Kind::Bcd: {
        if (o.reverseBcd) std::reverse(bytes.begin(), bytes.end());
        if (bytes.size() < 4 && o.shortBcdEmpty) return {};
        uint8_t four[4] = {0, 0, 0, 0};
        std::copy_n(bytes.begin(), std::min<size_t>(4, bytes.size()), four);
        return {BytesToHexText(four, 4), 0};
    }
    case Kind::Bcd1:
        if (o.reverseBcd) std::reverse(bytes.begin(), bytes.end());
        return {BytesToHexText(bytes.data(), 1), 0};
    case Kind::Unsigned:
        break;
    case Kind::Unknown:
        return {};
    }

    if (f.BitLenth < 8 && o.extractBitFields) {
        if (f.StartBit < 0 || f.StartBit > 7) return {};
        const unsigned mask = (1u << f.BitLenth) - 1u;
        const unsigned value = (bytes[0] & ((mask << f.StartBit) & 0xFFu)) >> f.StartBit;
        return {std::to_string(value), 0};
    }

    // Numbers: the 4 least significant bytes at most.
    const size_t n = zeroByteNumber ? 0 : std::min<size_t>(4, bytes.size());
    uint32_t raw = 0;
    if (o.unsignedOrder == ByteOrder::MostSignificantFirst) {
        for (size_t i = bytes.size() - n; i < bytes.size(); ++i) raw = (raw << 8) | bytes[i];
    } else {
        for (size_t i = 0; i < n; ++i) raw |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    const float offset = o.applyOffset ? f.Offset : 0.0f;
    float value;
    if (o.scaleInDouble) {
        value = static_cast<float>(static_cast<double>(raw) * static_cast<double>(f.Conversion) +
                                   static_cast<double>(offset));
    } else {
        value = static_cast<float>(static_cast<double>(raw)) * f.Conversion;
        if (o.applyOffset) value = value + offset;
    }
    DecodedValue decoded{FormatNumber(value, f, o), 0, true, value};
    if (o.monitorSpecials) {
        if (IsOneOf(f.DidNumber, {"0092", "F186"})) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(raw));
            decoded.text = hex;
        } else if (IsOneOf(f.DidNumber, {"0051", "0052", "0054"}) && value >= 12.0f) {
            decoded.text = "-";
        }
    }
    return decoded;
}

DecodedValue DecodeValue(const std::vector<uint8_t>& record, const ValueField& field,
                         const ValueCodecOptions& options)
{
    return DecodeValue(record.data(), record.size(), field, options);
}

// ---- Encoding ----

EncodedValue EncodeValue(const std::string& text, const ValueField& f, const ValueCodecOptions& o)
{
    const Kind kind = KindOf(f.DataType, o);
    const size_t n = f.BitLenth >= 8 ? static_cast<size_t>(f.BitLenth / 8) : 0;
    switch (kind) {
    case Kind::Ascii: {
        std::string t = text;
        if (o.vinWidthRule && f.DidNumber == "F190") {
            const size_t width = VinWidth(t);
            if (width == 0) return EncodedValue{{}, 0};
            if (width > static_cast<size_t>(kVinWidth)) return Refused(kCodecVinTooWideRow);
            t.append(static_cast<size_t>(kVinWidth) - width, ' ');
        }
        if (n == 0 || t.size() > n || t.size() > o.asciiLimit) return Refused();
        std::vector<uint8_t> bytes(n, 0);
        std::copy(t.begin(), t.end(), bytes.begin());
        if (o.reverseAscii) std::reverse(bytes.begin(), bytes.end());
        return {bytes, 0};
    }
    case Kind::Unsigned: {
        if (f.BitLenth >= 8) {
            if (n > 4) return Refused();
            double number = 0.0;
            if (!ParseNumber(text, number) || f.Conversion == 0.0f) return Refused();
            const double offset = o.applyOffset ? static_cast<double>(f.Offset) : 0.0;
            // Computed in double, kept as a float, truncated toward zero.
            const float scaled = static_cast<float>((number - offset) / static_cast<double>(f.Conversion));
            if (!std::isfinite(scaled) || scaled < 0.0f) return Refused();
            // A decimal text that stands for a whole raw value ("6.50" with
            // Conversion 0.001) lands a hair below it in binary: such a value is
            // taken as that whole number, so that a value read and written back
            // is the same raw value. Anything further from it is truncated.
            const double nearest = std::round(static_cast<double>(scaled));
            const double whole = std::fabs(static_cast<double>(scaled) - nearest) < 1e-3
                                     ? nearest
                                     : std::trunc(static_cast<double>(scaled));
            const double largest = std::ldexp(1.0, static_cast<int>(8 * n)) - 1.0;
            if (whole > largest) return Refused();
            const uint32_t raw = static_cast<uint32_t>(whole);
            std::vector<uint8_t> bytes(n, 0);
            for (size_t i = 0; i < n; ++i) {
                const size_t shift = o.unsignedOrder == ByteOrder::LeastSignificantFirst ? i : n - 1 - i;
                bytes[i] = static_cast<uint8_t>(raw >> (8 * shift));
            }
            return {bytes, 0};
        }
        if (f.BitLenth >= 1) {
            unsigned value = 0;
            if (!ParseSmallUnsigned(text, value)) return Refused();
            if (f.StartBit < 0 || f.StartBit + f.BitLenth > 8) return Refused();
            if (value >= (1u << f.BitLenth)) return Refused();
            return {{static_cast<uint8_t>(value << f.StartBit)}, 0};
        }
        return Refused();
    }
    case Kind::Bcd: {
        if (n == 0 || (text.size() != 6 && text.size() != 8)) return Refused();
        std::vector<uint8_t> digits;
        if (!HexToBytes(text, digits)) return Refused();
        for (size_t i = n; i < digits.size(); ++i)
            if (digits[i] != 0) return Refused(); // would be cut off
        std::vector<uint8_t> bytes(n, 0);
        std::copy_n(digits.begin(), std::min(n, digits.size()), bytes.begin());
        if (o.reverseBcd) std::reverse(bytes.begin(), bytes.end());
        return {bytes, 0};
    }
    case Kind::Bcd1: {
        std::vector<uint8_t> digit;
        if (text.size() != 2 || !HexToBytes(text, digit)) return Refused();
        std::vector<uint8_t> bytes(std::max<size_t>(1, n), 0);
        bytes[0] = digit[0];
        if (o.reverseBcd) std::reverse(bytes.begin(), bytes.end());
        return {bytes, 0};
    }
    case Kind::Unknown:
        break;
    }
    return Refused();
}

AcceptedInput AcceptedInputOf(const ValueField& f, const ValueCodecOptions& o)
{
    AcceptedInput accepted;
    const Kind kind = KindOf(f.DataType, o);
    const size_t n = f.BitLenth >= 8 ? static_cast<size_t>(f.BitLenth / 8) : 0;
    switch (kind) {
    case Kind::Ascii:
        if (o.vinWidthRule && f.DidNumber == "F190") {
            if (n < static_cast<size_t>(kVinWidth)) return accepted;
            accepted.counts = {static_cast<size_t>(kVinWidth)};
        } else {
            if (n == 0) return accepted;
            accepted.counts = {std::min(n, o.asciiLimit)};
        }
        accepted.kind = AcceptedInput::Kind::Text;
        return accepted;
    case Kind::Unsigned:
        if (f.BitLenth >= 8) {
            if (n > 4 || f.Conversion == 0.0f) return accepted;
            // The raw extremes, scaled as the field shows its values.
            ValueField at = f;
            at.ByteIndex = 0;
            double low = DecodeValue(std::vector<uint8_t>(n, 0x00), at, o).number;
            double high = DecodeValue(std::vector<uint8_t>(n, 0xFF), at, o).number;
            if (low > high) std::swap(low, high);
            // Shown with the field's decimals, rounded inwards so that both
            // ends are values the field takes; a field whose DecimalValid
            // gives no text shows the plain number.
            const bool decimals = o.format == NumberFormat::ByDecimalValid && f.DecimalValid >= 0 && f.DecimalValid <= 5;
            const int places = o.format == NumberFormat::Rounded ? 0 : f.DecimalValid;
            const auto bound = [&](double value, bool up) {
                if (!decimals && o.format != NumberFormat::Rounded) return Format("%g", value);
                const double scale = std::pow(10.0, places);
                const double inward = up ? std::ceil(value * scale - 1e-6) : std::floor(value * scale + 1e-6);
                char buffer[64];
                std::snprintf(buffer, sizeof buffer, "%.*f", places, inward / scale + 0.0); // never "-0"
                return std::string(buffer);
            };
            accepted.low = bound(low, true);
            accepted.high = bound(high, false);
            accepted.kind = AcceptedInput::Kind::Number;
            return accepted;
        }
        if (f.BitLenth >= 1 && f.StartBit >= 0 && f.StartBit + f.BitLenth <= 8) {
            accepted.low = "0";
            accepted.high = std::to_string((1u << f.BitLenth) - 1u);
            accepted.kind = AcceptedInput::Kind::WholeNumber;
        }
        return accepted;
    case Kind::Bcd:
        if (n == 0) return accepted;
        accepted.counts = n >= 4 ? std::vector<size_t>{6, 8} : std::vector<size_t>{6};
        accepted.kind = AcceptedInput::Kind::HexDigits;
        return accepted;
    case Kind::Bcd1:
        accepted.counts = {2};
        accepted.kind = AcceptedInput::Kind::HexDigits;
        return accepted;
    case Kind::Unknown:
        break;
    }
    return accepted;
}

// ---- With boxes ----

namespace {

void ShowCodecBox(int row, tarvel::MsgIcon icon)
{
    if (row != 0) tarvel::ShowMessage(LanguageText(row), LanguageText(kCodecBoxCaptionRow), icon);
}

} // namespace

std::string DecodeDeviceInfoValue(const std::vector<uint8_t>& record, const std::string& DataType, int ByteIndex,
                                  int BitLenth, int StartBit, float Conversion)
{
    ValueField f;
    f.DataType = DataType;
    f.ByteIndex = ByteIndex;
    f.BitLenth = BitLenth;
    f.StartBit = StartBit;
    f.Conversion = Conversion;
    ValueCodecOptions options = DeviceInfoCodecOptions();
    // The ECU may answer a text shorter than its field: it ends where the
    // answer does.
    options.shortTextTaken = true;
    const DecodedValue r = DecodeValue(record, f, options);
    ShowCodecBox(r.box, tarvel::MsgIcon::Exclamation);
    return r.text;
}

std::string DecodeParameterValue(const std::vector<uint8_t>& record, const ValueField& field,
                                 const ValueCodecOptions& options)
{
    const DecodedValue r = DecodeValue(record, field, options);
    ShowCodecBox(r.box, tarvel::MsgIcon::None);
    return r.text;
}

std::vector<uint8_t> EncodeParameterValue(const std::string& text, const ValueField& field,
                                          const ValueCodecOptions& options)
{
    ParameterEncodedValue.clear();
    EncodedValue r = EncodeValue(text, field, options);
    ShowCodecBox(r.box, tarvel::MsgIcon::None);
    ParameterEncodedValue = r.bytes;
    return std::move(r.bytes);
}

// ---- Byte helpers ----

void IntToBytesLE(uint32_t value, uint8_t* buffer, size_t size)
{
    if (!buffer) return;
    std::fill_n(buffer, size, uint8_t{0});
    for (size_t i = 0; i < size && i < 4; ++i) buffer[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t BytesToIntLE(const uint8_t* buffer)
{
    if (!buffer) return 0;
    return static_cast<uint32_t>(buffer[0]) | (static_cast<uint32_t>(buffer[1]) << 8) |
           (static_cast<uint32_t>(buffer[2]) << 16) | (static_cast<uint32_t>(buffer[3]) << 24);
}

void BytesToHexText(char* out, const uint8_t* in, size_t count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    if (!out) return;
    for (size_t i = 0; in && i < count; ++i) {
        *out++ = kDigits[in[i] >> 4];
        *out++ = kDigits[in[i] & 0x0F];
    }
    *out = '\0';
}

std::string BytesToHexText(const uint8_t* in, size_t count)
{
    std::string text(2 * count + 1, '\0');
    BytesToHexText(&text[0], in, count);
    text.resize(2 * count);
    return text;
}
