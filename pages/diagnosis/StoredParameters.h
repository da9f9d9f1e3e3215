// The stored-parameter definitions: the identification DIDs the
// device-information page reads, loaded from
// "VADE_StoredParameterConfig/VADE_StoredParameter_<language>.xml".
#pragma once

#include <vector>

#include "DidDefinitions.h"

// The records as loaded, in file order.
extern std::vector<_tagStoredDIDdesc_> StoredDidTable;
// The working copy the device-information page reads.
extern std::vector<_tagStoredDIDdesc_> StoredDidList;

// The file's name without the language suffix and ".xml".
extern const char* const kStoredParameterFileBase; // "VADE_StoredParameterConfig/VADE_StoredParameter"
// Text row of the box shown when the file does not load (caption row 76).
constexpr int kStoredParameterFileFailRow = 455;

// Empties both tables, loads the file of the current language into
// StoredDidTable and copies it to StoredDidList. A missing or malformed file:
// box 455/76, both tables stay empty.
void LoadStoredParameterConfig();

// Reads one DID node into StoredDidTable (see ReadDidElement).
DidNodeResult ReadStoredDidElement(const TiXmlNode* node);

// Empties both tables (their load-time state).
void ResetStoredParameterGlobals();
