#include "OdrDefinitions.h"

#include <map>
#include <vector>

#include "LanguageTable.h"
#include "RecorderGlobals.h"

namespace {

const char* const kOdrInfoFileBase = "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig";
const char* const kOdrTripFileBase = "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_";

// The trip tables loaded during the read that is running, by layout version;
// a failed load is kept as an empty table.
bool tripReadRunning = false;
std::map<int, std::vector<_tagODRTRIPINFODIDdesc_>> tripTablesOfRead;

// Keeps the working records equal to what the last parse produced.
template <class Did, class Sub>
void RememberWork(const std::vector<Did>& table, DidNodeResult result, Did& work, Sub& subWork)
{
    work.SubFields.clear();
    if (result != DidNodeResult::Appended) return;
    work = table.back();
    if (!work.SubFields.empty()) subWork = work.SubFields.back();
}

} // namespace

std::string OdrInfoFileName(int languageIndex) { return LanguageFileName(kOdrInfoFileBase, languageIndex); }

std::string OdrTripFileName(int layoutVersion, int languageIndex)
{
    return LanguageFileName(kOdrTripFileBase + std::to_string(layoutVersion), languageIndex);
}

void LoadOdrParameterConfig()
{
    OdrInfoDidTable.clear();
    std::vector<_tagODRDIDdesc_> loaded;
    if (!LoadDidDefinitionFile(OdrInfoFileName(LanguageIndex), kOdrInfoFileFailRow, loaded, RecorderDidReadRules()))
        return;
    OdrInfoDidTable = std::move(loaded);
    if (!OdrInfoDidTable.empty()) {
        OdrInfoDidWork = OdrInfoDidTable.back();
        if (!OdrInfoDidWork.SubFields.empty()) OdrInfoSubWork = OdrInfoDidWork.SubFields.back();
    }
}

void LoadOdrTripParameterConfig()
{
    OdrTripDidTable.clear();
    if (tripReadRunning) {
        const auto kept = tripTablesOfRead.find(OdrTripLayoutVersion);
        if (kept != tripTablesOfRead.end()) {
            OdrTripDidTable = kept->second;
            return;
        }
    }
    std::vector<_tagODRTRIPINFODIDdesc_> loaded;
    const bool ok = LoadDidDefinitionFile(OdrTripFileName(OdrTripLayoutVersion, LanguageIndex), kOdrTripFileFailRow,
                                          loaded, RecorderDidReadRules());
    if (ok) OdrTripDidTable = std::move(loaded);
    if (!OdrTripDidTable.empty()) {
        OdrTripDidWork = OdrTripDidTable.back();
        if (!OdrTripDidWork.SubFields.empty()) OdrTripSubWork = OdrTripDidWork.SubFields.back();
    }
    if (tripReadRunning) tripTablesOfRead[OdrTripLayoutVersion] = OdrTripDidTable;
}

void BeginOdrTripRead()
{
    tripTablesOfRead.clear();
    tripReadRunning = true;
}

void EndOdrTripRead()
{
    tripTablesOfRead.clear();
    tripReadRunning = false;
}

DidNodeResult ParseOdrDidElement(const TiXmlNode* node)
{
    const DidNodeResult r = ReadDidElement(node, OdrInfoDidTable, RecorderDidReadRules());
    if (r != DidNodeResult::NoNode) RememberWork(OdrInfoDidTable, r, OdrInfoDidWork, OdrInfoSubWork);
    return r;
}

DidNodeResult ParseOdrTripDidElement(const TiXmlNode* node)
{
    const DidNodeResult r = ReadDidElement(node, OdrTripDidTable, RecorderDidReadRules());
    if (r != DidNodeResult::NoNode) RememberWork(OdrTripDidTable, r, OdrTripDidWork, OdrTripSubWork);
    return r;
}
