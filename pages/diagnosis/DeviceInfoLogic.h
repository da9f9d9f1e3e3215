// The ECU information page's decisions: when it is shown while the ECU is
// connected it reads the identification the ECU reports, quietly (a silent
// ECU shows no box), and keeps what it read in its state for the window.
#pragma once

#include "DeviceInfoState.h"
#include "PageLogic.h"

#include <cstdint>

class DeviceInfoLogic : public tarvel::PageLogic {
public:
    static constexpr uint16_t kSupplierIdDid = 0xF18A;

    explicit DeviceInfoLogic(const tarvel::PageContext& context);

    const DeviceInfoState& State() const { return state_; }

    void OnActivate(int message) override;
    void OnDisconnected() override;
    void OnResetForNewRun() override;

    // Reloads the page's definition table (its parameter files).
    void LoadStoredParameterConfig();
    // One quiet read of the identification; true when the ECU answered.
    bool ReadIdentification();

private:
    DeviceInfoState state_;
};
