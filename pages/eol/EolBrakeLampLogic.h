// The brake-lamp test: output 08 of identifier 0x0004 on, "is the brake lamp
// on?", then off, "is the brake lamp off?"; each NO writes the failure marker.
// Beside the test the page offers "Skip Test" (both results 2 for this run)
// and the "Never Test" box, whose choice is kept in BrakeLampNeverTest
// (LastConfig.xml) and applied by the view's reset message, so a lamp never
// tested counts as skipped even on a page that was never opened.
#pragma once

#include "EolLampQuestionLogic.h"

#include <string>

// What the brake-lamp page shows beside the lamp question.
struct EolBrakeLampState {
    bool neverTestTicked = false;
    // Idle: Skip only while "Never Test" is unticked, "Never Test" enabled.
    // Running (a question open, or stalled after a refused command): Skip
    // enabled, "Never Test" disabled.
    bool skipEnabled = true;
    bool neverTestEnabled = true;
    std::string skipCaption;      // UI text 486
    std::string neverTestCaption; // UI text 487
};

class EolBrakeLampLogic : public EolLampQuestionLogic {
public:
    static constexpr uint8_t kBrakeLampOutput = 0x08;
    static constexpr int kLampOnPromptRow = 449;
    static constexpr int kLampOffPromptRow = 450;
    static constexpr int kLampOnRefusedRow = 465;
    static constexpr int kLampOffRefusedRow = 466;
    static constexpr int kSkipTextRow = 486;
    static constexpr int kNeverTestTextRow = 487;

    explicit EolBrakeLampLogic(const tarvel::PageContext& context);

    const EolBrakeLampState& State() const;

    // ---- The view's events (in order with Start, Exit and the answers) ----
    // "Skip Test".
    void SkipClicked();
    // The "Never Test" box was clicked and is now `ticked`.
    void NeverTestClicked(bool ticked);

    // The view's reset message: ticks the box from BrakeLampNeverTest; a
    // ticked box skips the lamp (both results 2), an unticked one stores 0.
    void ApplyBrakeLampNeverTest();

    // The lamp commands (2F 00 04 03 08 FF FF / 08 00 FF); true when accepted.
    bool BrakeLampOn() { return SendLamp(true); }
    bool BrakeLampOff() { return SendLamp(false); }

protected:
    void DoStart() override;
    void DoExit() override { ExitBrakeLampTest(); }
    void OnPageLanguageChanged() override;

private:
    // Exit Test: back to idle with both results -1; nothing is sent.
    void ExitBrakeLampTest();
    // Skip Test: Exit, both results 2, the box UI text 486.
    void SkipBrakeLampTest();
    void SetNeverTest(bool ticked);
    void BlankPage();

    mutable EolBrakeLampState state_;
};
