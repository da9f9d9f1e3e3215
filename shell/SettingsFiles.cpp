#include "SettingsFiles.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "FileSave.h"
#include "LanguageTable.h"
#include "Log.h"
#include "Prompter.h"
#include "ProgramPaths.h"
#include "XmlHelpers.h"

std::vector<_tagSAVEITEMdesc_> LastConfigItems;
std::vector<_tagSAVEStrDesc_> LastStringItems;

int ReportLogoMode = -1;
int PrintSystemTagToo = -1;
int BrakeLampNeverTest = -1;

std::string DownLoadFilePath = "C:\\";
std::string CalibParamFilePath = "C:\\";
std::string EOLReportsFilePath = "C:\\";
std::string PrintSystemFilePath = "C:\\";
std::string ODRInfoFilePath = "C:\\";

const char* const kLastConfigItemNames[kLastConfigRecordCount] = {
    "CanDevice", "CanBaudRate", "Language", "ReportLogo", "PrintSystemTag", "BrakeLampNeverTest",
};
const char* const kLastStringItemNames[kLastStringRecordCount] = {
    "DownLoadFilePath", "CalibParamFilePath", "EOLReportsFilePath", "PrintSystemFilePath", "ODRInfoFilePath",
};

const char* const kLastConfigNotFoundText = "Can't find LastConfig.xml file";
const char* const kLastStringNotFoundText = "Can't find LastStringConfig.xml file";
const char* const kLastStringUseDefaultsText = "Can't find LastStringConfig.xml file! Use defaults.";
const char* const kAllSettingsInvalidText = "All files are invalid and cannot be created.";
const char* const kSettingsNotSavedText = "The settings file was not saved:";
const char* const kSettingsKeptInText = "The new content is kept in this file:";

namespace {

const char* const kLastConfigFile = "LastConfig.xml";
const char* const kLastStringFile = "LastStringConfig.xml";
const char* const kLastStringBackupFile = "LastStringBackup.xml";
const char* const kRecordPath = "USER-CONFIGURATION/USER-DEF/DID";

std::function<ComboSelections()>& ComboSource()
{
    static std::function<ComboSelections()> source;
    return source;
}

void Warn(const char* text)
{
    tarvel::GetPrompter().Show(text, kSettingsWarningCaption, tarvel::MsgIcon::Exclamation,
                               tarvel::MsgButtons::OkCancel);
}

std::string* FolderAt(int position)
{
    switch (position) {
    case 0: return &DownLoadFilePath;
    case 1: return &CalibParamFilePath;
    case 2: return &EOLReportsFilePath;
    case 3: return &PrintSystemFilePath;
    case 4: return &ODRInfoFilePath;
    default: return nullptr;
    }
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    bytes = ss.str();
    return true;
}

// Writes through a temporary file and replaces the target in one step.
bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    return static_cast<bool>(tarvel::SaveFileReplacing(path, bytes));
}

// A settings file that could not be written: the user is told which and why;
// the older file is still there.
void NotSaved(const std::string& path, const tarvel::SaveResult& result)
{
    tarvel::TraceLog("Could not write " + path + ": " + result.Reason());
    tarvel::GetPrompter().Show(tarvel::NotSavedText(kSettingsNotSavedText, path, result, kSettingsKeptInText),
                               kSettingsWarningCaption, tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
}

bool CopyFileOver(const std::string& from, const std::string& to)
{
    std::string bytes;
    if (!ReadFileBytes(from, bytes) || !WriteFileBytes(to, bytes)) {
        tarvel::TraceLog("Could not copy " + from + " to " + to);
        return false;
    }
    return true;
}

// The element the DID records hang under, created where it is missing so a
// save can append records.
TiXmlElement* RecordParent(TiXmlDocument& doc)
{
    TiXmlElement* root = doc.RootElement();
    if (!root) {
        if (!doc.FirstChild()) doc.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
        root = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement("USER-CONFIGURATION")));
    }
    TiXmlElement* userDef = root->FirstChildElement("USER-DEF");
    if (!userDef) userDef = static_cast<TiXmlElement*>(root->LinkEndChild(new TiXmlElement("USER-DEF")));
    return userDef;
}

