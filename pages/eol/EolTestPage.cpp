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
#include <wx/stattext.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr int kPictureSize = 50;

// Sets a frame's caption and keeps the frame at least as wide as it: a
// frame around one small picture would otherwise cut its caption off.
void SetFrameCaption(wxStaticBox* frame, const wxString& caption)
{
    if (frame->GetLabel() != caption)
        frame->SetLabel(caption);
    constexpr int kCaptionMargin = 24;
    frame->SetMinSize(wxSize(frame->GetTextExtent(caption).x + kCaptionMargin, -1));
}

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

// The picture of `look` at `side` x `side` pixels.
wxBitmap SizedBitmap(EolPicture look, int side)
{
    const wxBitmap bitmap = CEolTestPage::EolBitmap(look);
    if (bitmap.GetWidth() == side && bitmap.GetHeight() == side)
        return bitmap;
    return wxBitmap(bitmap.ConvertToImage().Scale(side, side, wxIMAGE_QUALITY_HIGH));
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
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    resultFrame_ = frame->GetStaticBox();
    SetFrameCaption(resultFrame_, wxString::FromUTF8("Test Result："));
    sizer->Add(frame, 0, wxALL, 6);
    return frame;
}

wxStaticBitmap* CEolTestPage::AddResultPicture(wxWindow* parent, wxSizer* sizer, int id)
{
    auto* picture = new wxStaticBitmap(parent, id, SizedBitmap(EolPicture::Idle, pictureSize_), wxDefaultPosition,
                                       wxSize(pictureSize_, pictureSize_));
    pictures_.push_back(picture);
    shown_.push_back(EolPicture::Idle);
    pictureSizes_.push_back(pictureSize_);
    sizer->Add(picture, 0, wxALL, pictureSize_ < kPictureSize ? 2 : 6);
    return picture;
}

CNILikeStatic* CEolTestPage::AddValueLabel(wxWindow* parent, wxSizer* sizer, int id, const wxSize& size)
{
    auto* label = new CNILikeStatic(parent, id, wxString(), wxDefaultPosition, size);
    sizer->Add(label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 6);
    return label;
}

std::vector<EolAnswerPair> CEolTestPage::AddAnswerPairs(wxWindow* parent, wxSizer* sizer,
                                                        const std::vector<std::pair<int, int>>& ids,
                                                        std::function<void(int, bool)> answer)
{
    std::vector<EolAnswerPair> pairs(ids.size());
    for (size_t k = 0; k < ids.size(); ++k) {
        const int pair = static_cast<int>(k + 1);
        for (const bool yes : {true, false}) {
            auto* button = new wxButton(parent, yes ? ids[k].first : ids[k].second, yes ? "YES" : "NO");
            button->Bind(wxEVT_BUTTON, [answer, pair, yes](wxCommandEvent&) { answer(pair, yes); });
            button->Hide();
            sizer->Add(button, 0, wxALL, 4);
            (yes ? pairs[k].yes : pairs[k].no) = button;
        }
    }
    return pairs;
}

void CEolTestPage::RenderAnswerPairs(const std::vector<EolAnswerPair>& pairs, int shown,
                                     const std::string& yesCaption, const std::string& noCaption)
{
    for (size_t k = 0; k < pairs.size(); ++k) {
        const bool show = shown == static_cast<int>(k + 1);
        pairs[k].yes->Show(show);
        pairs[k].no->Show(show);
        if (!yesCaption.empty())
            pairs[k].yes->SetLabel(wxString::FromUTF8(yesCaption));
        if (!noCaption.empty())
            pairs[k].no->SetLabel(wxString::FromUTF8(noCaption));
    }
}

