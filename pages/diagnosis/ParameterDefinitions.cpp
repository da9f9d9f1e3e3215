#include "ParameterDefinitions.h"

#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "XmlHelpers.h"

std::vector<_tagABSDIDdesc_> ParameterDidTable;
std::vector<_tagABSDIDdesc_> ParameterDidList;
std::vector<_tagParameterFaultCodeAndDesc> ParameterFaultCodeTable;
std::vector<_tagParaFaultCodeMappingdesc_Sub_> FaultCodeMapping;
std::string ParameterFaultCodeFile;
std::array<std::string, 5> BasicParameterFileNames = {
    DefaultBasicParameterFileName(0), DefaultBasicParameterFileName(1), DefaultBasicParameterFileName(2),
    DefaultBasicParameterFileName(3), DefaultBasicParameterFileName(4)};

const char* const kBasicParameterFolder = "VADE_BasicParameterConfig/";
const char* const kParameterFaultCodeFolder = "VADE_ParameterFaultCodeConfig/";
const char* const kFallbackParameterFaultCodeFile = "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml";
const char* const kParameterFaultCodePath = "USER-CONFIGURATION/USER-DEF/DID";
const char* const kParameterFaultCodeNotFoundText = "VADE_ParameterFaultCode.xml File Not Found！";
const char* const kParameterFileWarningCaption = "Warning";

std::string DefaultBasicParameterFileName(int languageIndex)
{
    // Built from literals: the globals above are initialised through this
    // function before any other global of this file is.
    return LanguageFileName("VADE_BasicParameterConfig/VADE_ParameterConfig_default", languageIndex);
}

int ParameterLanguageIndex()
{
    return LanguageIndex >= 0 && LanguageIndex < kLanguageCount ? LanguageIndex : 1;
}

bool LoadBasicParameterConfig()
{
    TiXmlDocument doc;
    const bool loaded =
        LoadXmlFile(doc, tarvel::ProgramDataPath(BasicParameterFileNames[static_cast<size_t>(ParameterLanguageIndex())]));
    ParameterDidTable.clear();
    ParameterDidList.clear();
    if (!loaded) {
        ShowDefinitionBox(kBasicParameterFileFailRow);
        return false;
    }
    ReadDidDefinitions(doc, ParameterDidTable);
    ParameterDidList = ParameterDidTable;
    return true;
}

bool LoadParameterFaultCodes()
{
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, tarvel::ProgramDataPath(ParameterFaultCodeFile))) {
        tarvel::GetPrompter().Show(kParameterFaultCodeNotFoundText, kParameterFileWarningCaption,
                                   tarvel::MsgIcon::None, tarvel::MsgButtons::OkCancel);
        return false;
    }
    ParameterFaultCodeTable.clear();
    const int language = ParameterLanguageIndex();
    const std::string title = LanguageTextAttribute(language);
    const std::string description = title + "Desc";
    for (const TiXmlElement* code = FindXmlElementByPath(doc, kParameterFaultCodePath); code;
         code = code->NextSiblingElement()) {
        _tagParameterFaultCodeAndDesc row;
        row.FaultCodeNum = ReadTextAttribute(code, "FaultCodeNum");
        row.Title = ReadTextAttribute(code, title.c_str());
        row.Description = ReadTextAttribute(code, description.c_str());
        ParameterFaultCodeTable.push_back(std::move(row));
    }
    return true;
}

void ResetParameterDefinitionGlobals()
{
    ParameterDidTable.clear();
    ParameterDidList.clear();
    ParameterFaultCodeTable.clear();
    FaultCodeMapping.clear();
    ParameterFaultCodeFile.clear();
    for (size_t i = 0; i < BasicParameterFileNames.size(); ++i)
        BasicParameterFileNames[i] = DefaultBasicParameterFileName(static_cast<int>(i));
}
