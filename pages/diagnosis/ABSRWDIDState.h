// What the parameters page shows: the record list, the grid, the editor and
// the buttons' states.
#pragma once

#include "DiagnosisGlobals.h"

#include <array>
#include <string>
#include <vector>

struct ABSRWDIDState {
    // The record list (filled whenever it drops down) and its current text.
    std::vector<std::string> recordNames;
    std::string recordText;
    // Captions of the label and the four buttons (texts 26..30).
    std::string selectLabel;
    std::string readCaption;
    std::string writeCaption;
    std::string loadCaption;
    std::string saveCaption;
    // Column headers and the Value column's width of the last column set-up.
    std::array<std::string, 5> headers;
    int valueColumnWidth = 150;
    bool writeEnabled = true;
    // Load/Save to File: only while "Calibration Parameters" is chosen.
    bool fileButtonsEnabled = false;
    // The grid's rows.
    std::vector<_tagFilldesc_> rows;
    // The in-place editor over (ParameterEditRow, ParameterEditColumn).
    bool editorShown = false;
    std::string editorText;
    // A read or write is running: the record list and the buttons are
    // disabled (and a second click is ignored).
    bool busy = false;
};
