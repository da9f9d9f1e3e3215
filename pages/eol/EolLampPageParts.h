// What the two lamp pages' windows share: buttons and captions built the same
// way, and the Start / Exit / YES-NO pairs drawn from the lamp question's state.
#pragma once

#include "EolLampQuestionLogic.h"
#include "EolTestPage.h"

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

// The window both lamp pages are: the question with its two YES/NO pairs
// (lamp on, lamp off) and the two result pictures with their captions.
class CEolLampTestPage : public CEolTestPage {
public:
    using CEolTestPage::CEolTestPage;

    wxButton* LampOnYes() const { return onYes_; }
    wxButton* LampOnNo() const { return onNo_; }
    wxButton* LampOffYes() const { return offYes_; }
    wxButton* LampOffNo() const { return offNo_; }

protected:
    struct LampIds {
        int question;
        wxSize questionSize;
        int onYes, onNo, offYes, offNo;
        int onCaption, onPicture, offCaption, offPicture;
    };
    // Adds the question box and the result frame below what `page` holds.
    void AddLampQuestionAndResult(wxSizer* page, const LampIds& ids);
    EolLampQuestionLogic* LampLogic() const { return LogicAs<EolLampQuestionLogic>(); }

    wxButton* onYes_ = nullptr;
    wxButton* onNo_ = nullptr;
    wxButton* offYes_ = nullptr;
    wxButton* offNo_ = nullptr;
    wxStaticText* onCaption_ = nullptr;
    wxStaticText* offCaption_ = nullptr;
};
