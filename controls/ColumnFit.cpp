#include "ColumnFit.h"

#include <algorithm>

std::vector<int> FitColumns(int room, const std::vector<FittedColumn>& columns)
{
    // Every column at its least first, so that no column grows into the room
    // another one needs to be seen at all.
    std::vector<int> widths(columns.size(), 0);
    int taken = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const FittedColumn& c = columns[i];
        const int content = std::max(0, c.content);
        const int least = std::max(0, c.least);
        switch (c.role) {
        case ColumnRole::Whole:
        case ColumnRole::Follows: widths[i] = content; break;
        case ColumnRole::GivesWay: widths[i] = std::min(content, least); break;
        case ColumnRole::Fills: widths[i] = least; break;
        }
        taken += widths[i];
    }
    if (taken > room) {
        // Not even the least widths fit: the filling columns, then the giving
        // ones, are narrowed further, down to their narrowest, so that the
        // last column stays in view.
        for (ColumnRole role : {ColumnRole::Fills, ColumnRole::GivesWay}) {
            for (size_t i = columns.size(); i-- > 0 && taken > room;) {
                if (columns[i].role != role)
                    continue;
                const int narrowest = columns[i].narrowest > 0 ? std::min(widths[i], columns[i].narrowest) : widths[i];
                const int give = std::min(taken - room, widths[i] - narrowest);
                widths[i] -= give;
                taken -= give;
            }
        }
        return widths;
    }
    // The giving columns grow towards their content, in order, with what the
    // least widths leave.
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].role != ColumnRole::GivesWay)
            continue;
        const int grow = std::min(room - taken, std::max(0, columns[i].content) - widths[i]);
        if (grow > 0) {
            widths[i] += grow;
            taken += grow;
        }
    }
    if (taken >= room || widths.empty())
        return widths;
    // The rest goes to the first filling column, to the right edge; without
    // one, to the first giving column, else to the last.
    size_t rest = widths.size() - 1;
    bool found = false;
    for (ColumnRole role : {ColumnRole::Fills, ColumnRole::GivesWay}) {
        for (size_t i = 0; i < columns.size() && !found; ++i) {
            if (columns[i].role == role) {
                rest = i;
                found = true;
            }
        }
    }
    widths[rest] += room - taken;
    return widths;
}
