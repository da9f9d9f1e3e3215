#include "CABSEOLVoltageTest.h"

#include "EolVoltageTestLogic.h"

#include "NILike.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

CABSEOLVoltageTest::CABSEOLVoltageTest() : CEolTestPage(tarvel::TabEolVoltage) {}

bool CABSEOLVoltageTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolVoltageFont));
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddStartButton(this, row, kStartId);
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, "Supply Voltage");
    group_ = group->GetStaticBox();
    group_->SetId(kGroupId);
    value_ = AddValueLabel(group_, group, kValueLabelId, wxSize(420, 90));
    page->Add(group, 0, wxALL, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    RenderState();
    return true;
}

void CABSEOLVoltageTest::RenderPage()
{
    const EolVoltageTestLogic* logic = LogicAs<EolVoltageTestLogic>();
    if (!logic)
        return;
    const EolVoltageState& state = logic->State();
    if (group_ && !state.groupCaption.empty())
        group_->SetLabel(wxString::FromUTF8(state.groupCaption));
    if (value_ && (!valueWritten_ || state.voltageText != valueShown_)) {
        valueWritten_ = true;
        valueShown_ = state.voltageText;
        WriteValueLabel(value_, state.voltageText, PageFontNow());
    }
}
