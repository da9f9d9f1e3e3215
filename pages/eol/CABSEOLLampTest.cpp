#include "CABSEOLLampTest.h"

#include "TextWrap.h"
#include "EolGlobals.h"
#include "EolLampPageParts.h"
#include "EolWarningLampLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CABSEOLLampTest::CABSEOLLampTest() : CEolLampTestPage(tarvel::TabEolLamp) {}

CABSEOLLampTest::~CABSEOLLampTest()
{
    EolStopRequested = 1;
}

EolWarningLampLogic* CABSEOLLampTest::Lamp() const
{
    return LogicAs<EolWarningLampLogic>();
}

bool CABSEOLLampTest::Create(wxWindow* parent)
{
    if (!CEolLampTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont));
    wxSizer* page = GetSizer();

    auto* row = new CWrapRow;
    start_ = eolpage::AddButton(this, row, kStartId, "Start", [this] { if (Lamp()) Lamp()->StartClicked(); });
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Lamp()) Lamp()->ExitClicked(); });
    exit_->Disable();
    page->Add(row, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    AddLampQuestionAndResult(page, {kQuestionId, wxSize(444, 64), kLampOnYesId, kLampOnNoId, kLampOffYesId, kLampOffNoId,
                                    kLampOnCaptionId, kLampOnPictureId, kLampOffCaptionId, kLampOffPictureId});

    RenderState();
    return true;
}

void CABSEOLLampTest::RenderPage()
{
    const EolWarningLampLogic* logic = Lamp();
    if (!logic)
        return;
    eolpage::RenderLampControls(*logic, {start_, exit_, onYes_, onNo_, offYes_, offNo_, onCaption_, offCaption_});
}
