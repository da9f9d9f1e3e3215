// The trailer's equipment as the parameter rows describe it. Every row of the
// parameter grid (its displayed name and its Value cell) passes through three
// decision tables that set the equipment flags and plate values of
// DiagnosisGlobals.h. A row is recognised by its name: it matches text n when
// the name equals LanguageTable row n of the current language exactly, so the
// definition files and the language file must use the same wording. Values
// are compared as exact texts ("1", "2", ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvel {

// Decimal text to integer as the tables read numbers: leading blanks, an
// optional sign, then digits up to the first non-digit; 0 when there are no
// digits. Out-of-range numbers saturate at the 32-bit limits.
int32_t ParameterTextToInt(const std::string& text);

// One row's contribution to the equipment flags (lift functions, sensor
// assignment, brake lamp, axle count, per-axle sensed / third-modulator
// flags, per-axle lift flags). Callers empty LiftingAxleRowValues before a
// pass over all rows and run ApplySystemVariantRule once after it (or use
// RunParameterFlagPass, which does both).
void ApplyParameterFeatureFlags(const std::string& name, const std::string& value);

// Derives DerivedSystemVariant from AxleCount and AxleFeatureFlags when
// SystemForm is "4S3M"; otherwise, and for axle counts outside 2..5, it
// leaves it unchanged.
void ApplySystemVariantRule();

// One row's contribution to the height-sensor and underwater-valve flags and
// to the system-tag plate bytes. Run for every row of a grid fill.
void FillSystemTagValues(const std::string& name, const std::string& value);

// One row's contribution to the vehicle-configuration texts of the recorder
// export (ParameterValueText1..7). Run for every row when the
// vehicle-configuration record is reloaded for new definitions.
void StoreParameterValueTexts(const std::string& name, const std::string& value);

// A grid row as the flag passes see it: the sub-field's name and its Value cell.
struct ParameterRow {
    std::string name;
    std::string value;
};

enum class FlagPass {
    GridFill,       // a read or reload filled the grid: feature flags and system-tag values
    EditOrFileLoad, // an in-place edit or a file load: feature flags only
};

// One pass over the rows of the grid: empties LiftingAxleRowValues, runs
// ApplyParameterFeatureFlags (and, for a grid fill, FillSystemTagValues) for
// every row in order, then ApplySystemVariantRule once on the final flags.
void RunParameterFlagPass(const std::vector<ParameterRow>& rows, FlagPass pass);

} // namespace tarvel
