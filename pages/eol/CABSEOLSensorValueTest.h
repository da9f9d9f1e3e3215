// The wheel-sensor and modulator test page: Automatic Test and Manual Test,
// the wheel orders, one Start button per wheel, the operator's answer pair,
// the form choice for a trailer whose form is unknown, the seven result
// pictures and the axle preview. Everything it shows comes from
// EolSensorTestLogic.
#pragma once

#include "EolTestPage.h"

#include <array>
#include <functional>
#include <string>

class wxStaticText;

class CABSEOLSensorValueTest : public CEolTestPage {
public:
    static constexpr int kAutomaticId = 1432;
    // The side of its result pictures, in pixels.
    static constexpr int kResultPictureSize = 32;
    static constexpr int kManualId = 1433;
    static constexpr int kExitId = 1507;
    static constexpr int kClockwiseId = 1505;
    static constexpr int kAnticlockwiseId = 1506;
    static constexpr int kFirstStepId = 1453; // 1453..1456
    static constexpr int kCanTurnId = 1458;
    static constexpr int kCannotTurnId = 1459;
    static constexpr int kFormHeadingId = 1531;
    static constexpr int k4S2MId = 1462;
    static constexpr int k2S2MId = 1463;
    static constexpr int k4S3MId = 1464;
    static constexpr int kPromptId = 1457;
    static constexpr int kInstructionId = 1461;
    static constexpr int kRemarkId = 1460;
    static constexpr int kResultLabelId = 1436;
    static constexpr int kPreviewId = 1302;

    CABSEOLSensorValueTest();
    // Asks a running step to stop: the page is going away.
    ~CABSEOLSensorValueTest() override;
    bool Create(wxWindow* parent) override;

    wxButton* AutomaticButton() const { return automatic_; }
    wxButton* ManualButton() const { return manual_; }
    wxButton* ExitTestButton() const { return exitTest_; }
    wxButton* ClockwiseButton() const { return clockwise_; }
    wxButton* AnticlockwiseButton() const { return anticlockwise_; }
    wxButton* StepButton(int step) const { return steps_[static_cast<size_t>(step)]; }
    wxButton* CanTurnButton() const { return canTurn_; }
    wxButton* CannotTurnButton() const { return cannotTurn_; }
    CNILikeStatic* Prompt() const { return prompt_; }
    wxStaticText* PreviewCell(int index) const { return previewCells_[static_cast<size_t>(index)]; }

protected:
    void RenderPage() override;

private:
    class EolSensorTestLogic* Sensor() const;
    wxButton* Button(wxWindow* parent, wxSizer* sizer, int id, const char* text, std::function<void()> action);

    wxButton* automatic_ = nullptr;
    wxButton* manual_ = nullptr;
    wxButton* exitTest_ = nullptr;
    wxButton* clockwise_ = nullptr;
    wxButton* anticlockwise_ = nullptr;
    std::array<wxButton*, 4> steps_{};
    wxButton* canTurn_ = nullptr;
    wxButton* cannotTurn_ = nullptr;
    wxStaticText* formHeading_ = nullptr;
    std::array<wxButton*, 3> formButtons_{};
    CNILikeStatic* prompt_ = nullptr;
    CNILikeStatic* instruction_ = nullptr;
    wxStaticText* remark_ = nullptr;
    wxStaticText* resultLabel_ = nullptr;
    std::array<wxStaticText*, 7> labels_{};
    std::vector<wxStaticText*> previewCells_;
    std::string promptShown_, instructionShown_;
    uint32_t promptColourShown_ = 0;
};
