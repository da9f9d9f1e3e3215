// The fault check, the last end-of-line test: it clears the ECU's fault
// memory, reads it once a second for five seconds, lists what it finds and
// judges the last reading. Two codes are tolerated: "0xDB08" (an output under
// the tester's control) and "0xFD0E" (end of line not passed yet), which
// opens the final gate. The gate asks the shared pass rule (EolPassRule.h)
// whether every result the vehicle needs has passed; if so it writes the
// passed marker 1 into the ECU and, once the ECU has taken it, restarts it,
// clears the fault memory again and runs a second series of five readings,
// whose judgement decides the result.
#pragma once

#include "EolPageLogic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct EolDtcState {
    // The fault list as the sorted list box shows it.
    std::vector<std::string> lines;
    // The countdown label: "4" after the first reading ... "0" after the
    // fifth, "" after a judgement.
    std::string countdown;
    // The "Clear Contents" button's caption (UI text 39).
    std::string clearContentsCaption;
};

// What the judgement of the last reading leads to.
enum class EolDtcJudgement { Pass, FinalGate, Fail };

class EolDtcTestLogic : public EolPageLogic {
public:
    static constexpr uint8_t kStatusMask = 0x09;
    static constexpr uint32_t kReadPeriodMs = 1000;
    static constexpr int kReadingsPerSeries = 5;
    static constexpr uint32_t kRestartWaitMs = 1500;
    // While Start waits for another request to finish, it looks this often.
    static constexpr uint32_t kStartRetryMs = 10;
    static constexpr int kClearContentsTextRow = 39;
    static constexpr int kGateRefusedTextRow = 218;
    // The ECU refused the passed marker (2E 00 94 01).
    static constexpr int kMarkerRefusedTextRow = 219;
    static constexpr const char* kGateCode = "0xFD0E";
    static constexpr const char* kToleratedCode = "0xDB08";
    static constexpr const char* kClearFailedLine = "Clear DTC Failed";
    static constexpr const char* kCountUnreadableLine = "Error reading DTC number";
    static constexpr const char* kNoFaultLine = "1.No Fault";

    explicit EolDtcTestLogic(const tarvel::PageContext& context);
    // Empties the fault table the list is written from.
    ~EolDtcTestLogic() override;

    const EolDtcState& State() const { return state_; }
    // True while a series of readings is under way (or Start waits to clear).
    bool SeriesActive() const;

    // The "Clear Contents" button: empties the list.
    void ClearContents();

    // The judgement of a reading with `count` faults of which the listed
    // codes included "0xFD0E" (`gateCode`) and "0xDB08" (`toleratedCode`).
    static EolDtcJudgement Judge(int count, bool gateCode, bool toleratedCode);

    // ---- Lifecycle ----
    // A lost link ends a series, the first or the second.
    void OnDisconnected() override;
    // A page switch ends a series (the second runs while the page is idle).
    void OnStopWork() override;

protected:
    void RunTest() override;
    void OnExitTest() override;
    void OnClearDisplay() override;
    void OnPageLanguageChanged() override;

private:
    void BeginSeries();
    void ClearEolDtcs();
    // One reading; false when the series was stopped meanwhile.
    bool ReadEolDtcs();
    void OnSeriesTick();
    void OnStartRetryTick();
    void SelectEolFinalGate();
    void EolFinalGate();
    void EolDtcTestPassed();
    void EolDtcTestFailed();
    void AfterSelection();
    void StopSeries();
    bool SeriesStopped() const;
    void SetCountdown(const std::string& text);
    void AddLine(const std::string& line);

    EolDtcState state_;
    std::unique_ptr<tarvel::Timer> series_;
    std::unique_ptr<tarvel::Timer> startRetry_;
    bool ticking_ = false;
    bool keepListOnExit_ = false;
    // Counts every stop (Exit, disconnect, page switch, a new Start), so that
    // a step that pumped can tell it has been overtaken.
    uint64_t stops_ = 0;
};
