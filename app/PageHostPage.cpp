#include "PageHostPage.h"

#include "ShellGlobals.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

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

void ForgetBestSizes(wxWindow* window)
{
    window->InvalidateBestSize();
    for (wxWindow* child : window->GetChildren())
        ForgetBestSizes(child);
}
} // namespace

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
        logic_->SetChangedObserver([this] { RenderState(); });
        RenderState();
    }
}

bool CTarvelPage::Create(wxWindow* parent)
{
    if (!parent || !wxPanel::Create(parent, wxID_ANY))
        return false;
    Hide();
    title_ = new PageTitle(this, Caption());
    wxFont font = title_->GetFont();
    font.SetPointSize(font.GetPointSize() + 6);
    font.MakeBold();
    title_->SetFont(font);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(title_, 0, wxALL, 12);
    SetSizer(sizer);

    for (int message : spec_.activate)
        if (message != 0)
            Bind(EVT_APP_MESSAGE, &CTarvelPage::OnAppMessage, this, message);
    if (spec_.languageMessage != 0)
        Bind(EVT_APP_MESSAGE, &CTarvelPage::OnAppMessage, this, spec_.languageMessage);
    if (slot_ != tarvel::WindowSlot::Count)
        tarvel::RegisterWindow(slot_, this);
    Bind(wxEVT_PAINT, &CTarvelPage::OnPaintPage, this);
    return true;
}

void CTarvelPage::OnPaintPage(wxPaintEvent& event)
{
    event.Skip();
    if (laidOutWhenShown_)
        return;
    // Sizes asked of the platform while the page was hidden may still have
    // been measured in the controls' former fonts; by the first paint the
    // page is on screen with its fonts in place, so ask once more.
    laidOutWhenShown_ = true;
    CallAfter([this] {
        ForgetBestSizes(this);
        Layout();
        Refresh();
    });
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
}
