// The program's icon, drawn in code: the main window's icons and the picture
// of the about box.
#pragma once

#include <wx/icon.h>
#include <wx/iconbndl.h>

// The icon at `size` x `size` pixels.
wxIcon ProgramIcon(int size);
// The icon at the sizes window managers ask for.
wxIconBundle ProgramIcons();
