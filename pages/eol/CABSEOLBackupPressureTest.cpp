#include "CABSEOLBackupPressureTest.h"

#include "NILike.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

namespace {

const char* const kFrameCaptions[kBackupChannels] = {"Desired Pressure", "Left Brake Pressure",
                                                     "Right Brake Pressure", "EBSD L Brake Pressure",
                                                     "EBSD R Brake Pressure"};

} // namespace

CABSEOLBackupPressureTest::CABSEOLBackupPressureTest() : CEolTestPage(tarvel::TabEolBackupPressure) {}

bool CABSEOLBackupPressureTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    BackupPressureFont = PageFont(kEolPressureFont);
    SetPageFont(BackupPressureFont);
    wxSizer* page = GetSizer();

    auto* buttons = new CWrapRow;
    AddStartButton(this, buttons, kStartId);
    AddExitButton(this, buttons, kExitId);
    page->Add(buttons, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    // The desired, left and right pressures, then the EBS-D pair.
    auto* main = new CWrapRow;
    auto* ebsd = new CWrapRow;
    for (size_t channel = 0; channel < labels_.size(); ++channel) {
        auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, kFrameCaptions[channel]);
        frames_[channel] = frame->GetStaticBox();
        frames_[channel]->SetId(kFrameIds[channel]);
        labels_[channel] = AddValueLabel(frames_[channel], frame, kLabelIds[channel], wxSize(170, 50));
        (channel < 3 ? main : ebsd)->Add(frame, 0, wxALL, 4);
    }
    page->Add(main, 0, wxLEFT | wxRIGHT | wxEXPAND, 2);
    page->Add(ebsd, 0, wxLEFT | wxRIGHT | wxEXPAND, 2);

    wxStaticBoxSizer* result = AddResultFrame(page);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    RenderState();
    return true;
}

void CABSEOLBackupPressureTest::RenderPage()
{
    const auto* logic = LogicAs<EolBackupPressureLogic>();
    if (!logic)
        return;
    const EolBackupPressureState& state = logic->State();
    for (size_t channel = 0; channel < labels_.size(); ++channel) {
        if (frames_[channel] && !state.frameCaptions[channel].empty())
            frames_[channel]->SetLabel(wxString::FromUTF8(state.frameCaptions[channel]));
        if (labels_[channel] && (!written_[channel] || state.labels[channel] != shown_[channel])) {
            written_[channel] = true;
            shown_[channel] = state.labels[channel];
            WriteValueLabel(labels_[channel], state.labels[channel], BackupPressureFont);
        }
    }
    if (ebsdShown_ != state.ebsdShown) {
        ebsdShown_ = state.ebsdShown;
        for (size_t channel = 3; channel < labels_.size(); ++channel) {
            frames_[channel]->Show(ebsdShown_);
            labels_[channel]->Show(ebsdShown_);
        }
    }
}
