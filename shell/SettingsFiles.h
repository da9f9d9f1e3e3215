// The remembered selections (LastConfig.xml) and folders
// (LastStringConfig.xml, with LastStringBackup.xml as its backup copy), all
// beside the program. Records are used by their position in the file.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct _tagSAVEITEMdesc_ {
    std::string ItemName; // not interpreted
    int nIndex = 0;
};

struct _tagSAVEStrDesc_ {
    std::string ItemName; // not interpreted
    std::string nIndex;   // a folder path, byte for byte from the file
};

// One record per DID element of LastConfig.xml, in document order:
// 0 adapter row, 1 baud-rate row, 2 language row, 3 report logo mode,
// 4 print the system tag too, 5 brake-lamp "Never Test". Further records are
// kept and ignored.
extern std::vector<_tagSAVEITEMdesc_> LastConfigItems;
// One record per DID element of LastStringConfig.xml; the first five are the
// folders below.
extern std::vector<_tagSAVEStrDesc_> LastStringItems;

// Set from LastConfig.xml records 3, 4 and 5; -1 until then.
extern int ReportLogoMode;
extern int PrintSystemTagToo;
extern int BrakeLampNeverTest;

// Set from LastStringConfig.xml records 0 to 4; "C:\" until then.
extern std::string DownLoadFilePath;
extern std::string CalibParamFilePath;
extern std::string EOLReportsFilePath;
extern std::string PrintSystemFilePath;
extern std::string ODRInfoFilePath;

constexpr int kLastConfigRecordCount = 6;
constexpr int kLastStringRecordCount = 5;

// ItemNames written when a record has to be created.
extern const char* const kLastConfigItemNames[kLastConfigRecordCount];
extern const char* const kLastStringItemNames[kLastStringRecordCount];

// Messages (they do not follow the language).
extern const char* const kLastConfigNotFoundText;      // "Can't find LastConfig.xml file"
extern const char* const kLastStringNotFoundText;      // "Can't find LastStringConfig.xml file"
extern const char* const kLastStringUseDefaultsText;   // "Can't find LastStringConfig.xml file! Use defaults."
extern const char* const kAllSettingsInvalidText;      // "All files are invalid and cannot be created."
// Followed by the file and the system's reason, one to a line.
extern const char* const kSettingsNotSavedText;        // "The settings file was not saved:"

// The selected rows of the ribbon's adapter, baud-rate and language combos,
// which SaveLastConfig stores in records 0 to 2.
struct ComboSelections {
    int adapterRow = 0;
    int baudRow = 0;
    int languageRow = -1;
};
// The shell installs a source that reads its combos. Without one the rows are
// those last loaded or saved (0 where there was none) and LanguageIndex.
void SetComboSelectionSource(std::function<ComboSelections()> source);
ComboSelections CurrentComboSelections();

// Reads LastConfig.xml, sets LanguageIndex and the three globals above, then
// loads the language table. A missing or malformed file shows its warning
// and leaves the globals at -1; the language table is still loaded (in
// English). Returns whether the file was read.
bool LoadLastConfig();
// Writes the combo rows and the three globals into the first six records.
// Other attributes, further records and comments stay as they are; missing
// records are appended, and a missing or unreadable file is created anew.
// The file is replaced only by a complete new one; a failure leaves it as it
// was and shows kSettingsNotSavedText with the file and the reason.
bool SaveLastConfig();
bool SaveLastConfig(const ComboSelections& rows);

// Reads LastStringConfig.xml, falling back on LastStringBackup.xml and then on
// the built-in default text, and refreshes the backup from what was read.
// False when no file could be read or created (the folders keep "C:\").
bool LoadLastStringConfig();
// Writes the five folders into the first five records (appending missing
// ones). A missing or unreadable file gives its warning and is written anew
// from the default text, so the folders are kept. A failed write leaves the
// file as it was and says so with the system's reason, as SaveLastConfig.
bool SaveLastStringConfig();

// The built-in LastStringConfig.xml: 413 bytes, CR LF line ends, no BOM.
const std::string& DefaultLastStringConfigText();

// Restores the settings globals above, the language table and its language,
// and the combo and language-refresh hooks to their load-time values.
void ResetSettingsGlobals();
