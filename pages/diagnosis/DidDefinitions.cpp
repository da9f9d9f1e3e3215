#include "DidDefinitions.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "LanguageTable.h"
#include "Prompter.h"
#include "ProgramPaths.h"
#include "TextCodec.h"
#include "XmlHelpers.h"

const char* const kDidDefinitionPath = "PARAMETER-CONFIGURATION/DID-DEF/DID";

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The text without leading and trailing blanks.
std::string Trimmed(const char* text)
{
    std::string s(text);
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    size_t e = s.size();
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Optional sign, then at least one decimal digit, nothing else (blanks
// around are allowed); the value must fit an int.
bool ParseStrictInt(const char* text, int& out)
{
    const std::string s = Trimmed(text);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == s.size()) return false;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

// A decimal number: optional sign, digits with an optional point (at least
// one digit), optional exponent; finite as a float.
bool ParseStrictFloat(const char* text, float& out)
{
    const std::string s = Trimmed(text);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    const float v = std::strtof(s.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

// Optional leading blanks, optional sign, decimal digits; reading stops at
// the first character that does not fit ("12 mm" gives 12, "0x10" gives 0).
// No digits, or a value outside the int range, is an error.
bool ParseLeadingInt(const char* text, int& out)
{
    const char* p = text;
    while (*p && IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

// Optional leading blanks, optional sign, digits with an optional point and
// fraction, optional exponent; the rest is ignored ("2.5mV" gives 2.5, "1e"
// gives 1). No number, or a value a float cannot hold, is an error.
bool ParseLeadingFloat(const char* text, float& out)
{
    const char* p = text;
    while (*p && IsBlank(*p)) ++p;
    std::string number;
    if (*p == '+' || *p == '-') number.push_back(*p++);
    size_t digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) number.push_back(*p);
    if (*p == '.') {
        number.push_back(*p++);
        for (; *p >= '0' && *p <= '9'; ++p, ++digits) number.push_back(*p);
    }
    if (digits == 0) return false;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (*q >= '0' && *q <= '9') {
            for (; p < q; ++p) number.push_back(*p);
            for (; *p >= '0' && *p <= '9'; ++p) number.push_back(*p);
        }
    }
    errno = 0;
    const double d = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::fabs(d) > 1.0) return false;
    const float v = static_cast<float>(d);
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
std::string CutUtf8(std::string text, size_t limit)
{
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

// Reads the attributes of one element; any missing attribute or bad number
// makes ok() false.
class AttributeReader {
public:
    AttributeReader(const TiXmlElement* element, const DidReadRules& rules) : element_(element), rules_(rules) {}

    // 8-bit text, exactly as written.
    void Raw(const char* name, std::string& out)
    {
        const char* v = element_->Attribute(name);
        if (!v) {
            ok_ = false;
            return;
        }
        out = v;
    }
    // UI text (valid UTF-8), optionally cut to `limit` bytes.
    void Ui(const char* name, std::string& out, size_t limit = std::string::npos)
    {
        const char* v = element_->Attribute(name);
        if (!v) {
            ok_ = false;
            return;
        }
        out = CutUtf8(tarvel::SanitizeUtf8(v), limit);
    }
    void Int(const char* name, int& out)
    {
        const char* v = element_->Attribute(name);
        if (!v || !(rules_.leadingNumbers ? ParseLeadingInt(v, out) : ParseStrictInt(v, out))) ok_ = false;
    }
    void Float(const char* name, float& out)
    {
        const char* v = element_->Attribute(name);
        if (!v || !(rules_.leadingNumbers ? ParseLeadingFloat(v, out) : ParseStrictFloat(v, out))) ok_ = false;
    }
    bool ok() const { return ok_; }

private:
    const TiXmlElement* element_;
    const DidReadRules& rules_;
    bool ok_ = true;
};

// The attributes every family shares, in the file format's reading order:
// (name), ByteIndex, StartBit, BitLenth, Conversion, Offset, DataType,
// SecurityLeve, Unit.
template <class Sub>
void ReadCommon(AttributeReader& r, Sub& s)
{
    r.Int("ByteIndex", s.ByteIndex);
    r.Int("StartBit", s.StartBit);
    r.Int("BitLenth", s.BitLenth);
    r.Float("Conversion", s.Conversion);
    r.Float("Offset", s.Offset);
    r.Raw("DataType", s.DataType);
    r.Raw("SecurityLeve", s.SecurityLeve);
    r.Raw("Unit", s.Unit);
}

bool ReadSub(const TiXmlElement* e, _tagStoredDIDdesc_Sub_& s, const DidReadRules& rules)
{
    AttributeReader r(e, rules);
    r.Ui("SubDataName", s.SubDataName, rules.nameLimit);
    ReadCommon(r, s);
    return r.ok();
}

// Families with DecimalValid and Description (basic parameters, lifting axle,
// recorder, trips).
template <class Sub>
bool ReadSubWithDescription(const TiXmlElement* e, Sub& s, const DidReadRules& rules)
{
    AttributeReader r(e, rules);
    r.Ui("SubDataName", s.SubDataName, rules.nameLimit);
    ReadCommon(r, s);
    r.Int("DecimalValid", s.DecimalValid);
    r.Ui("Description", s.Description, rules.descriptionLimit);
    return r.ok();
}

bool ReadSub(const TiXmlElement* e, _tagABSDIDdesc_Sub_& s, const DidReadRules& rules)
{
    return ReadSubWithDescription(e, s, rules);
}
bool ReadSub(const TiXmlElement* e, _tagLiftingAxleDIDdesc_Sub_& s, const DidReadRules& rules)
{
    return ReadSubWithDescription(e, s, rules);
}
bool ReadSub(const TiXmlElement* e, _tagODRDIDdesc_Sub_& s, const DidReadRules& rules)
{
    return ReadSubWithDescription(e, s, rules);
}
bool ReadSub(const TiXmlElement* e, _tagODRTRIPINFODIDdesc_Sub_& s, const DidReadRules& rules)
{
    return ReadSubWithDescription(e, s, rules);
}

bool ReadSub(const TiXmlElement* e, _tagMonitorDIDdesc_Sub_& s, const DidReadRules& rules)
{
    AttributeReader r(e, rules);
    r.Ui("SubDataName", s.SubDataName, rules.nameLimit);
    ReadCommon(r, s);
    r.Int("DecimalValid", s.DecimalValid);
    return r.ok();
}

bool ReadSub(const TiXmlElement* e, _tagConnDIDdesc_Sub_& s, const DidReadRules& rules)
{
    AttributeReader r(e, rules);
    r.Raw("SubDataID", s.SubDataID);
    ReadCommon(r, s);
    r.Int("DecimalValid", s.DecimalValid);
    r.Ui("Description", s.Description, rules.descriptionLimit);
    r.Raw("Abbreviation", s.Abbreviation);
    return r.ok();
}

// The largest record the transport carries (an ISO-TP message holds at most
// 4095 bytes). A sub-field that reaches past it, or starts before the record,
// is an error of the file: no read or write could ever reach it, and nothing
// may be sized by it.
constexpr long long kLargestRecord = 4095;

template <class Sub>
bool InsideLargestRecord(const Sub& s)
{
    const long long bytes = s.BitLenth >= 8 ? s.BitLenth / 8 : 1;
    return s.ByteIndex >= 0 && static_cast<long long>(s.ByteIndex) + bytes <= kLargestRecord;
}

template <class Did>
DidNodeResult ReadOne(const TiXmlNode* node, std::vector<Did>& table, const DidReadRules& rules = DidReadRules{})
{
    if (!node) return DidNodeResult::NoNode;
    const TiXmlElement* element = node->ToElement();
    if (!element) {
        ShowDefinitionBox(kDefinitionNotElementRow);
        return DidNodeResult::NotElement;
    }
    Did staging;
    AttributeReader r(element, rules);
    r.Raw("DidNumber", staging.DidNumber);
    r.Ui("name", staging.name, rules.nameLimit);
    r.Raw("RWType", staging.RWType);
    if (!r.ok()) {
        ShowDefinitionBox(kDefinitionBadSubFieldRow);
        return DidNodeResult::Dropped;
    }
    for (const TiXmlNode* child = element->FirstChild(); child; child = child->NextSibling()) {
        const TiXmlElement* sub = child->ToElement();
        typename Did::SubField field;
        if (!sub || !ReadSub(sub, field, rules) || !InsideLargestRecord(field)) {
            ShowDefinitionBox(kDefinitionBadSubFieldRow);
            return DidNodeResult::Dropped;
        }
        staging.SubFields.push_back(std::move(field));
    }
    table.push_back(std::move(staging));
    return DidNodeResult::Appended;
}

template <class Did>
size_t ReadAll(const TiXmlDocument& doc, std::vector<Did>& table, const DidReadRules& rules = DidReadRules{})
{
    size_t appended = 0;
    const TiXmlNode* node = FindXmlElementByPath(doc, kDidDefinitionPath);
    for (; node; node = node->NextSibling())
        if (ReadOne(node, table, rules) == DidNodeResult::Appended) ++appended;
    return appended;
}

template <class Did>
bool LoadFile(const std::string& relativePath, int failRow, std::vector<Did>& table,
              const DidReadRules& rules = DidReadRules{})
{
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, tarvel::ProgramDataPath(relativePath))) {
        ShowDefinitionBox(failRow);
        return false;
    }
    ReadAll(doc, table, rules);
    return true;
}

} // namespace

void ShowDefinitionBox(int row)
{
    tarvel::ShowMessage(LanguageText(row), LanguageText(kDefinitionBoxCaptionRow), tarvel::MsgIcon::None);
}

#define TARVEL_DID_FAMILY(Did)                                                                                    \
    DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<Did>& table) { return ReadOne(node, table); } \
    size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<Did>& table) { return ReadAll(doc, table); } \
    bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<Did>& table)             \
    {                                                                                                             \
        return LoadFile(relativePath, failRow, table);                                                            \
    }

