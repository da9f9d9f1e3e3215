// A logic header that wrongly reaches a window class; the wx-free check must
// refuse it (its own test expects the check to fail on this file).
#pragma once

#include "PageLogic.h"
#include <wx/panel.h>