// Returns the first `count` record elements, appending DID elements named
// from `names` where the file has fewer.
std::vector<TiXmlElement*> RecordsForSave(TiXmlDocument& doc, int count, const char* const* names)
{
    std::vector<TiXmlElement*> records;
    for (TiXmlElement* e = FindXmlElementByPath(doc, kRecordPath); e && static_cast<int>(records.size()) < count;
         e = e->NextSiblingElement()) {
        records.push_back(e);
    }
    if (static_cast<int>(records.size()) < count) {
        // Appended after the last record, so the positions stay in order.
        TiXmlElement* parent = records.empty() ? RecordParent(doc) : records.back()->Parent()->ToElement();
        TiXmlNode* after = records.empty() ? nullptr : records.back();
        if (!parent) parent = RecordParent(doc);
        while (static_cast<int>(records.size()) < count) {
            TiXmlElement did("DID");
            did.SetAttribute("ItemName", names[records.size()]);
            did.SetAttribute("nIndex", "");
            TiXmlNode* added = after ? parent->InsertAfterChild(after, did) : parent->InsertEndChild(did);
            records.push_back(added->ToElement());
            after = added;
        }
    }
    return records;
}

void ReadLastStringRecords(const TiXmlDocument& doc)
{
    LastStringItems.clear();
    for (const TiXmlElement* e = FindXmlElementByPath(doc, kRecordPath); e; e = e->NextSiblingElement()) {
        _tagSAVEStrDesc_ item;
        const char* name = e->Attribute("ItemName");
        const char* value = e->Attribute("nIndex");
        item.ItemName = name ? name : "";
        item.nIndex = value ? value : "";
        LastStringItems.push_back(std::move(item));
    }
    for (int i = 0; i < kLastStringRecordCount && i < static_cast<int>(LastStringItems.size()); ++i) {
        *FolderAt(i) = LastStringItems[static_cast<size_t>(i)].nIndex;
    }
}

} // namespace

void SetComboSelectionSource(std::function<ComboSelections()> source) { ComboSource() = std::move(source); }

ComboSelections CurrentComboSelections()
{
    if (ComboSource()) return ComboSource()();
    ComboSelections rows;
    if (LastConfigItems.size() > 0) rows.adapterRow = LastConfigItems[0].nIndex;
    if (LastConfigItems.size() > 1) rows.baudRow = LastConfigItems[1].nIndex;
    rows.languageRow = LanguageIndex;
    return rows;
}

bool LoadLastConfig()
{
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, tarvel::ProgramDataPath(kLastConfigFile))) {
        Warn(kLastConfigNotFoundText);
        // Without the file the program still needs its texts: LanguageIndex
        // stays -1, which reads English.
        LoadLanguageConfig();
        return false;
    }
    LastConfigItems.clear();
    for (const TiXmlElement* e = FindXmlElementByPath(doc, kRecordPath); e; e = e->NextSiblingElement()) {
        _tagSAVEITEMdesc_ item;
        const char* name = e->Attribute("ItemName");
        item.ItemName = name ? name : "";
        item.nIndex = ReadIntAttribute(e, "nIndex");
        LastConfigItems.push_back(std::move(item));
    }
    // A file with fewer records leaves the missing positions' globals alone.
    const size_t n = LastConfigItems.size();
    if (n > 2) LanguageIndex = LastConfigItems[2].nIndex;
    if (n > 3) ReportLogoMode = LastConfigItems[3].nIndex;
    if (n > 4) PrintSystemTagToo = LastConfigItems[4].nIndex;
    if (n > 5) BrakeLampNeverTest = LastConfigItems[5].nIndex;
    LoadLanguageConfig();
    return true;
}

bool SaveLastConfig() { return SaveLastConfig(CurrentComboSelections()); }