TARVEL_DID_FAMILY(_tagStoredDIDdesc_)
TARVEL_DID_FAMILY(_tagABSDIDdesc_)
TARVEL_DID_FAMILY(_tagMonitorDIDdesc_)
TARVEL_DID_FAMILY(_tagLiftingAxleDIDdesc_)
TARVEL_DID_FAMILY(_tagConnDIDdesc_)
TARVEL_DID_FAMILY(_tagODRDIDdesc_)
TARVEL_DID_FAMILY(_tagODRTRIPINFODIDdesc_)

#undef TARVEL_DID_FAMILY

DidReadRules RecorderDidReadRules()
{
    DidReadRules rules;
    rules.leadingNumbers = true;
    rules.nameLimit = kRecorderDefinitionTextLimit;
    rules.descriptionLimit = kRecorderDefinitionTextLimit;
    return rules;
}

#define TARVEL_DID_FAMILY_WITH_RULES(Did)                                                                         \
    DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<Did>& table, const DidReadRules& rules)       \
    {                                                                                                             \
        return ReadOne(node, table, rules);                                                                       \
    }                                                                                                             \
    size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<Did>& table, const DidReadRules& rules)       \
    {                                                                                                             \
        return ReadAll(doc, table, rules);                                                                        \
    }                                                                                                             \
    bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<Did>& table,             \
                               const DidReadRules& rules)                                                         \
    {                                                                                                             \
        return LoadFile(relativePath, failRow, table, rules);                                                     \
    }

TARVEL_DID_FAMILY_WITH_RULES(_tagODRDIDdesc_)
TARVEL_DID_FAMILY_WITH_RULES(_tagODRTRIPINFODIDdesc_)

#undef TARVEL_DID_FAMILY_WITH_RULES

DidNodeResult ReadBasicParameterDidElement(const TiXmlNode* node, std::vector<_tagABSDIDdesc_>& table)
{
    return ReadDidElement(node, table);
}

DidNodeResult ReadMonitorDidElement(const TiXmlNode* node, std::vector<_tagMonitorDIDdesc_>& table)
{
    return ReadDidElement(node, table);
}

DidNodeResult ReadLiftingAxleDidElement(const TiXmlNode* node, std::vector<_tagLiftingAxleDIDdesc_>& table)
{
    return ReadDidElement(node, table);
}

DidNodeResult ReadConnectorsDidElement(const TiXmlNode* node, std::vector<_tagConnDIDdesc_>& table)
{
    return ReadDidElement(node, table);
}

std::string DefinitionFileName(const std::string& base, int languageIndex)
{
    return LanguageFileName(base, languageIndex);
}

std::string DefinitionFileName(const std::string& base) { return LanguageFileName(base); }
