#include "EolTestPage.h"

#include "NILike.h"

#include "Log.h"
#include "ProgramPaths.h"

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>

#include <map>
#include <set>

namespace {

constexpr int kPictureSize = 50;

// Faces that stand in for the pages' Windows faces where those are missing.
const std::vector<const char*>& StandIns(const std::string& face)
{
    static const std::map<std::string, std::vector<const char*>> table = {
        {"黑体", {"SimHei", "Noto Sans CJK SC", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei", "Droid Sans Fallback",
                 "DejaVu Sans"}},
        {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif", "FreeSerif"}},
        {"Microsoft Sans Serif", {"Liberation Sans", "Arimo", "DejaVu Sans", "FreeSans"}},
    };
    static const std::vector<const char*> none;
    const auto it = table.find(face);
    return it == table.end() ? none : it->second;
}

wxColour LookColour(EolPicture look)
{
    switch (look) {
    case EolPicture::Passed: return wxColour(0x2E, 0xB8, 0x3C);
    case EolPicture::Failed: return wxColour(0xD8, 0x2A, 0x2A);
    default: return wxColour(0xA0, 0xA0, 0xA0);
    }
}

} // namespace

CEolTestPage::CEolTestPage(int tab) : CTarvelPage(tab) {}

bool CEolTestPage::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    // The pages' dialog font.
    wxFontInfo info(12);
    info.FaceName(InstalledFace("Microsoft Sans Serif"));
    SetFont(wxFont(info));
    Bind(wxEVT_CHAR_HOOK, &CEolTestPage::OnCharHook, this);
    return true;
}

void CEolTestPage::OnCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_ESCAPE:
        return; // swallowed
    default:
        event.Skip();
    }
}

// ---- Builders ----

wxButton* CEolTestPage::AddStartButton(wxWindow* parent, wxSizer* sizer, int id)
{
    start_ = new wxButton(parent, id, "Start");
    start_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (EolLogic()) EolLogic()->Start(); });
    sizer->Add(start_, 0, wxALL, 6);
    return start_;
}

wxButton* CEolTestPage::AddExitButton(wxWindow* parent, wxSizer* sizer, int id)
{
    exit_ = new wxButton(parent, id, "Exit Test");
    exit_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (EolLogic()) EolLogic()->Exit(); });
    exit_->Disable();
    sizer->Add(exit_, 0, wxALL, 6);
    return exit_;
}

void CEolTestPage::AddAnswerButtons(wxWindow* parent, wxSizer* sizer, int yesId, int noId)
{
    yes_ = new wxButton(parent, yesId, "YES");
    no_ = new wxButton(parent, noId, "NO");
    yes_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (EolLogic()) EolLogic()->AnswerYes(); });
    no_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { if (EolLogic()) EolLogic()->AnswerNo(); });
    yes_->Hide();
    no_->Hide();
    sizer->Add(yes_, 0, wxALL, 6);
    sizer->Add(no_, 0, wxALL, 6);
}

void CEolTestPage::AddQuestionLabel(wxWindow* parent, wxSizer* sizer, int id, const wxSize& size)
{
    question_ = AddValueLabel(parent, sizer, id, size);
}

wxStaticBoxSizer* CEolTestPage::AddResultFrame(wxSizer* sizer)
{
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8("Test Result："));
    resultFrame_ = frame->GetStaticBox();
    sizer->Add(frame, 0, wxALL, 6);
    return frame;
}

wxStaticBitmap* CEolTestPage::AddResultPicture(wxWindow* parent, wxSizer* sizer, int id)
{
    auto* picture = new wxStaticBitmap(parent, id, EolBitmap(EolPicture::Idle), wxDefaultPosition,
                                       wxSize(kPictureSize, kPictureSize));
    pictures_.push_back(picture);
    shown_.push_back(EolPicture::Idle);
    sizer->Add(picture, 0, wxALL, 6);
    return picture;
}

