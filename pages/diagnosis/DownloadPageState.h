// What the program-download page shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colour of the percentage label (0x00BBGGRR).
constexpr uint32_t kDownloadPercentColour = 0x803400;

struct DownloadPageState {
    std::vector<std::string> messages; // the message list, oldest first
    int progressRange = 100;
    int progressPosition = 0;
    std::string percentText = "0%";
    uint32_t percentColour = kDownloadPercentColour;
    std::string fileName; // the browse edit: the file last loaded
    bool cancelEnabled = false;
};
