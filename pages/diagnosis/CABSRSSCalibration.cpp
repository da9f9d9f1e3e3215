#include "CABSRSSCalibration.h"

#include "ABSRSSCalibrationLogic.h"

#include "AppMessages.h"
#include "Log.h"
#include "NILike.h"

#include <wx/button.h>
#include <wx/fontenum.h>
#include <wx/image.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CNILikeStatic* RssAngleLabel = nullptr;

namespace {

// "Times New Roman" where the system has it, else a serif face of the same
// measure, else what the system gives for the font's family.
wxFont AngleFont()
{
    wxFontInfo info(wxSize(0, ABSRSSCalibrationLogic::kAngleFontHeight));
    info.Family(wxFONTFAMILY_SWISS).Weight(ABSRSSCalibrationLogic::kAngleFontWeight);
    for (const char* face : {ABSRSSCalibrationLogic::kAngleFontFace, "Liberation Serif", "DejaVu Serif"})
        if (wxFontEnumerator::IsValidFacename(face)) {
            info.FaceName(face);
            break;
        }
    return wxFont(info);
}

void SetIfChanged(wxWindow* window, const std::string& text)
{
    const wxString label = wxString::FromUTF8(text);
    if (window->GetLabel() != label)
        window->SetLabel(label);
}

} // namespace

CABSRSSCalibration::CABSRSSCalibration() : CTarvelPage(ABSRSSCalibrationLogic::kTab) {}

CABSRSSCalibration::~CABSRSSCalibration()
{
    if (RssAngleLabel == angle_)
        RssAngleLabel = nullptr;
}

bool CABSRSSCalibration::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    auto forward = [this](void (ABSRSSCalibrationLogic::*handler)()) {
        return [this, handler](wxCommandEvent&) {
            if (auto* logic = LogicAs<ABSRSSCalibrationLogic>())
                (logic->*handler)();
        };
    };

    auto* angleSizer = new wxStaticBoxSizer(new wxStaticBox(this, kAngleFrameId, wxString()), wxHORIZONTAL);
    angleFrame_ = angleSizer->GetStaticBox();
    angle_ = new CNILikeStatic(angleFrame_, kAngleLabelId, wxString(), wxDefaultPosition, wxSize(420, 80));
    angle_->SetFont(AngleFont());
    angle_->SetTextColour(ABSRSSCalibrationLogic::kAngleColour);
    RssAngleLabel = angle_;
    picture_ = new wxStaticBitmap(angleFrame_, kPictureId, wxNullBitmap, wxDefaultPosition, wxSize(50, 50));
    angleSizer->Add(angle_, 1, wxALL | wxEXPAND, 8);
    angleSizer->Add(picture_, 0, wxALL | wxALIGN_CENTER_VERTICAL, 8);

    instruction_ = new CWrapText(this, kInstructionId, wxString());

    auto* buttonSizer = new wxStaticBoxSizer(new wxStaticBox(this, kButtonFrameId, wxString()), wxHORIZONTAL);
    buttonFrame_ = buttonSizer->GetStaticBox();
    calibrate_ = new wxButton(buttonFrame_, kCalibrationButtonId, wxString());
    clean_ = new wxButton(buttonFrame_, kCleanButtonId, wxString());
    buttonSizer->Add(calibrate_, 0, wxALL, 8);
    buttonSizer->Add(clean_, 0, wxALL, 8);

    start_ = new wxButton(this, kStartButtonId, wxString());
    exit_ = new wxButton(this, kExitButtonId, wxString());
    auto* runSizer = new wxBoxSizer(wxHORIZONTAL);
    runSizer->Add(start_, 0, wxRIGHT, 12);
    runSizer->Add(exit_, 0);

    start_->Bind(wxEVT_BUTTON, forward(&ABSRSSCalibrationLogic::OnStartClicked));
    calibrate_->Bind(wxEVT_BUTTON, forward(&ABSRSSCalibrationLogic::OnCalibrationClicked));
    clean_->Bind(wxEVT_BUTTON, forward(&ABSRSSCalibrationLogic::OnCleanClicked));
    exit_->Bind(wxEVT_BUTTON, forward(&ABSRSSCalibrationLogic::OnExitClicked));
    Bind(EVT_APP_MESSAGE, [this](AppMessageEvent&) {
        if (auto* logic = LogicAs<ABSRSSCalibrationLogic>())
            logic->OnLinkGone();
    }, WM_RSSCALIB_DISCONNECTED);

    GetSizer()->Add(angleSizer, 0, wxLEFT | wxRIGHT | wxEXPAND, 12);
    GetSizer()->Add(instruction_, 0, wxALL, 12);
    GetSizer()->Add(buttonSizer, 0, wxLEFT | wxRIGHT, 12);
    GetSizer()->Add(runSizer, 0, wxALL, 12);
    RenderState();
    return true;
}

const wxBitmap& CABSRSSCalibration::Bitmap(int number)
{
    auto found = bitmaps_.find(number);
    if (found != bitmaps_.end())
        return found->second;
    wxBitmap bitmap;
    if (const auto* logic = LogicAs<ABSRSSCalibrationLogic>()) {
        const std::string path = logic->Context().dataFolder + "/" + ABSRSSCalibrationLogic::BitmapFile(number);
        wxImage image;
        if (image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG))
            bitmap = wxBitmap(image);
        else
            tarvel::TraceLog("Picture missing: " + path + "\n");
    }
    return bitmaps_[number] = bitmap;
}

void CABSRSSCalibration::RenderState()
{
    const auto* logic = LogicAs<ABSRSSCalibrationLogic>();
    if (!angle_ || !logic)
        return;
    const ABSRSSCalibrationState& state = logic->State();
    SetIfChanged(angleFrame_, state.angleFrameText);
    SetIfChanged(buttonFrame_, state.buttonFrameText);
    SetIfChanged(instruction_, state.instructionText);
    SetIfChanged(calibrate_, state.calibrateText);
    SetIfChanged(clean_, state.cleanText);
    SetIfChanged(start_, state.startText);
    SetIfChanged(exit_, state.exitText);

    if (angle_->GetLabel() != wxString::FromUTF8(state.angleText))
        angle_->SetText(state.angleText);

    start_->Enable(!state.displaying);
    exit_->Enable(state.displaying);
    calibrate_->Enable(state.displaying);
    clean_->Enable(state.displaying);

    if (shownBitmap_ != state.bitmap) {
        shownBitmap_ = state.bitmap;
        picture_->SetBitmap(Bitmap(state.bitmap));
    }
    Layout();
}
