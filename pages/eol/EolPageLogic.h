// What every end-of-line test page shares, free of windows: the run state
// (idle, running, finished), the Start checks, the extended session and
// unlock before outputs are commanded, a repeating tick that re-sends an
// output and stops the test when asked to, the operator's YES/NO answers,
// recording a pass or a failure (with the failure marker in the ECU), the
// end-of-test boxes and Exit.
//
// A page derives from EolPageLogic, names its traits once, and writes its own
// sequence in RunTest():
//
//   class MyLampLogic : public EolPageLogic {
//   public:
//       explicit MyLampLogic(const tarvel::PageContext& c)
//           : EolPageLogic(tarvel::TabEolLamp, {EolPage::WarningLamp, 2, true, false, true}, c) {}
//   protected:
//       void RunTest() override
//       {
//           if (!EnterExtendedSessionAndUnlock()) return;  // boxes 185/186, back to idle
//           ... command the output, StartTicks(2000), Ask(question) ...
//       }
//       void OnTick() override { ... re-send the output ... }
//       void OnAnswer(bool yes) override
//       {
//           if (yes) RecordPass(0, EolWarningLampOnResult);
//           else RecordFail(0, EolWarningLampOnResult, EolWarningLampOnRemark, 75);
//           ... next item, or FinishTest(passed) ...
//       }
//       void OnClearDisplay() override { ... the page's labels to "" ... }
//   };
//
// Every pumped wait (PumpedWait, and every UDS call) can run other handlers:
// after each, a page checks StillRunning() (and StopRequested() if it honours
// EolStopRequested) before it goes on.
#pragma once

#include "EolGlobals.h"
#include "PageLogic.h"
#include "Prompter.h"
#include "Timer.h"

#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <vector>

// The result pictures: bitmap 424 idle or not tested, 423 passed, 421 failed.
enum class EolPicture { Idle, Passed, Failed };
constexpr int EolPictureBitmap(EolPicture picture)
{
    return picture == EolPicture::Passed ? 423 : picture == EolPicture::Failed ? 421 : 424;
}

// What the framework part of a page shows.
struct EolPageState {
    bool startEnabled = true;
    bool exitEnabled = false;
    // The operator's YES/NO pair and the question above it.
    bool answerShown = false;
    std::string question;
    // One entry per picture static of the page, in the page's order.
    std::vector<EolPicture> pictures;
    // Captions of the current language: Start (UI text 43), Exit Test (46)
    // and the "Test Result：" frame (45).
    std::string startCaption;
    std::string exitCaption;
    std::string resultCaption;
};

// How a page departs from the common shape.
struct EolPageTraits {
    EolPage page;
    int pictureCount = 1;
    // Start sets EolStopRequested to 0 (most pages; not the supply voltage).
    bool startClearsStop = true;
    // Exit sets EolStopRequested to 1 (fault check, pressures, wheel sensors).
    bool exitSetsStop = false;
    // The page has an Exit Test button (enabled while a test runs).
    bool hasExit = true;
    // Exit leaves the result pictures as they are (the wheel sensors: the
    // operator still sees which wheel failed).
    bool exitKeepsPictures = false;
};

// The vehicle identification in the first `size` bytes of a 22 F1 90 answer
// (the announced length); empty when they hold none.
std::string EolVinText(const std::vector<uint8_t>& data, size_t size);

// The results held belong to the ECU they were earned on: a non-empty `vin`
// other than that ECU's, while any result is held, resets every result and
// says so in a box captioned `caption`. The VIN is then the results' owner.
void ApplyEolResultsVin(const std::string& vin, const std::string& caption);

class EolPageLogic : public tarvel::PageLogic {
public:
    // UI and report text rows of the common shape.
    static constexpr int kStartTextRow = 43;
    static constexpr int kTestResultTextRow = 45;
    static constexpr int kExitTextRow = 46;
    static constexpr int kNotConnectedTextRow = 75;
    static constexpr int kTipsCaptionRow = 74;
    static constexpr int kErrorCaptionRow = 76;
    static constexpr int kPassedTextRow = 184;
    static constexpr int kSessionRefusedTextRow = 185;
    static constexpr int kSecurityRefusedTextRow = 186;
    static constexpr int kFailedTextRow = 189;
    static constexpr int kSilentAfterRestartTextRow = 682;
    static constexpr uint16_t kVinDid = 0xF190;

    EolPageLogic(int tab, const EolPageTraits& traits, const tarvel::PageContext& context);
    ~EolPageLogic() override;

    const EolPageState& Common() const { return common_; }
    const EolPageTraits& Traits() const { return traits_; }
    // True from a Start that passed its checks until the test ends, Exit,
    // or the link is lost.
    bool Running() const { return running_; }

    // ---- The view's events ----
    // The Start button. Ignored while this page's test runs (the button is
    // disabled then, but a click may already be queued).
    void Start();
    // The Exit Test button.
    void Exit();
    // The operator's YES / NO buttons; ignored while the pair is hidden.
    void AnswerYes();
    void AnswerNo();

