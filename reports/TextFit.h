// One rule for every text the reports draw in a fixed room (a table cell, a
// column, the title box, the width of the page): the text stays inside its
// room and never crosses a rule, a border or the page frame.
//
//   1. The text is measured in the font and size in use. Where it fits, it
//      stands where the layout puts it; a line that would run past the
//      room's right edge moves left, as far as the room's left edge.
//   2. Still too wide: the size steps down by half a point, to a floor.
//   3. Still too wide: the text splits at a blank onto two lines (or more,
//      where the room is tall enough) around its baseline, the lines as
//      even as the blanks allow, in the largest size down to the floor that
//      holds them. Chinese text may also break between its characters.
//   4. Still too wide (or no blank to split at: a job number, a name typed
//      without one): the same, splitting between any two characters, never
//      inside a character's UTF-8 bytes, never before closing punctuation
//      ("，", "。", ")", "»") nor after opening punctuation ("（", "〔", "«"),
//      nor before a combining mark. A text that finds no such place (a run
//      of closing or combining marks) splits between any two characters.
//   5. A text that brings its own lines ('\n') keeps them, one per line,
//      stepping down to its floor.
//   6. Nothing fits even then: the text is cut with "…" at the floor.
//
// No floor is below kLeastTextSize: smaller type is not readable on paper.
//
// Two lines stand 4 points above and 5 below the baseline at size 9 (more
// lines keep that centre, one line pitch apart).
#pragma once

#include <string>
#include <vector>

#include "PdfCanvas.h"
#include "ReportFonts.h"

namespace tarvel::report {

// A room: x from `left` to `right`, and from `top` to `bottom` measured down
// from the top of the page (the writers' depths).
struct TextRoom {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// One line of a fitted text, at x and its baseline's depth below the page top.
struct FittedLine {
    float x = 0;
    float depth = 0;
    float size = 0;
    std::string text;
};

struct TextFit {
    std::string text; // UTF-8; '\n' ends a line of its own
    float x = 0;      // where the layout starts the text
    float depth = 0;  // and its baseline, below the page top
    TextRoom room;
    float size = 9;  // the size the layout gives it
    float floor = 0; // the smallest size it steps down to; 0: DefaultFloor(size)
    // Lines the layout prescribes for the text (their x, depth and text; the
    // size is `size`). They are kept while every one fits its room and none
    // overlaps the next; else the text is fitted as above.
    std::vector<FittedLine> preset;
};

// The lines `fit.text` is drawn as in `font`: never empty (an empty text is
// one empty line where the layout puts it).
std::vector<FittedLine> FitText(const ReportFont& font, const TextFit& fit);

// The least size any report text steps down to.
constexpr float kLeastTextSize = 6;

// Titles may step further down before they would have to split.
constexpr float kTitleFloor = 14;

// The floor of a size when none is given: about four fifths, down to half
// points (7 for the tables' 9), never below kLeastTextSize.
float DefaultFloor(float size);

// The height a room needs to hold `lines`, one per line, in `font` and
// `size` (with the inset kept from the rules above and below).
float RoomHeightForLines(const ReportFont& font, float size, const std::vector<std::string>& lines);

// Draws the lines with TextOut in the canvas's font, setting each line's
// size and restoring the size in force before.
void DrawFittedLines(PdfCanvas& canvas, const std::vector<FittedLine>& lines);

// The same with MoveTextPos and ShowText, at the start of a text block (the
// text position at the block's origin): a title's way.
void ShowFittedLines(PdfCanvas& canvas, const std::vector<FittedLine>& lines);

// Fits `text` placed at (x, depth) into `room` in the canvas's current font
// and size, and draws it.
void DrawTextInRoom(PdfCanvas& canvas, float x, float depth, const std::string& text, const TextRoom& room,
                    float floor = 0);

// The same with the lines the layout prescribes (see TextFit.preset); an
// empty line among them means the text is not split.
void DrawPresetInRoom(PdfCanvas& canvas, const std::vector<FittedLine>& preset, float x, float depth,
                      const std::string& whole, const TextRoom& room, float floor = 0);

// The layout's two-line form of a text in a table row: `first` 4 points above
// the baseline at x, `second` 5 below at secondX.
void DrawSplitInRoom(PdfCanvas& canvas, float x, float secondX, float depth, const std::string& first,
                     const std::string& second, const std::string& whole, const TextRoom& room, float floor = 0);

} // namespace tarvel::report
