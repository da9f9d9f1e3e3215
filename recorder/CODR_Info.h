// The recorder page's window: Read Information, Export, the trip progress
// bar and percentage label, and the five-column list of the recorder's
// information record. It shows what its logic read and shows or hides the
// trip browser's tab as the logic decides.
#pragma once

#include "OdrListPage.h"

class CNILikeStatic;
class wxButton;
class wxCommandEvent;
class wxGauge;
class wxListCtrl;

class CODR_Info : public COdrListPage {
public:
    static constexpr int kListId = 1587;
    static constexpr int kReadButtonId = 1588;
    static constexpr int kExportButtonId = 1589;
    static constexpr int kProgressId = 1594;
    static constexpr int kPercentLabelId = 1595;

    CODR_Info();
    bool Create(wxWindow* parent) override;

    wxListCtrl* OdrInfoList() const { return List(); }
    wxButton* ReadButton() const { return read_; }
    wxButton* ExportButton() const { return export_; }
    wxGauge* ProgressBar() const { return progress_; }
    CNILikeStatic* PercentLabel() const { return percent_; }

protected:
    void RenderState() override;

private:
    void OnReadButton(wxCommandEvent& event);

    wxButton* read_ = nullptr;
    wxButton* export_ = nullptr;
    wxGauge* progress_ = nullptr;
    CNILikeStatic* percent_ = nullptr;
    int tabRequestsApplied_ = 0;
};
