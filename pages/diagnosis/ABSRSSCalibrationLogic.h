// The roll-stability sensor calibration page's decisions. Start opens the
// extended session, unlocks level 1 and asks the sensor routine for its
// result; from then on the lateral inclination the modulator assumes is read
// every 500 ms and shown until Exit, a failed read or the end of the link.
// Calibration and Clean run the sensor routine (option 02 or 20), wait a
// second for it and show its outcome. While the angle is on display no test
// may start and the navigation stays on this page (EolTestIdle is 0).
#pragma once

#include "ABSRSSCalibrationState.h"
#include "PageHostTable.h"
#include "PageLogic.h"

#include <cstdint>
#include <memory>
#include <string>

class ABSRSSCalibrationLogic : public tarvel::PageLogic {
public:
    static constexpr int kTab = tarvel::TabRssCalibration;
    static constexpr uint16_t kAngleDid = 0x0064;
    static constexpr uint8_t kRoutineHigh = 0xC0;
    static constexpr uint8_t kRoutineLow = 0x08;
    static constexpr uint8_t kCalibrateOption = 0x02;
    static constexpr uint8_t kCleanOption = 0x20;
    static constexpr uint32_t kAnglePeriodMs = 500;
    static constexpr uint32_t kRoutineWaitMs = 1000;
    // The raw angle of a sensor without a valid angle, and the range of raw
    // values that are angles (-25.00 to +25.00 degrees).
    static constexpr unsigned kNoValidAngle = 0xFE00;
    static constexpr unsigned kLowestRaw = 650;
    static constexpr unsigned kHighestRaw = 1150;
    // The result pictures.
    static constexpr int kBitmapFailed = 421;
    static constexpr int kBitmapPassed = 423;
    static constexpr int kBitmapInitial = 424;
    // How the angle is drawn: colour 0x00BBGGRR, font face, height in pixels
    // and weight.
    static constexpr uint32_t kAngleColour = 0x803400;
    static constexpr const char* kAngleFontFace = "Times New Roman";
    static constexpr int kAngleFontHeight = 50;
    static constexpr int kAngleFontWeight = 400;

    explicit ABSRSSCalibrationLogic(const tarvel::PageContext& context);
    ~ABSRSSCalibrationLogic() override;

    const ABSRSSCalibrationState& State() const { return state_; }
    bool AngleTimerRunning() const;

    // The text the label shows for a raw angle.
    static std::string AngleText(unsigned raw, const tarvel::TextTable& texts);
    // The picture file of a result picture, relative to the data folder.
    static std::string BitmapFile(int bitmap);

    // Lifecycle.
    void OnLanguageChanged() override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // The page's buttons and its disconnect message.
    void OnStartClicked();
    void OnCalibrationClicked();
    void OnCleanClicked();
    void OnExitClicked();
    void OnLinkGone();

private:
    enum class Read { Ok, Failed, Abandoned };

    void RunRoutine(uint8_t option, int successRow, int refusedRow);
    void OnAngleTick();
    Read ReadAngle(uint64_t run);
    void Exit();
    // Whether the run `run` still goes on: no Exit since and the link is up.
    bool Current(uint64_t run) const;
    void LoadTexts();
    std::string Text(int row) const;
    void Box(int textRow, int captionRow, bool exclamation);

    ABSRSSCalibrationState state_;
    std::unique_ptr<tarvel::Timer> angleTimer_;
    // Counts Start and Exit, so a sequence that waited can tell it was ended.
    uint64_t run_ = 0;
    // A sequence of the page (Start, Calibration, Clean) is running.
    bool busy_ = false;
};
