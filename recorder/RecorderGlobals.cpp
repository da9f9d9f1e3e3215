#include "RecorderGlobals.h"

int32_t OdrTripCount = -1;
int32_t OdrOldestTrip = -1;
int32_t OdrNewestTrip = -1;
int32_t OdrShownTrip = -1;
int32_t OdrReadPosition = 0;
int32_t OdrReadIndex = 0;
std::vector<OdrTrip> OdrTrips;

void ResetOdrTripState()
{
    OdrTripCount = -1;
    OdrOldestTrip = -1;
    OdrNewestTrip = -1;
    OdrShownTrip = -1;
    OdrReadPosition = 0;
    OdrReadIndex = 0;
    OdrTrips.clear();
}

void ResetRecorderGlobals()
{
    ResetOdrTripState();
}
