// The height-sensor calibration: for each axle the vehicle has (CD, EF) the
// page shows the sensor's current value and the unloaded calibration value
// stored in the ECU, read once a second. A button per axle runs the ECU's
// calibration routine 0xC007, restarts the ECU and checks that the stored
// value is the same after the restart; once every present axle is verified
// the page records a pass. Skip Test instead accepts the stored calibration
// when each present axle's value lies within 600.0 to 800.0.
//
// After a restart the ECU needs a moment: HeightResetCountdown counts ten
// seconds down (it survives Exit), and a Start within them shows the
// countdown before any reading.
//
// A read that fails or brings fewer than two data bytes ends the sequence it
// belongs to: the page is reset and box 82 is shown, and nothing is compared
// or accepted on values that were not read. Exit or a lost link during a
// calibration's waits ends it without a verdict. A live reading that falls
// due while another step of the page runs (boxes included) follows once it
// has ended; one that finds another request in flight is skipped.
#pragma once

#include "EolPageLogic.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

enum class HeightAxle { Cd = 0, Ef = 1 };

// What the page shows beside the common state.
struct EolHeightState {
    // The message line (1583).
    std::string message;
    // Labels (1584, 1691, 1684, 1692) and values (1585, 1693, 1685, 1694).
    std::string cdCurrentLabel, cdCalibrationLabel, efCurrentLabel, efCalibrationLabel;
    std::string cdCurrent, cdCalibration, efCurrent, efCalibration;
    // The axle sets shown (activation) and the calibrate buttons enabled.
    bool cdShown = false;
    bool efShown = false;
    bool cdEnabled = false;
    bool efEnabled = false;
    bool skipEnabled = true;
    // Captions of the current language: the calibrate buttons (UI texts 279,
    // 568), Skip Test (486), "CD axle" (577), "EF axle" (578).
    std::string cdButtonCaption, efButtonCaption, skipCaption, cdAxleCaption, efAxleCaption;
};

class EolHeightSensorLogic : public EolPageLogic {
public:
    static constexpr uint16_t kCurrentCdDid = 0x0018;
    static constexpr uint16_t kCurrentEfDid = 0x0019;
    static constexpr uint16_t kCalibrationCdDid = 0x00B3;
    static constexpr uint16_t kCalibrationEfDid = 0x00B4;
    static constexpr uint8_t kRoutineHi = 0xC0;
    static constexpr uint8_t kRoutineLo = 0x07;
    static constexpr uint32_t kPeriodMs = 1000;
    static constexpr uint32_t kSleepMs = 10;
    static constexpr uint32_t kWaitMs = 1000;
    static constexpr uint8_t kCountdownSeconds = 10;
    static constexpr float kLowest = 600.0f;
    static constexpr float kHighest = 800.0f;
    static constexpr int kPageMessageRow = 277;
    static constexpr int kCdCurrentLabelRow = 278;
    static constexpr int kCdButtonRow = 279;
    static constexpr int kStartFailedRow = 280;
    static constexpr int kNotAcceptedRow = 281;
    static constexpr int kResultsFailedRow = 282;
    static constexpr int kVerifiedRow = 283;
    static constexpr int kChangedRow = 284;
    static constexpr int kSkipRow = 486;
    static constexpr int kEfButtonRow = 568;
    static constexpr int kEfCurrentLabelRow = 570;
    static constexpr int kSecondsRow = 571;
    static constexpr int kCdOutsideRow = 572;
    static constexpr int kAcceptedRow = 573;
    static constexpr int kEfOutsideRow = 574;
    static constexpr int kCdCalibrationLabelRow = 575;
    static constexpr int kEfCalibrationLabelRow = 576;
    static constexpr int kCdAxleRow = 577;
    static constexpr int kEfAxleRow = 578;
    static constexpr int kReadFailedRow = 82;
    static constexpr const char* kNoValue = "---\n---";

    explicit EolHeightSensorLogic(const tarvel::PageContext& context);
    ~EolHeightSensorLogic() override;

    const EolHeightState& State() const { return state_; }

    // ---- The view's events ----
    // Exit Test; also the page reset of every failure and success path.
    void ExitHeightCalibration();
    void CalibrateCdAxleHeight() { Calibrate(HeightAxle::Cd); }
    void CalibrateEfAxleHeight() { Calibrate(HeightAxle::Ef); }
    // Skip Test: accepts the stored calibration when it lies in 600..800.
    void AcceptCurrentHeightCalibration();

    // ---- Timers, for tests ----
    bool CountdownShown() const { return countdownShow_->IsRunning(); } // 1900
    bool CountdownRunning() const { return countdown_->IsRunning(); }  // 1901
    bool LiveReading(HeightAxle axle) const;                            // 1987, 1988

    // Shows or hides the axle sets by the equipment flags; nothing else.
    void OnActivate(int message) override;
    // The adapter was closed: the page is reset as by Exit Test, the result
    // and remark included.
    void OnDisconnected() override;

protected:
    void RunTest() override;
    void OnPageLanguageChanged() override;

private:
    class BusyScope;

    void Calibrate(HeightAxle axle);
    void EvaluateHeightCalibration();
    void ShowHeightResetCountdown();
    void CountdownTick();
    void LiveTick(HeightAxle axle);
    void RunDeferredTicks();
    void StartLiveReadings();
    // The readers: true with the value read and stored; false after the
    // common failure (or when the run ended meanwhile, then without a box).
    bool ShowAxleHeightValue(uint16_t did, unsigned run, float& value, std::string& text);
    bool ReadCalibration(HeightAxle axle, bool afterReset, unsigned run);
    // Fails with report text `remark` and UI text `text`: reset, this axle's
    // picture 421, result 0.
    void FailWith(HeightAxle axle, int remark, int text);
    // A refused session or unlock: reset, picture 421, the box; result -1.
    void FailSetup(HeightAxle axle, int text);
    bool Ended(unsigned run) const { return run != run_; }
    void FillLabels();

    EolHeightState state_;
    std::unique_ptr<tarvel::Timer> countdownShow_; // 1900
    std::unique_ptr<tarvel::Timer> countdown_;     // 1901
    std::unique_ptr<tarvel::Timer> cdLive_;        // 1987
    std::unique_ptr<tarvel::Timer> efLive_;        // 1988
    // Steps of the page in progress (readings, calibrations, Skip Test).
    int busy_ = 0;
    // A live reading that fell due while another step ran (CD, EF).
    std::array<bool, 2> deferred_{};
    // Counts the page resets: a step that sees it change has been ended.
    unsigned run_ = 0;
};
