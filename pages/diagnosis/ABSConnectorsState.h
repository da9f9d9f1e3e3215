// What the connectors page shows.
#pragma once

#include "ConnectorsTable.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct ABSConnectorsState {
    // Captions of the two version labels and the Update Version button.
    std::string currentCaption = "Current Version";
    std::string requiredCaption = "Required Version";
    std::string updateCaption = "Update Version";
    // The two version values in decimal; empty until read. Shown in black.
    std::string currentVersion;
    std::string requiredVersion;
    uint32_t versionColour = 0x000000;
    bool updateShown = true;

    // Headers of the connector list's columns 1..3 in the current language.
    std::array<std::string, 3> connectorHeaders{{"Write", "Function", "Connector"}};

    // The GIO list (five rows once refreshed) and the connector list.
    std::vector<connectors::GioRow> gioRows;
    std::vector<connectors::ConnectorRow> connectorRows;
    // The drop-down texts of each connector row.
    std::vector<std::vector<std::string>> options;
    // Rows of the connector list whose assignment cell is red.
    std::set<int> conflictingRows;
    // Cells (row, column 2..4) of the GIO list that are red.
    std::set<std::pair<int, int>> conflictingCells;

    // A refresh is running (its reads pump events).
    bool refreshing = false;
    // 1 after the last refresh succeeded, 0 after it failed, -1 before any.
    int lastRefreshResult = -1;
};
