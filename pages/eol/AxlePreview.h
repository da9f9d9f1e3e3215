// The trailer preview the wheel-sensor and the lifting pages draw: which
// wheel-sensor letter sits at which wheel of which axle, and which axles
// lift. A pure function of the parameter flags; the pages only copy the
// cells onto their statics.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct PreviewCell {
    bool shown = false;
    std::string text;
    bool operator==(const PreviewCell& other) const { return shown == other.shown && text == other.text; }
};

// Ten wheel cells: [0..4] the lower row at axle positions 1 to 5, [5..9] the
// upper row at positions 1 to 5.
//  - `parameterChoice` 1 puts "c"/"e" below and "d"/"f" above, 2 the
//    other way round; any other choice leaves every cell hidden;
//  - `axleCount` 1 uses position 3, 2 positions 2 and 4, 3 positions 2 to 4,
//    4 positions 1 to 4, 5 positions 1 to 5; any other count shows nothing;
//  - a single axle always reads the first letters; with 3 or 4 axles the
//    cells in use read " " until a flag names them; the first feature flag
//    of axle k (AxleFeatureFlags[2(k-1)]) gives the first letters, the
//    second flag ([2(k-1)+1]) the second letters, and wins.
using WheelPreviewCells = std::array<PreviewCell, 10>;
WheelPreviewCells SensorPreviewCells(int32_t parameterChoice, int32_t axleCount,
                                     const std::array<int32_t, 10>& axleFeatureFlags);

// Fifteen cells: the ten wheel cells above, then [10..14] the lifting-axle
// label cells at positions 1 to 5: "LA1" for an axle whose first lifting
// flag (LiftingAxleFlags[2(k-1)]) is 1, "LA2" when its second is 1 (wins);
// with a single axle the label cell of position 3 shows even without a flag.
// The label cells do not depend on `parameterChoice`.
using AxlePreviewCells = std::array<PreviewCell, 15>;
AxlePreviewCells LiftingAxlePreviewCells(int32_t axleCount, int32_t parameterChoice,
                                         const std::array<int32_t, 10>& axleFeatureFlags,
                                         const std::array<int32_t, 10>& liftingAxleFlags);

// The positions (1..5) of axles 1..n, left to right; empty for a count
// outside 1..5.
std::array<int, 5> PreviewAxlePositions(int32_t axleCount, int& used);
