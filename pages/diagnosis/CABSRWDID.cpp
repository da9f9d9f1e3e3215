#include "CABSRWDID.h"

CABSRWDID::CABSRWDID() : CTarvelPage(tarvel::TabParameters, tarvel::WindowSlot::ParameterPage) {}
