// An edit control with no behaviour of its own, kept so the control library
// is complete.
#pragma once

#include <wx/textctrl.h>

class CEditEx : public wxTextCtrl {
public:
    using wxTextCtrl::wxTextCtrl;
    CEditEx() = default;
};
