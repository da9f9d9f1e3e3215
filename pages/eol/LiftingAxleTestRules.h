// The rules of the lifting-axle test, free of UDS and windows: what each
// step waits for in the status byte of 0x0070, what it shows, which answer
// row a time-out fails, what each answer row leads to, and the verdict
// over the five answer rows with its report remark.
//
// Status byte: bits 0-1 axle 1, bits 2-3 axle 2; state 1 down (reached with
// command state 0x00), state 2 up (0xFF).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The state (0..3) of lifting axle 1 or 2 in a status byte.
inline int LiftingAxleStateOf(uint8_t status, int axle)
{
    return axle == 1 ? (status & 0x03) : ((status >> 2) & 0x03);
}

// One step (1..5) of the commanded test.
struct LiftingAxleStep {
    int promptRow = 0;      // UI text shown when the axle got there
    int answerRow = 0;      // the YES/NO row shown then, and failed by a time-out
    int readFailedRow = 0;  // UI text of a failed status read; 0 no box
};
// For `type` 1 (one lifting axle) or 2 (two); steps outside 1..5 give zeros.
LiftingAxleStep LiftingAxleStepRules(int step, int32_t type);
// Whether `status` shows the position step `step` commanded.
bool LiftingAxleStepReached(int step, int32_t type, uint8_t status);

// What an answer row leads to.
struct LiftingAxleNext {
    enum Kind { Nothing, Step, Question, Evaluate } kind = Nothing;
    int promptRow = 0;  // UI text shown
    int step = 0;       // Step: the step started
    uint8_t output = 0; // Step: the command's output and state
    uint8_t state = 0;
    int row = 0;        // Question: the answer row shown
};
LiftingAxleNext LiftingAxleAfterAnswer(int row, int32_t type, int32_t sensorVariant);

// The UI text of a refused command (2F 00 07 03 output state).
int LiftingAxleCommandFailedRow(uint8_t output, uint8_t state);

// The verdict over the answer rows (-1 unanswered, 0 NO or timed out, 1 YES).
struct LiftingAxleVerdict {
    // -1: no verdict (a type other than 1 or 2), 0 failed, 1 passed.
    int32_t result = -1;
    // Report rows of the remark, each followed by "\n" in the remark.
    std::vector<int> remarkRows;
};
LiftingAxleVerdict EvaluateLiftingAxleRows(int32_t type, int32_t sensorVariant, const std::array<int32_t, 5>& rows);
