// The fault memory page's decisions: it reads the ECU's current and stored
// faults, shows one line per fault with its display code and meaning from the
// fault table, re-reads the list every 2 seconds while it is wanted, and
// clears the ECU's fault memory on request.
#pragma once

#include "ABSDTCInformationState.h"
#include "PageHostTable.h"
#include "PageLogic.h"
#include "Timer.h"

#include <cstdint>
#include <memory>

class ABSDTCInformationLogic : public tarvel::PageLogic {
public:
    static constexpr int kTab = tarvel::TabTroubleCodes;
    // Test failed or confirmed.
    static constexpr uint8_t kStatusMask = 0x09;
    static constexpr uint32_t kRefreshPeriodMs = 2000;
    // Rows of the language table.
    static constexpr int kRowReadDtc = 37;
    static constexpr int kRowClearDtc = 38;
    static constexpr int kRowClearContents = 39;
    static constexpr int kRowCleared = 235;
    static constexpr int kRowClearFailed = 236;
    static constexpr int kRowNoFault = 631;

    explicit ABSDTCInformationLogic(const tarvel::PageContext& context);
    // Stops the refresh and empties the fault table.
    ~ABSDTCInformationLogic() override;

    const ABSDTCInformationState& State() const { return state_; }

    // Lifecycle, called by the shell in its order.
    void OnLanguageChanged() override;
    void OnResetForNewRun() override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // Reloads the fault table of the current language.
    void LoadFailureTable();

    // "Read DTC": reads the list now and, when that found records, keeps
    // re-reading it every 2000 ms.
    void OnReadDtc();
    // "Clear DTC": clears the ECU's fault memory.
    void OnClearDtc();
    // "Clear Contents": empties the list.
    void OnClearContents();
    // One tick of the periodic read.
    void OnDtcTimer();

    // Empties the list and fills it from the ECU. 1 when the reply held at
    // least one record, else 0. A call made while a read is waiting for the
    // ECU is ignored (0).
    int ReadDtcList();

    bool Refreshing() const { return timer_->IsRunning(); }

private:
    // The link went away or the page was left while a request waited.
    bool Stopped() const;
    void SetCaptions();

    ABSDTCInformationState state_;
    std::unique_ptr<tarvel::Timer> timer_;
    bool reading_ = false;
};
