#include "CEOLHeightSensorCalibration.h"

#include "EolHeightSensorLogic.h"
#include "EolLampPageParts.h"

#include "NILike.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {

// The two lines of a value, as "---\n---" is written.
const wxSize kValueSize(110, 54);
const wxSize kLabelSize(200, 54);

} // namespace

CEOLHeightSensorCalibration::CEOLHeightSensorCalibration() : CEolTestPage(tarvel::TabEolHeightSensor) {}

EolHeightSensorLogic* CEOLHeightSensorCalibration::Height() const
{
    return LogicAs<EolHeightSensorLogic>();
}

bool CEOLHeightSensorCalibration::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    messageFont_ = PageFont(kEolHeightFont);        // HeightMessageFont
    valueFont_ = PageFont(kEolHeightSecondFont);    // HeightValueFont
    SetPageFont(valueFont_);
    wxSizer* page = GetSizer();

    auto* row = new CWrapRow;
    start_ = AddStartButton(this, row, kStartId);
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Height()) Height()->ExitHeightCalibration(); });
    exit_->Disable();
    skip_ = eolpage::AddButton(this, row, kSkipId, "Skip Test",
                               [this] { if (Height()) Height()->AcceptCurrentHeightCalibration(); });
    page->Add(row, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    message_ = AddValueLabel(this, page, kMessageId, wxSize(680, 90));

    auto* axles = new CWrapRow;
    auto axleColumn = [&](int currentLabel, int current, int calibrationLabel, int calibration, int button,
                          const char* caption, std::function<void()> onClick, CNILikeStatic*& currentLabelOut,
                          CNILikeStatic*& currentOut, CNILikeStatic*& calibrationLabelOut,
                          CNILikeStatic*& calibrationOut, wxButton*& buttonOut, std::vector<wxWindow*>& set) {
        auto* column = new wxBoxSizer(wxVERTICAL);
        auto* grid = new wxFlexGridSizer(2);
        currentLabelOut = AddValueLabel(this, grid, currentLabel, kLabelSize);
        currentOut = AddValueLabel(this, grid, current, kValueSize);
        calibrationLabelOut = AddValueLabel(this, grid, calibrationLabel, kLabelSize);
        calibrationOut = AddValueLabel(this, grid, calibration, kValueSize);
        column->Add(grid);
        buttonOut = eolpage::AddButton(this, column, button, caption, std::move(onClick));
        buttonOut->Disable();
        axles->Add(column, 0, wxALL, 6);
        set.insert(set.end(), {buttonOut, currentLabelOut, currentOut, calibrationLabelOut, calibrationOut});
    };
    axleColumn(kCdCurrentLabelId, kCdCurrentId, kCdCalibrationLabelId, kCdCalibrationId, kCdButtonId, "Start",
               [this] { if (Height()) Height()->CalibrateCdAxleHeight(); }, cdCurrentLabel_, cdCurrent_,
               cdCalibrationLabel_, cdCalibration_, cd_, cdSet_);
    axleColumn(kEfCurrentLabelId, kEfCurrentId, kEfCalibrationLabelId, kEfCalibrationId, kEfButtonId,
               "Start ef Axle", [this] { if (Height()) Height()->CalibrateEfAxleHeight(); }, efCurrentLabel_,
               efCurrent_, efCalibrationLabel_, efCalibration_, ef_, efSet_);
    page->Add(axles, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    wxWindow* frame = result->GetStaticBox();
    auto* pictures = new wxBoxSizer(wxHORIZONTAL);
    cdAxle_ = eolpage::AddCaption(frame, pictures, kCdAxleCaptionId, "CD axle");
    wxStaticBitmap* cdPicture = AddResultPicture(frame, pictures, kCdPictureId);
    efAxle_ = eolpage::AddCaption(frame, pictures, kEfAxleCaptionId, "EF axle");
    wxStaticBitmap* efPicture = AddResultPicture(frame, pictures, kEfPictureId);
    result->Add(pictures, 0, wxALL, 6);
    cdSet_.insert(cdSet_.end(), {cdAxle_, cdPicture});
    efSet_.insert(efSet_.end(), {efAxle_, efPicture});

    RenderState();
    return true;
}

void CEOLHeightSensorCalibration::Write(CNILikeStatic* label, const std::string& text, bool value, bool message)
{
    if (!label)
        return;
    auto shown = written_.find(label);
    if (shown != written_.end() && shown->second == text)
        return;
    written_[label] = text;
    if (value) {
        WriteValueLabel(label, text, valueFont_);
        return;
    }
    label->SetGreenText(text);
    label->SetFont(message ? messageFont_ : valueFont_);
    label->SetTextColour(0);
    label->Refresh();
}

void CEOLHeightSensorCalibration::RenderPage()
{
    const EolHeightSensorLogic* logic = Height();
    if (!logic)
        return;
    const EolHeightState& state = logic->State();
    auto caption = [](wxWindow* control, const std::string& text) {
        if (control && !text.empty())
            control->SetLabel(wxString::FromUTF8(text));
    };
    caption(cd_, state.cdButtonCaption);
    caption(ef_, state.efButtonCaption);
    caption(skip_, state.skipCaption);
    caption(cdAxle_, state.cdAxleCaption);
    caption(efAxle_, state.efAxleCaption);
    caption(exit_, logic->Common().exitCaption);
    exit_->Enable(logic->Common().exitEnabled);
    cd_->Enable(state.cdEnabled);
    ef_->Enable(state.efEnabled);
    skip_->Enable(state.skipEnabled);

    Write(message_, state.message, false, true);
    Write(cdCurrentLabel_, state.cdCurrentLabel, false);
    Write(cdCalibrationLabel_, state.cdCalibrationLabel, false);
    Write(efCurrentLabel_, state.efCurrentLabel, false);
    Write(efCalibrationLabel_, state.efCalibrationLabel, false);
    Write(cdCurrent_, state.cdCurrent, true);
    Write(cdCalibration_, state.cdCalibration, true);
    Write(efCurrent_, state.efCurrent, true);
    Write(efCalibration_, state.efCalibration, true);

    for (wxWindow* w : cdSet_)
        w->Show(state.cdShown);
    for (wxWindow* w : efSet_)
        w->Show(state.efShown);
}
