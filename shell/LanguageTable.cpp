#include "LanguageTable.h"

#include "Prompter.h"
#include "ProgramPaths.h"
#include "XmlHelpers.h"

std::vector<_tagSAVELANGUAGEdesc_> LanguageTable;
int LanguageIndex = -1;

const char* const kLanguageConfigFileName = "LanguageConfig.xml";
const char* const kLanguageConfigNotFoundText = "LanguageConfig.xml File Not Found\xEF\xBC\x81";
const char* const kSettingsWarningCaption = "Warning";

namespace {

struct LanguageRow {
    const char* textAttribute;
    const char* suffix;
    const char* mappingAttribute;
};

constexpr LanguageRow kLanguages[kLanguageCount] = {
    {"Chinese", "_zh", "FileName_zh"},
    {"English", "_en", "FileName_en"},
    {"Russian", "_russian", "FileName_russian"},
    {"Spanish", "_spanish", "FileName_spanish"},
    {"Portug", "_portug", "FileName_portug"},
};

constexpr int kEnglish = 1;

const LanguageRow& RowFor(int index)
{
    return kLanguages[(index >= 0 && index < kLanguageCount) ? index : kEnglish];
}

std::function<void()>& RefreshHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

const char* LanguageTextAttribute(int index) { return RowFor(index).textAttribute; }
const char* LanguageFileSuffix(int index) { return RowFor(index).suffix; }
const char* LanguageMappingAttribute(int index) { return RowFor(index).mappingAttribute; }

std::string LanguageFileName(const std::string& base, int index)
{
    return base + LanguageFileSuffix(index) + ".xml";
}

const char* LanguageFileSuffix() { return LanguageFileSuffix(LanguageIndex); }
const char* LanguageMappingAttribute() { return LanguageMappingAttribute(LanguageIndex); }
std::string LanguageFileName(const std::string& base) { return LanguageFileName(base, LanguageIndex); }

bool LoadTextTableFile(const std::string& path, int languageIndex, bool skipRowsWithoutItem,
                       std::vector<_tagSAVELANGUAGEdesc_>& table)
{
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, path)) return false;
    table.clear();
    // Every language, English included, is stored as UTF-8: reading English
    // through a legacy code page would garble its non-ASCII punctuation.
    const char* attribute = LanguageTextAttribute(languageIndex);
    for (const TiXmlElement* did = FindXmlElementByPath(&doc, "USER-CONFIGURATION/USER-DEF/DID"); did;
         did = did->NextSiblingElement()) {
        if (skipRowsWithoutItem && !did->Attribute("Item")) continue;
        _tagSAVELANGUAGEdesc_ row;
        row.Item = ReadIntAttribute(did, "Item");
        row.text = ReadTextAttribute(did, attribute);
        table.push_back(std::move(row));
    }
    return true;
}

bool LoadLanguageConfig()
{
    if (!LoadTextTableFile(tarvel::ProgramDataPath(kLanguageConfigFileName), LanguageIndex, false, LanguageTable)) {
        tarvel::GetPrompter().Show(kLanguageConfigNotFoundText, kSettingsWarningCaption, tarvel::MsgIcon::Exclamation,
                                   tarvel::MsgButtons::OkCancel);
        return false;
    }
    return true;
}

std::string LanguageText(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= LanguageTable.size()) return std::string();
    return LanguageTable[static_cast<size_t>(row)].text;
}

void SetRefreshLanguageHandler(std::function<void()> handler) { RefreshHandler() = std::move(handler); }

void RefreshLanguage()
{
    if (RefreshHandler()) RefreshHandler()();
}
