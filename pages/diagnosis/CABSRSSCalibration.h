// The roll-stability sensor calibration page's window: the angle label, the
// result picture and the four buttons. Each event goes to the page's logic
// in one line; the controls show the logic's state.
#pragma once

#include "PageHostPage.h"

#include <map>

class CNILikeStatic;
class wxButton;
class wxStaticBitmap;
class wxStaticBox;
class wxStaticText;

// The label that shows the angle, while the page exists (not owned).
extern CNILikeStatic* RssAngleLabel;

class CABSRSSCalibration : public CTarvelPage {
public:
    // Window ids of the page's controls. The Calibration button has an id of
    // its own: its resource number is the ribbon's RSS Calibration command.
    static constexpr int kCleanButtonId = 1677;
    static constexpr int kAngleLabelId = 1678;
    static constexpr int kInstructionId = 1679;
    static constexpr int kAngleFrameId = 1680;
    static constexpr int kButtonFrameId = 1681;
    static constexpr int kPictureId = 1682;
    static constexpr int kStartButtonId = 1683;
    static constexpr int kExitButtonId = 1617;
    static constexpr int kCalibrationButtonId = 1686;

    CABSRSSCalibration();
    ~CABSRSSCalibration() override;
    bool Create(wxWindow* parent) override;

    CNILikeStatic* AngleLabel() const { return angle_; }
    wxStaticBitmap* Picture() const { return picture_; }
    wxButton* StartButton() const { return start_; }
    wxButton* CalibrationButton() const { return calibrate_; }
    wxButton* CleanButton() const { return clean_; }
    wxButton* ExitButton() const { return exit_; }
    // The picture number on show (421, 423 or 424).
    int ShownBitmap() const { return shownBitmap_; }

protected:
    void RenderState() override;

private:
    const wxBitmap& Bitmap(int number);

    wxStaticBox* angleFrame_ = nullptr;
    wxStaticBox* buttonFrame_ = nullptr;
    wxStaticText* instruction_ = nullptr;
    CNILikeStatic* angle_ = nullptr;
    wxStaticBitmap* picture_ = nullptr;
    wxButton* start_ = nullptr;
    wxButton* calibrate_ = nullptr;
    wxButton* clean_ = nullptr;
    wxButton* exit_ = nullptr;
    int shownBitmap_ = 0;
    std::map<int, wxBitmap> bitmaps_;
};
