#include "CABSEOLDtcTest.h"

#include "EolDtcTestLogic.h"

#include "FittedColumns.h"
#include "NILike.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

CABSEOLDtcTest::CABSEOLDtcTest() : CEolTestPage(tarvel::TabEolDtc) {}

bool CABSEOLDtcTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolDtcFont));
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddStartButton(this, row, kStartId);
    AddExitButton(this, row, kExitId);
    clearContents_ = new wxButton(this, kClearContentsId, "Clear Contents");
    clearContents_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<EolDtcTestLogic>())
            logic->ClearContents();
    });
    row->Add(clearContents_, 0, wxALL, 6);
    auto* centred = new wxBoxSizer(wxVERTICAL);
    countdown_ = AddValueLabel(this, centred, kCountdownId, wxSize(62, 32));
    row->Add(centred, 0, wxALIGN_CENTER_VERTICAL);
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    // The lines are kept in sorted order by the logic, as a sorted list box
    // keeps them.
    // It reaches the page's right edge, however wide the page is, and never
    // scrolls sideways: a line too long for it ends in an ellipsis and shows
    // whole under the mouse.
    list_ = CreateLineList(this, kListId, wxSize(700, 200), wxBORDER_SUNKEN);
    list_->SetMinSize(wxSize(kListLeastWidth, 200));
    page->Add(list_, 0, wxEXPAND | wxALL, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    result->GetStaticBox()->SetId(1247);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    RenderState();
    return true;
}

void CABSEOLDtcTest::RenderPage()
{
    const EolDtcTestLogic* logic = LogicAs<EolDtcTestLogic>();
    if (!logic)
        return;
    const EolDtcState& state = logic->State();
    if (clearContents_ && !state.clearContentsCaption.empty())
        clearContents_->SetLabel(wxString::FromUTF8(state.clearContentsCaption));
    if (countdown_ && (!countdownWritten_ || state.countdown != countdownShown_)) {
        countdownWritten_ = true;
        countdownShown_ = state.countdown;
        WriteValueLabel(countdown_, state.countdown, PageFontNow());
    }
    if (list_ && state.lines != linesShown_) {
        linesShown_ = state.lines;
        std::vector<wxString> lines;
        for (const std::string& line : state.lines)
            lines.push_back(wxString::FromUTF8(line));
        ShowLines(list_, lines);
    }
}
