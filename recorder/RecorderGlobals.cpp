#include "RecorderGlobals.h"

#include "OdrDefinitions.h"

#include <initializer_list>

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

std::string OdrNewestTripText;
_tagODRFilldesc_ OdrInfoRow;
_tagODRTripInfoFilldesc_ OdrTripRow;
std::vector<_tagODRTripInfoFilldesc_> OdrTripRows;
std::string OdrInfoValue434;
std::string OdrInfoValue433;
std::string OdrInfoValue433Adjusted;
std::string OdrInfoValue431;
std::string OdrInfoValue432;
int32_t OdrInfoMinutes = 0;
std::string OdrInfoTimeText;
std::string OdrDid0044Text;
std::string OdrInfoValue435;
std::string OdrInfoValue439;
std::string OdrInfoValue440;
std::string OdrInfoValue442;
std::string OdrInfoValue443;
std::string OdrInfoValue444;
std::string OdrInfoValue437;
std::string OdrVinText;
tarvel::MessageTarget* OdrTripDialogWnd = nullptr;

void ForgetOdrInfoValues()
{
    OdrNewestTripText.clear();
    for (std::string* text : {&OdrInfoValue434, &OdrInfoValue433, &OdrInfoValue433Adjusted, &OdrInfoValue431,
                              &OdrInfoValue432, &OdrInfoTimeText, &OdrDid0044Text, &OdrInfoValue435,
                              &OdrInfoValue439, &OdrInfoValue440, &OdrInfoValue442, &OdrInfoValue443,
                              &OdrInfoValue444, &OdrInfoValue437})
        text->clear();
    OdrInfoMinutes = 0;
    OdrVinText.clear();
}

void ResetOdrInfoGlobals()
{
    ForgetOdrInfoValues();
    OdrInfoRow = _tagODRFilldesc_{};
    OdrTripRow = _tagODRTripInfoFilldesc_{};
    OdrTripRows.clear();
    OdrTripDialogWnd = nullptr;
}

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
    ResetOdrInfoGlobals();
}
