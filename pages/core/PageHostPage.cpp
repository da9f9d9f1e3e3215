#include "PageHostPage.h"

#include "ShellGlobals.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <stdexcept>

namespace {
const tarvel::PageSpec& SpecOf(int tab)
{
    const tarvel::PageSpec* spec = tarvel::FindPageSpec(tab);
    if (!spec)
        throw std::out_of_range("page tab index outside the page table");
    return *spec;
}
// The page's title line. Its size is measured from its own font and text, so
// it is right from the start: the platform's measure of a label on a page
// that was never shown may still use the font the label had before (the
// title would show as its first word, cut at the bottom, on the first show).
class PageTitle : public wxStaticText {
public:
    PageTitle(wxWindow* parent, const wxString& text) : wxStaticText(parent, wxID_ANY, text) {}

protected:
    wxSize DoGetBestSize() const override
    {
        int width = 0;
        int height = 0;
        const wxFont font = GetFont();
        GetTextExtent(GetLabelText(), &width, &height, nullptr, nullptr, &font);
        return wxSize(width, height);
    }
};

// Whether a control the platform measures shows a caption or rows.
bool PlatformMeasuredText(const wxWindow* window)
{
    return dynamic_cast<const wxButton*>(window) || dynamic_cast<const wxCheckBox*>(window) ||
           dynamic_cast<const wxRadioButton*>(window) || dynamic_cast<const wxChoice*>(window) ||
           dynamic_cast<const wxComboBox*>(window) || dynamic_cast<const wxStaticText*>(window);
}

// Asks every such control of `window` its best size anew; true when one
// now asks for more than it has.
bool TextsWantMoreRoom(wxWindow* window)
{
    bool more = false;
    for (wxWindow* child : window->GetChildren()) {
        if (!child->IsShown())
            continue;
        if (PlatformMeasuredText(child)) {
            child->InvalidateBestSize();
            const wxSize best = child->GetBestSize();
            const wxSize size = child->GetSize();
            if (best.x > size.x || best.y > size.y)
                more = true;
        }
        if (TextsWantMoreRoom(child))
            more = true;
    }
    return more;
}

CTarvelPage::TextFitter& Fitter()
{
    static CTarvelPage::TextFitter fitter;
    return fitter;
}

// What decides a control's size: its texts, font and whether it is shown.
void AddToSignature(const wxWindow* window, std::string& signature)
{
    for (const wxWindow* child : window->GetChildren()) {
        if (!child->IsShown()) {
            signature += '-';
            continue;
        }
        signature += '+';
        if (dynamic_cast<const wxControl*>(child)) {
            signature += child->GetLabel().utf8_string();
            signature += '|';
            signature += std::to_string(child->GetFont().GetPixelSize().y);
        }
        if (const auto* choice = dynamic_cast<const wxChoice*>(child)) {
            for (const wxString& item : choice->GetStrings())
                signature += item.utf8_string() + '|';
        } else if (const auto* combo = dynamic_cast<const wxComboBox*>(child)) {
            for (const wxString& item : combo->GetStrings())
                signature += item.utf8_string() + '|';
        }
        signature += '{';
        AddToSignature(child, signature);
        signature += '}';
    }
}
} // namespace

void CTarvelPage::SetTextFitter(TextFitter fitter)
{
    Fitter() = std::move(fitter);
}

CTarvelPage::CTarvelPage(int tab, tarvel::WindowSlot slot) : spec_(SpecOf(tab)), slot_(slot) {}

CTarvelPage::~CTarvelPage()
{
    AttachLogic(nullptr);
}

void CTarvelPage::AttachLogic(tarvel::PageLogic* logic)
{
    if (logic_)
        logic_->SetChangedObserver(nullptr);
    logic_ = logic;
    if (logic_) {
        logic_->SetChangedObserver([this] {
            RenderState();
            SettleLayout();
        });
        RenderState();
        SettleLayout();
    }
}

