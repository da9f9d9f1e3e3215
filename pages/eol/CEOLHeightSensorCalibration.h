// The height-sensor calibration page: Start, Exit Test and Skip Test, the
// message line, for each axle (CD, EF) the current and calibration values
// with their labels and its calibrate button, and the two result pictures.
// Activation shows the sets of the axles the vehicle has.
#pragma once

#include "EolTestPage.h"

#include <map>
#include <string>
#include <vector>

class CNILikeStatic;
class EolHeightSensorLogic;
class wxStaticText;
class wxWindow;

class CEOLHeightSensorCalibration : public CEolTestPage {
public:
    static constexpr int kStartId = 1;
    static constexpr int kExitId = 2;
    static constexpr int kCdButtonId = 3;
    static constexpr int kEfButtonId = 1269;
    static constexpr int kSkipId = 1686;
    static constexpr int kMessageId = 1583;
    static constexpr int kCdCurrentLabelId = 1584;
    static constexpr int kCdCurrentId = 1585;
    static constexpr int kCdCalibrationLabelId = 1691;
    static constexpr int kCdCalibrationId = 1693;
    static constexpr int kEfCurrentLabelId = 1684;
    static constexpr int kEfCurrentId = 1685;
    static constexpr int kEfCalibrationLabelId = 1692;
    static constexpr int kEfCalibrationId = 1694;
    static constexpr int kCdAxleCaptionId = 1690;
    static constexpr int kCdPictureId = 1586;
    static constexpr int kEfAxleCaptionId = 1689;
    static constexpr int kEfPictureId = 1688;

    CEOLHeightSensorCalibration();
    bool Create(wxWindow* parent) override;

    wxButton* Start() const { return start_; }
    wxButton* ExitTest() const { return exit_; }
    wxButton* Skip() const { return skip_; }
    wxButton* CalibrateCd() const { return cd_; }
    wxButton* CalibrateEf() const { return ef_; }
    CNILikeStatic* Message() const { return message_; }
    CNILikeStatic* CdCurrent() const { return cdCurrent_; }
    CNILikeStatic* CdCalibration() const { return cdCalibration_; }
    CNILikeStatic* EfCurrent() const { return efCurrent_; }
    CNILikeStatic* EfCalibration() const { return efCalibration_; }

protected:
    void RenderPage() override;

private:
    EolHeightSensorLogic* Height() const;
    // Writes a label (black) or a value (0x803400) in HeightValueFont, or
    // the message in HeightMessageFont, when its text changed.
    void Write(CNILikeStatic* label, const std::string& text, bool value, bool message = false);

    wxButton* start_ = nullptr;
    wxButton* exit_ = nullptr;
    wxButton* skip_ = nullptr;
    wxButton* cd_ = nullptr;
    wxButton* ef_ = nullptr;
    CNILikeStatic* message_ = nullptr;
    CNILikeStatic* cdCurrentLabel_ = nullptr;
    CNILikeStatic* cdCurrent_ = nullptr;
    CNILikeStatic* cdCalibrationLabel_ = nullptr;
    CNILikeStatic* cdCalibration_ = nullptr;
    CNILikeStatic* efCurrentLabel_ = nullptr;
    CNILikeStatic* efCurrent_ = nullptr;
    CNILikeStatic* efCalibrationLabel_ = nullptr;
    CNILikeStatic* efCalibration_ = nullptr;
    wxStaticText* cdAxle_ = nullptr;
    wxStaticText* efAxle_ = nullptr;
    std::vector<wxWindow*> cdSet_;
    std::vector<wxWindow*> efSet_;
    std::map<CNILikeStatic*, std::string> written_;
    wxFont messageFont_;
    wxFont valueFont_;
};
