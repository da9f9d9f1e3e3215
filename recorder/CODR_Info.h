// The recorder page's window: Read Information, Export, the trip progress
// bar and percentage label, and the five-column list of the recorder's
// information record. It shows what its logic read and shows or hides the
// trip browser's tab as the logic decides.
#pragma once

#include "PageHostPage.h"

#include <string>
#include <vector>

class CNILikeStatic;
class wxButton;
class wxCommandEvent;
class wxGauge;
class wxImageList;
class wxKeyEvent;
class wxListCtrl;

// The image list of the recorder lists: one transparent picture, one pixel
// wide and `height` high, which makes every row that high. The caller owns it.
wxImageList* MakeRowHeightImages(int height);

class CODR_Info : public CTarvelPage {
public:
    static constexpr int kListId = 1587;
    static constexpr int kReadButtonId = 1588;
    static constexpr int kExportButtonId = 1589;
    static constexpr int kProgressId = 1594;
    static constexpr int kPercentLabelId = 1595;
    static constexpr int kRowHeight = 40;

    CODR_Info();
    ~CODR_Info() override;
    bool Create(wxWindow* parent) override;

    wxListCtrl* OdrInfoList() const { return list_; }
    wxButton* ReadButton() const { return read_; }
    wxButton* ExportButton() const { return export_; }
    wxGauge* ProgressBar() const { return progress_; }
    CNILikeStatic* PercentLabel() const { return percent_; }

protected:
    void RenderState() override;

private:
    void OnReadButton(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    wxListCtrl* list_ = nullptr;
    wxImageList* rowHeight_ = nullptr;
    wxButton* read_ = nullptr;
    wxButton* export_ = nullptr;
    wxGauge* progress_ = nullptr;
    CNILikeStatic* percent_ = nullptr;
    // What the list shows now, flattened, so it is refilled only on change.
    std::vector<std::string> shownCells_;
    std::vector<std::string> shownHeaders_;
    int tabRequestsApplied_ = 0;
};
