#include "LiftingSensorTestRules.h"

LiftingSensorCheck LiftingSensorStatusCheck(int32_t type, uint8_t secondAxle, int phase, uint8_t status)
{
    const int a1 = status & 0x03;
    const int a2 = (status >> 2) & 0x03;
    if (type == 2) {
        struct Row {
            uint8_t expected;
            int a1, a2;
            int a1Wrong, a2Wrong, bothWrong;
        };
        static const Row rows[3] = {{0x05, 1, 1, 492, 493, 491}, {0x06, 2, 1, 497, 493, 496},
                                    {0x0A, 2, 2, 497, 500, 501}};
        if (phase < 1 || phase > 3)
            return {0, 0};
        const Row& r = rows[phase - 1];
        if (status == r.expected)
            return {1, 0};
        const bool a1Right = a1 == r.a1;
        const bool a2Right = a2 == r.a2;
        if (!a1Right && a2Right)
            return {0, r.a1Wrong};
        if (a1Right && !a2Right)
            return {0, r.a2Wrong};
        if (!a1Right && !a2Right)
            return {0, r.bothWrong};
        return {0, 0};
    }
    if (type != 1)
        return {-1, 0};
    const int wanted = phase == 1 ? 1 : phase == 2 ? 2 : 0;
    const int wrongOnly = phase == 1 ? 492 : 497;
    const int bothWrong = phase == 1 ? 492 : 504;
    if (secondAxle == 0) {
        if (wanted == 0)
            return {-1, 0};
        if (status == wanted)
            return {1, 0};
        const bool a1Right = a1 == wanted;
        if (!a1Right && a2 == 0)
            return {0, wrongOnly};
        if (a1Right && a2 != 0)
            return {-1, 507};
        if (!a1Right && a2 != 0)
            return {-1, bothWrong};
        return {0, 0};
    }
    if (wanted == 0)
        return {0, 0};
    if (status == (wanted | 0x0C))
        return {1, 0};
    const bool a1Right = a1 == wanted;
    // Phase 1 looks at bit 3 alone, phase 2 at the whole second field.
    const bool secondRight = phase == 1 ? (status & 0x08) == 0 : a2 == 3;
    if (phase == 1) {
        const bool testBit = (status & 0x08) != 0;
        if (!a1Right && !testBit)
            return {0, 492};
        if (a1Right && testBit)
            return {-1, 507};
        if (!a1Right && testBit)
            return {-1, 492};
        return {0, 0};
    }
    if (!a1Right && !secondRight)
        return {-1, 504};
    if (!a1Right)
        return {0, 497};
    if (!secondRight)
        return {-1, 507};
    return {0, 0};
}

LiftingSensorStep LiftingSensorStepRules(int step, int32_t type)
{
    const bool two = type == 2;
    switch (step) {
    case 1: return {1, 494, 2, "Failed to read the rising status of Lifting Axle 1, please restart", two ? 491 : 492};
    case 2:
        return {2, two ? 498 : 505, two ? 4 : 3, "Failed to read the rising status of Lifting Axle 1, please restart",
                two ? 496 : 497};
    case 3: return {1, 0, 0, "Failed to read the descend status of Lifting Axle 1, please restart", 491};
    case 4: return {3, 502, 5, "Failed to read the descend status of Lifting Axle 2, restart", 501};
    case 5: return {2, 505, 3, "Failed to read the descend status of Lifting Axle 2, please restart", 496};
    default: return {};
    }
}

LiftingSensorPair LiftingSensorPairRules(int pair, int32_t type)
{
    const bool oneOrTwo = type == 1 || type == 2;
    switch (pair) {
    case 1: return {1, oneOrTwo, 490};
    case 2: return {2, oneOrTwo, 495};
    case 3: return {3, oneOrTwo, 506};
    case 4: return {4, type == 2, 499};
    case 5: return {5, type == 2, 503};
    default: return {};
    }
}

int LiftingSensorRemarkRow(int uiRow)
{
    static const int ui[14] = {490, 491, 492, 493, 495, 496, 497, 499, 500, 501, 503, 504, 506, 507};
    for (int i = 0; i < 14; ++i)
        if (ui[i] == uiRow)
            return 82 + i;
    return 0;
}
