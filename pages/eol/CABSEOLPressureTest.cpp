#include "CABSEOLPressureTest.h"

#include "NILike.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

namespace {

// Template captions of the frames, by slot.
const char* const kFrameCaptions[kBrakePressureSlots] = {
    "Left Brake Pressure",   "Left Release Pressure",   "Right Brake Pressure",   "Right Release Pressure",
    "EBSD L Brake Pressure", "EBSD L Release Pressure", "EBSD R Brake Pressure", "EBSD R Release Pressure"};

} // namespace

CABSEOLPressureTest::CABSEOLPressureTest() : CEolTestPage(tarvel::TabEolPressure) {}

bool CABSEOLPressureTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    PressureValueFont = PageFont(kEolPressureFont);
    SetPageFont(PressureValueFont);
    wxSizer* page = GetSizer();

    auto* buttons = new CWrapRow;
    AddStartButton(this, buttons, kStartId);
    AddExitButton(this, buttons, kExitId);
    page->Add(buttons, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    // Two rows: the main values, then the EBS-D values; left applied, left
    // released, right applied, right released in each.
    for (int row = 0; row < 2; ++row) {
        auto* line = new CWrapRow;
        for (int k = 0; k < 4; ++k) {
            const size_t slot = static_cast<size_t>(row * 4 + k);
            auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, kFrameCaptions[slot]);
            frames_[slot] = frame->GetStaticBox();
            frames_[slot]->SetId(kFrameIds[slot]);
            labels_[slot] = AddValueLabel(frames_[slot], frame, kLabelIds[slot], wxSize(170, 50));
            line->Add(frame, 0, wxALL, 4);
        }
        page->Add(line, 0, wxLEFT | wxRIGHT | wxEXPAND, 2);
    }

    wxStaticBoxSizer* result = AddResultFrame(page);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    RenderState();
    return true;
}

void CABSEOLPressureTest::RenderPage()
{
    const auto* logic = LogicAs<EolBrakePressureLogic>();
    if (!logic)
        return;
    const EolBrakePressureState& state = logic->State();
    for (size_t slot = 0; slot < labels_.size(); ++slot) {
        if (frames_[slot] && !state.frameCaptions[slot].empty())
            frames_[slot]->SetLabel(wxString::FromUTF8(state.frameCaptions[slot]));
        if (labels_[slot] && (!written_[slot] || state.labels[slot] != shown_[slot])) {
            written_[slot] = true;
            shown_[slot] = state.labels[slot];
            WriteValueLabel(labels_[slot], state.labels[slot], PressureValueFont);
        }
    }
    if (ebsdShown_ != state.ebsdShown) {
        ebsdShown_ = state.ebsdShown;
        for (size_t slot = kEbsdLeftBrakeSlot; slot < labels_.size(); ++slot) {
            frames_[slot]->Show(ebsdShown_);
            labels_[slot]->Show(ebsdShown_);
        }
    }
}
