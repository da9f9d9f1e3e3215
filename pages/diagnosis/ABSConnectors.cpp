#include "ABSConnectors.h"

#include "ParameterGrid.h"

#include "ABSConnectorsLogic.h"

#include "AppMessages.h"
#include "NILike.h"

#include <wx/button.h>
#include <wx/fontenum.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

const wxString ABSConnectors::kFontFace = wxString::FromUTF8("黑体");
const wxColour ABSConnectors::kConflictColour(255, 0, 0);

namespace {

// A grid drawn as a report list: no row labels, grid lines, whole rows
// selected, rows 40 pixels high, column 0 present but 0 wide.
wxGrid* MakeList(wxWindow* parent, int id, const std::vector<std::pair<const char*, int>>& columns)
{
    auto* grid = new wxGrid(parent, id);
    CTarvelPage::FillWithList(grid);
    MakeSelectedRowsReadable(grid);
    grid->CreateGrid(0, static_cast<int>(columns.size()), wxGrid::wxGridSelectRows);
    grid->SetRowLabelSize(0);
    grid->EnableGridLines(true);
    grid->SetDefaultRowSize(ABSConnectors::kRowHeight, true);
    grid->SetDefaultCellAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    grid->SetColLabelAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    grid->DisableDragRowSize();
    grid->EnableEditing(false);
    for (size_t c = 0; c < columns.size(); ++c) {
        const int col = static_cast<int>(c);
        grid->SetColLabelValue(col, wxString::FromUTF8(columns[c].first));
        grid->SetColSize(col, columns[c].second);
    }
    grid->HideCol(0);
    return grid;
}

void SetRowCount(wxGrid* grid, int rows)
{
    const int have = grid->GetNumberRows();
    if (have < rows)
        grid->AppendRows(rows - have);
    else if (have > rows)
        grid->DeleteRows(rows, have - rows);
}

void SetCell(wxGrid* grid, int row, int col, const std::string& text)
{
    const wxString value = wxString::FromUTF8(text);
    if (grid->GetCellValue(row, col) != value)
        grid->SetCellValue(row, col, value);
}

void PaintCell(wxGrid* grid, int row, int col, bool conflicting)
{
    const wxColour colour = conflicting ? ABSConnectors::kConflictColour : grid->GetDefaultCellBackgroundColour();
    if (grid->GetCellBackgroundColour(row, col) != colour)
        grid->SetCellBackgroundColour(row, col, colour);
}

} // namespace

ABSConnectors::ABSConnectors() : CTarvelPage(tarvel::TabConnectors) {}

bool ABSConnectors::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    wxFontInfo info(wxSize(0, kFontHeight));
    info.Family(wxFONTFAMILY_SWISS).Weight(wxFONTWEIGHT_NORMAL);
    if (wxFontEnumerator::IsValidFacename(kFontFace))
        info.FaceName(kFontFace);
    pageFont_ = wxFont(info);

    update_ = new wxButton(this, kUpdateButtonId, "Update Version");
    update_->Bind(wxEVT_BUTTON, &ABSConnectors::OnUpdateButton, this);
    currentLabel_ = new wxStaticText(this, kCurrentLabelId, "Current Version");
    currentValue_ = new CNILikeStatic(this, kCurrentValueId, wxString(), wxDefaultPosition, wxSize(120, 36));
    requiredLabel_ = new wxStaticText(this, kRequiredLabelId, "Required Version");
    requiredValue_ = new CNILikeStatic(this, kRequiredValueId, wxString(), wxDefaultPosition, wxSize(120, 36));
    for (CNILikeStatic* value : {currentValue_, requiredValue_}) {
        value->SetFont(pageFont_);
        value->SetBkColour(ColorRefFromColour(GetBackgroundColour()));
    }

    gio_ = MakeList(this, kGioListId, {{"", 0}, {"", 250}, {"Pin 1", 250}, {"Pin 3", 250}, {"Pin 4", 250}});
    list_ = MakeList(this, kConnectorListId, {{"", 0}, {"Write", 200}, {"Function", 420}, {"Connector", 250}});
    // Only the assignment column opens an editor.
    list_->EnableEditing(true);
    for (int col = 0; col < list_->GetNumberCols(); ++col) {
        if (col == connectors::kAssignmentColumn)
            continue;
        auto* attr = new wxGridCellAttr;
        attr->SetReadOnly(true);
        list_->SetColAttr(col, attr);
    }
    list_->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &ABSConnectors::OnConnectorClick, this);
    list_->Bind(wxEVT_GRID_CELL_CHANGED, &ABSConnectors::OnAssignmentChanged, this);

    auto* versions = new CWrapRow;
    versions->Add(update_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 24);
    versions->Add(currentLabel_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    versions->Add(currentValue_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 24);
    versions->Add(requiredLabel_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    versions->Add(requiredValue_, 0, wxALIGN_CENTER_VERTICAL);

    wxSizer* sizer = GetSizer();
    sizer->Add(versions, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 12);
    sizer->Add(gio_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    sizer->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);

    Bind(EVT_APP_MESSAGE, &ABSConnectors::OnReadVersion, this, WM_CONNECTORS_READ_VERSION);
    Bind(EVT_APP_MESSAGE, &ABSConnectors::OnRelabel, this, WM_CONNECTORS_RELABEL);
    Bind(EVT_APP_MESSAGE, &ABSConnectors::OnRefresh, this, WM_CONNECTORS_REFRESH);
    RenderState();
    return true;
}

void ABSConnectors::OnUpdateButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<ABSConnectorsLogic>())
        logic->OnUpdateVersion();
}

