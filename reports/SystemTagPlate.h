// The braking-system plate: one A4 landscape page with the title, the
// labelled identification fields, the axle rows, the axle and sensor
// diagram, the pictures and the ruled grid. The system tag prints it alone;
// the EOL report prints it as its first page. Positions are given from the
// top-left corner of the page and drawn at y = page height - distance.
#pragma once

#include <array>
#include <string>

#include "PdfCanvas.h"

namespace tarvel::report {

// Where the two documents draw the plate differently.
enum class PlateVariant { SystemTag, EolReport };

// The plate fields by number, 1..40 (the order the EOL report names them).
enum PlateText : int {
    kPlateManufacturer = 1,
    kPlateType = 2,
    kPlateVin = 3,
    kPlate586 = 4,
    kPlate356 = 5,
    kPlate357 = 6,
    kPlateAbsConfiguration = 7,
    kPlate361 = 8,
    kPlate411 = 9,   // 9..13: 411..415, the brake chamber of axles 1..5
    kPlate416 = 14,  // 14..18: 416..420, the load of axles 1..5
    kPlate421 = 19,  // 19..26: 421..428
    kPlateAxleCount = 27,
    kPlateAxleFlag1 = 28, // 28..32: the flags of axles 1..5
    kPlate508 = 33,  // 33..36: 508..511
    kPlate369 = 37,
    kPlate371 = 38,
    kPlate368 = 39,
    kPlate370 = 40,
};
constexpr int kPlateTextCount = 40;

// Everything the plate drawing reads.
struct SystemTagPlateInputs {
    // Plate field n (1..40) at text[n - 1], UTF-8.
    std::array<std::string, kPlateTextCount> text;
    int brandIndex = 0;     // 1 and 2 the further brands, anything else the maker's own
    int language = 1;       // LanguageIndex: 0 Chinese, 4 Portuguese, ...
    int axleCount = 0;      // AxleCount (1..5 draws the diagram's columns)
    std::array<int, 10> axleFeatureFlags{};  // AxleFeatureFlags: [2(k-1)] first, [2(k-1)+1] second flag of axle k
    std::array<int, 10> liftingAxleFlags{};  // LiftingAxleFlags, the same way
    int liftingAxleCalibrationEnabled = 0;
    int parameterChoice = 0;         // 1 or 2 letters the sensors
    int heightSensorMode = 0;        // the first SystemTagValues entry: 1 height sensor, 2 lifting
    int heightSensorAxle2Present = 0;

    const std::string& Text(int n) const { return text[static_cast<size_t>(n - 1)]; }
    std::string& Text(int n) { return text[static_cast<size_t>(n - 1)]; }
};

// The inputs as the program holds them now (plate fields, LanguageIndex,
// the parameter-derived flags), with `brandIndex`.
SystemTagPlateInputs SystemTagPlateInputsNow(int brandIndex = 0);

// Adds an A4 landscape page to `canvas` and draws the plate on it. Report
// texts come from the report text table (PdfText). A missing picture is
// skipped.
void DrawSystemTagPlate(PdfCanvas& canvas, const SystemTagPlateInputs& in, PlateVariant variant);

// The right-hand part of one axle row at `yFromTop`, inside an open text
// object with font and size set: up to seven plate fields chosen by the
// row's flag (set only when exactly "1") and the two vehicle options.
void DrawAxleBlock(PdfCanvas& canvas, const SystemTagPlateInputs& in, float yFromTop, const std::string& axleFlag);

// The integer at the start of a text (blanks, then an optional sign and
// digits); 0 when there is none.
int LeadingInteger(const std::string& text);

// `utf8` cut at a character boundary so that it takes at most `limit` bytes
// in the code page of `font`.
std::string CutForFont(const std::string& utf8, const ReportFont& font, size_t limit = 255);

} // namespace tarvel::report
