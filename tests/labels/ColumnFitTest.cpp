// How the columns of a list share its width: every column's least width is
// set aside before any column grows, so the value stays whole and the
// description (the last column) stays in view; the name gives way to both,
// the description takes what is left.
#include "ColumnFit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
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

// The same with how far the name and the description go where not even the
// least widths fit.
std::vector<FittedColumn> NarrowingColumns()
{
    return {{ColumnRole::Whole, 40, 0},
            {ColumnRole::GivesWay, 300, 120, 60},
            {ColumnRole::Whole, 100, 0},
            {ColumnRole::Follows, 50, 0},
            {ColumnRole::Fills, 300, 90, 70}};
}

// No., name, value, unit: the name takes what is left.
std::vector<FittedColumn> FourColumns(int name)
{
    return {{ColumnRole::Whole, 40, 0},
            {ColumnRole::GivesWay, name, 120},
            {ColumnRole::Whole, 100, 0},
            {ColumnRole::Follows, 50, 0}};
}

// The widths the program measured in Portuguese (texts in the list's font,
// with the cell's padding; least and narrowest as the fitting gives them):
// the trip browser after reading the latest trip, and the parameters grid.
std::vector<FittedColumn> PortugueseTripBrowser()
{
    return {{ColumnRole::Whole, 38, 38, 38},
            {ColumnRole::GivesWay, 291, 126, 120},
            {ColumnRole::Whole, 150, 52, 52},
            {ColumnRole::Follows, 49, 43, 43},
            {ColumnRole::Fills, 605, 90, 90}};
}

std::vector<FittedColumn> PortugueseParameters()
{
    return {{ColumnRole::Whole, 35, 35, 35},
            {ColumnRole::GivesWay, 276, 137, 120},
            {ColumnRole::Whole, 52, 52, 52},
            {ColumnRole::Follows, 43, 41, 41},
            {ColumnRole::Fills, 321, 97, 97}};
}

// The width each column needs at least where there is room for all of them.
int LeastOf(const FittedColumn& c)
{
    switch (c.role) {
    case ColumnRole::Whole:
    case ColumnRole::Follows: return c.content;
    case ColumnRole::GivesWay: return std::min(c.content, c.least);
    case ColumnRole::Fills: return c.least;
    }
    return 0;
}

TEST(ColumnFit, EveryLeastWidthComesBeforeAnyColumnGrows)
{
    struct Case {
        const char* what;
        int room;
        std::vector<FittedColumn> columns;
        Widths widths;
    };
    const Case cases[] = {
        {"room for all: the description fills to the edge", 900, ParameterColumns(300, 100), {40, 300, 100, 50, 410}},
        {"the name narrowed to leave the description its least", 500, ParameterColumns(300, 100),
         {40, 220, 100, 50, 90}},
        {"the name at its least: the value and the description whole", 400, ParameterColumns(300, 100),
         {40, 120, 100, 50, 90}},
        {"a name narrower than its least keeps its width", 400, ParameterColumns(80, 100), {40, 80, 100, 50, 130}},
        {"a long value (a VIN) takes its width from the name", 500, ParameterColumns(300, 180),
         {40, 140, 180, 50, 90}},
        {"without a description the name fills", 500, FourColumns(200), {40, 310, 100, 50}},
        {"without a name either the last column fills", 300,
         {{ColumnRole::Whole, 40, 0}, {ColumnRole::Whole, 100, 0}}, {40, 260}},
        {"one filling column is as wide as the list", 464, {{ColumnRole::Fills, 600, 16, 16}}, {464}},
        {"short of the least widths: the description, then the name, narrowed", 350, NarrowingColumns(),
         {40, 90, 100, 50, 70}},
        {"short of even the narrowest: the widths run past, the value whole", 250, NarrowingColumns(),
         {40, 60, 100, 50, 70}},
        {"without a description, tight, nothing to narrow to", 300, FourColumns(200), {40, 120, 100, 50}},
        {"nothing to fit", 300, {}, {}},
        // The room the trip browser has in Portuguese at 1024 x 768: the
        // name grew to its full 291 before the description's 90 was set
        // aside, and the columns took 618 of the 560.
        {"the trip browser in Portuguese at 1024 x 768", 560, PortugueseTripBrowser(), {38, 233, 150, 49, 90}},
        // At 900 x 650 (its scroll bar shown) not even the least widths
        // fit: the name gives up part of its heading.
        {"the trip browser in Portuguese at 900 x 650", 449, PortugueseTripBrowser(), {38, 122, 150, 49, 90}},
        {"the parameters grid in Portuguese at 900 x 650", 449, PortugueseParameters(), {35, 222, 52, 43, 97}},
    };
    for (const Case& c : cases) {
        const Widths widths = FitColumns(c.room, c.columns);
        EXPECT_EQ(widths, c.widths) << c.what;
        ASSERT_EQ(widths.size(), c.columns.size()) << c.what;
        const int least = std::accumulate(c.columns.begin(), c.columns.end(), 0,
                                          [](int sum, const FittedColumn& f) { return sum + LeastOf(f); });
        const int total = std::accumulate(widths.begin(), widths.end(), 0);
        for (size_t i = 0; i < widths.size(); ++i) {
            const FittedColumn& f = c.columns[i];
            // A value is never cut.
            if (f.role == ColumnRole::Whole || f.role == ColumnRole::Follows) {
                EXPECT_GE(widths[i], f.content) << c.what << " column " << i;
            }
            // Where the least widths fit, every column has its least and
            // the last one ends inside the list.
            if (least <= c.room) {
                EXPECT_GE(widths[i], LeastOf(f)) << c.what << " column " << i;
            }
        }
        if (least <= c.room && !widths.empty()) {
            EXPECT_EQ(total, c.room) << c.what << ": the columns do not end at the list's edge";
        }
    }
}

} // namespace
