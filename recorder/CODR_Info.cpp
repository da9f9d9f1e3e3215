#include "CODR_Info.h"

#include "OdrDefinitions.h"

CODR_Info::CODR_Info() : CTarvelPage(16) {}

void CODR_Info::LoadOdrParameterConfig() { ::LoadOdrParameterConfig(); }
