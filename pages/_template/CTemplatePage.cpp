#include "CTemplatePage.h"

#include "TemplatePageLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

CTemplatePage::CTemplatePage() : CTarvelPage(TemplatePageLogic::kTab) {}

bool CTemplatePage::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    serial_ = new wxStaticText(this, wxID_ANY, wxString());
    read_ = new wxButton(this, wxID_ANY, "Read");
    read_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<TemplatePageLogic>())
            logic->OnReadClicked();
    });
    GetSizer()->Add(serial_, 0, wxLEFT | wxRIGHT, 12);
    GetSizer()->Add(read_, 0, wxALL, 12);
    RenderState();
    return true;
}

void CTemplatePage::RenderState()
{
    const TemplatePageLogic* logic = LogicAs<TemplatePageLogic>();
    if (!serial_ || !logic)
        return;
    serial_->SetLabel(wxString::FromUTF8(logic->State().serialNumber));
}