    // ---- Lifecycle ----
    // Shows the idle pictures and cleared labels when every flag of the page
    // is -1, else keeps the last outcome. Sends nothing.
    void OnActivate(int message) override;
    void OnLanguageChanged() override;
    // A lost link ends a running test: the page returns to idle (test idle,
    // ticks stopped, buttons idle) so navigation is free after a reconnect.
    // Results are left as they stand.
    void OnDisconnected() override;

protected:
    // ---- What a page writes ----
    // The page's sequence, after Start's checks and resets. Ends with
    // FinishTest, EndRun or Exit on every path, or leaves the page running
    // (ticks, an open question) for later events to finish.
    virtual void RunTest() = 0;
    // One tick of StartTicks' timer while the test runs, no request is in
    // flight and no stop was requested.
    virtual void OnTick() {}
    // The operator answered the open question.
    virtual void OnAnswer(bool yes) { (void)yes; }
    // Exit's page-specific part, before the common reset (hand outputs back).
    virtual void OnExitTest() {}
    // Labels and lists to their cleared look (activation with nothing tested,
    // Exit).
    virtual void OnClearDisplay() {}
    // The program is closing while the test runs; the run has ended already.
    // What the page holds goes back to the ECU without a box, as when the
    // link falls silent: the wait of that request ends at once, so nothing
    // waits for an answer either. By default what Exit hands back.
    virtual void OnProgramClosing() { OnExitTest(); }
    // The page's own captions, after the common ones.
    virtual void OnPageLanguageChanged() {}

    // Exit's work whether a test runs or not: the page-specific part, the
    // page's results to -1, test idle, the idle look. For pages whose Exit
    // also ends a finished run's display (a lost link).
    void ExitEvenWhenIdle();

    // ---- Steps ----
    // 10 03, then SecurityAccess. A refusal shows UI text 185 or 186
    // (caption 76) and returns the page to idle; false then.
    bool EnterExtendedSessionAndUnlock(tarvel::MsgIcon icon = tarvel::MsgIcon::Exclamation);
    // Waits `ms` pumping events; true when the test still runs afterwards.
    bool PumpedWait(uint32_t ms);
    // The same for pages that honour EolStopRequested: also false when a
    // stop was requested meanwhile (the page then ends as its Part says,
    // usually through Exit()).
    bool PumpedWaitUnlessStopped(uint32_t ms) { return PumpedWait(ms) && !StopRequested(); }
    // The test was not ended meanwhile (by Exit, a disconnect or a nested
    // handler). A close of the program, seen here first, ends the run
    // quietly (OnProgramClosing): every later wait would end at once and
    // read as a failure nobody is left to see.
    bool StillRunning();
    // The user closes the program: pumped waits end early from now on.
    static bool ProgramClosing();
    static bool StopRequested() { return EolStopRequested.load() == 1; }

    // Starts (or restarts) the page's repeating tick; StopTicks kills it.
    // A tick is skipped while a request is in flight; one that finds
    // EolStopRequested at 1 stops the test as Exit does.
    void StartTicks(uint32_t periodMs);
    void StopTicks();
    bool Ticking() const;

    // Shows the YES/NO pair under `question` (and tells the prompter, as an
    // instruction shown at the station).
    void Ask(const std::string& question);

    // The item passed: flag 1, picture `picture` to 423.
    void RecordPass(int picture, int32_t& flag);
    // The item failed: picture `picture` to 421, flag 0, the remark becomes
    // `remark`, and unless `writeMarker` is false the ECU gets the failure
    // marker (10 03, SecurityAccess, 2E 00 94 00, results ignored).
    void RecordFail(int picture, int32_t& flag, std::string& remarkGlobal, const std::string& remark,
                    bool writeMarker = true);
    // The failure marker alone.
    static void WriteFailureMarker();
    void SetPicture(int picture, EolPicture look);

    // End of a test with the verdict box: pass UI text 184 (caption 74),
    // fail 189 (caption 76), both with the warning icon; then EndRun.
    void FinishTest(bool passed);
    // Back to finished or idle without a box: test idle, TestRunning 0,
    // ticks killed, Start enabled, Exit disabled, the pair hidden. The page
    // asks nothing more at the station (an empty instruction), so a person
    // there lets go of what the run had them do.
    void EndRun();
    // Ends the run without a verdict after a plain box of UI text `textRow`
    // (caption 76). False when the run ended meanwhile (the box pumps
    // events), and then nothing more is done.
    bool EndRunAfterBox(int textRow);

    // Message box with UI texts `textRow`/`captionRow`; none once the program
    // is closing.
    void Box(int textRow, int captionRow, tarvel::MsgIcon icon = tarvel::MsgIcon::Exclamation) const;
    // After the page reset the ECU and waited its own `fixedMs` (counted from
    // the reset): asks the ECU until it answers, within the restart allowance
    // (EcuRestart.h). True once it answered. An ECU silent beyond the
    // allowance gives one box and the link is closed; `stopped` (asked after
    // every pumped wait) ends the wait quietly. False then.
    bool EcuBackAfterReset(const std::function<bool()>& stopped, uint32_t fixedMs);
    std::string Text(int row) const;
    // Report text `row` (what remarks are made of).
    static std::string ReportText(int row);

    EolPageState& MutableCommon() { return common_; }

private:
    bool BeginRun();
    // Reads the VIN; when the results held were earned on another ECU, all
    // of them are reset and the operator is told. The results then belong to
    // this ECU.
    void ClaimResultsForConnectedEcu();
    void Tick();
    void ShowIdleLook(bool pictures = true);

    EolPageTraits traits_;
    EolPageState common_;
    bool running_ = false;
    std::unique_ptr<tarvel::Timer> ticks_;
};
