#include "CEPBDownLoad.h"

#include "AppMessages.h"
#include "DownloadPageLogic.h"
#include "NILike.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {
// The file name box is never narrower than this, in pixels.
constexpr int kFileEditLeastWidth = 200;
} // namespace

CEPBDownLoad::CEPBDownLoad() : CTarvelPage(DownloadPageLogic::kTab, tarvel::WindowSlot::DownloadPage) {}

bool CEPBDownLoad::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;

    messages_ = new wxListBox(this, ID_MESSAGE_LIST, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                              wxLB_SINGLE | wxLB_HSCROLL);
    FillWithList(messages_);
    progress_ = new wxGauge(this, ID_PROGRESS, 100, wxDefaultPosition, wxSize(-1, 22));
    percent_ = new CNILikeStatic(this, ID_PERCENT, wxString(), wxDefaultPosition, wxSize(60, 22));
    fileEdit_ = new wxTextCtrl(this, ID_FILE_EDIT, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
    auto* open = new wxButton(this, ID_OPEN_FILE, "Open File");
    auto* start = new wxButton(this, ID_START_DOWNLOAD, "Start Download");
    cancel_ = new wxButton(this, ID_CANCEL_DOWNLOAD, "Cancel");

    // The rows take the page's width: the progress bar and the file name
    // grow with it.
    auto* progressRow = new wxBoxSizer(wxHORIZONTAL);
    progressRow->Add(percent_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    progressRow->Add(progress_, 1, wxALIGN_CENTER_VERTICAL);
    auto* fileRow = new wxBoxSizer(wxHORIZONTAL);
    fileEdit_->SetMinSize(wxSize(kFileEditLeastWidth, -1));
    fileRow->Add(fileEdit_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    fileRow->Add(open, 0, wxALIGN_CENTER_VERTICAL);
    auto* buttonRow = new CWrapRow;
    buttonRow->Add(start, 0, wxRIGHT, 8);
    buttonRow->Add(cancel_, 0);
    wxSizer* sizer = GetSizer();
    // The messages take what the rest leaves and scroll by themselves.
    sizer->Add(messages_, 1, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->Add(progressRow, 0, wxEXPAND | wxALL, 12);
    sizer->Add(fileRow, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->Add(buttonRow, 0, wxEXPAND | wxALL, 12);

    open->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<DownloadPageLogic>()) logic->OnOpenFile();
    });
    start->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<DownloadPageLogic>()) logic->OnStartDownload();
    });
    cancel_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<DownloadPageLogic>()) logic->OnCancel();
    });
    Bind(EVT_APP_MESSAGE, [this](AppMessageEvent&) {
        if (auto* logic = LogicAs<DownloadPageLogic>()) logic->OnConnectionChanged();
    }, WM_ECU_CONNECTION_CHANGED);
    // Enter and Escape do nothing on this page.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_ESCAPE)
            event.Skip();
    });
    cancel_->Disable();
    percent_->SetTextColour(kDownloadPercentColour);
    percent_->SetText("0%");
    RenderState();
    return true;
}

void CEPBDownLoad::RenderState()
{
    const DownloadPageLogic* logic = LogicAs<DownloadPageLogic>();
    if (!messages_ || !logic)
        return;
    const DownloadPageState& state = logic->State();
    if (state.messages.size() < shownMessages_) {
        messages_->Clear();
        shownMessages_ = 0;
    }
    for (; shownMessages_ < state.messages.size(); ++shownMessages_)
        messages_->Append(wxString::FromUTF8(state.messages[shownMessages_]));
    if (shownMessages_ > 0)
        messages_->EnsureVisible(static_cast<int>(shownMessages_) - 1);
    if (progress_->GetRange() != state.progressRange)
        progress_->SetRange(state.progressRange);
    progress_->SetValue(state.progressPosition);
    percent_->SetTextColour(state.percentColour);
    percent_->SetText(state.percentText);
    fileEdit_->ChangeValue(wxString::FromUTF8(state.fileName));
    cancel_->Enable(state.cancelEnabled);
}
