#include "SimEcuRecorderData.h"

#include <algorithm>
#include <memory>

#include "SimEcu.h"

namespace sim {
namespace ecudata {

namespace {

// ---- The rule the log is made by (OdrLogRule) --------------------------------
//
// Trips are made one after the other, from the first the ECU recorded. Each
// trip draws its numbers from a small dice seeded with the log's seed and the
// trip number, so one trip's values do not depend on how many trips the log
// has. Per trip:
//  - kind: 25 % local deliveries (3-60 km, 22-42 km/h on average, up to an
//    hour of stops), 45 % regional (60-350 km, 45-62 km/h), 30 % long haul
//    (350-900 km, 60-76 km/h);
//  - duration: driving time at that speed plus the stops; mean speed over the
//    whole trip; maximum speed 8-25 km/h above the driving speed, never above
//    the 90 km/h of the speed limiter;
//  - brake applications: per km 1.2-2.0 (local), 0.5-0.9 (regional), 0.2-0.4
//    (long haul), plus 2-8 manoeuvring; mean demand 0.80-2.20 bar, maximum
//    3.0-7.5 bar (up to 8.5 bar in a trip with ABS control);
//  - load: 30 % empty (axle load sum 6.4-7.2 t, lifting axle raised for most
//    of the trip), 25 % part load (11-19 t, raised for part of it), 43 % full
//    (23-26.5 t), 2 % overloaded (27.5-29 t); a local trip unloads on its way,
//    so its minimum lies up to 6 t below its mean;
//  - ABS brakings: in November to March one trip in four has 1-6, else one in
//    sixteen has 1-3; RSS level 1 in one trip of twenty (1-3), level 2 in one
//    of sixty-seven (1); mean lateral acceleration 0.03-0.11 g;
//  - supply 23.2-24.4 V at its lowest, 27.6-28.4 V at its highest;
//  - time source: one trip in fourteen runs behind a towing vehicle that sends
//    no time and date (source 0, the start is known only as operating time);
//  - start: 25 minutes to 4 hours after the last trip ended; after every
//    third to fifth trip an overnight stop (9-14 h) instead, and after about
//    every fifteenth a weekend (2 days); a start that would fall between
//    21:00 and 05:00 local time is put off to 05:00-07:30 the next morning;
//    the record carries UTC and the local offset of central Europe (+2 h
//    from April to October, else +1 h);
//  - the ECU runs 5-25 minutes standing before and after each trip, so its
//    operating time grows by the trip's duration and that much more.
// Layout 2 adds the highest ECU temperature (15-65 degrees), stored faults
// (one trip in fifty has one) and warning lamp events (one trip in thirty).

uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

class Dice {
public:
    Dice(uint32_t seed, uint32_t trip) : state_(Mix(seed * 0x9E3779B9u ^ Mix(trip + 0x632BE5ABu))) {}
    uint32_t Next()
    {
        state_ = Mix(state_ + 0x9E3779B9u);
        return state_;
    }
    // lo..hi, both included.
    uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Next() % (hi - lo + 1); }
    // True in `share` of `of` cases.
    bool Chance(uint32_t share, uint32_t of) { return Next() % of < share; }

private:
    uint32_t state_;
};

// Days since 1970-01-01 of a civil date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

struct Civil {
    int year, month, day, hour, minute, second;
};

Civil CivilOf(int64_t seconds)
{
    Civil c{};
    const int64_t days = seconds / 86400;
    const int64_t rest = seconds % 86400;
    CivilFromDays(days, c.year, c.month, c.day);
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest / 60 % 60);
    c.second = static_cast<int>(rest % 60);
    return c;
}

int LocalOffsetHours(int month) { return month >= 4 && month <= 10 ? 2 : 1; }

void Put8(std::vector<uint8_t>& r, size_t at, uint32_t v) { r[at] = static_cast<uint8_t>(v); }
void Put16(std::vector<uint8_t>& r, size_t at, uint32_t v)
{
    r[at] = static_cast<uint8_t>(v >> 8);
    r[at + 1] = static_cast<uint8_t>(v);
}
void Put32(std::vector<uint8_t>& r, size_t at, uint32_t v)
{
    r[at] = static_cast<uint8_t>(v >> 24);
    r[at + 1] = static_cast<uint8_t>(v >> 16);
    r[at + 2] = static_cast<uint8_t>(v >> 8);
    r[at + 3] = static_cast<uint8_t>(v);
}

// The bytes of one trip record (trip layouts 1 and 2 of the definition files).
std::vector<uint8_t> TripRecord(const OdrTripFacts& f, int64_t startUtc, int offsetHours)
{
    std::vector<uint8_t> r(f.layout == 2 ? kOdrTripLength2 : kOdrTripLength1, 0);
    Put8(r, 0, f.layout);
    Put16(r, 1, f.number);
    Put32(r, 3, f.odometerStart);
    Put16(r, 7, f.distance);
    Put8(r, 9, f.timeSource);
    Put8(r, 10, f.startOperatingMin % 60);
    Put32(r, 11, f.startOperatingMin / 60);
    if (f.timeSource != 0) {
        // SAE J1939 time/date: seconds x 4, minutes, hours, month, day x 4,
        // year - 1985, local minute offset + 125, local hour offset + 125.
        const Civil utc = CivilOf(startUtc);
        Put8(r, 15, static_cast<uint32_t>(utc.second * 4));
        Put8(r, 16, static_cast<uint32_t>(utc.minute));
        Put8(r, 17, static_cast<uint32_t>(utc.hour));
        Put8(r, 18, static_cast<uint32_t>(utc.month));
        Put8(r, 19, static_cast<uint32_t>(utc.day * 4));
        Put8(r, 20, static_cast<uint32_t>(utc.year - 1985));
        Put8(r, 21, 125);
        Put8(r, 22, static_cast<uint32_t>(125 + offsetHours));
    }
    Put8(r, 23, f.durationMin % 60u);
    Put16(r, 24, f.durationMin / 60u);
    Put16(r, 26, f.maxSpeed);
    Put16(r, 28, f.meanSpeed);
    Put8(r, 30, f.meanDemand);
    Put16(r, 31, f.brakes);
    Put8(r, 33, f.maxDemand);
    Put16(r, 34, f.meanLoad);
    Put16(r, 36, f.minLoad);
    Put16(r, 38, f.maxLoad);
    Put16(r, 40, f.abs);
    Put16(r, 42, f.rss1);
    Put16(r, 44, f.rss2);
    Put8(r, 46, f.lateral);
    Put8(r, 47, f.minSupply);
    Put8(r, 48, f.maxSupply);
    Put16(r, 49, f.liftRaisedMin);
    Put8(r, 51, f.stateBits);
    if (f.layout == 2) {
        Put8(r, 52, f.maxTemperature);
        Put8(r, 53, f.storedFaults);
        Put16(r, 54, f.warningLamp);
    }
    return r;
}

// The bytes of the information record (the information definition files).
std::vector<uint8_t> InformationRecord(const OdrInformationFacts& f)
{
    std::vector<uint8_t> r(36, 0);
    Put8(r, 0, f.operatingMin % 60);
    Put32(r, 1, f.operatingMin / 60);
    Put32(r, 5, f.mileage);
    Put32(r, 9, f.trips);
    Put16(r, 13, f.loadSum);
    Put32(r, 15, f.demandSum);
    Put32(r, 19, f.serviceBrakes);
    Put32(r, 23, f.stopLights);
    Put16(r, 27, f.abs);
    Put16(r, 29, f.rss1);
    Put16(r, 31, f.rss2);
    Put8(r, 33, 0x01u | (f.memoryFull ? 0x02u : 0x00u)); // bit 0 recorder enabled, bit 1 memory full
    Put8(r, 34, f.layout);
    return r;
}

struct LogStart {
    int64_t utc; // seconds since 1970, start of the first trip
    uint32_t odometer; // 0.1 km at the first trip
    uint32_t operatingMin;
};

OdrLog MakeLog(uint32_t trips, uint32_t layout2From, uint32_t seed, const LogStart& start)
{
    OdrLog log;
    OdrInformationFacts& info = log.informationFacts;
    const uint32_t held = std::min(trips, kOdrRingSlots);
    log.ring.resize(held);
    log.facts.resize(held);

    int64_t clock = start.utc;
    uint32_t odometer = start.odometer;
    uint32_t operating = start.operatingMin;
    uint32_t loadKgSum = 0;
    for (uint32_t t = 1; t <= trips; ++t) {
        Dice dice(seed, t);
        OdrTripFacts f;
        f.layout = layout2From != 0 && t >= layout2From ? 2 : 1;
        f.number = static_cast<uint16_t>(t);
        const Civil utcStart = CivilOf(clock);
        const int offset = LocalOffsetHours(utcStart.month);

        // Kind of trip, distance, speeds and duration.
        const uint32_t kind = dice.Between(1, 100);
        uint32_t distanceKm10 = 0, driveKmh = 0, stopsMin = 0;
        uint32_t brakesPer10Km = 0;
        if (kind <= 25) {
            distanceKm10 = dice.Between(30, 600);
            driveKmh = dice.Between(22, 42);
            stopsMin = dice.Between(10, 60);
            brakesPer10Km = dice.Between(12, 20);
        } else if (kind <= 70) {
            distanceKm10 = dice.Between(600, 3500);
            driveKmh = dice.Between(45, 62);
            stopsMin = dice.Between(0, 30);
            brakesPer10Km = dice.Between(5, 9);
        } else {
            distanceKm10 = dice.Between(3500, 9000);
            driveKmh = dice.Between(60, 76);
            stopsMin = dice.Between(0, 45);
            brakesPer10Km = dice.Between(2, 4);
        }
        f.distance = static_cast<uint16_t>(distanceKm10);
        f.odometerStart = odometer;
        const uint32_t driveMin = std::max<uint32_t>(1, (distanceKm10 * 6 + driveKmh / 2) / driveKmh);
        f.durationMin = static_cast<uint16_t>(driveMin + stopsMin);
        f.meanSpeed = static_cast<uint16_t>((distanceKm10 * 6u * 256u + f.durationMin / 2u) / f.durationMin);
        const uint32_t maxKmh = std::min<uint32_t>(89, driveKmh + dice.Between(8, 25));
        f.maxSpeed = static_cast<uint16_t>(maxKmh * 256 + dice.Between(0, 255));

        // Braking.
        f.brakes = static_cast<uint16_t>(distanceKm10 * brakesPer10Km / 100 + dice.Between(2, 8));
        f.meanDemand = static_cast<uint8_t>(dice.Between(16, 44));
        const bool winter = utcStart.month >= 11 || utcStart.month <= 3;
        if (winter ? dice.Chance(1, 4) : dice.Chance(1, 16))
            f.abs = static_cast<uint16_t>(dice.Between(1, winter ? 6 : 3));
        f.maxDemand = static_cast<uint8_t>(f.abs > 0 ? dice.Between(120, 170) : dice.Between(60, 150));
        if (dice.Chance(1, 20))
            f.rss1 = static_cast<uint16_t>(dice.Between(1, 3));
        if (dice.Chance(3, 200))
            f.rss2 = 1;
        f.lateral = static_cast<uint8_t>(dice.Between(3, 11));

        // Load and the lifting axle.
        const uint32_t loadDraw = dice.Between(1, 100);
        uint32_t loadState = 0;
        if (loadDraw <= 30) {
            loadState = 0;
            f.meanLoad = static_cast<uint16_t>(dice.Between(640, 720));
            f.liftRaisedMin = static_cast<uint16_t>(f.durationMin * dice.Between(85, 100) / 100);
        } else if (loadDraw <= 55) {
            loadState = 1;
            f.meanLoad = static_cast<uint16_t>(dice.Between(1100, 1900));
            f.liftRaisedMin = static_cast<uint16_t>(f.durationMin * dice.Between(0, 60) / 100);
        } else if (loadDraw <= 98) {
            loadState = 2;
            f.meanLoad = static_cast<uint16_t>(dice.Between(2300, 2650));
        } else {
            loadState = 3;
            f.meanLoad = static_cast<uint16_t>(dice.Between(2750, 2900));
        }
        const uint32_t drop = kind <= 25 ? dice.Between(0, 600) : dice.Between(0, 60);
        f.minLoad = static_cast<uint16_t>(std::max<uint32_t>(620, f.meanLoad > drop ? f.meanLoad - drop : 0));
        f.minLoad = std::min(f.minLoad, f.meanLoad);
        f.maxLoad = static_cast<uint16_t>(f.meanLoad + dice.Between(0, 80));

        f.minSupply = static_cast<uint8_t>(dice.Between(116, 122));
        f.maxSupply = static_cast<uint8_t>(dice.Between(138, 142));
        const uint32_t lampSupplied = dice.Chance(49, 50) ? 1u : 0u;
        f.stateBits = static_cast<uint8_t>(lampSupplied | (f.abs > 0 ? 0x02u : 0u) | loadState << 2);
        if (f.layout == 2) {
            f.maxTemperature = static_cast<uint8_t>(dice.Between(55, 105));
            f.storedFaults = dice.Chance(1, 50) ? 1 : 0;
            f.warningLamp = dice.Chance(1, 30) ? 1 : 0;
        }

        // Start: time source, clock time and operating time.
        f.timeSource = dice.Chance(1, 14) ? 0 : 1;
        const uint32_t before = dice.Between(5, 25);
        operating += before;
        f.startOperatingMin = operating;
        if (f.timeSource != 0) {
            const Civil local = CivilOf(clock + offset * 3600);
            f.startYear = local.year;
            f.startMonth = local.month;
            f.startDay = local.day;
            f.startHour = local.hour;
            f.startMinute = local.minute;
            f.startSecond = local.second;
        }
        const std::vector<uint8_t> record = TripRecord(f, clock, offset);

        // On to the next trip.
        const uint32_t after = dice.Between(5, 25);
        operating += f.durationMin + after;
        odometer += distanceKm10;
        clock += static_cast<int64_t>(f.durationMin) * 60;
        if (dice.Chance(1, 15))
            clock += 2 * 86400 + dice.Between(0, 3 * 3600);
        else if (dice.Chance(1, 4))
            clock += dice.Between(9 * 3600, 14 * 3600);
        else
            clock += dice.Between(25 * 60, 4 * 3600);
        // Nobody sets off between 21:00 and 05:00: such a start waits for
        // the next morning.
        const int64_t local = clock + LocalOffsetHours(CivilOf(clock).month) * 3600;
        const int64_t hour = local % 86400 / 3600;
        if (hour >= 21 || hour < 5) {
            const int64_t morning =
                (local / 86400 + (hour >= 21 ? 1 : 0)) * 86400 + dice.Between(5 * 3600, 7 * 3600 + 1800);
            clock += morning - local;
        }

        // The totals of the information record count every trip.
        loadKgSum += f.meanLoad * 10u;
        info.demandSum += f.meanDemand * 5u;
        info.serviceBrakes += f.brakes;
        info.stopLights += f.brakes + dice.Between(0, f.brakes / 8u + 1u);
        info.abs = static_cast<uint16_t>(info.abs + f.abs);
        info.rss1 = static_cast<uint16_t>(info.rss1 + f.rss1);
        info.rss2 = static_cast<uint16_t>(info.rss2 + f.rss2);
        info.layout = f.layout;

        const uint32_t slot = (t - 1) % kOdrRingSlots;
        if (t + held > trips) {
            log.ring[slot] = record;
            log.facts[slot] = f;
        }
    }
    info.operatingMin = operating;
    info.mileage = odometer;
    info.trips = trips;
    info.loadSum = static_cast<uint16_t>(loadKgSum / 1000u);
    info.memoryFull = trips > kOdrRingSlots;
    log.information = InformationRecord(info);
    log.count = static_cast<uint16_t>(held);
    log.newestSlot = static_cast<uint16_t>(trips == 0 ? 0 : (trips - 1) % kOdrRingSlots);
    return log;
}

int64_t Utc(int y, int m, int d, int hour, int minute)
{
    return DaysFromCivil(y, m, d) * 86400 + hour * 3600 + minute * 60;
}

} // namespace

