// The operating data recorder of the simulated ECU: its information record,
// its trip ring and the few counters around them. The layouts are those of the
// recorder definition files in data/VADE_ODR_ParameterConfig/.
//
// The trip log is made by a small rule (see OdrLogRule in the .cpp): trip
// after trip of a trailer in service, each with its own distance, duration,
// speeds, brakings, load and start time, the odometer and the operating time
// running on from trip to trip. Each quantity is written into its record as
// the bytes the ECU sends, most significant byte first, by this file's own
// code; the facts beside the records say what was written, in the record's
// own units, so tests compare what the program shows with what the ECU holds.
//
// The ring has 600 slots. Trip t (1 = the first trip the ECU ever recorded)
// lies in slot (t - 1) modulo 600; once more than 600 trips were recorded,
// the oldest ones are overwritten.
#pragma once

#include <cstdint>
#include <vector>

#include "SimEcuProfile.h"

namespace sim {

class SimEcu;

namespace ecudata {

constexpr uint32_t kOdrRingSlots = 600;
// Record lengths of the two trip layouts.
constexpr size_t kOdrTripLength1 = 52;
constexpr size_t kOdrTripLength2 = 56;

// What one trip record holds, in the units of its bytes.
struct OdrTripFacts {
    uint8_t layout = 1; // 1 (52 bytes) or 2 (56 bytes)
    uint16_t number = 0; // trip number, 1 = the first trip recorded
    uint32_t odometerStart = 0; // 0.1 km
    uint16_t distance = 0; // 0.1 km
    uint8_t timeSource = 0; // 0 no clock time (start as operating time), 1 time of the towing vehicle
    uint32_t startOperatingMin = 0; // operating time of the ECU at the start, minutes
    // Start, local time (UTC plus the offset the record carries); all 0
    // when the time source is 0.
    int startYear = 0, startMonth = 0, startDay = 0, startHour = 0, startMinute = 0, startSecond = 0;
    uint16_t durationMin = 0; // minutes
    uint16_t maxSpeed = 0; // 1/256 km/h
    uint16_t meanSpeed = 0; // 1/256 km/h
    uint8_t meanDemand = 0; // 0.05 bar
    uint16_t brakes = 0; // brake applications
    uint8_t maxDemand = 0; // 0.05 bar
    uint16_t meanLoad = 0; // axle load sum, 10 kg
    uint16_t minLoad = 0; // 10 kg
    uint16_t maxLoad = 0; // 10 kg
    uint16_t abs = 0; // brakings with ABS control
    uint16_t rss1 = 0; // RSS level 1 interventions
    uint16_t rss2 = 0; // RSS level 2 interventions
    uint8_t lateral = 0; // mean lateral acceleration, 0.01 g
    uint8_t minSupply = 0; // 0.2 V
    uint8_t maxSupply = 0; // 0.2 V
    uint16_t liftRaisedMin = 0; // minutes with the lifting axle raised
    uint8_t stateBits = 0; // bit 0 brake lamp supplied, bit 1 ABS intervened, bits 2-4 load state
    uint8_t maxTemperature = 0; // layout 2: degrees + 40
    uint8_t storedFaults = 0; // layout 2
    uint16_t warningLamp = 0; // layout 2: warning lamp events
};

// What the information record holds, in the units of its bytes.
struct OdrInformationFacts {
    uint32_t operatingMin = 0; // total operating time, minutes
    uint32_t mileage = 0; // 0.1 km
    uint32_t trips = 0; // trips recorded since the ECU was built
    uint16_t loadSum = 0; // sum of the trips' mean axle load sums, t
    uint32_t demandSum = 0; // sum of the trips' mean demand pressures, 0.01 bar
    uint32_t serviceBrakes = 0;
    uint32_t stopLights = 0;
    uint16_t abs = 0, rss1 = 0, rss2 = 0;
    bool memoryFull = false; // the ring has been overwritten
    uint8_t layout = 0; // layout of the newest trip (0: no trip)
};

// One recorder: the information record, the ring in slot order (element k is
// slot k) with the facts of each slot, the trip count (DID 0x004A) and the
// newest slot (DID 0x0048).
struct OdrLog {
    std::vector<uint8_t> information;
    OdrInformationFacts informationFacts;
    std::vector<std::vector<uint8_t>> ring;
    std::vector<OdrTripFacts> facts;
    uint16_t count = 0;
    uint16_t newestSlot = 0;
};

// The recorder of each profile: Standard, a trailer in service for some
// years, 1624 trips recorded (the ring wrapped, 600 held, the newest in slot
// 423; a software update changed the trip layout from 1 to 2 at trip 1400);
// Alternate, a younger trailer on the older software: 148 trips of layout 1,
// the newest in slot 147.
const OdrLog& OdrLogOf(EcuProfile profile);
// A log made by the same rule: `trips` recorded since the ECU was built (0:
// an empty ring), layout 2 from trip `layout2From` on (0: never).
OdrLog MakeOdrLog(uint32_t trips, uint32_t layout2From, uint32_t seed);

// The Standard log's information record and ring.
const std::vector<uint8_t>& OdrInformationRecord();
const std::vector<std::vector<uint8_t>>& OdrTripRecords();
// Reference values read beside the information record: DID 0x0043 (tenths
// of a km, signed 32-bit) and DID 0x0044 (minutes, signed 32-bit).
const std::vector<uint8_t>& OdrMileageReference();
const std::vector<uint8_t>& OdrTimeReference();

// Registers the recorder: DIDs 0x0042, 0x0043, 0x0044, 0x0046, 0x004B, 0x0048
// (newest ring slot, most significant byte first), 0x004A (number of trips
// held, the same), 0x0047 (the next trip record) and routine 0xC00A, whose
// start (option 00 hi lo) sets the slot the next read of 0x0047 returns; it
// is refused (0x33) unless the ECU is unlocked in the extended session.
// Reads of 0x0047 go on round the trips held (an empty ring answers no
// bytes). Installing again replaces the recorder.
void InstallOdrRecorder(SimEcu& ecu, const OdrLog& log);
void InstallOdrRecorder(SimEcu& ecu, EcuProfile profile = EcuProfile::Standard);

} // namespace ecudata
} // namespace sim