CNILikeStatic* CEolTestPage::AddValueLabel(wxWindow* parent, wxSizer* sizer, int id, const wxSize& size)
{
    auto* label = new CNILikeStatic(parent, id, wxString(), wxDefaultPosition, size);
    sizer->Add(label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 6);
    return label;
}

// ---- Pictures, fonts and labels ----

wxBitmap CEolTestPage::EolBitmap(EolPicture look)
{
    const int number = EolPictureBitmap(look);
    const std::string relative = "EolBitmaps/" + std::to_string(number) + ".png";
    const wxString path = wxString::FromUTF8(tarvel::ProgramDataPath(relative));
    wxBitmap bitmap;
    if (wxFileExists(path)) {
        wxLogNull quiet;
        wxImage image;
        if (image.LoadFile(path, wxBITMAP_TYPE_PNG))
            bitmap = wxBitmap(image);
    }
    if (!bitmap.IsOk()) {
        static std::set<int> logged;
        if (logged.insert(number).second)
            tarvel::TraceLog("End-of-line picture missing or unreadable: " + relative + "\n");
        bitmap = wxBitmap(kPictureSize, kPictureSize);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(LookColour(look)));
        dc.Clear();
    }
    return bitmap;
}

wxString CEolTestPage::InstalledFace(const std::string& face)
{
    const wxString wanted = wxString::FromUTF8(face);
    if (wxFontEnumerator::IsValidFacename(wanted))
        return wanted;
    for (const char* standIn : StandIns(face))
        if (wxFontEnumerator::IsValidFacename(standIn))
            return standIn;
    return wxString();
}

wxFont CEolTestPage::PageFont(const EolPageFontSpec& spec)
{
    wxFontInfo info(wxSize(0, spec.height));
    info.Family(wxFONTFAMILY_SWISS);
    const wxString face = InstalledFace(spec.face);
    if (!face.empty())
        info.FaceName(face);
    return wxFont(info);
}

void CEolTestPage::WriteValueLabel(CNILikeStatic* label, const std::string& text, const wxFont& font)
{
    if (!label)
        return;
    label->SetGreenText(text);
    label->SetTextColour(kEolValueColour);
    if (font.IsOk())
        label->SetFont(font);
    label->Refresh();
}

EolPicture CEolTestPage::ShownPicture(size_t index) const
{
    return index < shown_.size() ? shown_[index] : EolPicture::Idle;
}

wxStaticBitmap* CEolTestPage::Picture(size_t index) const
{
    return index < pictures_.size() ? pictures_[index] : nullptr;
}

// ---- Rendering ----

void CEolTestPage::RenderState()
{
    const EolPageLogic* logic = EolLogic();
    if (!logic)
        return;
    const EolPageState& state = logic->Common();
    if (start_) {
        if (!state.startCaption.empty())
            start_->SetLabel(wxString::FromUTF8(state.startCaption));
        start_->Enable(state.startEnabled);
    }
    if (exit_) {
        if (!state.exitCaption.empty())
            exit_->SetLabel(wxString::FromUTF8(state.exitCaption));
        exit_->Enable(state.exitEnabled);
    }
    if (resultFrame_ && !state.resultCaption.empty())
        resultFrame_->SetLabel(wxString::FromUTF8(state.resultCaption));
    if (yes_ && no_) {
        yes_->Show(state.answerShown);
        no_->Show(state.answerShown);
    }
    if (question_ && state.question != questionShown_) {
        questionShown_ = state.question;
        WriteValueLabel(question_, state.question, pageFont_);
    }
    for (size_t i = 0; i < pictures_.size() && i < state.pictures.size(); ++i) {
        if (shown_[i] == state.pictures[i])
            continue;
        shown_[i] = state.pictures[i];
        pictures_[i]->SetBitmap(EolBitmap(state.pictures[i]));
    }
    RenderPage();
    Layout();
}
