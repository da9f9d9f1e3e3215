// The program's entry point.
#include "TarvelApp.h"

wxIMPLEMENT_APP(CTarvelApp);
