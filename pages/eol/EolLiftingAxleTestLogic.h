// The lifting-axle test: the page drives the lifting-axle output (2F 00 07)
// to one end position after the other, polls the status (22 00 70) once a
// second for up to 16 s until the axle got there, and asks the operator to
// confirm each movement. With the lifting-sensor variant it only asks. The
// rules are in LiftingAxleTestRules.h.
#pragma once

#include "EolLiftingPageLogic.h"
#include "LiftingAxleTestRules.h"

#include <cstdint>

class EolLiftingAxleTestLogic : public EolLiftingPageLogic {
public:
    static constexpr uint16_t kControlDid = 0x0007;
    static constexpr uint32_t kReadWaitMs = 2000;
    static constexpr int32_t kTimeOutTicks = 15;
    static constexpr int kUnknownTypeRow = 555;
    static constexpr int kSessionFailedRow = 560;
    static constexpr int kUnlockFailedRow = 561;

    explicit EolLiftingAxleTestLogic(const tarvel::PageContext& context);

    // The YES (true) / NO button of answer row 1..5.
    void Answer(int row, bool yes) override;
    // 10 03, SecurityAccess, 2F 00 07 03 output state; a failure runs Exit
    // Test and shows its box. False then.
    bool LiftingAxleCommand(uint8_t output, uint8_t state);

    void OnDisconnected() override;

protected:
    void RunTest() override;
    void OnTick() override;
    void OnExitTest() override;
    void OnClearDisplay() override;

private:
    void ShowPrompt(int row);
    void ShowRow(int row);
    void StartStep(int step, int promptRow, uint8_t output, uint8_t state);
    void Evaluate();
};
