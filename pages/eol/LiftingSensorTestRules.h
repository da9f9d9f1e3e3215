// The rules of the lifting-sensor test, free of UDS and windows: the status
// check of one reading of 0x0070, the steps and what they show, and the
// report text of each failure.
#pragma once

#include <cstdint>

struct LiftingSensorCheck {
    // 1 the expected byte, 0 keep waiting, -1 fail now.
    int result = 0;
    // The UI text of the mismatch seen; 0 none.
    int failText = 0;
};
// `type` LiftingAxleType, `secondAxle` SecondLiftingAxleFitted, `phase` 1..3.
LiftingSensorCheck LiftingSensorStatusCheck(int32_t type, uint8_t secondAxle, int phase, uint8_t status);

struct LiftingSensorStep {
    int phase = 0;
    // On a match: the prompt and the pair shown (1 A .. 5 E); 0 pair: the test passes.
    int promptRow = 0;
    int pair = 0;
    const char* readFailedText = "";
    int timeOutRow = 0;
};
LiftingSensorStep LiftingSensorStepRules(int step, int32_t type);

// The pair (1 A .. 5 E): the step its YES starts, whether type `type` may
// start it, and the UI text its NO fails with.
struct LiftingSensorPair {
    int step = 0;
    bool allowed = false;
    int noRow = 0;
};
LiftingSensorPair LiftingSensorPairRules(int pair, int32_t type);

// The report row of a failure's UI text; 0 when it has none.
int LiftingSensorRemarkRow(int uiRow);
