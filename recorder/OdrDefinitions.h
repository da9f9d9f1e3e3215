// Definition files of the operating data recorder: the layout of the
// information record (one file per language) and of a trip record (one file
// per trip layout version and language), in the common definition format:
//   <any root><DID-DEF><DID DidNumber=".." name=".." RWType="..">
//     <any SubDataName=".." ByteIndex=".." StartBit=".." BitLenth=".."
//          Conversion=".." Offset=".." DataType=".." SecurityLeve=".."
//          Unit=".." DecimalValid=".." Description=".."/> ...
// Numbers are read from the start of their attribute and the rest ignored
// ("3abc" is 3, "0x10" is 0, "2.5mV" is 2.5); names and descriptions are cut
// at 1023 bytes. The tables live in RecorderGlobals.h.
#pragma once

#include <string>

#include <tinyxml.h>

#include "DidDefinitions.h"

// Boxes (caption row 76, OK, no icon).
constexpr int kOdrInfoFileFailRow = 459; // information file missing or malformed
constexpr int kOdrTripFileFailRow = 460; // trip file missing or malformed

// "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig" + language suffix + ".xml"
// (0 "_zh", 1 "_en", 2 "_russian", 3 "_spanish", 4 "_portug", any other "_en").
std::string OdrInfoFileName(int languageIndex);
// "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_" + "%d" of the
// layout version + language suffix + ".xml".
std::string OdrTripFileName(int layoutVersion, int languageIndex);

// Rebuilds OdrInfoDidTable from the file of LanguageIndex. The table is
// emptied first; a missing or malformed file shows box 459 and leaves it empty.
void LoadOdrParameterConfig();

// Rebuilds OdrTripDidTable from the file of OdrTripLayoutVersion and
// LanguageIndex; a missing or malformed file shows box 460 and leaves it
// empty. Within a trip read (BeginOdrTripRead .. EndOdrTripRead) each layout
// version's file is read once: later calls for a version already loaded in
// that read give the same table without reading the file again, and a version
// whose file failed leaves the table empty without a second box.
void LoadOdrTripParameterConfig();

// Marks the start and the end of one read of the trip ring. Outside a read
// every LoadOdrTripParameterConfig reads its file.
void BeginOdrTripRead();
void EndOdrTripRead();

class OdrTripReadScope {
public:
    OdrTripReadScope() { BeginOdrTripRead(); }
    ~OdrTripReadScope() { EndOdrTripRead(); }
    OdrTripReadScope(const OdrTripReadScope&) = delete;
    OdrTripReadScope& operator=(const OdrTripReadScope&) = delete;
};

// Parse one definition node into OdrInfoDidTable / OdrTripDidTable (zero or
// one definition appended): no node does nothing; a node that is not an
// element shows box 79; a child that is not an element, a missing attribute
// or a number attribute without a number shows box 80 and drops the whole
// definition. The working records (RecorderGlobals.h) hold what was parsed.
DidNodeResult ParseOdrDidElement(const TiXmlNode* node);
DidNodeResult ParseOdrTripDidElement(const TiXmlNode* node);
