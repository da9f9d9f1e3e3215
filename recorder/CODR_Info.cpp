#include "CODR_Info.h"

CODR_Info::CODR_Info() : CTarvelPage(16) {}

void CODR_Info::LoadOdrParameterConfig()
{
    // The definition files and their table belong to this page's own code,
    // which is not part of this build yet.
}
