// The fault table: per language, one row per diagnostic trouble code with the
// code as the ECU's reply is rendered ("0x" and the 24-bit code in upper-case
// hexadecimal without leading zeros), the code as the user knows it and its
// meaning. The fault-memory page and the end-of-line fault check both show
// the ECU's fault list through it, so both use the functions here.
//
// The table lives in DtcNumbers, DtcDisplays and DtcMeanings
// (DiagnosisGlobals.h), position k of each belonging to the k-th row.
#pragma once

#include <string>
#include <vector>

// "VADE_FaultTable/VADE_FailureTable" + the language's suffix + ".xml"; any
// index outside 0..4 reads the English file.
std::string FailureTableFileName(int languageIndex);

// Empties the three tables and fills them from the fault table of the current
// LanguageIndex beside the program. A missing or malformed file shows box 461
// (caption 76) and leaves the tables empty; returns false then. Elements that
// are not rows (comments) are passed over; a missing attribute reads empty.
bool LoadFailureTable();

// The text of one fault without its number: `status` + " :  " + the display
// text + " -- " + the meaning of the last table row whose code equals `code`
// exactly, or `status` + " :  " + `code` + "  Trouble Code Undefined" when
// no row has that code.
std::string LookupDtcText(const std::string& code, const std::string& status);
// The same function under the name the end-of-line fault check knows it by.
inline std::string FormatDtcText(const std::string& code, const std::string& leadingText)
{
    return LookupDtcText(code, leadingText);
}

// Splits the fault text of the DTC list read ("0x5A0113；Current Fault**...")
// into records at '*' and each record into fields at "；" (U+FF1B), both
// taken as whole characters of the UTF-8 text; every run of separators
// separates and empty pieces are dropped, so " ；No Fault" gives one record
// {" ", "No Fault"} and the end after the last "**" gives no record.
std::vector<std::vector<std::string>> SplitDtcFaultText(const std::string& text);
