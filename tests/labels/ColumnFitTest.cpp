// How the columns of a list share its width: the value stays whole and in
// view, the name gives way to it, the description takes what is left.
#include "ColumnFit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Widths = std::vector<int>;

// No., name, value, unit, description as the parameter lists have them.
std::vector<FittedColumn> ParameterColumns(int name, int value)
{
    return {{ColumnRole::Whole, 40, 0},
            {ColumnRole::GivesWay, name, 120},
            {ColumnRole::Whole, value, 0},
            {ColumnRole::Follows, 50, 0},
            {ColumnRole::Fills, 300, 90}};
}

// No., name, value, unit: the name takes what is left.
std::vector<FittedColumn> FourColumns(int name)
{
    return {{ColumnRole::Whole, 40, 0},
            {ColumnRole::GivesWay, name, 120},
            {ColumnRole::Whole, 100, 0},
            {ColumnRole::Follows, 50, 0}};
}

TEST(ColumnFit, TheValueStaysWholeAndTheNameGivesWay)
{
    struct Case {
        const char* what;
        int room;
        std::vector<FittedColumn> columns;
        Widths widths;
    };
    const Case cases[] = {
        {"room for all: the description fills to the edge", 900, ParameterColumns(300, 100), {40, 300, 100, 50, 410}},
        {"the name narrowed to leave value and unit in view", 400, ParameterColumns(300, 100),
         {40, 210, 100, 50, 90}},
        {"the name at its least: the value still whole", 250, ParameterColumns(300, 100), {40, 120, 100, 50, 90}},
        {"a name narrower than its least keeps its width", 400, ParameterColumns(80, 100), {40, 80, 100, 50, 130}},
        {"a long value (a VIN) takes its width from the name", 400, ParameterColumns(300, 180),
         {40, 130, 180, 50, 90}},
        {"without a description the name fills", 500, FourColumns(200), {40, 310, 100, 50}},
        {"without a name either the last column fills", 300,
         {{ColumnRole::Whole, 40, 0}, {ColumnRole::Whole, 100, 0}}, {40, 260}},
        {"without a description, tight", 300, FourColumns(200), {40, 120, 100, 50}},
        {"nothing to fit", 300, {}, {}},
    };
    for (const Case& c : cases) {
        const Widths widths = FitColumns(c.room, c.columns);
        EXPECT_EQ(widths, c.widths) << c.what;
        // Up to the value, everything is in view wherever the least widths
        // leave room for it.
        if (widths.size() >= 3 && c.room >= 40 + 120 + c.columns[2].content) {
            EXPECT_LE(widths[0] + widths[1] + widths[2], c.room) << c.what;
        }
    }
}

} // namespace
