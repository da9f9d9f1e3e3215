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
    editor_->Bind(wxEVT_KILL_FOCUS, &CLiftingAxleCalibration::OnEditorKillFocus, this);
    editor_->Bind(wxEVT_SET_FOCUS, &CLiftingAxleCalibration::OnEditorSetFocus, this);
    editor_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { CommitEditor(); });
    Bind(wxEVT_CHAR_HOOK, &CLiftingAxleCalibration::OnCharHook, this);
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

void CLiftingAxleCalibration::OnEditorKillFocus(wxFocusEvent& event)
{
    CommitEditor();
    event.Skip();
}

void CLiftingAxleCalibration::OnEditorSetFocus(wxFocusEvent& event)
{
    editor_->SelectAll();
    event.Skip();
}

void CLiftingAxleCalibration::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE) {
        CommitEditor(); // Escape keeps the typed text as well
        return;         // swallowed
    }
    event.Skip();
}

void CLiftingAxleCalibration::CommitEditor()
{
    if (!editor_ || !editor_->IsShown())
        return;
    if (LiftingAxleCalibrationLogic* logic = LogicAs<LiftingAxleCalibrationLogic>())
        logic->CommitEditor(editor_->GetValue().utf8_string());
}

void CLiftingAxleCalibration::PlaceEditor(int row, int column)
{
    wxRect rect = grid_->CellToRect(row, column);
    int x = 0;
    int y = 0;
    grid_->CalcScrolledPosition(rect.x, rect.y, &x, &y);
    editor_->SetSize(x, y, rect.width, rect.height);
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
    grid_->BeginBatch();
    if (grid_->GetNumberRows() > want)
        grid_->DeleteRows(want, grid_->GetNumberRows() - want);
    else if (grid_->GetNumberRows() < want)
        grid_->AppendRows(want - grid_->GetNumberRows());
    for (int r = 0; r < want; ++r) {
        const _tagLiftingAxleFilldesc_& row = rows[static_cast<size_t>(r)];
        const std::string* cells[5] = {&row.No, &row.ParameterName, &row.Value, &row.Unit, &row.Description};
        for (int c = 0; c < 5; ++c)
            grid_->SetCellValue(r, c, wxString::FromUTF8(*cells[c]));
        grid_->SetRowSize(r, kRowHeight);
    }
    grid_->EndBatch();

    if (state.editorShown && LiftingAxleEditRow >= 0 && LiftingAxleEditRow < want) {
        if (!editor_->IsShown()) {
            editor_->ChangeValue(wxString::FromUTF8(state.editorText));
            PlaceEditor(LiftingAxleEditRow, LiftingAxleEditColumn);
            editor_->Show();
            editor_->SetFocus();
            editor_->SelectAll();
        }
    } else if (editor_->IsShown()) {
        editor_->Hide();
    }
}
