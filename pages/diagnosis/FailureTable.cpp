#include "FailureTable.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "XmlHelpers.h"

#include <algorithm>

namespace {

const char* const kFailureTableBase = "VADE_FaultTable/VADE_FailureTable";
const char* const kRowPath = "USER-CONFIGURATION/USER-DEF/DID";
const char* const kUndefinedText = "  Trouble Code Undefined";
// The full-width semicolon between a code and its status word (UTF-8).
const char* const kFieldSeparator = "\xEF\xBC\x9B";

constexpr int kRowTableNotLoaded = 461;
constexpr int kRowErrorCaption = 76;

// Splits `text` at every occurrence of any of `separators` (each a whole
// character), dropping empty pieces.
std::vector<std::string> SplitAt(const std::string& text, const std::vector<std::string>& separators)
{
    std::vector<std::string> pieces;
    std::string piece;
    size_t at = 0;
    while (at < text.size()) {
        size_t matched = 0;
        for (const std::string& sep : separators)
            if (text.compare(at, sep.size(), sep) == 0) {
                matched = sep.size();
                break;
            }
        if (matched) {
            if (!piece.empty())
                pieces.push_back(piece);
            piece.clear();
            at += matched;
        } else {
            piece.push_back(text[at++]);
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return pieces;
}

} // namespace

std::string FailureTableFileName(int languageIndex)
{
    return LanguageFileName(kFailureTableBase, languageIndex);
}

bool LoadFailureTable()
{
    DtcNumbers.clear();
    DtcDisplays.clear();
    DtcMeanings.clear();
    TiXmlDocument doc;
    if (!LoadXmlFile(doc, tarvel::ProgramDataPath(FailureTableFileName(LanguageIndex)))) {
        tarvel::ShowMessage(LanguageText(kRowTableNotLoaded), LanguageText(kRowErrorCaption), tarvel::MsgIcon::None);
        return false;
    }
    const TiXmlElement* first = FindXmlElementByPath(doc, kRowPath);
    for (const TiXmlNode* node = first; node; node = node->NextSibling()) {
        const TiXmlElement* row = node->ToElement();
        if (!row)
            continue; // a comment between the rows
        DtcNumbers.push_back(ReadTextAttribute(row, "DTCNumber"));
        DtcDisplays.push_back(ReadTextAttribute(row, "DTCDisplay"));
        DtcMeanings.push_back(ReadTextAttribute(row, "DTCMeaning"));
    }
    return true;
}

std::string LookupDtcText(const std::string& code, const std::string& status)
{
    std::string text = status + " :  " + code + kUndefinedText;
    // Rows are parallel; a table cut short in one list only counts its whole rows.
    const size_t rows = std::min({DtcNumbers.size(), DtcDisplays.size(), DtcMeanings.size()});
    for (size_t k = 0; k < rows; ++k)
        if (DtcNumbers[k] == code)
            text = status + " :  " + DtcDisplays[k] + " -- " + DtcMeanings[k];
    return text;
}

std::vector<std::vector<std::string>> SplitDtcFaultText(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    for (const std::string& record : SplitAt(text, {"*"}))
        records.push_back(SplitAt(record, {kFieldSeparator}));
    return records;
}
