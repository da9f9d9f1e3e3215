// What the lifting-axle calibration page shows besides its rows (the rows are
// LiftingAxleGrid, shared with the parameter files).
#pragma once

#include <array>
#include <string>

struct LiftingAxleCalibrationState {
    // The grid's column headers in the language the page was built in.
    std::array<std::string, 5> headers;
    // The in-place editor over the Value cell (LiftingAxleEditRow) and the
    // text it opened with.
    bool editorShown = false;
    std::string editorText;
};
