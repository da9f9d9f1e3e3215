// The trip browser's window: Oldest, Previous, Next, Latest, the trip-number
// field with the count label and the go button, and the five-column list of
// the trip shown. Its logic (ODR_Trip_InfoLogic) decides; the window forwards
// the buttons and renders the logic's state. The recorder page shows and
// hides its tab.
#pragma once

#include "OdrListPage.h"

#include <string>

class CNILikeStatic;
class wxButton;
class wxCommandEvent;
class wxListCtrl;
class wxTextCtrl;

class CODR_Trip_Info : public COdrListPage {
public:
    static constexpr int kListId = 1593;
    static constexpr int kOldestId = 1594;
    static constexpr int kPreviousId = 1595;
    static constexpr int kNextId = 1596;
    static constexpr int kLatestId = 1597;
    static constexpr int kNumberEditId = 1598;
    static constexpr int kCountLabelId = 1599;
    static constexpr int kGoId = 1600;
    static constexpr int kLabelFontHeight = 25;

    CODR_Trip_Info();
    bool Create(wxWindow* parent) override;

    wxListCtrl* TripList() const { return List(); }
    wxTextCtrl* NumberEdit() const { return edit_; }
    CNILikeStatic* CountLabel() const { return count_; }

protected:
    void RenderState() override;

private:
    void OnButton(wxCommandEvent& event);

    wxButton* oldest_ = nullptr;
    wxButton* previous_ = nullptr;
    wxButton* next_ = nullptr;
    wxButton* latest_ = nullptr;
    wxButton* go_ = nullptr;
    wxTextCtrl* edit_ = nullptr;
    CNILikeStatic* count_ = nullptr;
    // What the count label shows now, so it is written only on change.
    std::string shownCount_;
    int editWritesApplied_ = -1;
};
