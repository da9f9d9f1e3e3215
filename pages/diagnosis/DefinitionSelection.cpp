#include "DefinitionSelection.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "WindowRegistry.h"
#include "XmlHelpers.h"

#include <cctype>

const char* const kParameterFaultCodeMappingFile = "VADE_ParameterFaultCodeConfig/Mapping.xml";
const char* const kBasicParameterMappingFile = "VADE_BasicParameterConfig/Mapping.xml";
const char* const kMappingNotFoundText = "Mapping.xml File Not Found！";
const char* const kMappingNotFoundCaption = "Warning";

namespace {

// Blanks around, an optional sign, then decimal digits and nothing else.
bool StrictDecimal(const char* text, int32_t& value)
{
    if (!text)
        return false;
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-')
        ++p;
    const char* digits = p;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        ++p;
    if (p == digits)
        return false;
    const char* end = p;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p != '\0' || end - digits > 9)
        return false;
    value = ParseDecimalInt(start);
    return true;
}

bool LoadSelector(TiXmlDocument& doc, const char* relativePath)
{
    if (LoadXmlFile(doc, tarvel::ProgramDataPath(relativePath)))
        return true;
    tarvel::GetPrompter().Show(kMappingNotFoundText, kMappingNotFoundCaption, tarvel::MsgIcon::None,
                               tarvel::MsgButtons::OkCancel);
    return false;
}

// Whether the file loads as an XML document.
bool Probe(const std::string& relativePath)
{
    TiXmlDocument doc;
    return LoadXmlFile(doc, tarvel::ProgramDataPath(relativePath));
}

// The selector rows: the first DID of the definition path and every node after it.
const TiXmlNode* FirstRow(const TiXmlDocument& doc)
{
    return FindXmlElementByPath(doc, kDidDefinitionPath);
}

} // namespace

_tagParaFaultCodeMappingdesc_Sub_ ReadParameterFaultCodeMapping(const TiXmlDocument& doc)
{
    _tagParaFaultCodeMappingdesc_Sub_ rows;
    for (const TiXmlNode* node = FirstRow(doc); node; node = node->NextSibling()) {
        const TiXmlElement* row = node->ToElement();
        if (!row)
            continue;
        int32_t calibration = 0;
        int32_t level = 0;
        if (!StrictDecimal(row->Attribute("CalibrationVersion"), calibration) ||
            !StrictDecimal(row->Attribute("Level"), level))
            continue;
        rows.ECU_SW_VERSION.push_back(ReadTextAttribute(row, "ECU_SW_VERSION"));
        rows.CalibrationVersion.push_back(calibration);
        rows.Level.push_back(level);
        rows.FileName.push_back(ReadTextAttribute(row, "FileName"));
    }
    return rows;
}

std::string ChooseParameterFaultCodeFile(const _tagParaFaultCodeMappingdesc_Sub_& rows,
                                         const std::string& softwareVersion, const std::string& calibrationVersion)
{
    const std::string folder = kParameterFaultCodeFolder;
    const size_t count = rows.FileName.size();
    // A later row naming the ECU's software wins over every earlier one.
    for (size_t i = count; i-- > 0;)
        if (rows.ECU_SW_VERSION[i] == softwareVersion)
            return folder + rows.FileName[i];

    const int32_t calibration = ParseDecimalInt(calibrationVersion.c_str());
    bool found = false;
    int32_t maxLevel = 0;
    size_t chosen = 0;
    for (size_t i = 0; i < count; ++i) {
        if (rows.CalibrationVersion[i] != calibration)
            continue;
        if (!found || rows.Level[i] >= maxLevel) {
            maxLevel = rows.Level[i];
            chosen = i;
        }
        found = true;
    }
    return found ? folder + rows.FileName[chosen] : std::string(kFallbackParameterFaultCodeFile);
}

bool SelectParameterFaultCodeFile()
{
    TiXmlDocument doc;
    FaultCodeMapping.clear();
    FaultCodeMapping.push_back(LoadSelector(doc, kParameterFaultCodeMappingFile)
                                   ? ReadParameterFaultCodeMapping(doc)
                                   : _tagParaFaultCodeMappingdesc_Sub_{});
    ParameterFaultCodeFile =
        ChooseParameterFaultCodeFile(FaultCodeMapping.front(), EcuSoftwareVersion, EcuCalibrationVersion);
    if (!Probe(ParameterFaultCodeFile)) {
        tarvel::ShowMessage(LanguageText(kParameterFaultCodeProbeFailRow), LanguageText(kDefinitionBoxCaptionRow),
                            tarvel::MsgIcon::None);
        return false;
    }
    return LoadParameterFaultCodes();
}

bool SelectBasicParameterFile()
{
    const int language = ParameterLanguageIndex();
    std::string& path = BasicParameterFileNames[static_cast<size_t>(language)];
    // An ECU without a row of its own gets the default, never the file
    // chosen for the ECU before it.
    path = DefaultBasicParameterFileName(language);
    TiXmlDocument doc;
    if (LoadSelector(doc, kBasicParameterMappingFile)) {
        const char* attribute = LanguageMappingAttribute(language);
        for (const TiXmlNode* node = FirstRow(doc); node; node = node->NextSibling()) {
            const TiXmlElement* row = node->ToElement();
            if (!row || !row->Attribute("CalibrationVersion"))
                continue;
            if (ReadTextAttribute(row, "CalibrationVersion") == EcuCalibrationVersion)
                path = std::string(kBasicParameterFolder) + ReadTextAttribute(row, attribute);
        }
    }
    if (!Probe(path)) {
        tarvel::ShowMessage(LanguageText(kBasicParameterProbeFailRow), LanguageText(kDefinitionBoxCaptionRow),
                            tarvel::MsgIcon::None);
        return false;
    }
    if (!LoadBasicParameterConfig())
        return false;
    tarvel::SendToRegisteredWindow(tarvel::WindowSlot::ParameterPage, WM_RWDID_DEFINITIONS_LOADED);
    return true;
}
