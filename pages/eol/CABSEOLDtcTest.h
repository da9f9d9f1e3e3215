// The fault-check page: Start, Exit Test and Clear Contents, the countdown of
// the five readings, the sorted fault list and the result picture.
#pragma once

#include "EolTestPage.h"

#include <string>
#include <vector>

class wxListCtrl;

class CABSEOLDtcTest : public CEolTestPage {
public:
    static constexpr int kStartId = 1519;
    static constexpr int kListId = 1526;
    static constexpr int kExitId = 1527;
    static constexpr int kClearContentsId = 1528;
    static constexpr int kPictureId = 1529;
    static constexpr int kCountdownId = 1530;

    CABSEOLDtcTest();
    bool Create(wxWindow* parent) override;

    wxButton* ClearContentsButton() const { return clearContents_; }
    wxListCtrl* FaultList() const { return list_; }
    CNILikeStatic* CountdownLabel() const { return countdown_; }

protected:
    void RenderPage() override;

private:
    wxButton* clearContents_ = nullptr;
    wxListCtrl* list_ = nullptr;
    CNILikeStatic* countdown_ = nullptr;
    std::vector<std::string> linesShown_;
    std::string countdownShown_;
    bool countdownWritten_ = false;
};
