#include "ColumnFit.h"

#include <algorithm>

std::vector<int> FitColumns(int room, const std::vector<FittedColumn>& columns)
{
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
        case ColumnRole::Fills: continue; // sized last, from what is left
        }
        taken += widths[i];
    }
    // The giving columns grow towards their content, in order, with what the
    // others leave.
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].role != ColumnRole::GivesWay)
            continue;
        const int grow = std::min(room - taken, std::max(0, columns[i].content) - widths[i]);
        if (grow > 0) {
            widths[i] += grow;
            taken += grow;
        }
    }
    // The first filling column takes the rest, to the right edge; the
    // others get their least.
    bool filled = false;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].role != ColumnRole::Fills)
            continue;
        widths[i] = std::max(0, columns[i].least);
        if (!filled) {
            filled = true;
            int others = taken;
            for (size_t j = i + 1; j < columns.size(); ++j)
                if (columns[j].role == ColumnRole::Fills)
                    others += std::max(0, columns[j].least);
            widths[i] = std::max(widths[i], room - others);
        }
        taken += widths[i];
    }
    // Without one, the first giving column (else the last) takes it.
    if (!filled && !widths.empty() && taken < room) {
        size_t rest = widths.size() - 1;
        for (size_t i = columns.size(); i-- > 0;)
            if (columns[i].role == ColumnRole::GivesWay)
                rest = i;
        widths[rest] += room - taken;
    }
    return widths;
}
