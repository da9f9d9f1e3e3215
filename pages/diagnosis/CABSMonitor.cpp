#include "CABSMonitor.h"

#include "FittedColumns.h"
#include "ListRowHeight.h"

#include "ABSMonitorLogic.h"
#include "AppMessages.h"
#include "AppMessagesEvent.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

namespace {
wxString U(const std::string& text)
{
    return wxString::FromUTF8(text);
}
} // namespace

CABSMonitor::CABSMonitor() : CTarvelPage(tarvel::TabMonitor, tarvel::WindowSlot::MonitorPage) {}

CABSMonitor::~CABSMonitor()
{
    delete rowHeight_;
}

ABSMonitorLogic* CABSMonitor::Monitor() const
{
    return LogicAs<ABSMonitorLogic>();
}

bool CABSMonitor::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    dids_ = new wxCheckListBox(this, kDidListId);
    values_ = new wxListCtrl(this, kValueListId, wxDefaultPosition, wxDefaultSize,
                             wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_SINGLE_SEL);
    const int widths[4] = {60, 330, 120, 80};
    for (int c = 0; c < 4; ++c)
        values_->InsertColumn(c, wxString(), wxLIST_FORMAT_CENTRE, widths[c]);
    // Rows 30 pixels high, through an image list of that height, less what
    // the platform's list adds around an image.
    rowHeight_ = MakeRowHeightImages(kRowHeight);
    values_->SetImageList(rowHeight_, wxIMAGE_LIST_SMALL);
    {
        const long row = values_->InsertItem(0, wxString(), -1);
        wxRect rect;
        if (values_->GetItemRect(row, rect) && rect.height > kRowHeight && rect.height < 2 * kRowHeight) {
            values_->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
            delete rowHeight_;
            rowHeight_ = MakeRowHeightImages(2 * kRowHeight - rect.height);
            values_->SetImageList(rowHeight_, wxIMAGE_LIST_SMALL);
        }
        values_->DeleteAllItems();
    }
    // The value stays in view: the name gives way to it.
    KeepColumnsFitted(values_, {{ColumnRole::Whole},
                                {ColumnRole::GivesWay, kLeastNameWidth},
                                {ColumnRole::Whole},
                                {ColumnRole::Follows}});

    display_ = new wxButton(this, kDisplayId, wxString());
    periodFrame_ = new wxStaticBox(this, kPeriodFrameId, wxString());
    // The period is a number: digits and a decimal point.
    wxTextValidator numbers(wxFILTER_INCLUDE_CHAR_LIST);
    numbers.SetCharIncludes("0123456789.");
    period_ = new wxTextCtrl(periodFrame_, kPeriodEditId, "1.0", wxDefaultPosition, wxDefaultSize, 0, numbers);
    selectAll_ = new wxCheckBox(this, kSelectAllId, wxString());
    recording_ = new wxButton(this, kRecordingId, wxString());

    display_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (Monitor())
            Monitor()->OnDisplay();
    });
    recording_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (Monitor())
            Monitor()->OnRecording();
    });
    selectAll_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) {
        if (Monitor())
            Monitor()->OnSelectAll(e.IsChecked());
    });
    dids_->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent& e) {
        if (Monitor())
            Monitor()->OnCheckChanged(static_cast<size_t>(e.GetInt()), dids_->IsChecked(e.GetInt()));
    });
    period_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (Monitor())
            Monitor()->OnPeriodEdited(period_->GetValue().ToStdString(wxConvUTF8));
    });
    Bind(EVT_APP_MESSAGE, &CABSMonitor::OnReload, this, WM_MONITOR_RELOAD_DEFINITIONS);
    // Enter and Escape do nothing on this page.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& e) {
        if (e.GetKeyCode() != WXK_RETURN && e.GetKeyCode() != WXK_NUMPAD_ENTER && e.GetKeyCode() != WXK_ESCAPE)
            e.Skip();
    });

    auto* periodSizer = new wxStaticBoxSizer(periodFrame_, wxHORIZONTAL);
    periodSizer->Add(period_, 1, wxALL, 4);
    controls_ = new wxBoxSizer(wxVERTICAL);
    controls_->Add(display_, 0, wxEXPAND | wxBOTTOM, 8);
    controls_->Add(periodSizer, 0, wxEXPAND | wxBOTTOM, 8);
    controls_->Add(selectAll_, 0, wxBOTTOM, 8);
    controls_->Add(recording_, 0, wxEXPAND);
    // The buttons stand beside the identifiers or above them, so they stay
    // in view; the values have the page's height, which they need most.
    left_ = new wxBoxSizer(wxHORIZONTAL);
    right_ = new wxBoxSizer(wxVERTICAL);
    body_ = new wxBoxSizer(wxHORIZONTAL);
    body_->Add(left_, 0, wxEXPAND);
    body_->Add(values_, 1, wxEXPAND | wxALL, 6);
    body_->Add(right_, 0, wxEXPAND);
    dids_->SetMinSize(wxSize(kDidListWidth, kListLeastHeight));
    FillWithList(values_);
    wide_ = false;
    Arrange(true);
    GetSizer()->Add(body_, 1, wxEXPAND);
    Bind(wxEVT_SIZE, &CABSMonitor::OnSizeMonitor, this);
    RenderState();
    return true;
}

