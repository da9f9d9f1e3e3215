#include "StoredParameters.h"

std::vector<_tagStoredDIDdesc_> StoredDidTable;
std::vector<_tagStoredDIDdesc_> StoredDidList;

const char* const kStoredParameterFileBase = "VADE_StoredParameterConfig/VADE_StoredParameter";

void LoadStoredParameterConfig()
{
    StoredDidTable.clear();
    StoredDidList.clear();
    if (!LoadDidDefinitionFile(DefinitionFileName(kStoredParameterFileBase), kStoredParameterFileFailRow,
                               StoredDidTable))
        return;
    StoredDidList.insert(StoredDidList.end(), StoredDidTable.begin(), StoredDidTable.end());
}

DidNodeResult ReadStoredDidElement(const TiXmlNode* node) { return ReadDidElement(node, StoredDidTable); }

void ResetStoredParameterGlobals()
{
    StoredDidTable.clear();
    StoredDidList.clear();
}
