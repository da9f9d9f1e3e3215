// The wheel-sensor and modulator test: the operator spins each wheel by
// hand, the page finds the turning wheel from the wheel speeds, pulses the
// modulator that should brake it and judges whether it stopped
// (WheelTurnDetection.h). Automatic mode runs the wheels in a clockwise or
// anticlockwise order; manual mode has one Start button per wheel and asks
// the operator when no wheel was seen turning.
//
// The page has no timer: every wait pumps events inside the button handler,
// so Exit, the answers and a disconnect arrive during a step. A step, the
// answer wait and a wheel order end at once on a stop request, a lost link,
// Exit or the page's end, and then record nothing.
#pragma once

#include "AxlePreview.h"
#include "EolPageLogic.h"
#include "WheelTurnDetection.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct SensorTestState {
    // The form whose controls are laid out ("2S2M", "4S2M", "4S3M"), empty
    // before Prepare found one: the mode buttons, labels and pictures.
    std::string layout;
    // The form choice (heading and three buttons).
    bool formChoiceShown = false;
    // Wheel-order buttons.
    bool orderShown = false;
    bool orderEnabled = false;
    // Manual Start buttons of steps 0..3 and their captions.
    std::array<bool, 4> stepShown{};
    std::array<std::string, 4> stepCaption;
    // Step prompt / operator question (1457) and its colour (0x00BBGGRR).
    bool promptShown = false;
    std::string prompt;
    uint32_t promptColour = 0x803400;
    // "Can Turn" / "Can not Turn".
    bool answerShown = false;
    // Instruction line (1461).
    bool instructionShown = false;
    std::string instruction;
    // Remark line (1460).
    bool remarkShown = false;
    std::string remark;
    // The preview cells.
    WheelPreviewCells preview{};
    // Captions of the current language.
    std::string automaticCaption, manualCaption, previewCaption, clockwiseCaption, anticlockwiseCaption,
        canTurnCaption, cannotTurnCaption;
    std::array<std::string, 7> labelCaptions; // sensors 1..4, modulators 1..3
};

class EolSensorTestLogic : public EolPageLogic {
public:
    static constexpr uint16_t kFirstSpeedDid = 0x0010;
    static constexpr uint16_t kPulseDid = 0x0001;
    static constexpr uint32_t kSetUpWaitMs = 600;
    static constexpr uint32_t kFormChoiceWaitMs = 800;
    static constexpr uint32_t kStepWaitMs = 500;
    static constexpr uint32_t kAnswerWaitMs = 500;
    static constexpr uint32_t kPromptColour = 0x000034;
    static constexpr uint32_t kValueColour = 0x803400;
    static constexpr int kPulseRefusedRow = 190;
    static constexpr int kChainRowFailedRow = 197;
    static constexpr int kFirstStepCaptionRow = 241;
    static constexpr int kFirstPromptRow = 245;
    static constexpr int kTwoSensorInstructionRow = 249;
    static constexpr int kFourSensorInstructionRow = 250;
    static constexpr int kManualInstructionRow = 251;
    static constexpr int kReadFailedRow = 269;
    static constexpr int kOperatorQuestionRow = 270;

    explicit EolSensorTestLogic(const tarvel::PageContext& context);
    ~EolSensorTestLogic() override;

    // The prompt of step 0..3 (turn wheel c, d, e, f) as the page shows it:
    // UI text 245 + step, or the page's own words when the language file
    // has none for it. Empty for any other step.
    static std::string WheelPrompt(const tarvel::TextTable& texts, int step);

    const SensorTestState& State() const { return state_; }

    // ---- The view's events ----
    void AutomaticTest();
    void ManualTest();
    void ExitTest();
    // 1505 (clockwise) / 1506 (anticlockwise).
    void RunSensorChain(bool clockwise);
    // 1453..1456: steps 0..3.
    void RunManualSensorStep(int step);
    // 1458 "Can Turn" (true) / 1459 "Can not Turn".
    void AnswerTurn(bool canTurn);
    // 1462 "4S2M", 1463 "2S2M", 1464 "4S3M".
    void ChooseForm(const std::string& form);

    // ---- Lifecycle ----
    void OnActivate(int message) override;
    void OnDisconnected() override;

    // ---- Pieces the steps use (public for tests) ----
    // 10 03, then SecurityAccess; a refusal shows UI text 185 or 186
    // (caption 76, no icon) and gives false with TestRunning back at 0.
    bool EnterSessionAndUnlock();
    // 2F 00 01 03 <channel> FF 00, then 3E 00; a refusal shows UI text 190.
    int PulseModulator(uint8_t channel);
    // The results of the form back to their untested look (sensors 3 and 4
    // of a two-sensor trailer count as passed).
    static void ResetSensorTestResults();
    static void ResetSensorTestItem(uint8_t item);

protected:
    void RunTest() override;
    void OnExitTest() override;
    void OnPageLanguageChanged() override;

private:
    enum class Mode { None, Automatic, Manual };

    void Prepare();
    void ShowLayout(const std::string& form);
    void ShowSensorPreview();
    void HideStepControls();
    void SetUpAutomatic();
    void SetUpManual();
    // false when the chain or step must end without recording anything.
    bool GoesOn();
    bool StepWait(uint32_t ms);
    // One step; false when it was stopped.
    bool RunSensorStep(int step, bool manual);
    // The detection of one step: 0/1, or nothing when it was stopped.
    std::optional<uint8_t> RunDetection(int sensors, bool manual);
    void ApplyEvaluation(const WheelEvaluation& evaluation, bool manual);
    void ShowPrompt(const std::string& text, uint32_t colour);

    Mode mode_ = Mode::None;
    bool stepRunning_ = false;
    SensorTestState state_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The working verdicts as the detection sees them, and back.
WheelWork LoadWheelWork();
void StoreWheelWork(const WheelWork& work);
WheelResults LoadWheelResults();
void StoreWheelResults(const WheelResults& results);
