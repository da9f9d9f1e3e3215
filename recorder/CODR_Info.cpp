#include "CODR_Info.h"

#include "ODR_InfoLogic.h"

#include "NILike.h"
#include "PageHost.h"

#include <algorithm>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

wxImageList* MakeRowHeightImages(int height)
{
    // A picture one pixel wide and `height` high sets the row height; it is
    // wholly transparent, so the first column shows its text on the list's
    // own background (a bitmap left uninitialised paints the cell black).
    wxImage picture(1, height);
    picture.SetAlpha();
    std::fill(picture.GetAlpha(), picture.GetAlpha() + height, 0);
    auto* images = new wxImageList(1, height, true, 1);
    images->Add(wxBitmap(picture));
    return images;
}

CODR_Info::CODR_Info() : CTarvelPage(tarvel::TabOdrInfo) {}

CODR_Info::~CODR_Info()
{
    if (list_)
        list_->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
    delete rowHeight_;
}

bool CODR_Info::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    read_ = new wxButton(this, kReadButtonId, wxString());
    export_ = new wxButton(this, kExportButtonId, wxString());
    export_->Disable();
    progress_ = new wxGauge(this, kProgressId, 1, wxDefaultPosition, wxSize(160, 16));
    percent_ = new CNILikeStatic(this, kPercentLabelId, "0%", wxDefaultPosition, wxSize(50, 18));
    percent_->SetBkColour(ColorRefFromColour(GetBackgroundColour()));
    list_ = new wxListCtrl(this, kListId, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_HRULES | wxLC_VRULES);
    // A 1 x 40 image list makes every row 40 pixels high.
    rowHeight_ = MakeRowHeightImages(kRowHeight);
    list_->SetImageList(rowHeight_, wxIMAGE_LIST_SMALL);

    read_->Bind(wxEVT_BUTTON, &CODR_Info::OnReadButton, this);
    export_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<ODR_InfoLogic>())
            logic->ExportOdrData();
    });
    Bind(wxEVT_CHAR_HOOK, &CODR_Info::OnCharHook, this);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(read_, 0, wxEXPAND | wxBOTTOM, 4);
    buttons->Add(export_, 0, wxEXPAND);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(buttons, 0, wxRIGHT, 8);
    top->Add(progress_, 0, wxALIGN_TOP | wxRIGHT, 6);
    top->Add(percent_, 0, wxALIGN_TOP);
    wxSizer* sizer = GetSizer();
    sizer->Add(top, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    sizer->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    RenderState();
    return true;
}

void CODR_Info::OnReadButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<ODR_InfoLogic>())
        logic->ReadOdrInformation();
}

void CODR_Info::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE)
        return; // swallowed
    event.Skip();
}

void CODR_Info::RenderState()
{
    const ODR_InfoLogic* logic = LogicAs<ODR_InfoLogic>();
    if (!list_ || !logic)
        return;
    const ODR_InfoState& state = logic->State();
    read_->SetLabel(wxString::FromUTF8(state.readCaption));
    export_->SetLabel(wxString::FromUTF8(state.exportCaption));
    read_->Enable(!state.reading);
    export_->Enable(state.exportEnabled && !state.reading);

    if (shownHeaders_ != state.headers) {
        shownHeaders_ = state.headers;
        list_->DeleteAllColumns();
        static const int widths[] = {60, 320, 160, 100, 1000};
        for (size_t c = 0; c < state.headers.size() && c < 5; ++c)
            list_->InsertColumn(static_cast<long>(c), wxString::FromUTF8(state.headers[c]),
                                c < 4 ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT, widths[c]);
        shownCells_.clear();
    }
    std::vector<std::string> cells;
    for (const auto& row : state.rows)
        cells.insert(cells.end(), {row.No, row.ParameterName, row.Value, row.Unit, row.Description});
    if (cells != shownCells_ || static_cast<size_t>(list_->GetItemCount()) != state.rows.size()) {
        shownCells_ = cells;
        list_->DeleteAllItems();
        for (size_t i = 0; i < state.rows.size(); ++i) {
            const auto& row = state.rows[i];
            const long item = list_->InsertItem(static_cast<long>(i), wxString::FromUTF8(row.No), 0);
            list_->SetItem(item, 1, wxString::FromUTF8(row.ParameterName));
            list_->SetItem(item, 2, wxString::FromUTF8(row.Value));
            list_->SetItem(item, 3, wxString::FromUTF8(row.Unit));
            list_->SetItem(item, 4, wxString::FromUTF8(row.Description));
        }
    }

    const int range = state.progressMax > 0 ? state.progressMax : 1;
    const int pos = std::min(state.progressPos, range);
    if (progress_->GetRange() != range || progress_->GetValue() != pos) {
        if (progress_->GetRange() != range)
            progress_->SetRange(range);
        progress_->SetValue(pos);
        // Painted now, together with the label, which redraws at once: the
        // bar must not lag behind the percentage it stands beside.
        progress_->Refresh();
        progress_->Update();
    }
    if (percent_->TextColour() != state.percentColour)
        percent_->SetTextColour(state.percentColour);
    if (percent_->GetLabel() != wxString::FromUTF8(state.percentText))
        percent_->SetText(state.percentText);
    if (progress_->IsShown() != state.progressShown) {
        progress_->Show(state.progressShown);
        percent_->Show(state.progressShown);
        Layout();
    }

    if (tabRequestsApplied_ != state.tripTabRequests) {
        tabRequestsApplied_ = state.tripTabRequests;
        // The trip browser's tab, through the page host this page lives in;
        // shown without being selected.
        if (auto* tabs = dynamic_cast<CMyTabCtrl*>(GetParent()))
            tabs->ShowTab(tarvel::TabOdrTrip, state.tripTabShown, true, false);
    }
}
