// What the two lifting pages (lifting axle, lifting sensor) share, free of
// windows: five numbered YES/NO pairs of which one is shown at a time, the
// step being polled, the axle preview, the start of a run (the calibration
// page reads the lifting-axle parameters from the ECU while the page waits)
// and the once-a-second read of the lifting-axle status (22 00 70).
#pragma once

#include "AxlePreview.h"
#include "EolPageLogic.h"

#include <cstdint>
#include <string>
#include <vector>

// What a lifting page shows beside the common state.
struct LiftingPageState {
    // The YES/NO pair shown (1..5), 0 none.
    int pairShown = 0;
    // The step being polled (1..5), 0 none.
    int step = 0;
    AxlePreviewCells preview{};
    std::string previewCaption;
    std::string yesCaption = "YES";
    std::string noCaption = "NO";
};

class EolLiftingPageLogic : public EolPageLogic {
public:
    static constexpr uint16_t kStatusDid = 0x0070;
    static constexpr uint32_t kTickMs = 1000;
    static constexpr int kPreviewTextRow = 51;
    static constexpr int kYesTextRow = 237;
    static constexpr int kNoTextRow = 238;

    const LiftingPageState& State() const { return state_; }
    // The YES (true) / NO button of pair 1..5.
    virtual void Answer(int pair, bool yes) = 0;
    // The Exit Test button, also the end of every failure path.
    void ExitTest() { Exit(); }

    // The idle picture while the page's result is not tested, and the
    // preview of the axles the vehicle has. Sends nothing.
    void OnActivate(int message) override;

protected:
    // `result` is the page's result flag.
    EolLiftingPageLogic(int tab, EolPage page, const int32_t& result, const tarvel::PageContext& context);

    void OnPageLanguageChanged() override;

    // The start of a run: no pair shown, no step, then the calibration page
    // reads the lifting-axle parameters from the ECU while the page waits
    // `waitMs`. False when the run ended meanwhile.
    bool ReadLiftingAxleParameters(uint32_t waitMs);

    // The outcome of one status read.
    enum class StatusRead {
        Ended, // the run ended, or another step began, while it was read
        Failed, // refused, or a positive answer without data: the test has
        // ended as Exit Test ends it; the page tells the operator
        Read, // `status` holds the bytes the ECU sent (at least one)
    };
    // Reads the status for `step`. `status` is written only on Read.
    StatusRead ReadStatus(int step, std::vector<uint8_t>& status);

    LiftingPageState& Lifting() { return state_; }

private:
    const int32_t& result_;
    LiftingPageState state_;
};
