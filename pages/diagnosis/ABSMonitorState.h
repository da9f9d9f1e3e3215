// What the live-data monitor page shows.
#pragma once

#include "DiagnosisGlobals.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ABSMonitorState {
    // The check-box list: one row per monitor DID (its name).
    std::vector<std::string> didNames;
    std::vector<bool> checked;
    bool selectAll = false;
    // The value list; rebuilt whenever listVersion changes, otherwise only
    // its value column follows.
    std::vector<_tagFillMonitordesc_> rows;
    uint64_t listVersion = 0;
    std::array<std::string, 4> headers;
    // The period edit, in seconds.
    std::string periodText = "1.0";
    // Captions.
    std::string displayText;
    std::string periodLabel;
    std::string selectAllText;
    std::string recordText;
};
