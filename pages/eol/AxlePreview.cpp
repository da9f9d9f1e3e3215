#include "AxlePreview.h"

std::array<int, 5> PreviewAxlePositions(int32_t axleCount, int& used)
{
    switch (axleCount) {
    case 1: used = 1; return {3, 0, 0, 0, 0};
    case 2: used = 2; return {2, 4, 0, 0, 0};
    case 3: used = 3; return {2, 3, 4, 0, 0};
    case 4: used = 4; return {1, 2, 3, 4, 0};
    case 5: used = 5; return {1, 2, 3, 4, 5};
    default: used = 0; return {0, 0, 0, 0, 0};
    }
}

WheelPreviewCells SensorPreviewCells(int32_t parameterChoice, int32_t axleCount,
                                     const std::array<int32_t, 10>& axleFeatureFlags)
{
    WheelPreviewCells cells{};
    const char* lowerFirst;
    const char* lowerSecond;
    const char* upperFirst;
    const char* upperSecond;
    if (parameterChoice == 1) {
        lowerFirst = "c", lowerSecond = "e", upperFirst = "d", upperSecond = "f";
    } else if (parameterChoice == 2) {
        lowerFirst = "d", lowerSecond = "f", upperFirst = "c", upperSecond = "e";
    } else {
        return cells;
    }
    int used = 0;
    const std::array<int, 5> positions = PreviewAxlePositions(axleCount, used);
    auto lower = [&](int k) -> PreviewCell& { return cells[static_cast<size_t>(positions[k] - 1)]; };
    auto upper = [&](int k) -> PreviewCell& { return cells[static_cast<size_t>(positions[k] - 1 + 5)]; };
    for (int k = 0; k < used; ++k) {
        lower(k).shown = true;
        upper(k).shown = true;
        if (used == 3 || used == 4)
            lower(k).text = upper(k).text = " ";
    }
    if (used == 1) {
        lower(0).text = lowerFirst;
        upper(0).text = upperFirst;
        return cells;
    }
    for (int k = 0; k < used; ++k) {
        if (axleFeatureFlags[static_cast<size_t>(2 * k)] == 1) {
            lower(k).text = lowerFirst;
            upper(k).text = upperFirst;
        }
    }
    for (int k = 0; k < used; ++k) {
        if (axleFeatureFlags[static_cast<size_t>(2 * k + 1)] == 1) {
            lower(k).text = lowerSecond;
            upper(k).text = upperSecond;
        }
    }
    return cells;
}

AxlePreviewCells LiftingAxlePreviewCells(int32_t axleCount, int32_t parameterChoice,
                                         const std::array<int32_t, 10>& axleFeatureFlags,
                                         const std::array<int32_t, 10>& liftingAxleFlags)
{
    AxlePreviewCells cells{};
    const WheelPreviewCells wheels = SensorPreviewCells(parameterChoice, axleCount, axleFeatureFlags);
    for (size_t i = 0; i < wheels.size(); ++i)
        cells[i] = wheels[i];
    int used = 0;
    const std::array<int, 5> positions = PreviewAxlePositions(axleCount, used);
    for (int k = 0; k < used; ++k) {
        PreviewCell& label = cells[static_cast<size_t>(10 + positions[k] - 1)];
        if (used == 1)
            label.shown = true;
        if (liftingAxleFlags[static_cast<size_t>(2 * k)] == 1) {
            label.shown = true;
            label.text = "LA1";
        }
        if (liftingAxleFlags[static_cast<size_t>(2 * k + 1)] == 1) {
            label.shown = true;
            label.text = "LA2";
        }
    }
    return cells;
}