OdrLog MakeOdrLog(uint32_t trips, uint32_t layout2From, uint32_t seed)
{
    return MakeLog(trips, layout2From, seed, LogStart{Utc(2021, 3, 1, 5, 40), 1200, 95});
}

const OdrLog& OdrLogOf(EcuProfile profile)
{
    static const OdrLog standard = MakeLog(1624, 1400, 0x0D0E, LogStart{Utc(2021, 3, 1, 5, 40), 1200, 95});
    static const OdrLog alternate = MakeLog(148, 0, 0x0A17, LogStart{Utc(2024, 9, 2, 4, 55), 310, 42});
    return profile == EcuProfile::Alternate ? alternate : standard;
}

const std::vector<uint8_t>& OdrInformationRecord() { return OdrLogOf(EcuProfile::Standard).information; }

const std::vector<std::vector<uint8_t>>& OdrTripRecords() { return OdrLogOf(EcuProfile::Standard).ring; }

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

void InstallOdrRecorder(SimEcu& ecu, const OdrLog& log)
{
    ecu.RegisterDid(0x0042, log.information);
    ecu.RegisterDid(0x0043, OdrMileageReference());
    ecu.RegisterDid(0x0044, OdrTimeReference());
    ecu.RegisterDid(0x004A, {static_cast<uint8_t>(log.count >> 8), static_cast<uint8_t>(log.count)});
    ecu.RegisterDid(0x0048, {static_cast<uint8_t>(log.newestSlot >> 8), static_cast<uint8_t>(log.newestSlot)});
    // Long-term counters the export reads: overload time in tenths (1234.5
    // read as 123) and service brakings without CAN (signed 32-bit each).
    ecu.RegisterDid(0x0046, {0x00, 0x00, 0x04, 0xD2});
    ecu.RegisterDid(0x004B, {0x00, 0x00, 0x01, 0x2C});

    // The slot the next read of 0x0047 returns (handlers run under the ECU's lock).
    auto next = std::make_shared<size_t>(0);
    auto ring = std::make_shared<const std::vector<std::vector<uint8_t>>>(log.ring);
    ecu.RegisterRoutine(0xC00A, [next](uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& ctx) {
        // The ring is only handed out in the extended session, unlocked.
        if (ctx.Session() != 0x03 || !ctx.Unlocked(0x01))
            return SimEcuAnswer::Negative(0x33);
        if (sub != 0x01)
            return SimEcuAnswer::Negative(0x12);
        if (option.size() != 3)
            return SimEcuAnswer::Negative(0x13);
        *next = static_cast<size_t>(option[1]) << 8 | option[2];
        return SimEcuAnswer::Positive();
    });
    ecu.RegisterDynamicDid(0x0047, [next, ring](const SimEcuContext&) {
        if (ring->empty())
            return std::vector<uint8_t>();
        return (*ring)[(*next)++ % ring->size()];
    });
}

void InstallOdrRecorder(SimEcu& ecu, EcuProfile profile) { InstallOdrRecorder(ecu, OdrLogOf(profile)); }

} // namespace ecudata
} // namespace sim
