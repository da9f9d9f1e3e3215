#include "CABSRWDID.h"

CABSRWDID::CABSRWDID() : CTarvelPage(1, tarvel::WindowSlot::ParameterPage) {}
