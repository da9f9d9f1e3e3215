#include "RecorderGlobals.h"

#include "OdrDefinitions.h"

int32_t OdrTripCount = -1;
int32_t OdrOldestTrip = -1;
int32_t OdrNewestTrip = -1;
int32_t OdrShownTrip = -1;
int32_t OdrReadPosition = 0;
int32_t OdrReadIndex = 0;
std::vector<OdrTrip> OdrTrips;
int32_t OdrTripLayoutVersion = 0;

std::vector<_tagODRDIDdesc_> OdrInfoDidTable;
std::vector<_tagODRTRIPINFODIDdesc_> OdrTripDidTable;
_tagODRDIDdesc_ OdrInfoDidWork;
_tagODRDIDdesc_Sub_ OdrInfoSubWork;
_tagODRTRIPINFODIDdesc_ OdrTripDidWork;
_tagODRTRIPINFODIDdesc_Sub_ OdrTripSubWork;

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

void ClearOdrDefinitions()
{
    OdrInfoDidTable.clear();
    OdrTripDidTable.clear();
    OdrInfoDidWork.SubFields.clear();
    OdrTripDidWork.SubFields.clear();
}

void ResetRecorderGlobals()
{
    ResetOdrTripState();
    OdrTripLayoutVersion = 0;
    ClearOdrDefinitions();
    OdrInfoDidWork = _tagODRDIDdesc_{};
    OdrInfoSubWork = _tagODRDIDdesc_Sub_{};
    OdrTripDidWork = _tagODRTRIPINFODIDdesc_{};
    OdrTripSubWork = _tagODRTRIPINFODIDdesc_Sub_{};
    EndOdrTripRead();
}
