#include "LiftingAxleTestRules.h"

LiftingAxleStep LiftingAxleStepRules(int step, int32_t type)
{
    const bool two = type == 2;
    switch (step) {
    case 1: return {two ? 534 : 535, 1, 559};
    case 2: return {536, 2, 558};
    case 3:
        if (two)
            return {537, 3, 557};
        if (type == 1)
            return {538, 4, 556};
        return {0, 4, 0};
    case 4: return {538, 4, 556};
    case 5: return {539, 5, 556};
    default: return {};
    }
}

bool LiftingAxleStepReached(int step, int32_t type, uint8_t status)
{
    const int axle1 = LiftingAxleStateOf(status, 1);
    const int axle2 = LiftingAxleStateOf(status, 2);
    switch (step) {
    case 1: return type == 2 ? axle1 == 1 && axle2 == 1 : axle1 == 1;
    case 2: return axle1 == 2;
    case 3: return type == 2 ? axle2 == 2 : axle1 == 1;
    case 4: return axle1 == 1;
    case 5: return axle2 == 1;
    default: return false;
    }
}

LiftingAxleNext LiftingAxleAfterAnswer(int row, int32_t type, int32_t sensorVariant)
{
    using N = LiftingAxleNext;
    const bool two = type == 2;
    if (sensorVariant == 0) {
        switch (row) {
        case 1: return {N::Step, 540, 2, 1, 0xFF, 0};
        case 2: return two ? N{N::Step, 542, 3, 2, 0xFF, 0} : N{N::Step, 543, 3, 1, 0x00, 0};
        case 3: return {N::Step, 546, 5, 2, 0x00, 0};
        case 4: return {N::Evaluate};
        case 5: return {N::Step, 543, 4, 1, 0x00, 0};
        default: return {};
        }
    }
    switch (row) {
    case 2: return two ? N{N::Question, 544, 0, 0, 0, 3} : N{N::Question, 545, 0, 0, 0, 4};
    case 3: return {N::Question, 547, 0, 0, 0, 5};
    case 4: return {N::Evaluate};
    case 5: return {N::Question, 545, 0, 0, 0, 4};
    default: return {};
    }
}

int LiftingAxleCommandFailedRow(uint8_t output, uint8_t state)
{
    if (state == 0x00)
        return output == 1 ? 565 : output == 2 ? 566 : output == 3 ? 567 : 0;
    if (state == 0xFF)
        return output == 1 ? 562 : output == 2 ? 563 : 0;
    return 0;
}

LiftingAxleVerdict EvaluateLiftingAxleRows(int32_t type, int32_t sensorVariant, const std::array<int32_t, 5>& rows)
{
    LiftingAxleVerdict verdict;
    if (sensorVariant == 0 && rows[0] != 1) {
        verdict.result = 0;
        verdict.remarkRows = {80};
        return verdict;
    }
    if (type != 1 && type != 2)
        return verdict;
    const bool two = type == 2;
    const bool passed = rows[1] == 1 && rows[3] == 1 && (!two || (rows[2] == 1 && rows[4] == 1));
    if (passed) {
        verdict.result = 1;
        return verdict;
    }
    verdict.result = 0;
    if (rows[1] == 0)
        verdict.remarkRows.push_back(76);
    if (two && rows[2] == 0)
        verdict.remarkRows.push_back(77);
    if (rows[3] == 0)
        verdict.remarkRows.push_back(78);
    if (two && rows[4] == 0)
        verdict.remarkRows.push_back(79);
    return verdict;
}
