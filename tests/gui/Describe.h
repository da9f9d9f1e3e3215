// How the layout tests name a window and a rectangle in their messages.
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

#include <sstream>
#include <string>

namespace layouttext {

// The window's class, id and label.
inline std::string Describe(const wxWindow* window)
{
    std::ostringstream text;
    text << wxString(window->GetClassInfo()->GetClassName()).utf8_string() << " id " << window->GetId() << " '"
         << window->GetLabel().utf8_string() << "'";
    return text.str();
}

// "(x,y wxh)".
inline std::string Describe(const wxRect& rect)
{
    std::ostringstream text;
    text << "(" << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << ")";
    return text.str();
}

} // namespace layouttext
