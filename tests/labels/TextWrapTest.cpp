// How a long text is broken into lines to fit a width, measured here as ten
// pixels a character so the lines can be read off.
#include "TextWrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Wrap(const char* text, int width)
{
    const auto measure = [](const wxString& line) { return static_cast<int>(line.length()) * 10; };
    std::vector<std::string> lines;
    for (const wxString& line : WrapLines(wxString::FromUTF8(text), width, measure))
        lines.push_back(line.utf8_string());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextWrap, BreaksLongTextsWhereTheyFit)
{
    struct Case {
        const char* text;
        int width;
        Lines lines;
    };
    const Case cases[] = {
        // No limit, or room enough: the text as it is.
        {"Current value of CD axle", 0, {"Current value of CD axle"}},
        {"Lamp Off", 80, {"Lamp Off"}},
        // At blanks, the blank dropped at the end of a line.
        {"Current value of CD axle", 120, {"Current", "value of CD", "axle"}},
        {"CD axle unloaded calibration value", 160, {"CD axle unloaded", "calibration", "value"}},
        // A word wider than the width alone is broken between characters.
        {"Calibrovka", 40, {"Cali", "brov", "ka"}},
        {"to Calibrovka", 60, {"to", "Calibr", "ovka"}},
        // Chinese has no blanks: between any two characters.
        {"请将车辆停放在水平地面", 40, {"请将车辆", "停放在水", "平地面"}},
        // ... also where a blank stands among them.
        {"请将 车辆停放在水平地面", 40, {"请将 车", "辆停放在", "水平地面"}},
        // The text's own line breaks stay.
        {"one two\nthree", 50, {"one", "two", "three"}},
        {"first\n\nthird", 0, {"first", "", "third"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Wrap(c.text, c.width), c.lines) << c.text << " at " << c.width;
}

// Two captions that differ only at their end stay apart when wrapped.
TEST(TextWrap, CaptionsThatDifferAtTheEndStayDifferent)
{
    EXPECT_NE(Wrap("Left Release Pressure", 100), Wrap("Right Release Pressure", 100));
    EXPECT_EQ(Wrap("Left Release Pressure", 100), (Lines{"Left", "Release", "Pressure"}));
}

} // namespace
