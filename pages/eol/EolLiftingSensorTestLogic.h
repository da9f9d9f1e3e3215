// The lifting-sensor test: for trailers whose lifting axles are moved by
// hand and reported by the lifting sensor. The page asks the operator for
// each movement, then reads the status (22 00 70) once a second for up to
// 60 s until it shows the expected positions, judging every reading with
// the status check of LiftingSensorTestRules.h. It commands nothing.
#pragma once

#include "AxlePreview.h"
#include "EolPageLogic.h"
#include "LiftingSensorTestRules.h"

#include <cstdint>
#include <string>

struct LiftingSensorTestState {
    int pairShown = 0; // 1 A .. 5 E, 0 none
    int step = 0;      // 1..5 while a step polls
    AxlePreviewCells preview{};
    std::string previewCaption;
    std::string yesCaption = "YES";
    std::string noCaption = "NO";
};

class EolLiftingSensorTestLogic : public EolPageLogic {
public:
    static constexpr uint16_t kStatusDid = 0x0070;
    static constexpr uint32_t kReadWaitMs = 500;
    static constexpr uint32_t kTickMs = 1000;
    static constexpr int32_t kTimeOutTicks = 60;
    static constexpr int kFirstPromptRow = 489;

    explicit EolLiftingSensorTestLogic(const tarvel::PageContext& context);

    const LiftingSensorTestState& State() const { return state_; }
    int32_t Ticks() const { return ticks_; }
    void Answer(int pair, bool yes);
    void ExitTest() { Exit(); }

    void OnActivate(int message) override;
    // Exit Test, whether a test runs or not.
    void OnDisconnected() override;

protected:
    void RunTest() override;
    void OnTick() override;
    void OnExitTest() override;
    void OnClearDisplay() override;
    void OnPageLanguageChanged() override;

private:
    void ShowText(const std::string& text);
    void ShowPair(int promptRow, int pair);
    void StartStep(int step);
    void Conclude(bool passed, int failRow);

    LiftingSensorTestState state_;
    int32_t ticks_ = 0;
};
