#include "CLiftingAxleCalibration.h"

#include "ParameterGrid.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "LiftingAxleCalibrationLogic.h"

#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {
constexpr std::array<int, 5> kColumnWidths = {60, 420, 260, 80, 1000};
} // namespace

CLiftingAxleCalibration::CLiftingAxleCalibration()
    : CTarvelPage(tarvel::TabLiftingAxleCalibration, tarvel::WindowSlot::LiftingAxlePage)
{
}

bool CLiftingAxleCalibration::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    const ParameterGridControls table = CreateParameterGrid(this, kGridId, kEditorId, kColumnWidths, kRowHeight);
    grid_ = table.grid;
    editor_ = table.editor;

    for (int message : {WM_LIFTAXLE_RELOAD_CONFIG, WM_LIFTAXLE_REFILL, WM_LIFTAXLE_WRITE, WM_LIFTAXLE_READ})
        Bind(EVT_APP_MESSAGE, &CLiftingAxleCalibration::OnPageMessage, this, message);
    grid_->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &CLiftingAxleCalibration::OnCellDoubleClick, this);
    WireParameterEditor(this, table, [this](const std::string& text) {
        if (LiftingAxleCalibrationLogic* logic = LogicAs<LiftingAxleCalibrationLogic>())
            logic->CommitEditor(text);
    });
    // Other pages change the Value cells too (a parameter file was loaded).
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        if (event.IsShown())
            RenderState();
        event.Skip();
    });
    RenderState();
    return true;
}

void CLiftingAxleCalibration::OnPageMessage(AppMessageEvent& event)
{
    if (LiftingAxleCalibrationLogic* logic = LogicAs<LiftingAxleCalibrationLogic>())
        logic->HandleMessage(event.Message());
}

void CLiftingAxleCalibration::OnCellDoubleClick(wxGridEvent& event)
{
    if (LiftingAxleCalibrationLogic* logic = LogicAs<LiftingAxleCalibrationLogic>())
        logic->OnCellDoubleClick(event.GetRow(), event.GetCol());
}

void CLiftingAxleCalibration::RenderState()
{
    const LiftingAxleCalibrationLogic* logic = LogicAs<LiftingAxleCalibrationLogic>();
    if (!grid_ || !logic)
        return;
    const LiftingAxleCalibrationState& state = logic->State();
    for (int c = 0; c < 5; ++c)
        grid_->SetColLabelValue(c, wxString::FromUTF8(state.headers[static_cast<size_t>(c)]));

    const auto& rows = logic->Rows();
    const int want = static_cast<int>(rows.size());
    FillParameterGrid(grid_, want, kRowHeight, [&rows](int r) {
        const _tagLiftingAxleFilldesc_& row = rows[static_cast<size_t>(r)];
        return std::array<const std::string*, 5>{&row.No, &row.ParameterName, &row.Value, &row.Unit, &row.Description};
    });
    ShowParameterEditor({grid_, editor_}, state.editorShown && LiftingAxleEditRow >= 0 && LiftingAxleEditRow < want,
                        LiftingAxleEditRow, LiftingAxleEditColumn, state.editorText);
}
