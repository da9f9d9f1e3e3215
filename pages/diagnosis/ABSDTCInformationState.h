// What the fault memory page shows.
#pragma once

#include <string>
#include <vector>

struct ABSDTCInformationState {
    // The fault list, top to bottom.
    std::vector<std::string> lines;
    // Button captions in the current language.
    std::string readDtcCaption = "Read DTC";
    std::string clearDtcCaption = "Clear DTC";
    std::string clearContentsCaption = "Clear Contents";
};
