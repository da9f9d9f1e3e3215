#include "CEOLUnderwaterValveTest.h"

#include "TextWrap.h"
#include "EolGlobals.h"
#include "EolLampPageParts.h"
#include "ShrinkingPicture.h"

#include "Log.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEOLUnderwaterValveTest::CEOLUnderwaterValveTest() : CEolTestPage(tarvel::TabEolUnderwaterValve) {}

CEOLUnderwaterValveTest::~CEOLUnderwaterValveTest()
{
    EolStopRequested = 1;
    // The page set's logic outlives the page.
    if (pictureLogic_)
        pictureLogic_->SetPictureTarget(nullptr);
}

EolUnderwaterValveLogic* CEOLUnderwaterValveTest::Valve() const
{
    return LogicAs<EolUnderwaterValveLogic>();
}

bool CEOLUnderwaterValveTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont)); // UnderwaterValveFont: "Times New Roman", 22
    wxSizer* page = GetSizer();

    auto* row = new CWrapRow;
    start_ = eolpage::AddButton(this, row, kStartId, "Start", [this] { if (Valve()) Valve()->StartClicked(); });
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Valve()) Valve()->ExitClicked(); });
    exit_->Disable();
    page->Add(row, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    // The question with its answers right below it, then the picture, which
    // gives way (shrinks) where the page is too low for all of them.
    auto* question = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    wxWindow* box = question->GetStaticBox();
    AddQuestionLabel(box, question, kPromptId, wxSize(442, 40));
    const wxSize full(EolUnderwaterValveLogic::kPictureWidth, EolUnderwaterValveLogic::kPictureHeight);
    valve_ = new CShrinkingPicture(box, kValvePictureId, full, wxSize(full.x / 4, full.y / 4));
    auto* answers = new CWrapRow;
    auto answer = [this](ValveQuestion q, bool yes) {
        return [this, q, yes] { if (Valve()) Valve()->Answer(q, yes); };
    };
    openYes_ = eolpage::AddButton(box, answers, kOpenYesId, "YES", answer(ValveQuestion::Open, true));
    closeYes_ = eolpage::AddButton(box, answers, kCloseYesId, "YES", answer(ValveQuestion::Close, true));
    openNo_ = eolpage::AddButton(box, answers, kOpenNoId, "NO", answer(ValveQuestion::Open, false));
    closeNo_ = eolpage::AddButton(box, answers, kCloseNoId, "NO", answer(ValveQuestion::Close, false));
    for (wxButton* b : {openYes_, closeYes_, openNo_, closeNo_})
        b->Hide();
    question->Add(answers, 0, wxALIGN_CENTER_HORIZONTAL);
    question->Add(valve_, 1, wxALL | wxEXPAND, 4);
    page->Add(question, 1, wxALL | wxEXPAND, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    wxWindow* frame = result->GetStaticBox();
    auto* pictures = new wxBoxSizer(wxHORIZONTAL);
    openCaption_ = eolpage::AddCaption(frame, pictures, kOpenCaptionId, "Valve Open：");
    AddResultPicture(frame, pictures, kOpenPictureId);
    closeCaption_ = eolpage::AddCaption(frame, pictures, kCloseCaptionId, "Valve Close：");
    AddResultPicture(frame, pictures, kClosePictureId);
    result->Add(pictures, 0, wxALL, 6);

    RenderState();
    return true;
}

int CEOLUnderwaterValveTest::LoadPngIntoPicture(const std::string& path, int width, int height)
{
    const wxString file = wxString::FromUTF8(path);
    wxImage image;
    {
        wxLogNull quiet;
        if (!wxFileName::FileExists(file) || !image.LoadFile(file, wxBITMAP_TYPE_PNG)) {
            tarvel::TraceLog("Valve picture failed to load: " + path + "\n");
            return 0;
        }
    }
    if (!image.IsOk() || image.GetWidth() <= 0 || image.GetHeight() <= 0) {
        tarvel::TraceLog("Valve picture is empty: " + path + "\n");
        return 0;
    }
    image.Rescale(width, height, wxIMAGE_QUALITY_HIGH);
    const wxBitmap bitmap(image, 24);
    if (!bitmap.IsOk()) {
        tarvel::TraceLog("Valve picture could not be made a bitmap: " + path + "\n");
        return 0;
    }
    valve_->SetBitmap(bitmap);
    Layout();
    return 1;
}

void CEOLUnderwaterValveTest::RenderPage()
{
    EolUnderwaterValveLogic* logic = Valve();
    if (logic != pictureLogic_) {
        // The logic loads its pictures into this page's valve picture.
        if (pictureLogic_)
            pictureLogic_->SetPictureTarget(nullptr);
        pictureLogic_ = logic;
        if (logic)
            logic->SetPictureTarget(this);
    }
    if (!logic)
        return;
    const EolPageState& common = logic->Common();
    const EolValveState& state = logic->State();
    auto caption = [](wxWindow* control, const std::string& text) {
        if (control && !text.empty())
            control->SetLabel(wxString::FromUTF8(text));
    };
    caption(start_, common.startCaption);
    caption(exit_, common.exitCaption);
    start_->Enable(common.startEnabled);
    exit_->Enable(common.exitEnabled);
    for (wxButton* yes : {openYes_, closeYes_})
        caption(yes, state.yesCaption);
    for (wxButton* no : {openNo_, closeNo_})
        caption(no, state.noCaption);
    caption(openCaption_, state.openCaption);
    caption(closeCaption_, state.closeCaption);
    const bool open = common.answerShown && state.open == ValveQuestion::Open;
    const bool close = common.answerShown && state.open == ValveQuestion::Close;
    openYes_->Show(open);
    openNo_->Show(open);
    closeYes_->Show(close);
    closeNo_->Show(close);
    // The logic empties the picture on Exit; loading is LoadPngIntoPicture's.
    if (state.picture == ValvePicture::None && valve_->GetBitmap().IsOk())
        valve_->SetBitmap(wxBitmap());
}