bool SaveLastConfig(const ComboSelections& rows)
{
    const std::string path = tarvel::ProgramDataPath(kLastConfigFile);
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, path)) {
        // The user is told, as at start-up; the selections would otherwise
        // be lost for good, so a new file is started as well.
        Warn(kLastConfigNotFoundText);
        tarvel::TraceLog("LastConfig.xml missing or unreadable; writing a new one");
        doc = TiXmlDocument();
        doc.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    }
    const int values[kLastConfigRecordCount] = {
        rows.adapterRow, rows.baudRow, rows.languageRow, ReportLogoMode, PrintSystemTagToo, BrakeLampNeverTest,
    };
    const std::vector<TiXmlElement*> records = RecordsForSave(doc, kLastConfigRecordCount, kLastConfigItemNames);
    for (int i = 0; i < kLastConfigRecordCount; ++i) {
        records[static_cast<size_t>(i)]->SetAttribute("nIndex", values[i]);
    }
    if (const tarvel::SaveResult saved = SaveXmlFileReplacing(doc, path); !saved) {
        NotSaved(path, saved);
        return false;
    }
    // Keep the records in step with the file.
    LastConfigItems.clear();
    for (const TiXmlElement* e = FindXmlElementByPath(doc, kRecordPath); e; e = e->NextSiblingElement()) {
        const char* name = e->Attribute("ItemName");
        LastConfigItems.push_back({name ? name : "", ReadIntAttribute(e, "nIndex")});
    }
    return true;
}

bool LoadLastStringConfig()
{
    const std::string config = tarvel::ProgramDataPath(kLastStringFile);
    const std::string backup = tarvel::ProgramDataPath(kLastStringBackupFile);
    TiXmlDocument doc;
    if (LoadXmlFile(doc, config)) {
        CopyFileOver(config, backup);
        ReadLastStringRecords(doc);
        return true;
    }
    if (LoadXmlFile(doc, backup)) {
        CopyFileOver(backup, config);
        ReadLastStringRecords(doc);
        return true;
    }
    Warn(kLastStringUseDefaultsText);
    if (WriteFileBytes(config, DefaultLastStringConfigText()) && LoadXmlFile(doc, config)) {
        CopyFileOver(config, backup);
        ReadLastStringRecords(doc);
        return true;
    }
    Warn(kAllSettingsInvalidText);
    return false;
}

bool SaveLastStringConfig()
{
    const std::string path = tarvel::ProgramDataPath(kLastStringFile);
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, path)) {
        // The user is told, as before; the remembered folders would otherwise
        // be lost, so the file is started again from its default text, and a
        // file that cannot be created is named with the system's reason.
        Warn(kLastStringNotFoundText);
        tarvel::TraceLog("LastStringConfig.xml missing or unreadable; writing a new one");
        doc = TiXmlDocument();
        doc.Parse(DefaultLastStringConfigText().c_str());
    }
    const std::vector<TiXmlElement*> records = RecordsForSave(doc, kLastStringRecordCount, kLastStringItemNames);
    for (int i = 0; i < kLastStringRecordCount; ++i) {
        records[static_cast<size_t>(i)]->SetAttribute("nIndex", FolderAt(i)->c_str());
    }
    if (const tarvel::SaveResult saved = SaveXmlFileReplacing(doc, path); !saved) {
        NotSaved(path, saved);
        return false;
    }
    return true;
}

const std::string& DefaultLastStringConfigText()
{
    static const std::string text = [] {
        std::string t = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
                        "<USER-CONFIGURATION>\r\n"
                        "    <USER-DEF>\r\n";
        for (const char* name : kLastStringItemNames) {
            t += "        <DID ItemName=\"";
            t += name;
            t += "\" nIndex=\"C:\\\" />\r\n";
        }
        t += "    </USER-DEF>\r\n"
             "</USER-CONFIGURATION>";
        return t;
    }();
    return text;
}

void ResetSettingsGlobals()
{
    LanguageTable.clear();
    LanguageIndex = -1;
    LastConfigItems.clear();
    LastStringItems.clear();
    ReportLogoMode = PrintSystemTagToo = BrakeLampNeverTest = -1;
    DownLoadFilePath = CalibParamFilePath = EOLReportsFilePath = PrintSystemFilePath = ODRInfoFilePath = "C:\\";
    SetComboSelectionSource({});
    SetRefreshLanguageHandler({});
}
