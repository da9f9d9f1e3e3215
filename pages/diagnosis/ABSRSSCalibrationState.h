// What the roll-stability sensor calibration page shows.
#pragma once

#include <string>

struct ABSRSSCalibrationState {
    // The angle is on display and read every 500 ms: Exit, Calibration and
    // Clean are enabled, Start is not. Idle is the opposite.
    bool displaying = false;
    // The angle label's text: the angle ("1.00°"), or the "no valid angle"
    // or "out of range" text; empty while idle.
    std::string angleText;
    // The result picture: 424 initial, 423 passed, 421 failed.
    int bitmap = 424;

    // Captions in the current language.
    std::string instructionText;  // 517
    std::string angleFrameText;   // 518
    std::string buttonFrameText;  // 519
    std::string calibrateText;    // 520
    std::string cleanText;        // 521
    std::string startText;        // 529
    std::string exitText;         // 530
};
