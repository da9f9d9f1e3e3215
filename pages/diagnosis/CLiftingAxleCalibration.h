// The lifting-axle calibration page's window: the five-column grid of the
// lifting-axle parameter block and the in-place editor of its Value cells.
// It answers the page's four messages by handing them to its logic.
#pragma once

#include "PageHostPage.h"

class LiftingAxleCalibrationLogic;
class wxGrid;
class wxGridEvent;
class wxTextCtrl;

class CLiftingAxleCalibration : public CTarvelPage {
public:
    // Window ids of the grid and of the in-place editor.
    static constexpr int kGridId = 1543;
    static constexpr int kEditorId = 1545;
    static constexpr int kRowHeight = 40;

    CLiftingAxleCalibration();
    bool Create(wxWindow* parent) override;

    wxGrid* Grid() const { return grid_; }
    wxTextCtrl* Editor() const { return editor_; }

protected:
    void RenderState() override;

private:
    void OnPageMessage(AppMessageEvent& event);
    void OnCellDoubleClick(wxGridEvent& event);

    wxGrid* grid_ = nullptr;
    wxTextCtrl* editor_ = nullptr;
};
