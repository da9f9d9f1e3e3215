// Parameter text files: the Value cells of the "Calibration Parameters" grid
// (and, when the lifting-axle calibration exists, of the lifting-axle grid),
// one value per line, positional, each line ended by CR LF:
//
//   Basic_Parameters
//   <b values of the parameter grid>
//   LiftingAxle_Parameters          (only when the lifting-axle block is saved)
//   <l values of the lifting-axle grid>
//
// Older files are a bare list of the b values without any header. Files are
// UTF-8 text. Loading fills the grids and re-derives the equipment flags;
// nothing is sent to the ECU.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tarvel {

extern const char* const kBasicParametersHeader;       // "Basic_Parameters"
extern const char* const kLiftingAxleParametersHeader; // "LiftingAxle_Parameters"

// The file's text. Writes basicCount value lines (and, with the lifting-axle
// block, its header and liftingAxleCount lines); a value the list lacks is
// written as an empty line, values past the count are not written. Line
// breaks inside a value become spaces so that no value can shift the lines
// after it.
std::string FormatParameterFile(const std::vector<std::string>& basicValues, size_t basicCount,
                                bool withLiftingAxleBlock, const std::vector<std::string>& liftingAxleValues,
                                size_t liftingAxleCount);

// The lines of a text: split at LF, one trailing CR removed from each line,
// a UTF-8 byte-order mark at the start dropped; a last line without LF counts
// when it is not empty.
std::vector<std::string> SplitParameterFileLines(const std::string& text);

struct ParameterFileReadResult {
    bool header = false;          // the first line contained "Basic_Parameters"
    size_t basicFilled = 0;       // parameter-grid cells replaced
    size_t liftingAxleFilled = 0; // lifting-axle-grid cells replaced
    // The cells the file is meant to fill: every parameter row the grid has,
    // and its lifting-axle rows when the file reaches the lifting-axle block.
    size_t rows = 0;

    size_t Filled() const { return basicFilled + liftingAxleFilled; }
    // The file ended before it had a value for every row: the rows without
    // a line keep the values they had.
    bool Short() const { return Filled() < rows; }
};

// Puts the file's lines into the grids' value lists. With the header, lines
// 1..b go to basic rows 0..b-1, line b+1 (the lifting-axle header, whatever
// its text) is skipped and lines b+2..b+l+1 go to lifting-axle rows 0..l-1,
// whatever the lifting-axle flag is. Without it, lines 0..b-1 go to basic
// rows 0..b-1. Rows without a line keep their values; lines without a row
// (past the count or past the end of the list) are ignored. Values are taken
// as they stand.
ParameterFileReadResult ReadParameterFileText(const std::string& text, size_t basicCount,
                                              std::vector<std::string>& basicValues, size_t liftingAxleCount,
                                              std::vector<std::string>& liftingAxleValues);

// Whether a file's bytes are text at all. A parameter text file is UTF-8
// (after an optional byte-order mark) with no control characters other than
// TAB, CR and LF; anything else (a NUL, another control byte, DEL, a C1
// control, a byte sequence that is not UTF-8) means the file is something
// else, and loading it would put raw bytes into the grids.
enum class NotTextReason {
    None,
    ControlCharacter, // a control character at `offset`
    NotUtf8,          // a byte sequence that is not UTF-8 starts at `offset`
};
struct ParameterFileTextCheck {
    NotTextReason reason = NotTextReason::None;
    size_t offset = 0; // of the first offending byte, counted from 0

    bool IsText() const { return reason == NotTextReason::None; }
};
ParameterFileTextCheck CheckParameterFileText(const std::string& bytes);

// The box text for a file that is not text, in the current language: what
// happened, the file, why (with the 1-based position of the first byte that
// is not text).
std::string NotTextParameterFileText(const std::string& path, const ParameterFileTextCheck& check);

// The folder of a chosen path: everything before its last '\' or '/' (the
// separator itself kept only when it is the first character, so a file in
// the root keeps "/" as its folder); the whole path when it has none.
std::string ParameterFileFolder(const std::string& path);

// What the save and load functions see of the two grids.
struct ParameterFileGrids {
    // SubDataName of every sub-field of the chosen record; b is its size.
    std::vector<std::string> basicNames;
    // The Value cells of the parameter grid, row by row.
    std::vector<std::string> basicValues;
    // l: the number of sub-fields of the first lifting-axle record.
    size_t liftingAxleCount = 0;
    // The Value cells of the lifting-axle grid, row by row.
    std::vector<std::string> liftingAxleValues;
};

// "Save to File": asks for a file (start folder CalibParamFilePath, ".ini"
// added to a name typed without it, a question before an existing file is
// replaced), keeps its folder in CalibParamFilePath and writes the grids, with
// the lifting-axle block when LiftingAxleCalibrationEnabled is 1, through
// SaveFileReplacing. Boxes: 179/74 when saved; 221/76 with the file and the
// system's reason when it cannot be written (an older file stays as it was);
// none when the dialog is cancelled. True when saved.
bool SaveParameterFile(const ParameterFileGrids& grids);

// "Load from File": asks for a file, keeps its folder in CalibParamFilePath,
// fills the grids' value lists from it and re-derives the equipment flags
// from the parameter rows (an edit-or-load flag pass). Boxes: 222/74 when
// loaded (from a short file, with how many values it held and that the
// other rows keep their values: ShortParameterFileText), 221/76 when
// cancelled or the file cannot be read, NotTextParameterFileText/76 when
// the file is not text (grids and flags unchanged in both cases). `showLoaded`, when given, runs between the flag pass and box 222:
// the caller puts the loaded values into its grids and updates its tabs
// there, so that the box comes once they show. True when loaded.
// The loaded box of a short file, in the current language:
//   Parameters loaded from the file
//   Values in the file / rows in the list: 39 / 112
//   The other rows keep their values: check them before writing to the ECU.
std::string ShortParameterFileText(const ParameterFileReadResult& read);

bool LoadParameterFile(ParameterFileGrids& grids,
                       const std::function<void(const ParameterFileGrids&)>& showLoaded = nullptr);

} // namespace tarvel
