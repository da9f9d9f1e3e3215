#include "CODR_Info.h"

CODR_Info::CODR_Info() : CTarvelPage(tarvel::TabOdrInfo) {}

