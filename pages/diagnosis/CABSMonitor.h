// The live-data monitor page's window: the list of monitor DIDs to check,
// the value list, Display, the period, Select All and Recording. It forwards
// each event to ABSMonitorLogic and draws its state.
#pragma once

#include "PageHostPage.h"

#include <cstdint>

class ABSMonitorLogic;
class AppMessageEvent;
class wxButton;
class wxCheckBox;
class wxCheckListBox;
class wxImageList;
class wxBoxSizer;
class wxSizeEvent;
class wxListCtrl;
class wxStaticBox;
class wxTextCtrl;

class CABSMonitor : public CTarvelPage {
public:
    static constexpr int kDidListId = 1285;
    static constexpr int kValueListId = 1286;
    static constexpr int kDisplayId = 1287;
    static constexpr int kPeriodFrameId = 1248;
    static constexpr int kPeriodEditId = 1354;
    static constexpr int kSelectAllId = 1235;
    static constexpr int kRecordingId = 1483;

    CABSMonitor();
    ~CABSMonitor() override;
    bool Create(wxWindow* parent) override;

    wxCheckListBox* DidList() const { return dids_; }
    wxListCtrl* ValueList() const { return values_; }
    wxButton* DisplayButton() const { return display_; }
    wxTextCtrl* PeriodEdit() const { return period_; }
    wxCheckBox* SelectAllBox() const { return selectAll_; }
    wxButton* RecordingButton() const { return recording_; }

protected:
    void RenderState() override;

private:
    ABSMonitorLogic* Monitor() const;
    void OnReload(AppMessageEvent& event);
    // The identifiers with the buttons beside them left of the values where
    // the page is wide; else the values at the left, the buttons and the
    // identifiers below them at the right. Either way the values have the
    // page's whole height.
    void OnSizeMonitor(wxSizeEvent& event);
    void Arrange(bool wide);

    wxCheckListBox* dids_ = nullptr;
    wxListCtrl* values_ = nullptr;
    wxButton* display_ = nullptr;
    wxStaticBox* periodFrame_ = nullptr;
    wxTextCtrl* period_ = nullptr;
    wxCheckBox* selectAll_ = nullptr;
    wxButton* recording_ = nullptr;
    wxImageList* rowHeight_ = nullptr;
    wxBoxSizer* body_ = nullptr;
    // Left of the values (wide page) or right of them (narrow page): the
    // identifiers and the buttons; the one not in use is empty.
    wxBoxSizer* left_ = nullptr;
    wxBoxSizer* right_ = nullptr;
    wxBoxSizer* controls_ = nullptr;
    bool wide_ = true;
    // The page width from which the identifiers stand beside the buttons,
    // and the identifier list's least width there (pixels).
    static constexpr int kSideBySideWidth = 760;
    static constexpr int kDidListWidth = 240;
    // The narrowest the value list's name column is made to leave the value
    // in view.
    static constexpr int kLeastNameWidth = 120;
    // The value list's rows, in pixels.
    static constexpr int kRowHeight = 30;
    uint64_t shownListVersion_ = UINT64_MAX;
};
