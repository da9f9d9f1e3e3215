// Trip-ring state of the operating data recorder, shared by the recorder
// pages and reset by Disconnect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DidDefinitions.h"

// One decoded row of the information record or of a trip record: the
// 1-based position of its sub-field ("1", "2", ...), the sub-field's name,
// the decoded value, the unit and the description.
struct _tagODRFilldesc_ {
    std::string No;
    std::string ParameterName;
    std::string Value;
    std::string Unit;
    std::string Description;
};
struct _tagODRTripInfoFilldesc_ {
    std::string No;
    std::string ParameterName;
    std::string Value;
    std::string Unit;
    std::string Description;
};
using OdrTrip = std::vector<_tagODRTripInfoFilldesc_>;

extern int32_t OdrTripCount;   // -1 = unknown
extern int32_t OdrOldestTrip;  // -1 = unknown
extern int32_t OdrNewestTrip;  // -1 = unknown
extern int32_t OdrShownTrip;   // -1 = unknown
extern int32_t OdrReadPosition;
extern int32_t OdrReadIndex;
// Element k is the trip of ring slot k.
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

// --- Recorder information page ---
// Decimal text of OdrNewestTrip, set with it.
extern std::string OdrNewestTripText;
// The working rows of the read and the rows of the trip being decoded.
extern _tagODRFilldesc_ OdrInfoRow;
extern _tagODRTripInfoFilldesc_ OdrTripRow;
extern std::vector<_tagODRTripInfoFilldesc_> OdrTripRows;
// Values of certain information sub-fields (found by name), kept for the
// export. OdrInfoValue433Adjusted is the mileage less the recorder's
// reference (DID 0x0043, tenths); OdrInfoValue432/431 end as the hours and
// minutes of the operating time less DID 0x0044, OdrInfoTimeText "h:mm".
extern std::string OdrInfoValue434;
extern std::string OdrInfoValue433;
extern std::string OdrInfoValue433Adjusted;
extern std::string OdrInfoValue431;
extern std::string OdrInfoValue432;
extern int32_t OdrInfoMinutes;
extern std::string OdrInfoTimeText;
extern std::string OdrDid0044Text;
extern std::string OdrInfoValue435;
extern std::string OdrInfoValue439;
extern std::string OdrInfoValue440;
extern std::string OdrInfoValue442;
extern std::string OdrInfoValue443;
extern std::string OdrInfoValue444;
extern std::string OdrInfoValue437;
// The VIN of the last successful read by the export ("" at start).
extern std::string OdrVinText;
// The trip browser's window, told after each trip-count read; null while
// there is none.
namespace tarvel {
class MessageTarget;
}
extern tarvel::MessageTarget* OdrTripDialogWnd;
// The page's captured values back to empty.
void ResetOdrInfoGlobals();
// What the information read and the export learnt of one ECU (captured
// values, the newest slot's text, the VIN) back to empty; the trip browser's
// window stays.
void ForgetOdrInfoValues();
// --- end of the recorder information page ---

// Every global of this folder back to its value at program start.
void ResetRecorderGlobals();
