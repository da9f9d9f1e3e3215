// The program's text table and the language it is in. Every caption and
// message is fetched by its position in LanguageTable, loaded once at
// start-up from LanguageConfig.xml in the language LanguageIndex chooses. The
// per-language data files follow one naming rule, given here for every
// reader of such files.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct _tagSAVELANGUAGEdesc_ {
    int Item = 0;     // the row's "Item" attribute; kept, never used for lookup
    std::string text; // the row's text in the current language (UTF-8)
};

// Row N is the N-th DID element of LanguageConfig.xml, whatever its Item says.
extern std::vector<_tagSAVELANGUAGEdesc_> LanguageTable;

// 0 Chinese, 1 English, 2 Russian, 3 Spanish, 4 Portuguese; any other value
// (-1 at start) reads English.
extern int LanguageIndex;

constexpr int kLanguageCount = 5;

// The LanguageConfig.xml attribute holding the texts of a language:
// "Chinese", "English", "Russian", "Spanish", "Portug".
const char* LanguageTextAttribute(int index);
// The data-file suffix: "_zh", "_en", "_russian", "_spanish", "_portug".
const char* LanguageFileSuffix(int index);
// The attribute of a Mapping.xml file naming the per-language file:
// "FileName_zh" ... "FileName_portug".
const char* LanguageMappingAttribute(int index);
// base + suffix + ".xml", e.g. "VADE_FaultTable/VADE_FailureTable_en.xml".
std::string LanguageFileName(const std::string& base, int index);

// The same for the current LanguageIndex.
const char* LanguageFileSuffix();
const char* LanguageMappingAttribute();
std::string LanguageFileName(const std::string& base);

// Fills LanguageTable from LanguageConfig.xml beside the program in the
// language LanguageIndex chooses. A missing or malformed file shows
// "LanguageConfig.xml File Not Found！" and leaves the table as it was;
// returns false then.
bool LoadLanguageConfig();

// The reader behind every text table of that layout (root, first USER-DEF,
// its first DID and every element after it): fills `table` from `path` with
// the texts of `languageIndex`, every language read as UTF-8; a row without
// the language's attribute gets an empty text. `skipRowsWithoutItem` leaves
// out elements that carry no "Item". Returns false, with `table` untouched,
// when the file is missing or not well-formed.
bool LoadTextTableFile(const std::string& path, int languageIndex, bool skipRowsWithoutItem,
                       std::vector<_tagSAVELANGUAGEdesc_>& table);

// Row `row`'s text; empty for a negative row or one past the end of the table.
std::string LanguageText(int row);

// Re-captions the ribbon and sends the language broadcast. The shell installs
// the handler that does it; without one nothing happens.
void SetRefreshLanguageHandler(std::function<void()> handler);
void RefreshLanguage();

// Rows of the question a save asks before it replaces a file (FileSave.h).
constexpr int kRowReplaceFileCaption = 175;
constexpr int kRowReplaceFileQuestion = 178;

// Texts of the file warnings (they do not follow the language).
extern const char* const kLanguageConfigFileName;        // "LanguageConfig.xml"
extern const char* const kLanguageConfigNotFoundText;    // "LanguageConfig.xml File Not Found！"
extern const char* const kSettingsWarningCaption;        // "Warning"
