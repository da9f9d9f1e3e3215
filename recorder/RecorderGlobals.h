// Trip-ring state of the operating data recorder, shared by the recorder
// pages and reset by Disconnect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One decoded row of a trip record.
struct OdrTripRow {
    std::string name;
    std::string value;
    std::string unit;
};
using OdrTrip = std::vector<OdrTripRow>;

extern int32_t OdrTripCount;   // -1 = unknown
extern int32_t OdrOldestTrip;  // -1 = unknown
extern int32_t OdrNewestTrip;  // -1 = unknown
extern int32_t OdrShownTrip;   // -1 = unknown
extern int32_t OdrReadPosition;
extern int32_t OdrReadIndex;
extern std::vector<OdrTrip> OdrTrips;

// The state Disconnect leaves behind: -1, -1, -1, -1, 0, 0 and no trips.
void ResetOdrTripState();
// Restores every value above to its load-time value.
void ResetRecorderGlobals();