wxStaticBoxSizer* CEolTestPage::AddPreviewFrame(wxSizer* sizer, int boxId, const EolPreviewLayout& layout,
                                                std::vector<wxStaticText*>& cells)
{
    constexpr int kCellsPerRow = 5;
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    previewFrame_ = frame->GetStaticBox();
    SetFrameCaption(previewFrame_, "Preview");
    previewFrame_->SetId(boxId);
    cells.assign(layout.rowStarts.size() * kCellsPerRow, nullptr);
    auto* grid = new wxFlexGridSizer(static_cast<int>(layout.rowStarts.size()), kCellsPerRow + 1, 4, 8);
    for (size_t r = 0; r < layout.rowStarts.size(); ++r) {
        const bool arrow = r == 1;
        grid->Add(new wxStaticText(previewFrame_, arrow ? layout.arrowId : wxID_ANY, arrow ? "<<" : ""), 0,
                  wxALIGN_CENTER_VERTICAL);
        for (size_t column = 0; column < kCellsPerRow; ++column) {
            const size_t index = layout.rowStarts[r] + column;
            cells[index] = new wxStaticText(previewFrame_, layout.cellId(index), wxString(), wxDefaultPosition,
                                            layout.cellSize,
                                            wxALIGN_CENTER_HORIZONTAL | wxST_NO_AUTORESIZE | layout.cellStyle);
            cells[index]->Hide();
            grid->Add(cells[index], 0, wxALIGN_CENTER);
        }
    }
    frame->Add(grid, 0, wxALL, 6);
    sizer->Add(frame, 0, wxALL, 6);
    return frame;
}

void CEolTestPage::RenderPreview(const std::string& caption, const std::vector<wxStaticText*>& cells,
                                 const PreviewCell* state) const
{
    if (previewFrame_ && !caption.empty())
        SetFrameCaption(previewFrame_, wxString::FromUTF8(caption));
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]->IsShown() != state[i].shown)
            cells[i]->Show(state[i].shown);
        const wxString text = wxString::FromUTF8(state[i].text);
        if (cells[i]->GetLabel() != text)
            cells[i]->SetLabel(text);
    }
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
        SetFrameCaption(resultFrame_, wxString::FromUTF8(state.resultCaption));
    if (yes_ && no_) {
        yes_->Show(state.answerShown);
        no_->Show(state.answerShown);
    }
    if (question_ && state.question != questionShown_) {
        questionShown_ = state.question;
        WriteValueLabel(question_, state.question, pageFont_);
    }
    wxWindow* verdict = nullptr;
    for (size_t i = 0; i < pictures_.size() && i < state.pictures.size(); ++i) {
        if (shown_[i] == state.pictures[i])
            continue;
        shown_[i] = state.pictures[i];
        pictures_[i]->SetBitmap(SizedBitmap(state.pictures[i], pictureSizes_[i]));
        if (state.pictures[i] != EolPicture::Idle && !verdict)
            verdict = pictures_[i];
    }
    RenderPage();
    Layout();
    if (verdict) {
        // Once the page has settled: the frame the verdict stands in, or
        // the picture itself.
        wxWindow* frame = resultFrame_;
        if (!frame || !frame->IsShown())
            frame = dynamic_cast<wxStaticBox*>(verdict->GetParent()) ? verdict->GetParent() : verdict;
        // The frame lives as long as the page, whose pending calls go with it.
        CallAfter([this, frame] { BringIntoView(frame); });
    }
}

void CEolTestPage::BringIntoView(wxWindow* control)
{
    if (!control->IsShown())
        return;
    // Where it stands in the page's client area as the page is scrolled now.
    wxPoint at = control->GetPosition();
    for (const wxWindow* parent = control->GetParent(); parent && parent != this; parent = parent->GetParent())
        at += parent->GetPosition() + parent->GetClientAreaOrigin();
    const wxRect rect(at, control->GetSize());
    const int height = GetClientSize().y;
    int x = 0;
    int y = 0;
    GetViewStart(&x, &y);
    // As little as shows it whole, its top first where it is taller than
    // the page.
    int move = 0;
    if (rect.GetBottom() >= height)
        move = std::min(rect.y, rect.GetBottom() + 1 - height);
    else if (rect.y < 0)
        move = rect.y;
    if (move == 0)
        return;
    const int steps = move > 0 ? (move + kScrollStep - 1) / kScrollStep : -((-move + kScrollStep - 1) / kScrollStep);
    Scroll(0, std::max(0, y + steps));
}
