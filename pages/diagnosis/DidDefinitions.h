// Data-identifier definition files. Every family (stored parameters, basic
// parameters, monitor channels, lifting axle, connectors, recorder, trips)
// uses one format:
//   <PARAMETER-CONFIGURATION><DID-DEF>
//     <DID DidNumber="F18A" name="..." RWType="R">
//       <SUB SubDataName="..." ByteIndex="0" StartBit="0" BitLenth="8" Conversion="1"
//            Offset="0" DataType="Unsigned" SecurityLeve="0" Unit="" .../>
//     </DID> ...
// and one reader, ReadDidElement, with one overload per family's record type.
// Texts are UTF-8; "8-bit" texts are kept exactly as written.
#pragma once

#include <string>
#include <vector>

#include <tinyxml.h>

// ---- Record types (one DID record and one sub-field record per family) ----

struct _tagStoredDIDdesc_Sub_ {
    std::string SubDataName; // UI text, at most 255 bytes
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;     // "ASCII", "Unsigned", "BCD", "BCD1"
    std::string SecurityLeve; // kept, not interpreted
    std::string Unit;
};

struct _tagABSDIDdesc_Sub_ {
    std::string SubDataName;
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    int DecimalValid = 0;
    std::string Description; // UI text
};

struct _tagMonitorDIDdesc_Sub_ {
    std::string SubDataName;
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    int DecimalValid = 0;
};

struct _tagLiftingAxleDIDdesc_Sub_ {
    std::string SubDataName;
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    int DecimalValid = 0;
    std::string Description;
};

struct _tagConnDIDdesc_Sub_ {
    std::string SubDataID; // 8-bit text, as written
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    std::string Description;
    int DecimalValid = 0;
    std::string Abbreviation; // 8-bit text
};

struct _tagODRDIDdesc_Sub_ {
    std::string SubDataName;
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    std::string Description;
    int DecimalValid = 0;
};

struct _tagODRTRIPINFODIDdesc_Sub_ {
    std::string SubDataName;
    int ByteIndex = 0;
    int StartBit = 0;
    int BitLenth = 0;
    float Conversion = 0.0f;
    float Offset = 0.0f;
    std::string DataType;
    std::string SecurityLeve;
    std::string Unit;
    std::string Description;
    int DecimalValid = 0;
};

// The DID record of a family: number (hex digits as written, e.g. "F18A"),
// display name (UI text, at most 255 bytes), access kind, sub-fields in file order.
template <class Sub>
struct DidRecord {
    using SubField = Sub;
    std::string DidNumber;
    std::string name;
    std::string RWType;
    std::vector<Sub> SubFields;
};

struct _tagStoredDIDdesc_ : DidRecord<_tagStoredDIDdesc_Sub_> {};
struct _tagABSDIDdesc_ : DidRecord<_tagABSDIDdesc_Sub_> {};
struct _tagMonitorDIDdesc_ : DidRecord<_tagMonitorDIDdesc_Sub_> {};
struct _tagLiftingAxleDIDdesc_ : DidRecord<_tagLiftingAxleDIDdesc_Sub_> {};
struct _tagConnDIDdesc_ : DidRecord<_tagConnDIDdesc_Sub_> {};
struct _tagODRDIDdesc_ : DidRecord<_tagODRDIDdesc_Sub_> {};
struct _tagODRTRIPINFODIDdesc_ : DidRecord<_tagODRTRIPINFODIDdesc_Sub_> {};

// ---- Reading ----

// Language rows of the reader's boxes (caption row 76 for all of them).
constexpr int kDefinitionBoxCaptionRow = 76;
constexpr int kDefinitionNotElementRow = 79; // a DID node that is not an element
constexpr int kDefinitionBadSubFieldRow = 80; // a bad sub-field: the DID is dropped

// The element path of the first DID of every definition file.
extern const char* const kDidDefinitionPath; // "PARAMETER-CONFIGURATION/DID-DEF/DID"

// Names and SubDataName are cut to this many bytes (at a character boundary).
constexpr size_t kDefinitionNameLimit = 255;

enum class DidNodeResult {
    NoNode,     // a null node: nothing happened
    NotElement, // a comment or text among the DIDs: box 79/76, skipped
    Dropped,    // a non-element child, a missing attribute, a bad number or a sub-field outside the
                // largest record the transport carries (4095 bytes): box 80/76, not appended
    Appended,   // the record was appended to the table
};

