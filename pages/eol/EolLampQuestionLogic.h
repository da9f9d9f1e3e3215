// The lamp question both lamp pages ask: the page commands a lamp output of
// identifier 0x0004 on and asks the operator whether it is lit, then commands
// it off and asks whether it is dark. While a question is open a 2000 ms timer
// re-sends the command, so the ECU keeps the output where it was put. Each
// answer sets one result flag; a NO also sets the item's remark and writes the
// failure marker into the ECU. The pages give their output, flags, remarks,
// texts and marker rule in an EolLampPageSpec.
//
// Every request pumps events, so the operator's buttons and the timer can fire
// while the page is inside one of its own steps or while another request holds
// the link. Start, Exit, Skip and the answers are therefore run in order: one
// that arrives while a step of this page runs or a request is in flight waits
// until they end (a request started meanwhile would be refused by the UDS
// engine). An answer then acts only if its question is still open. A re-send
// tick that falls due while the page is busy is skipped.
#pragma once

#include "EolEventOrder.h"
#include "EolPageLogic.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

// Which question is open (its YES/NO pair is shown).
enum class LampQuestion { None, LampOn, LampOff };

// What a lamp page gives for one of the two questions (lamp on, lamp off).
struct EolLampPhaseSpec {
    int32_t* result;
    std::string* remark;
    int promptRow; // UI text of the question
    int refusedRow; // UI text of a refused lamp command at the phase's start
};

// What a lamp page gives the shared question.
struct EolLampPageSpec {
    EolPage page;
    uint8_t output; // first state byte of 2F 00 04 03: 01 warning lamp, 08 brake lamp
    EolLampPhaseSpec on;
    EolLampPhaseSpec off;
    // After the lamp-on NO the marker is written only when SecurityAccess
    // succeeded (10 03 and SecurityAccess sent one by one); otherwise the
    // whole marker sequence runs whatever each step answers.
    bool onMarkerNeedsUnlock;
};

// What the lamp part of a page shows, beside the common state.
struct EolLampQuestionState {
    LampQuestion open = LampQuestion::None;
    // Captions of the current language: YES (UI text 237), NO (238),
    // "Lamp On：" (47), "Lamp Off：" (48).
    std::string yesCaption;
    std::string noCaption;
    std::string lampOnCaption;
    std::string lampOffCaption;
};

class EolLampQuestionLogic : public EolPageLogic {
public:
    static constexpr uint16_t kLampDid = 0x0004;
    static constexpr uint8_t kShortTermAdjustment = 0x03;
    static constexpr uint8_t kLampOnState = 0xFF;
    static constexpr uint8_t kLampOffState = 0x00;
    static constexpr uint8_t kThirdState = 0xFF;
    static constexpr uint16_t kMarkerDid = 0x0094;
    static constexpr uint32_t kResendMs = 2000;
    // How often an event that waits for the page or the link looks again.
    static constexpr uint32_t kRetryMs = EolEventOrder::kRetryMs;
    static constexpr int kYesTextRow = 237;
    static constexpr int kNoTextRow = 238;
    static constexpr int kLampOnTextRow = 47;
    static constexpr int kLampOffTextRow = 48;
    static constexpr int kOnRemarkRow = 101;  // report text
    static constexpr int kOffRemarkRow = 102; // report text
    static constexpr int kOnPicture = 0;
    static constexpr int kOffPicture = 1;

    ~EolLampQuestionLogic() override;

    const EolLampQuestionState& Lamp() const { return lamp_; }
    const EolLampPageSpec& LampSpec() const { return spec_; }

    // ---- The view's events (run now, or once the page and link are free) ----
    void StartClicked();
    void ExitClicked();
    // The YES/NO pair of the lamp-on (LampOn) or lamp-off (LampOff) question.
    void Answer(LampQuestion question, bool yes);

    // The re-send timer of `question` runs.
    bool ResendTimerRunning(LampQuestion question) const;
    // Events waiting for the page or the link.
    size_t WaitingEvents() const { return order_.Waiting(); }

    // A lost link ends a running test as Exit does (flags back to -1, timers
    // stopped, navigation free); the remarks stay.
    void OnDisconnected() override;

protected:
    EolLampQuestionLogic(int tab, const EolLampPageSpec& spec, const tarvel::PageContext& context);

    // ---- What a page may change ----
    // Start after the queue: the common Start (connection check, resets,
    // then the lamp-on phase).
    virtual void DoStart() { Start(); }
    // Exit after the queue: the common Exit of a running test.
    virtual void DoExit() { Exit(); }

    void RunTest() override;
    void OnExitTest() override;
    void OnPageLanguageChanged() override;
    // The common YES/NO events answer the open question.
    void OnAnswer(bool yes) override { Answer(lamp_.open, yes); }

    // Runs `action` now when neither a step of this page nor a request is in
    // progress, else queues it behind what waits already.
    void RunInOrder(std::function<void()> action) { order_.Run(std::move(action)); }
    bool Busy() const { return order_.Busy(); }

    void BeginLampOnPhase();
    void BeginLampOffPhase();
    void FinishLampTest();
    // Both re-send timers stopped and no question open.
    void CloseQuestions();
    // The command of the lamp through 2F 00 04 03 <output> <FF|00> FF.
    bool SendLamp(bool on);

    EolLampQuestionState& MutableLamp() { return lamp_; }

private:
    void ResendTick(LampQuestion question);
    void AnswerNow(LampQuestion question, bool yes);
    void WriteLampOnMarker();
    tarvel::Timer& ResendTimer(LampQuestion question);
    void OpenQuestion(LampQuestion question, int promptRow, tarvel::Timer& timer);

    EolLampPageSpec spec_;
    EolLampQuestionState lamp_;
    std::unique_ptr<tarvel::Timer> onTimer_;
    std::unique_ptr<tarvel::Timer> offTimer_;
    EolEventOrder order_;
};