bool CTarvelPage::Create(wxWindow* parent)
{
    if (!parent || !wxScrolledWindow::Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                             wxVSCROLL | wxTAB_TRAVERSAL))
        return false;
    Hide();
    SetScrollRate(0, kScrollStep);
    ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_DEFAULT);
    title_ = new PageTitle(this, Caption());
    wxFont font = title_->GetFont();
    font.SetPointSize(font.GetPointSize() + 6);
    font.MakeBold();
    title_->SetFont(font);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(title_, 0, wxALL, kMargin);
    SetSizer(sizer);

    for (int message : spec_.activate)
        if (message != 0)
            Bind(EVT_APP_MESSAGE, &CTarvelPage::OnAppMessage, this, message);
    if (spec_.languageMessage != 0)
        Bind(EVT_APP_MESSAGE, &CTarvelPage::OnAppMessage, this, spec_.languageMessage);
    if (slot_ != tarvel::WindowSlot::Count)
        tarvel::RegisterWindow(slot_, this);
    Bind(wxEVT_IDLE, &CTarvelPage::OnIdlePage, this);
    Bind(wxEVT_SIZE, &CTarvelPage::OnSizePage, this);
    Bind(wxEVT_SHOW, &CTarvelPage::OnShowPage, this);
    return true;
}

void CTarvelPage::FillWithList(wxWindow* list)
{
    list->SetMinSize(wxSize(kListLeastWidth, kListLeastHeight));
}

void CTarvelPage::DoSetVirtualSize(int, int y)
{
    // What does not fit scrolls by whole steps, so the last one reaches the
    // bottom; what fits does not scroll.
    const wxSize client = GetClientSize();
    if (y > client.y)
        y = client.y + (y - client.y + kScrollStep - 1) / kScrollStep * kScrollStep;
    wxScrolledWindow::DoSetVirtualSize(client.x, y);
}

bool CTarvelPage::ShouldScrollToChildOnFocus(wxWindow* child)
{
    const wxMouseState mouse = wxGetMouseState();
    if (mouse.LeftIsDown() || mouse.RightIsDown() || mouse.MiddleIsDown())
        return false;
    return wxScrolledWindow::ShouldScrollToChildOnFocus(child);
}

std::string CTarvelPage::LayoutSignature() const
{
    std::string signature = std::to_string(GetClientSize().x) + ':';
    AddToSignature(this, signature);
    return signature;
}

void CTarvelPage::SettleLayout()
{
    if (settling_ || !GetSizer())
        return;
    if (LayoutSignature() != laidOutFor_)
        RelayoutNow();
}

void CTarvelPage::RelayoutNow()
{
    if (settling_ || !GetSizer())
        return;
    settling_ = true;
    // Once more when the scroll bar came or went on the way, which changes
    // the width the texts have.
    for (int pass = 0; pass < 3; ++pass) {
        const int width = GetClientSize().x;
        if (Fitter())
            Fitter()(this, width);
        else
            Layout();
        FitInside();
        if (GetClientSize().x == width)
            break;
    }
    laidOutFor_ = LayoutSignature();
    settling_ = false;
}

void CTarvelPage::OnSizePage(wxSizeEvent& event)
{
    event.Skip();
    SettleLayout();
}

void CTarvelPage::OnShowPage(wxShowEvent& event)
{
    event.Skip();
    if (!event.IsShown())
        return;
    // A page opens at its top, wherever it was left.
    Scroll(0, 0);
    SettleLayout();
    // Measured again while it settles on the screen (below).
    remeasuresLeft_ = kRemeasures;
}

void CTarvelPage::OnIdlePage(wxIdleEvent& event)
{
    event.Skip();
    if (remeasuresLeft_ <= 0 || !IsShownOnScreen())
        return;
    // Sizes asked of the platform while the page was hidden may still have
    // been measured in the controls' former fonts and looks, and the
    // platform settles a control's look only once it has drawn it; for a
    // while after the page is shown, ask once more whenever the program
    // idles and lay the page out again when a control wants more room.
    --remeasuresLeft_;
    if (TextsWantMoreRoom(this)) {
        RelayoutNow();
        Refresh();
    }
}

wxString CTarvelPage::Caption() const
{
    return wxString::FromUTF8(tarvel::ShellText(spec_.textRow, spec_.defaultTitle));
}

void CTarvelPage::OnActivatePage(int message)
{
    ++activations_;
    lastActivate_ = message;
}

void CTarvelPage::OnRefreshLanguage()
{
    ++languageRefreshes_;
    if (title_)
        title_->SetLabel(Caption());
}

void CTarvelPage::OnAppMessage(AppMessageEvent& event)
{
    if (event.Message() == spec_.languageMessage)
        OnRefreshLanguage();
    else
        OnActivatePage(event.Message());
    if (logic_)
        tarvel::DeliverPageMessage(*logic_, event.Message());
    SettleLayout();
}