void CABSMonitor::OnSizeMonitor(wxSizeEvent& event)
{
    event.Skip();
    const bool wide = GetClientSize().x >= kSideBySideWidth;
    if (body_ && wide != wide_) {
        Arrange(wide);
        RelayoutNow();
    }
}

void CABSMonitor::Arrange(bool wide)
{
    if (wide == wide_)
        return;
    wide_ = wide;
    for (wxBoxSizer* side : {left_, right_}) {
        side->Detach(controls_);
        side->Detach(dids_);
    }
    if (wide) {
        dids_->SetMinSize(wxSize(kDidListWidth, kListLeastHeight));
        left_->Add(dids_, 1, wxEXPAND | wxALL, 6);
        left_->Add(controls_, 0, wxALL, 6);
    } else {
        // As narrow as the buttons, and low: the identifiers scroll.
        dids_->SetMinSize(wxSize(kListLeastWidth, 3 * dids_->GetCharHeight()));
        right_->Add(controls_, 0, wxEXPAND | wxALL, 6);
        right_->Add(dids_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    }
}

void CABSMonitor::OnReload(AppMessageEvent&)
{
    if (Monitor())
        Monitor()->OnReloadDefinitions();
}

void CABSMonitor::RenderState()
{
    const ABSMonitorLogic* logic = Monitor();
    if (!dids_ || !logic)
        return;
    const ABSMonitorState& s = logic->State();

    bool sameNames = dids_->GetCount() == s.didNames.size();
    for (size_t i = 0; sameNames && i < s.didNames.size(); ++i)
        sameNames = dids_->GetString(static_cast<unsigned>(i)) == U(s.didNames[i]);
    if (!sameNames) {
        dids_->Clear();
        for (const std::string& name : s.didNames)
            dids_->Append(U(name));
    }
    for (size_t i = 0; i < s.checked.size() && i < dids_->GetCount(); ++i)
        if (dids_->IsChecked(static_cast<unsigned>(i)) != s.checked[i])
            dids_->Check(static_cast<unsigned>(i), s.checked[i]);
    selectAll_->SetValue(s.selectAll);

    for (int c = 0; c < 4; ++c) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        column.SetText(U(s.headers[static_cast<size_t>(c)]));
        values_->SetColumn(c, column);
    }
    if (shownListVersion_ != s.listVersion || static_cast<size_t>(values_->GetItemCount()) != s.rows.size()) {
        shownListVersion_ = s.listVersion;
        values_->DeleteAllItems();
        for (size_t i = 0; i < s.rows.size(); ++i) {
            const long at = values_->InsertItem(static_cast<long>(i), wxString::Format("%zu", i + 1), -1);
            values_->SetItem(at, 1, U(s.rows[i].SubDataName));
            values_->SetItem(at, 2, U(s.rows[i].Value));
            values_->SetItem(at, 3, U(s.rows[i].Unit));
        }
    } else {
        for (size_t i = 0; i < s.rows.size(); ++i)
            values_->SetItem(static_cast<long>(i), 2, U(s.rows[i].Value));
    }

    RefitColumns(values_);

    if (period_->GetValue() != U(s.periodText))
        period_->ChangeValue(U(s.periodText));
    display_->SetLabel(U(s.displayText));
    periodFrame_->SetLabel(U(s.periodLabel));
    selectAll_->SetLabel(U(s.selectAllText));
    recording_->SetLabel(U(s.recordText));
}
