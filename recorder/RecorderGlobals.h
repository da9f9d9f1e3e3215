// Trip-ring state of the operating data recorder, shared by the recorder
// pages and reset by Disconnect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DidDefinitions.h"

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

// Layout version of the trip record being decoded (byte 0 of the record, 0
// read as 1); chooses the trip definition file. 0 until a trip is read.
extern int32_t OdrTripLayoutVersion;

// Definitions of the information record (the file of the current language)
// and of the trip record (the file of OdrTripLayoutVersion), in file order.
// Only element 0 of each is used.
extern std::vector<_tagODRDIDdesc_> OdrInfoDidTable;
extern std::vector<_tagODRTRIPINFODIDdesc_> OdrTripDidTable;

// The definition and sub-field each parse filled last (the definition as it
// was appended, its last sub-field); nothing reads them but tests.
extern _tagODRDIDdesc_ OdrInfoDidWork;
extern _tagODRDIDdesc_Sub_ OdrInfoSubWork;
extern _tagODRTRIPINFODIDdesc_ OdrTripDidWork;
extern _tagODRTRIPINFODIDdesc_Sub_ OdrTripSubWork;

// Empties both definition tables and the working definitions' sub-field
// lists (what the recorder page does when it is destroyed).
void ClearOdrDefinitions();

// Every global of this folder back to its value at program start.
void ResetRecorderGlobals();
