// The parameter definitions the parameters page works from, and where they
// come from: the basic-parameter definition file of the current language
// (its records feed the page's record list) and the parameter fault-code file
// (the explanations of a refused vehicle-configuration write). Which files
// are used is chosen per ECU (DefinitionSelection.h); the loaders here read
// whatever paths were chosen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DidDefinitions.h"

// One parameter fault code: FaultCodeNum (hexadecimal digits as written),
// its title and its explanation in the current language (UTF-8).
struct _tagParameterFaultCodeAndDesc {
    std::string FaultCodeNum;
    std::string Title;
    std::string Description;
};

// The rows of the fault-code selector file as four parallel lists of equal
// length, in file order.
struct _tagParaFaultCodeMappingdesc_Sub_ {
    std::vector<std::string> ECU_SW_VERSION; // UTF-8, exact text
    std::vector<int32_t> CalibrationVersion;
    std::vector<int32_t> Level;
    std::vector<std::string> FileName; // file name inside the fault-code folder
};

// ---- Program-wide state (ECU information page and parameter definitions) ----

// The basic-parameter records as loaded, in file order, and the working copy
// that feeds the parameters page's record list. Filled by
// LoadBasicParameterConfig.
extern std::vector<_tagABSDIDdesc_> ParameterDidTable;
extern std::vector<_tagABSDIDdesc_> ParameterDidList;
// The parameter fault codes, filled by LoadParameterFaultCodes.
extern std::vector<_tagParameterFaultCodeAndDesc> ParameterFaultCodeTable;
// The rows of the fault-code selector file read by the last selection: one
// record, rebuilt at each selection (empty before the first one).
extern std::vector<_tagParaFaultCodeMappingdesc_Sub_> FaultCodeMapping;
// The chosen parameter fault-code file ("VADE_ParameterFaultCodeConfig/...");
// empty until the first selection.
extern std::string ParameterFaultCodeFile;
// The basic-parameter definition file of each language (index 0..4 as
// LanguageIndex), relative to the program folder.
extern std::array<std::string, 5> BasicParameterFileNames;

// ---- Files and folders ----

extern const char* const kBasicParameterFolder;      // "VADE_BasicParameterConfig/"
extern const char* const kParameterFaultCodeFolder;  // "VADE_ParameterFaultCodeConfig/"
// "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml"
extern const char* const kFallbackParameterFaultCodeFile;
// The element path of the first fault code of a fault-code file.
extern const char* const kParameterFaultCodePath; // "USER-CONFIGURATION/USER-DEF/DID"
// The box shown when the fault-code file does not load (caption "Warning",
// OK and Cancel); these texts do not follow the language.
extern const char* const kParameterFaultCodeNotFoundText; // "VADE_ParameterFaultCode.xml File Not Found！"
extern const char* const kParameterFileWarningCaption;    // "Warning"

// Text row of the box shown when the basic-parameter file does not load
// (caption row 76).
constexpr int kBasicParameterFileFailRow = 454;

// The basic-parameter file of a language at program start:
// "VADE_BasicParameterConfig/VADE_ParameterConfig_default" + suffix + ".xml";
// an index outside 0..4 gives the English one.
std::string DefaultBasicParameterFileName(int languageIndex);
// The language whose path the parameter definitions use: LanguageIndex, or
// 1 (English) when it lies outside 0..4.
int ParameterLanguageIndex();

// Loads the basic-parameter file chosen for the current language into
// ParameterDidTable and copies it to ParameterDidList. Both tables are
// emptied first; a missing or malformed file shows box 454/76 and leaves them
// empty. Returns whether the file loaded.
bool LoadBasicParameterConfig();

// Loads ParameterFaultCodeFile into ParameterFaultCodeTable, with the title
// and explanation of the current language (any language outside 0..4 reads
// English; a missing attribute gives an empty text). Nodes among the codes
// that are not elements are skipped. A missing or malformed file shows the
// "File Not Found" warning (OK and Cancel, the answer is not used) and keeps
// the table as it was. Returns whether the file loaded.
bool LoadParameterFaultCodes();

// Restores every global above to its value at program load.
void ResetParameterDefinitionGlobals();
