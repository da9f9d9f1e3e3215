// The lifting-sensor test: for trailers whose lifting axles are moved by
// hand and reported by the lifting sensor. The page asks the operator for
// each movement, then reads the status (22 00 70) once a second for up to
// 60 s until it shows the expected positions, judging every reading with
// the status check of LiftingSensorTestRules.h. It commands nothing.
#pragma once

#include "EolLiftingPageLogic.h"
#include "LiftingSensorTestRules.h"

#include <cstdint>
#include <string>

class EolLiftingSensorTestLogic : public EolLiftingPageLogic {
public:
    static constexpr uint32_t kReadWaitMs = 500;
    static constexpr int32_t kTimeOutTicks = 60;
    static constexpr int kFirstPromptRow = 489;

    explicit EolLiftingSensorTestLogic(const tarvel::PageContext& context);

    int32_t Ticks() const { return ticks_; }
    // The YES (true) / NO button of pair 1 A .. 5 E.
    void Answer(int pair, bool yes) override;

    // Exit Test, whether a test runs or not.
    void OnDisconnected() override;

protected:
    void RunTest() override;
    void OnTick() override;
    void OnExitTest() override;
    void OnClearDisplay() override;

private:
    void ShowText(const std::string& text);
    void ShowPair(int promptRow, int pair);
    void StartStep(int step);
    void Conclude(bool passed, int failRow);

    int32_t ticks_ = 0;
};
