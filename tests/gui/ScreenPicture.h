// A picture of a window as it stands on the screen, read back from the X
// server (the platform's screen device context keeps giving the first picture
// it took).
#pragma once

#include <wx/window.h>

#include <filesystem>

namespace pagetour {

// `onTop`, if given, is raised above the window (a box open over it).
bool SaveScreenshot(wxWindow* window, const std::filesystem::path& file, wxWindow* onTop = nullptr);

} // namespace pagetour
