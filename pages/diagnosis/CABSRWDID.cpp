#include "CABSRWDID.h"

#include "TextWrap.h"
#include "ParameterGrid.h"

#include "ABSRWDIDLogic.h"
#include "AppMessages.h"
#include "AppMessagesEvent.h"
#include "DiagnosisGlobals.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {
constexpr std::array<int, 5> kColumnWidths = {55, 420, 150, 70, 2000};
} // namespace

CABSRWDID::CABSRWDID() : CTarvelPage(tarvel::TabParameters, tarvel::WindowSlot::ParameterPage) {}

ABSRWDIDLogic* CABSRWDID::PageLogicOf() const
{
    return LogicAs<ABSRWDIDLogic>();
}

bool CABSRWDID::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    auto* bar = new CWrapRow;
    label_ = new wxStaticText(this, kLabelId, "Select Item:");
    combo_ = new wxComboBox(this, kComboId, wxString(), wxDefaultPosition, wxSize(320, -1), 0, nullptr,
                            wxCB_READONLY);
    read_ = new wxButton(this, kReadId, "Read Parameter");
    write_ = new wxButton(this, kWriteId, "Write Parameter");
    load_ = new wxButton(this, kLoadId, "Load from File");
    save_ = new wxButton(this, kSaveId, "Save to File");
    // The list and the buttons run on to a second line where the page is
    // too narrow for them.
    auto* select = new wxBoxSizer(wxHORIZONTAL);
    select->Add(label_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    select->Add(combo_, 0, wxALIGN_CENTER_VERTICAL);
    bar->Add(select, 0, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT, 3);
    bar->AddSpacer(6);
    for (wxButton* b : {read_, write_, load_, save_})
        bar->Add(b, 0, wxALIGN_CENTER_VERTICAL | wxALL, 3);
    GetSizer()->Add(bar, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 12);

    const ParameterGridControls table = CreateParameterGrid(this, kGridId, kEditorId, kColumnWidths, kRowHeight);
    grid_ = table.grid;
    editor_ = table.editor;

    Bind(EVT_APP_MESSAGE, [this](AppMessageEvent& e) {
        if (ABSRWDIDLogic* logic = PageLogicOf())
            logic->HandleMessage(e.Message());
    }, WM_RWDID_DEFINITIONS_LOADED);
    combo_->Bind(wxEVT_COMBOBOX_DROPDOWN, [this](wxCommandEvent& e) {
        if (ABSRWDIDLogic* logic = PageLogicOf())
            logic->FillParameterRecordCombo();
        e.Skip();
    });
    combo_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
        if (ABSRWDIDLogic* logic = PageLogicOf())
            logic->OnParameterRecordSelected(combo_->GetValue().utf8_string());
    });
    read_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (auto* l = PageLogicOf()) l->OnReadParameter(); });
    write_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (auto* l = PageLogicOf()) l->OnWriteParameter(); });
    load_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (auto* l = PageLogicOf()) l->LoadParameterFile(); });
    save_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (auto* l = PageLogicOf()) l->SaveParameterFile(); });
    grid_->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, [this](wxGridEvent& e) {
        if (ABSRWDIDLogic* logic = PageLogicOf())
            logic->BeginParameterEdit(e.GetRow(), e.GetCol());
    });
    grid_->Bind(wxEVT_GRID_CELL_LEFT_CLICK, [](wxGridEvent& e) { e.Skip(); });
    WireParameterEditor(this, table, [this](const std::string& text) {
        if (ABSRWDIDLogic* logic = PageLogicOf())
            logic->CommitParameterEdit(text);
    });
    RenderState();
    return true;
}

void CABSRWDID::RenderState()
{
    ABSRWDIDLogic* logic = PageLogicOf();
    if (!grid_ || !logic)
        return;
    if (tabsInstalledFor_ != logic) {
        tabsInstalledFor_ = logic;
        logic->SetTabShower([this](int tab, bool show) {
            AskHostToShowTab(this, tab, show);
        });
    }
    const ABSRWDIDState& state = logic->State();
    label_->SetLabel(wxString::FromUTF8(state.selectLabel));
    read_->SetLabel(wxString::FromUTF8(state.readCaption));
    write_->SetLabel(wxString::FromUTF8(state.writeCaption));
    load_->SetLabel(wxString::FromUTF8(state.loadCaption));
    save_->SetLabel(wxString::FromUTF8(state.saveCaption));
    // Nothing can be chosen or pressed while the ECU is being read or written.
    combo_->Enable(!state.busy);
    read_->Enable(!state.busy);
    write_->Enable(state.writeEnabled && !state.busy);
    load_->Enable(state.fileButtonsEnabled && !state.busy);
    save_->Enable(state.fileButtonsEnabled && !state.busy);

    wxArrayString names;
    for (const auto& n : state.recordNames)
        names.Add(wxString::FromUTF8(n));
    if (names != combo_->GetStrings()) {
        combo_->Set(names);
    }
    const wxString text = wxString::FromUTF8(state.recordText);
    if (combo_->GetValue() != text) {
        const int at = combo_->FindString(text, true);
        if (at != wxNOT_FOUND)
            combo_->SetSelection(at);
    }

    for (int c = 0; c < 5; ++c)
        grid_->SetColLabelValue(c, wxString::FromUTF8(state.headers[static_cast<size_t>(c)]));

    const int want = static_cast<int>(state.rows.size());
    FillParameterGrid(grid_, want, kRowHeight, [&state](int r) {
        const _tagFilldesc_& row = state.rows[static_cast<size_t>(r)];
        return std::array<const std::string*, 5>{&row.Number, &row.Name, &row.Value, &row.Unit, &row.Description};
    });
    ShowParameterEditor({grid_, editor_}, state.editorShown && ParameterEditRow >= 0 && ParameterEditRow < want,
                        ParameterEditRow, ParameterEditColumn, state.editorText);
}