// Reads one DID node into the family's record and appends it to `table`.
// Every attribute the family reads must be present; integers are decimal,
// floats decimal floating point, both parsed strictly.
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagStoredDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagABSDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagMonitorDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagLiftingAxleDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagConnDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagODRDIDdesc_>& table);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagODRTRIPINFODIDdesc_>& table);

// The family entries: thin names over ReadDidElement.
DidNodeResult ReadBasicParameterDidElement(const TiXmlNode* node, std::vector<_tagABSDIDdesc_>& table);
DidNodeResult ReadMonitorDidElement(const TiXmlNode* node, std::vector<_tagMonitorDIDdesc_>& table);
DidNodeResult ReadLiftingAxleDidElement(const TiXmlNode* node, std::vector<_tagLiftingAxleDIDdesc_>& table);
DidNodeResult ReadConnectorsDidElement(const TiXmlNode* node, std::vector<_tagConnDIDdesc_>& table);
// (ReadStoredDidElement, which appends to StoredDidTable, is in StoredParameters.h.)

// Reads every node from the first DID of an already loaded document on
// (kDidDefinitionPath, then every following sibling of whatever kind) and
// appends what loads to `table`. Returns the number of records appended.
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagStoredDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagABSDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagMonitorDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagLiftingAxleDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagConnDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagODRDIDdesc_>& table);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagODRTRIPINFODIDdesc_>& table);

// Loads a definition file named relative to the program folder ('\' or '/'
// separators) and appends its DIDs to `table` (the caller empties the table
// first). A missing or malformed file shows the box `failRow` with caption
// row 76 (OK button) and returns false; the table is not touched then.
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagStoredDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagABSDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagMonitorDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow,
                           std::vector<_tagLiftingAxleDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagConnDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagODRDIDdesc_>& table);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow,
                           std::vector<_tagODRTRIPINFODIDdesc_>& table);

// ---- Reading rules of a family ----

// What the reader above does by default: numbers must be nothing but a number
// (blanks around allowed), names are cut at 255 bytes, Description is not cut.
// The recorder's files read numbers from the start of the attribute and
// ignore the rest, and allow texts of 1023 bytes.
constexpr size_t kRecorderDefinitionTextLimit = 1023;

struct DidReadRules {
    // Read a number from the start of the attribute: optional leading blanks
    // and sign, digits (a real: with point, fraction and exponent); reading
    // stops at the first character that does not fit, the rest is ignored
    // (" 7" and "7abc" give 7, "0x10" gives 0, "2.5mV" gives 2.5). Without
    // leading digits, or out of range, the number is still an error.
    bool leadingNumbers = false;
    size_t nameLimit = kDefinitionNameLimit;     // name and SubDataName, bytes of UTF-8
    size_t descriptionLimit = std::string::npos; // Description
};

// Leading numbers, texts cut at 1023 bytes (at a character boundary).
DidReadRules RecorderDidReadRules();

// The recorder families with explicit rules.
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagODRDIDdesc_>& table, const DidReadRules& rules);
DidNodeResult ReadDidElement(const TiXmlNode* node, std::vector<_tagODRTRIPINFODIDdesc_>& table,
                             const DidReadRules& rules);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagODRDIDdesc_>& table, const DidReadRules& rules);
size_t ReadDidDefinitions(const TiXmlDocument& doc, std::vector<_tagODRTRIPINFODIDdesc_>& table,
                          const DidReadRules& rules);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow, std::vector<_tagODRDIDdesc_>& table,
                           const DidReadRules& rules);
bool LoadDidDefinitionFile(const std::string& relativePath, int failRow,
                           std::vector<_tagODRTRIPINFODIDdesc_>& table, const DidReadRules& rules);

// ---- Per-language file names ----

// base + language suffix + ".xml"; the suffix by language index: 0 "_zh",
// 1 "_en", 2 "_russian", 3 "_spanish", 4 "_portug", any other "_en".
// DefinitionFileName("VADE_MonitorParameterConfig/VADE_MonitorParameter", 0)
//   -> "VADE_MonitorParameterConfig/VADE_MonitorParameter_zh.xml"
std::string DefinitionFileName(const std::string& base, int languageIndex);
// The same for the current LanguageIndex.
std::string DefinitionFileName(const std::string& base);

// Shows one of the definition boxes: text row `row`, caption row 76, OK button.
void ShowDefinitionBox(int row);
