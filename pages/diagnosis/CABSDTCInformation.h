// The fault memory page's window ("Trouble Codes"): the fault list and its
// three buttons; everything it shows comes from its logic.
#pragma once

#include "PageHostPage.h"

class wxButton;
class wxListCtrl;

class CABSDTCInformation : public CTarvelPage {
public:
    // Window ids of the controls.
    static constexpr int kFaultListId = 1200;
    static constexpr int kReadDtcId = 1224;
    static constexpr int kClearDtcId = 1225;
    static constexpr int kClearContentsId = 1292;

    CABSDTCInformation();
    bool Create(wxWindow* parent) override;

    wxListCtrl* FaultList() const { return list_; }
    wxButton* ReadDtcButton() const { return read_; }
    wxButton* ClearDtcButton() const { return clear_; }
    wxButton* ClearContentsButton() const { return clearContents_; }

protected:
    void RenderState() override;

private:
    wxListCtrl* list_ = nullptr;
    wxButton* read_ = nullptr;
    wxButton* clear_ = nullptr;
    wxButton* clearContents_ = nullptr;
};
