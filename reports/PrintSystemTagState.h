// What the system-tag page shows.
#pragma once

#include <array>
#include <string>
#include <vector>

struct PrintSystemTagState {
    // The list: number, parameter name, value, unit per row.
    struct Row {
        std::string number;
        std::string name;
        std::string value;
        std::string unit;
    };
    std::vector<Row> rows;

    // Column headers (Chinese, or English for every other language) and
    // widths in pixels.
    std::array<std::string, 4> headers;
    static constexpr std::array<int, 4> kColumnWidths{60, 420, 260, 80};

    // Button captions: Read Parameter, Load from File (hidden), Print System Tag.
    std::string readCaption;
    std::string loadCaption;
    std::string printCaption;

    // The edit box over a value cell: shown, which row, its text.
    bool editorShown = false;
    int editorRow = 0;
    std::string editorText;

    // A read is waiting for the ECU.
    bool reading = false;
};
