// The recorder export file (".TSO"): an XML document built whole from a
// snapshot of the recorder state and the device values, with the three
// reads the export makes on the way (the VIN, DIDs 0x0046 and 0x004B) and
// the export's one instant behind a small interface. No window, no file.
#pragma once

#include "LocalTime.h"
#include "RecorderGlobals.h"

#include <cstdint>
#include <string>
#include <vector>

// One local date and time.
using OdrExportTime = tarvel::LocalDateTime;

class OdrExportReader {
public:
    virtual ~OdrExportReader() = default;
    // ReadDataByIdentifier without a time-out message: 1 with the data bytes
    // behind 62 and the echoed identifier, else 0.
    virtual int ReadById(uint16_t did, std::vector<uint8_t>& data) = 0;
    // The export's instant, asked once.
    virtual OdrExportTime LocalNow() = 0;
};

// What the export reads of the program's state.
struct OdrExportSnapshot {
    std::string ecuSoftwareVersion;
    std::string mileageAdjusted; // OdrInfoValue433Adjusted
    std::string workingHours;    // OdrInfoTimeText
    std::string mileage;         // OdrInfoValue433
    std::string maxAxleLoad;     // ParameterValueText6
    std::string rssFunction;     // ParameterValueText5
    std::string numberOfAxles;   // ParameterValueText1
    std::string numberOfAxlesL;  // ParameterValueText7
    std::string typeOfVehicle;   // ParameterValueText2
    std::string vinText;         // OdrVinText before the export
    std::string newestTripText;  // OdrNewestTripText
    int32_t tripCount = -1;      // OdrTripCount
    std::vector<OdrTrip> trips;  // OdrTrips
    std::string value434, value435, value437, value439, value440, value442, value443, value444;
};

struct OdrExportDocument {
    std::string xml;      // the file's bytes
    std::string fileName; // the proposed name
    std::string vinText;  // OdrVinText after the VIN read
    std::string date;     // "%Y-%m-%d"
    std::string time;     // "%H:%M:%S"
};

OdrExportDocument BuildOdrExportDocument(const OdrExportSnapshot& snapshot, OdrExportReader& reader);

// A value text as it goes into the file: UTF-8 kept, any byte that is not
// part of a UTF-8 character and every control character become "?", and it
// is cut to at most 255 bytes at a character boundary.
std::string OdrExportText(const std::string& raw);
// The VIN as it goes into the proposed file name: characters no file name
// may hold become "_".
std::string OdrExportNameText(const std::string& vin);

// The number reads of a value text: leading blanks skipped, an optional sign,
// then as many digits (and for the floating read one "." and an exponent) as
// fit; a text that does not begin with a number reads as 0.
long long OdrIntegerRead(const std::string& text);
double OdrFloatRead(const std::string& text);

// The leaves of one trip, by name (odo, src, time, vMax, brakes, t, pmMean,
// dst, m, mMin, mMax, ABS, RSS1, RSS2, WB, alMean); a row the trip lacks
// gives " ".
struct OdrTripLeaves {
    std::string odo, src, time;
    std::string vMax, brakes, t, pmMean, dst, m, mMin, mMax, ABS, RSS1, RSS2, WB, alMean;
};
OdrTripLeaves OdrTripLeafTexts(const OdrTrip& trip);

// The texts of the two DID reads: "%d" of the big-endian signed 32-bit value
// (divided by 10, truncated, for 0x0046); "0" after a failed read or an
// answer under 4 bytes.
std::string OdrDid0046Text(int result, const std::vector<uint8_t>& data);
std::string OdrDid004BText(int result, const std::vector<uint8_t>& data);
