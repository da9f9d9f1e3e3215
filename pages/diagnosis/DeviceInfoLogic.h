// The ECU information page's decisions. It identifies the connected ECU: a
// quiet read of every DID of the stored-parameter file, in order, shown as
// name and value pairs and kept in the program-wide identity strings; after a
// reload request it also picks the definition files that fit the ECU. While
// the page is shown it tells every 5000 ms whether the ECU has faults.
#pragma once

#include "DeviceInfoState.h"
#include "PageLogic.h"
#include "Timer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DeviceInfoLogic : public tarvel::PageLogic {
public:
    static constexpr uint16_t kSupplierIdDid = 0xF18A;
    static constexpr uint32_t kStatusPeriodMs = 5000;
    // Status masks of the two fault counts: failed now, confirmed.
    static constexpr uint8_t kMaskTestFailed = 0x01;
    static constexpr uint8_t kMaskConfirmed = 0x08;
    // Language rows.
    static constexpr int kRowReadButton = 25;
    static constexpr int kRowFaultMemoryButton = 632;
    static constexpr int kRowVersionButton = 635;
    static constexpr int kRowNoFault = 631;
    static constexpr int kRowActiveFaults = 633;
    static constexpr int kRowStoredFaults = 634;
    static constexpr int kRowNotIdentified = 464;
    static constexpr int kRowErrorCaption = 76;
    static constexpr uint32_t kColourRed = 0x0000FF;
    static constexpr uint32_t kColourBlack = 0x000000;

    // One decoded sub-field of a read: its 1-based position within its DID
    // (empty when the DID was not answered), name, value and unit.
    struct Row {
        std::string number;
        std::string name;
        std::string value;
        std::string unit;
    };

    explicit DeviceInfoLogic(const tarvel::PageContext& context);
    // Empties the stored-parameter tables and the fault-code selector rows.
    ~DeviceInfoLogic() override;

    const DeviceInfoState& State() const { return state_; }

    // The page was shown (WM_ACTIVATE_DEVICEINFO): the periodic fault status.
    void OnActivate(int message) override;
    void OnLanguageChanged() override;
    void OnResetForNewRun() override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // The Read Information button.
    void OnReadInformation();
    // WM_DEVICEINFO_RELOAD (after a connect, a parameter write, a download):
    // the monitor reloads its definitions, the ECU is identified, and the
    // definition files that fit it are chosen.
    void OnDeviceInfoReload();
    // One tick of the status timer.
    void OnDeviceInfoTimer();

    // Reads every DID of the stored-parameter file quietly and shows and
    // stores what it answered. Ignored while a read runs.
    void ReadDeviceInformation();
    // Shows the DID at `position` of the stored-parameter list and stores its
    // value in the identity string it names.
    void StoreEcuIdentity(size_t position);
    // Reads the two fault counts and sets the status line; false (and the
    // timer stopped) when a count could not be read.
    bool UpdateFaultStatusLabel();

    // Reloads the page's definition table (the stored-parameter file).
    void LoadStoredParameterConfig();

    const tarvel::Timer& StatusTimer() const { return *timer_; }

private:
    void RefreshCaptions();
    std::string Text(int row, const char* fallback) const;

    DeviceInfoState state_;
    std::unique_ptr<tarvel::Timer> timer_;
    // The decoded rows of the running read, and where each DID's rows start
    // (its first sub-field); empty between reads.
    std::vector<Row> DeviceInfoRows;
    std::vector<size_t> didFirstRow_;
    std::vector<size_t> didRowCount_;
};
