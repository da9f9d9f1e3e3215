// Which definition files fit the identified ECU. After each identification
// two selections run, in this order: the parameter fault-code file by the
// ECU's software version and calibration version, then the basic-parameter
// file of the current language by the calibration version. Each reads its
// Mapping.xml selector file, checks that the chosen file loads, and hands it
// to the parameter definition loaders (ParameterDefinitions.h).
#pragma once

#include "ParameterDefinitions.h"

#include <string>

#include <tinyxml.h>

// The selector files, relative to the program folder.
extern const char* const kParameterFaultCodeMappingFile; // "VADE_ParameterFaultCodeConfig/Mapping.xml"
extern const char* const kBasicParameterMappingFile;     // "VADE_BasicParameterConfig/Mapping.xml"
// The box shown when a selector file does not load (OK and Cancel; the
// answer is not used). These texts do not follow the language.
extern const char* const kMappingNotFoundText;    // "Mapping.xml File Not Found！"
extern const char* const kMappingNotFoundCaption; // "Warning"
// Text rows of the boxes shown when the chosen file does not load (caption row 76).
constexpr int kParameterFaultCodeProbeFailRow = 456;
constexpr int kBasicParameterProbeFailRow = 457;

// The rows of a loaded fault-code selector document, in document order.
// Nodes that are not elements, and rows without a decimal CalibrationVersion
// or Level, are skipped; a missing ECU_SW_VERSION or FileName reads as empty.
_tagParaFaultCodeMappingdesc_Sub_ ReadParameterFaultCodeMapping(const TiXmlDocument& doc);

// The fault-code file for an ECU (path relative to the program folder):
// - the last row whose ECU_SW_VERSION equals `softwareVersion` exactly;
// - else, by the rows whose CalibrationVersion equals `calibrationVersion`
//   read as a decimal number (its leading digits; none give 0): none gives
//   the fallback file, one gives its file, several give the last of those
//   with the highest Level.
std::string ChooseParameterFaultCodeFile(const _tagParaFaultCodeMappingdesc_Sub_& rows,
                                         const std::string& softwareVersion, const std::string& calibrationVersion);

// Rebuilds FaultCodeMapping from the selector file (a missing one: its box,
// no rows), stores the chosen file in ParameterFaultCodeFile from
// EcuSoftwareVersion and EcuCalibrationVersion, and checks that it loads: then
// LoadParameterFaultCodes runs; otherwise box 456/76 and the fault codes stay
// as they were. Returns whether the codes were loaded.
bool SelectParameterFaultCodeFile();

// The basic-parameter file of the current language (LanguageIndex outside
// 0..4 counts as English): its default first, then the file named by the last
// selector row whose CalibrationVersion text equals EcuCalibrationVersion
// exactly. A missing selector file shows its box and keeps the default. When
// the chosen file loads, LoadBasicParameterConfig runs and the parameters
// page is told (WM_RWDID_DEFINITIONS_LOADED to its registered window);
// otherwise box 457/76 and the parameter definitions stay as they were.
// Returns whether the definitions were loaded.
bool SelectBasicParameterFile();
