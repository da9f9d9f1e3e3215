#include "CPrintSystemTag.h"

#include "FittedColumns.h"
#include "ListRowHeight.h"

#include "PrintSystemTagLogic.h"

#include "AppMessages.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

CPrintSystemTag::CPrintSystemTag() : CTarvelPage(tarvel::TabSystemTag, tarvel::WindowSlot::SystemTagDialog) {}

bool CPrintSystemTag::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    read_ = new wxButton(this, kReadButtonId, wxString());
    print_ = new wxButton(this, kPrintButtonId, wxString());
    load_ = new wxButton(this, kLoadButtonId, wxString());
    load_->Hide(); // loading the plate from a file is not offered
    read_->Bind(wxEVT_BUTTON, &CPrintSystemTag::OnReadButton, this);
    print_->Bind(wxEVT_BUTTON, &CPrintSystemTag::OnPrintButton, this);

    list_ = new wxListCtrl(this, kListId, wxDefaultPosition, wxDefaultSize,
                           wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxBORDER_SUNKEN);
    FillWithList(list_);
    for (size_t c = 0; c < PrintSystemTagState::kColumnWidths.size(); ++c)
        list_->InsertColumn(static_cast<long>(c), wxString(), wxLIST_FORMAT_CENTRE,
                            PrintSystemTagState::kColumnWidths[c]);
    // A one-pixel-wide picture 40 pixels high makes every row 40 pixels high.
    list_->AssignImageList(MakeRowHeightImages(kRowHeight), wxIMAGE_LIST_SMALL);
    // The value (the VIN whole) stays in view: the name gives way to it.
    KeepColumnsFitted(list_, {{ColumnRole::Whole},
                              {ColumnRole::GivesWay, kLeastNameWidth},
                              {ColumnRole::Whole},
                              {ColumnRole::Follows}});

    itemArea_ = RowWindowOf(list_);
    editor_ = new wxTextCtrl(itemArea_, kEditorId, wxString(), wxDefaultPosition, wxDefaultSize,
                             wxTE_PROCESS_ENTER | wxBORDER_SIMPLE);
    editor_->Hide();
    itemArea_->Bind(wxEVT_LEFT_DCLICK, &CPrintSystemTag::OnItemAreaDoubleClick, this);
    editor_->Bind(wxEVT_KILL_FOCUS, &CPrintSystemTag::OnEditorKillFocus, this);
    editor_->Bind(wxEVT_SET_FOCUS, &CPrintSystemTag::OnEditorSetFocus, this);
    editor_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { CommitEditor(); });
    Bind(wxEVT_CHAR_HOOK, &CPrintSystemTag::OnCharHook, this);
    Bind(EVT_APP_MESSAGE, &CPrintSystemTag::OnUpdate, this, WM_SYSTEMTAG_UPDATE);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(read_, 0, wxRIGHT, 8);
    buttons->Add(print_, 0, wxRIGHT, 8);
    buttons->Add(load_, 0);
    wxSizer* sizer = GetSizer();
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    sizer->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    RenderState();
    return true;
}

void CPrintSystemTag::OnReadButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<PrintSystemTagLogic>())
        logic->OnReadParameter();
}

void CPrintSystemTag::OnPrintButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<PrintSystemTagLogic>())
        logic->OnPrintSystemTag();
}

void CPrintSystemTag::OnUpdate(AppMessageEvent&)
{
    if (auto* logic = LogicAs<PrintSystemTagLogic>())
        logic->OnSystemTagUpdate();
}

void CPrintSystemTag::OnItemAreaDoubleClick(wxMouseEvent& event)
{
    DoubleClickAt(event.GetPosition());
    event.Skip();
}

void CPrintSystemTag::DoubleClickAt(const wxPoint& point)
{
    auto* logic = LogicAs<PrintSystemTagLogic>();
    if (!logic)
        return;
    int flags = 0;
    long row = list_->HitTest(point, flags);
    if (!(flags & wxLIST_HITTEST_ONITEM))
        row = -1;
    // The column under the x from the left edge of the first column,
    // wherever the list is scrolled.
    int x = point.x;
    wxRect rowRect;
    if (row >= 0 && list_->GetItemRect(row, rowRect))
        x -= rowRect.x;
    int column = -1;
    for (int c = 0, right = 0; x >= 0 && c < list_->GetColumnCount(); ++c) {
        right += list_->GetColumnWidth(c);
        if (x < right) {
            column = c;
            break;
        }
    }
    logic->StartCellEditInColumn(static_cast<int>(row), column);
}

wxRect CPrintSystemTag::CellRect(long row, int column) const
{
    wxRect rect;
    if (!list_->GetSubItemRect(row, column, rect))
        return wxRect();
    // The list gives its own coordinates; the item area may start below the header.
    if (itemArea_ != list_)
        rect.Offset(-itemArea_->GetPosition());
    return rect;
}

void CPrintSystemTag::OnEditorKillFocus(wxFocusEvent& event)
{
    CommitEditor();
    event.Skip();
}

void CPrintSystemTag::OnEditorSetFocus(wxFocusEvent& event)
{
    editor_->SelectAll();
    event.Skip();
}

void CPrintSystemTag::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE) {
        CommitEditor(); // Escape keeps the typed text too; the page never closes
        return;
    }
    event.Skip();
}

void CPrintSystemTag::CommitEditor()
{
    if (!editor_ || !editor_->IsShown())
        return;
    if (auto* logic = LogicAs<PrintSystemTagLogic>())
        logic->CommitCellEdit(editor_->GetValue().utf8_string());
}

void CPrintSystemTag::RenderState()
{
    const PrintSystemTagLogic* logic = LogicAs<PrintSystemTagLogic>();
    if (!list_ || !logic)
        return;
    const PrintSystemTagState& state = logic->State();
    read_->SetLabel(wxString::FromUTF8(state.readCaption));
    load_->SetLabel(wxString::FromUTF8(state.loadCaption));
    print_->SetLabel(wxString::FromUTF8(state.printCaption));
    for (size_t c = 0; c < state.headers.size(); ++c) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        column.SetText(wxString::FromUTF8(state.headers[c]));
        list_->SetColumn(static_cast<int>(c), column);
    }

    bool same = shownRows_.size() == state.rows.size();
    for (size_t r = 0; same && r < state.rows.size(); ++r) {
        const auto& a = shownRows_[r];
        const auto& b = state.rows[r];
        same = a.number == b.number && a.name == b.name && a.value == b.value && a.unit == b.unit;
    }
    if (!same) {
        list_->DeleteAllItems();
        for (size_t r = 0; r < state.rows.size(); ++r) {
            const auto& row = state.rows[r];
            const long item = list_->InsertItem(static_cast<long>(r), wxString::FromUTF8(row.number), -1);
            list_->SetItem(item, 1, wxString::FromUTF8(row.name));
            list_->SetItem(item, 2, wxString::FromUTF8(row.value));
            list_->SetItem(item, 3, wxString::FromUTF8(row.unit));
        }
        shownRows_ = state.rows;
    }
    RefitColumns(list_);

    if (state.editorShown) {
        if (!editor_->IsShown()) {
            const wxRect cell = CellRect(state.editorRow, PrintSystemTagLogic::kValueColumn);
            if (!cell.IsEmpty())
                editor_->SetSize(cell);
            editor_->ChangeValue(wxString::FromUTF8(state.editorText));
            editor_->Show();
            editor_->Raise();
            editor_->SetFocus();
            editor_->SelectAll();
        }
    } else if (editor_->IsShown()) {
        editor_->Hide();
    }
}
