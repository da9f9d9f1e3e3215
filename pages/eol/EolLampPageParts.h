// What the two lamp pages' windows share: buttons and captions built the same
// way, and the Start / Exit / YES-NO pairs drawn from the lamp question's state.
#pragma once

#include "EolLampQuestionLogic.h"

#include <functional>

class wxButton;
class wxSizer;
class wxStaticText;
class wxWindow;

namespace eolpage {

// A push button whose click runs `onClick`.
wxButton* AddButton(wxWindow* parent, wxSizer* sizer, int id, const char* label, std::function<void()> onClick);
// A right-aligned caption.
wxStaticText* AddCaption(wxWindow* parent, wxSizer* sizer, int id, const char* label);

struct LampControls {
    wxButton* start;
    wxButton* exit;
    wxButton* onYes;
    wxButton* onNo;
    wxButton* offYes;
    wxButton* offNo;
    wxStaticText* onCaption;
    wxStaticText* offCaption;
};
// Start, Exit Test, the pair of the open question (the other hidden), and the
// captions of the current language.
void RenderLampControls(const EolLampQuestionLogic& logic, const LampControls& controls);

} // namespace eolpage