void ABSConnectors::OnReadVersion(AppMessageEvent&)
{
    if (auto* logic = LogicAs<ABSConnectorsLogic>())
        logic->ReadConnectorsVersion();
}

void ABSConnectors::OnRelabel(AppMessageEvent&)
{
    if (auto* logic = LogicAs<ABSConnectorsLogic>())
        logic->RelabelConnectors();
}

void ABSConnectors::OnRefresh(AppMessageEvent&)
{
    if (auto* logic = LogicAs<ABSConnectorsLogic>())
        logic->RefreshConnectors();
}

void ABSConnectors::OnConnectorClick(wxGridEvent& event)
{
    // A click on an assignment cell opens its drop-down list at once.
    if (event.GetCol() != connectors::kAssignmentColumn || event.GetRow() < 0 ||
        event.GetRow() >= list_->GetNumberRows()) {
        event.Skip();
        return;
    }
    if (list_->IsCellEditControlEnabled())
        list_->DisableCellEditControl();
    list_->SetGridCursor(event.GetRow(), event.GetCol());
    list_->EnableCellEditControl();
}

void ABSConnectors::OnAssignmentChanged(wxGridEvent& event)
{
    if (auto* logic = LogicAs<ABSConnectorsLogic>())
        logic->SetAssignment(event.GetRow(), list_->GetCellValue(event.GetRow(), event.GetCol()).utf8_string());
}

void ABSConnectors::RenderState()
{
    const ABSConnectorsLogic* logic = LogicAs<ABSConnectorsLogic>();
    if (!update_ || !logic)
        return;
    const ABSConnectorsState& state = logic->State();
    update_->SetLabel(wxString::FromUTF8(state.updateCaption));
    currentLabel_->SetLabel(wxString::FromUTF8(state.currentCaption));
    requiredLabel_->SetLabel(wxString::FromUTF8(state.requiredCaption));
    for (CNILikeStatic* value : {currentValue_, requiredValue_}) {
        if (value->TextColour() != state.versionColour)
            value->SetTextColour(state.versionColour);
    }
    if (currentValue_->GetLabel() != wxString::FromUTF8(state.currentVersion))
        currentValue_->SetText(state.currentVersion);
    if (requiredValue_->GetLabel() != wxString::FromUTF8(state.requiredVersion))
        requiredValue_->SetText(state.requiredVersion);
    if (update_->IsShown() != state.updateShown) {
        update_->Show(state.updateShown);
        Layout();
    }
    for (int c = 0; c < 3; ++c)
        list_->SetColLabelValue(c + 1, wxString::FromUTF8(state.connectorHeaders[static_cast<size_t>(c)]));

    // While a drop-down is open the list keeps its rows.
    if (list_->IsCellEditControlShown())
        return;

    gio_->BeginBatch();
    SetRowCount(gio_, static_cast<int>(state.gioRows.size()));
    for (size_t r = 0; r < state.gioRows.size(); ++r) {
        const int row = static_cast<int>(r);
        const connectors::GioRow& gio = state.gioRows[r];
        SetCell(gio_, row, 1, gio.Name);
        SetCell(gio_, row, connectors::kGioPin1Column, gio.Pin1);
        SetCell(gio_, row, connectors::kGioPin3Column, gio.Pin3);
        SetCell(gio_, row, connectors::kGioPin4Column, gio.Pin4);
        for (int col = 1; col < gio_->GetNumberCols(); ++col)
            PaintCell(gio_, row, col, state.conflictingCells.count({row, col}) > 0);
    }
    gio_->EndBatch();

    list_->BeginBatch();
    SetRowCount(list_, static_cast<int>(state.connectorRows.size()));
    for (size_t r = 0; r < state.connectorRows.size(); ++r) {
        const int row = static_cast<int>(r);
        const connectors::ConnectorRow& connector = state.connectorRows[r];
        SetCell(list_, row, 0, connector.Abbreviation);
        SetCell(list_, row, 1, connector.Description);
        SetCell(list_, row, connectors::kAssignmentColumn, connector.Assignment);
        for (int col = 1; col < list_->GetNumberCols(); ++col)
            PaintCell(list_, row, col, col == connectors::kAssignmentColumn && state.conflictingRows.count(row) > 0);
        wxArrayString options;
        for (const std::string& text : logic->EditorOptions(row))
            options.Add(wxString::FromUTF8(text));
        list_->SetCellEditor(row, connectors::kAssignmentColumn, new wxGridCellChoiceEditor(options));
    }
    list_->EndBatch();
}
