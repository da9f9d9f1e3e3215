// The definition files that ship in data/, by family, and small helpers the
// data tests share: loading a file with the program's reader, the language
// table's rows, the selector files.
#pragma once

#include <tinyxml.h>

#include <map>
#include <string>
#include <vector>

#include "DidDefinitions.h"

namespace defdata {

// The language suffixes in LanguageIndex order.
inline const std::vector<std::string>& Suffixes()
{
    static const std::vector<std::string> s{"_zh", "_en", "_russian", "_spanish", "_portug"};
    return s;
}

// Per-language definition files, without the suffix and ".xml".
constexpr const char* kStored = "VADE_StoredParameterConfig/VADE_StoredParameter";
constexpr const char* kBasicDefault = "VADE_BasicParameterConfig/VADE_ParameterConfig_default";
constexpr const char* kBasicMapped = "VADE_BasicParameterConfig/VADE_ParameterConfig_C05";
constexpr const char* kMonitor = "VADE_MonitorParameterConfig/VADE_MonitorParameter";
constexpr const char* kLiftingDefault = "VADE_LiftingAxleParameterConfig/VADE_Lifting_Axle_ParameterConfig_default";
constexpr const char* kLiftingMapped = "VADE_LiftingAxleParameterConfig/VADE_Lifting_Axle_ParameterConfig_V02";
constexpr const char* kConnectors = "VADE_ConnectorsConfig/VADE_Connectors_ParameterConfig_03";
constexpr const char* kFaultTable = "VADE_FaultTable/VADE_FailureTable";

inline std::string DataFolder() { return TARVEL_DATA_DIR; }

inline std::string FileOf(const std::string& base, size_t language)
{
    return base + Suffixes().at(language) + ".xml";
}

// Loads a definition file with the program's reader; the caller checks for boxes.
template <class Did>
std::vector<Did> Load(const std::string& relativePath, bool* loaded = nullptr)
{
    std::vector<Did> table;
    const bool ok = LoadDidDefinitionFile(relativePath, 455, table);
    if (loaded)
        *loaded = ok;
    return table;
}

// Every row of a USER-CONFIGURATION/USER-DEF/DID or PARAMETER-CONFIGURATION/
// DID-DEF/DID file as attribute maps, in file order.
inline std::vector<std::map<std::string, std::string>> Rows(const std::string& relativePath)
{
    std::vector<std::map<std::string, std::string>> rows;
    TiXmlDocument doc((DataFolder() + "/" + relativePath).c_str());
    if (!doc.LoadFile(TIXML_ENCODING_UTF8))
        return rows;
    const TiXmlElement* root = doc.RootElement();
    const TiXmlElement* def = root ? root->FirstChildElement() : nullptr;
    for (const TiXmlElement* e = def ? def->FirstChildElement("DID") : nullptr; e; e = e->NextSiblingElement("DID")) {
        std::map<std::string, std::string> row;
        for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next())
            row[a->Name()] = a->Value();
        rows.push_back(row);
    }
    return rows;
}

// Row n of the language table in the language with the given index.
inline std::string LanguageRow(int n, size_t language)
{
    static const char* const kAttributes[] = {"Chinese", "English", "Russian", "Spanish", "Portug"};
    static const auto rows = Rows("LanguageConfig.xml");
    if (n < 0 || size_t(n) >= rows.size())
        return {};
    auto it = rows[size_t(n)].find(kAttributes[language]);
    return it == rows[size_t(n)].end() ? std::string() : it->second;
}

// The rows of the vehicle-configuration record that the equipment flags and
// the system-tag values are derived from, by language-table row.
inline std::vector<int> FlagRows()
{
    std::vector<int> rows{170, 172};
    for (int n = 315; n <= 349; ++n)
        rows.push_back(n);
    for (int n : {360, 364, 416, 417, 418, 419, 420, 569, 579})
        rows.push_back(n);
    for (int n = 599; n <= 622; ++n)
        rows.push_back(n);
    return rows;
}

} // namespace defdata
