#include "SimEcuRecorderData.h"

#include <memory>

#include "SimEcu.h"

namespace sim {
namespace ecudata {

const std::vector<uint8_t>& OdrInformationRecord()
{
    static const std::vector<uint8_t> record{
        0x2A,                   //  0 operating time, minutes part: 42
        0x00, 0x00, 0x0C, 0x5B, //  1 operating time, hours: 3163
        0x00, 0x12, 0xD6, 0x87, //  5 total mileage: 1234567 x 0.1 km
        0x00, 0x01, 0x86, 0xA0, //  9 total trips: 100000
        0x01, 0x2C,             // 13 sum of axle load: 300
        0x00, 0x01, 0xE2, 0x40, // 15 sum of demand pressure: 123456 x 0.01 bar
        0x00, 0x07,             // 19 service brake applications: 7
        0x00, 0x03,             // 21 stop light operations: 3
        0x04, 0xD2,             // 23 ABS events: 1234
        0x00, 0x2D,             // 25 RSS level 1 events: 45
        0x00, 0x5F,             // 27 RSS level 2 events: 95
        0x01,                   // 29 bit 0 recorder enabled, bit 1 memory full
        0x02,                   // 30 trip layout version
        0x00,                   // 31 reserved
    };
    return record;
}

const std::vector<std::vector<uint8_t>>& OdrTripRecords()
{
    static const std::vector<std::vector<uint8_t>> trips{
        // Slot 0: layout 1, 52 bytes.
        {
            0x01,                                           //  0 layout version
            0x00, 0x01,                                     //  1 trip number
            0x00, 0x00, 0x03, 0xE8,                         //  3 distance: 1000 x 0.1 km
            0x00, 0x5A,                                     //  7 duration: 90 min
            0x00, 0x2A,                                     //  9 brake applications: 42
            0x00, 0x02,                                     // 11 ABS events
            0x00, 0x01,                                     // 13 RSS events
            0x28, 0x1E, 0x0C, 0x06, 0x3C, 0x26, 0x7D, 0x7F, // 15 start: 2023-06-15 12:30:10 UTC, +2 h
            0x5A, 0x00,                                     // 23 maximum speed: 23040 / 256 km/h
            0x41, 0x80,                                     // 25 average speed: 16768 / 256 km/h
            0x8C,                                           // 27 maximum demand pressure: 140 x 0.05 bar
            0x3C,                                           // 28 average demand pressure: 60 x 0.05 bar
            0x00, 0x5A,                                     // 29 maximum axle load: 90 x 0.1 t
            0x00, 0x3C,                                     // 31 average axle load: 60 x 0.1 t
            0x78,                                           // 33 minimum supply: 120 x 0.2 V
            0x8C,                                           // 34 maximum supply: 140 x 0.2 V
            0x00, 0x00,                                     // 35 overload events
            0x00, 0x01,                                     // 37 warning lamp events
            0x00, 0x0F,                                     // 39 lifting axle raised: 15 min
            0x00, 0x12, 0xDA, 0x6F,                         // 41 odometer at the end: 1235567 x 0.1 km
            0x0B,                                           // 45 brake lamp 1, ABS 1, load state 2
            0x5A,                                           // 46 maximum temperature: 90 - 40 degrees
            0x00,                                           // 47 stored faults
            0x00, 0x00, 0x00, 0x00,                         // 48 reserved
        },
        // Slot 1: layout 2, 56 bytes; the start crosses the year end in local time.
        {
            0x02,                                           //  0 layout version
            0x00, 0x02,                                     //  1 trip number
            0x00, 0x00, 0x13, 0x88,                         //  3 distance: 5000 x 0.1 km
            0x01, 0x2C,                                     //  7 duration: 300 min
            0x00, 0x96,                                     //  9 brake applications: 150
            0x00, 0x05,                                     // 11 ABS events
            0x00, 0x00,                                     // 13 RSS events
            0x28, 0x1E, 0x17, 0x0C, 0x7C, 0x26, 0x7D, 0x7F, // 15 start: 2023-12-31 23:30:10 UTC, +2 h
            0x64, 0x80,                                     // 23 maximum speed: 25728 / 256 km/h
            0x4B, 0x00,                                     // 25 average speed: 19200 / 256 km/h
            0xA0,                                           // 27 maximum demand pressure: 160 x 0.05 bar
            0x28,                                           // 28 average demand pressure: 40 x 0.05 bar
            0x00, 0x64,                                     // 29 maximum axle load: 100 x 0.1 t
            0x00, 0x50,                                     // 31 average axle load: 80 x 0.1 t
            0x73,                                           // 33 minimum supply: 115 x 0.2 V
            0x87,                                           // 34 maximum supply: 135 x 0.2 V
            0x00, 0x01,                                     // 35 overload events
            0x00, 0x00,                                     // 37 warning lamp events
            0x00, 0x00,                                     // 39 lifting axle raised
            0x00, 0x12, 0xED, 0xF7,                         // 41 odometer at the end: 1240567 x 0.1 km
            0x11,                                           // 45 brake lamp 1, ABS 0, load state 4
            0x41,                                           // 46 maximum temperature: 65 - 40 degrees
            0x01,                                           // 47 stored faults
            0x00, 0x00, 0x00, 0x00,                         // 48 reserved
            0x00, 0x02,                                     // 52 RSS level-2 interventions
            0x00, 0x01,                                     // 54 tyre pressure warnings
        },
        // Slot 2: layout byte 0 (read as layout 1), 52 bytes; no time stamp.
        {
            0x00,                                           //  0 layout version
            0x00, 0x03,                                     //  1 trip number
            0x00, 0x00, 0x00, 0x2D,                         //  3 distance: 45 x 0.1 km
            0x00, 0x06,                                     //  7 duration: 6 min
            0x00, 0x03,                                     //  9 brake applications
            0x00, 0x00,                                     // 11 ABS events
            0x00, 0x00,                                     // 13 RSS events
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 15 start: not set
            0x1E, 0x00,                                     // 23 maximum speed: 7680 / 256 km/h
            0x0F, 0x00,                                     // 25 average speed: 3840 / 256 km/h
            0x14,                                           // 27 maximum demand pressure: 20 x 0.05 bar
            0x0A,                                           // 28 average demand pressure: 10 x 0.05 bar
            0x00, 0x1E,                                     // 29 maximum axle load: 30 x 0.1 t
            0x00, 0x1E,                                     // 31 average axle load: 30 x 0.1 t
            0x7D,                                           // 33 minimum supply: 125 x 0.2 V
            0x7D,                                           // 34 maximum supply: 125 x 0.2 V
            0x00, 0x00,                                     // 35 overload events
            0x00, 0x00,                                     // 37 warning lamp events
            0x00, 0x00,                                     // 39 lifting axle raised
            0x00, 0x12, 0xED, 0xFB,                         // 41 odometer at the end: 1240571 x 0.1 km
            0x01,                                           // 45 brake lamp 1, ABS 0, load state 0
            0x32,                                           // 46 maximum temperature: 50 - 40 degrees
            0x00,                                           // 47 stored faults
            0x00, 0x00, 0x00, 0x00,                         // 48 reserved
        },
    };
    return trips;
}

const std::vector<uint8_t>& OdrMileageReference()
{
    static const std::vector<uint8_t> bytes{0x00, 0x00, 0x03, 0xE8}; // 1000 x 0.1 km
    return bytes;
}

const std::vector<uint8_t>& OdrTimeReference()
{
    static const std::vector<uint8_t> bytes{0x00, 0x00, 0x00, 0x3C}; // 60 min
    return bytes;
}

void InstallOdrRecorder(SimEcu& ecu)
{
    const auto& trips = OdrTripRecords();
    const uint16_t count = static_cast<uint16_t>(trips.size());
    const uint16_t newest = static_cast<uint16_t>(count - 1);
    ecu.RegisterDid(0x0042, OdrInformationRecord());
    ecu.RegisterDid(0x0043, OdrMileageReference());
    ecu.RegisterDid(0x0044, OdrTimeReference());
    ecu.RegisterDid(0x004A, {static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
    ecu.RegisterDid(0x0048, {static_cast<uint8_t>(newest >> 8), static_cast<uint8_t>(newest)});
    // Long-term counters the export reads: overload time in tenths (1234.5
    // read as 123) and service brakings without CAN (signed 32-bit each).
    ecu.RegisterDid(0x0046, {0x00, 0x00, 0x04, 0xD2});
    ecu.RegisterDid(0x004B, {0x00, 0x00, 0x01, 0x2C});

    // The slot the next read of 0x0047 returns (handlers run under the ECU's lock).
    auto next = std::make_shared<size_t>(0);
    ecu.RegisterRoutine(0xC00A, [next](uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& ctx) {
        // The ring is only handed out in the extended session, unlocked.
        if (ctx.Session() != 0x03 || !ctx.Unlocked(0x01)) return SimEcuAnswer::Negative(0x33);
        if (sub != 0x01) return SimEcuAnswer::Negative(0x12);
        if (option.size() != 3) return SimEcuAnswer::Negative(0x13);
        *next = static_cast<size_t>(option[1]) << 8 | option[2];
        return SimEcuAnswer::Positive();
    });
    ecu.RegisterDynamicDid(0x0047, [next](const SimEcuContext&) {
        const auto& ring = OdrTripRecords();
        const std::vector<uint8_t> record = ring[*next % ring.size()];
        ++*next;
        return record;
    });
}

} // namespace ecudata
} // namespace sim
