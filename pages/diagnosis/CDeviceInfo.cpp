#include "CDeviceInfo.h"

#include "DeviceInfoLogic.h"

#include "AppMessages.h"
#include "NILike.h"

#include <wx/button.h>
#include <wx/fontenum.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

const wxString CDeviceInfo::kFontFace = wxString::FromUTF8("黑体");

namespace {

// A font of `pixels` height in the page's face, or in the system's face where
// that one is not installed.
wxFont PageFont(int pixels)
{
    wxFontInfo info(wxSize(0, pixels));
    if (wxFontEnumerator::IsValidFacename(CDeviceInfo::kFontFace))
        info.FaceName(CDeviceInfo::kFontFace);
    return wxFont(info);
}

// The part of the page's width a name may take before it breaks into lines.
constexpr double kNameShare = 0.45;

} // namespace

CDeviceInfo::CDeviceInfo() : CTarvelPage(tarvel::TabDeviceInfo, tarvel::WindowSlot::DeviceInfoPage) {}

bool CDeviceInfo::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    largeFont_ = PageFont(55);
    // Names and values in the page's text size, in the page's face where the
    // system has it.
    labelFont_ = GetFont();
    if (wxFontEnumerator::IsValidFacename(kFontFace))
        labelFont_.SetFaceName(kFontFace);

    read_ = new wxButton(this, kReadButtonId, wxString());
    read_->Bind(wxEVT_BUTTON, &CDeviceInfo::OnReadButton, this);

    auto* grid = new wxFlexGridSizer(2, wxSize(16, 6));
    grid->AddGrowableCol(1);
    for (int i = 0; i < kPairCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        auto* name = new CWrapText(this, kFirstNameLabelId + i, wxString());
        name->SetWidthShare(kNameShare);
        names_[k] = name;
        values_[k] = new CWrapText(this, kFirstValueLabelId + i, wxString());
        names_[k]->SetFont(labelFont_);
        values_[k]->SetFont(labelFont_);
        names_[k]->Hide();
        values_[k]->Hide();
        grid->Add(names_[k], 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(values_[k], 1, wxEXPAND);
    }

    // The status line takes the font of the sixth name label.
    status_ = new CNILikeStatic(this, kStatusLabelId, wxString(), wxDefaultPosition, wxSize(420, 40));
    status_->SetFont(names_[5]->GetFont());
    status_->SetBkColour(ColorRefFromColour(GetBackgroundColour()));

    faultMemory_ = new wxButton(this, kFaultMemoryButtonId, wxString());
    version_ = new wxButton(this, kVersionButtonId, wxString());

    auto* buttons = new CWrapRow;
    buttons->Add(read_, 0, wxRIGHT | wxBOTTOM, 12);
    buttons->Add(faultMemory_, 0, wxRIGHT | wxBOTTOM, 12);
    buttons->Add(version_, 0, wxBOTTOM, 12);

    wxSizer* sizer = GetSizer();
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxEXPAND, 12);
    sizer->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->Add(status_, 0, wxALL, 12);

    // Enter and Escape stop at the page: they neither close nor press anything.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_ESCAPE)
            event.Skip();
    });
    Bind(EVT_APP_MESSAGE, &CDeviceInfo::OnReload, this, WM_DEVICEINFO_RELOAD);
    RenderState();
    return true;
}

void CDeviceInfo::OnReadButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<DeviceInfoLogic>())
        logic->OnReadInformation();
}

void CDeviceInfo::OnReload(AppMessageEvent&)
{
    if (auto* logic = LogicAs<DeviceInfoLogic>())
        logic->OnDeviceInfoReload();
}

void CDeviceInfo::RenderState()
{
    const DeviceInfoLogic* logic = LogicAs<DeviceInfoLogic>();
    if (!read_ || !logic)
        return;
    const DeviceInfoState& state = logic->State();
    read_->SetLabel(wxString::FromUTF8(state.readCaption));
    faultMemory_->SetLabel(wxString::FromUTF8(state.faultMemoryCaption));
    version_->SetLabel(wxString::FromUTF8(state.versionCaption));
    bool layout = false;
    for (size_t i = 0; i < state.pairs.size() && i < names_.size(); ++i) {
        const DeviceInfoState::Pair& pair = state.pairs[i];
        names_[i]->SetLabel(wxString::FromUTF8(pair.name));
        values_[i]->SetLabel(wxString::FromUTF8(pair.value));
        if (names_[i]->IsShown() != pair.shown) {
            names_[i]->Show(pair.shown);
            values_[i]->Show(pair.shown);
            layout = true;
        }
    }
    if (status_->TextColour() != state.statusColour)
        status_->SetTextColour(state.statusColour);
    if (status_->GetLabel() != wxString::FromUTF8(state.statusText))
        status_->SetText(state.statusText);
    if (layout)
        Layout();
}
