// The end-of-line pages' ECU traffic, driven by hand against the simulated
// trailer: each function sends the requests a page sends, with the page's
// waits, lets the simulated operator answer where the page asks, and judges
// the readings with the page's pass bands. Only the traffic and the verdicts
// are modelled, none of the pages' windows.
#pragma once

#include "TrailerRig.h"

#include <cmath>
#include <string>

namespace simtest {

enum class Outcome { Pass, Fail, Open, Skipped };  // Open: the page ends without a result

inline const char* OutcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Pass: return "pass";
    case Outcome::Fail: return "fail";
    case Outcome::Open: return "open";
    case Outcome::Skipped: return "skipped";
    }
    return "?";
}

struct PageRun {
    Outcome outcome;
    std::string detail;
};

class EolStation {
public:
    using Q = sim::OperatorQuestion;

    explicit EolStation(TrailerRig& rig) : r(rig) {}

    int gatesPassed = 0;  // final gates that wrote the marker and restarted the ECU

    // Supply voltage: one read, 700 ms, 18.0 V .. 32.0 V in single precision.
    PageRun SupplyVoltage()
    {
        const Bytes d = r.Read(0x0029);
        if (d.empty())
            return {Outcome::Open, "read failed"};
        const float volts = float(d[0]) * 0.15f;
        r.WaitMs(700);
        const bool ok = !(volts < 18.0f || volts > 32.0f);
        return {ok ? Outcome::Pass : Outcome::Fail, std::to_string(volts) + " V"};
    }

    // Warning lamp (output 01) and brake lamp (output 08): on, a renewal
    // 2000 ms later, the operator's answer; then the same for off.
    PageRun Lamp(uint8_t output, Q lit, Q dark)
    {
        bool answers[2] = {};
        for (int phase = 0; phase < 2; ++phase) {
            if (!r.ExtendedAndUnlocked())
                return {Outcome::Open, "session or unlock refused"};
            const Bytes cmd{0x2F, 0x00, 0x04, 0x03, output, uint8_t(phase == 0 ? 0xFF : 0x00), 0xFF};
            if (!r.Positive(cmd))
                return {Outcome::Open, "lamp command refused"};
            r.WaitMs(2000);
            r.Positive(cmd);  // the page's 2000 ms renewal
            answers[phase] = r.op->Answer(phase == 0 ? lit : dark);
        }
        const bool ok = answers[0] && answers[1];
        return {ok ? Outcome::Pass : Outcome::Fail, answers[0] ? "off answered NO" : "on answered NO"};
    }

    // Underwater valve: asked open before any command; then 10 03, unlock,
    // 2F 00 04 03 07 FF 01 and asked closed.
    PageRun UnderwaterValve()
    {
        if (!r.op->Answer(Q::ValveOpen))
            return {Outcome::Fail, "not open"};
        if (!r.ExtendedAndUnlocked())
            return {Outcome::Open, "session or unlock refused"};
        if (!r.Positive({0x2F, 0x00, 0x04, 0x03, 0x07, 0xFF, 0x01}))
            return {Outcome::Open, "valve command refused"};
        if (!r.op->Answer(Q::ValveClosed))
            return {Outcome::Fail, "not closed"};
        return {Outcome::Pass, ""};
    }

    // Brake pressure. Two channels: four phases of six 500 ms ticks, each
    // reading 0052 before commanding, control handed back after the sixth,
    // the item judged 3600 ms after the phase began (5.0 or 0.0, within
    // 0.7). 4S3M: channel 0x90 applied, 0052/0053 read 1500 ms in, released
    // 3500 ms after the start, read 1500 ms later, all eight values judged.
    PageRun BrakePressure(TrailerForm form)
    {
        if (!r.ExtendedAndUnlocked())
            return {Outcome::Open, "session or unlock refused"};
        if (form != TrailerForm::k4S3M) {
            struct Phase {
                uint8_t channel, level;
                size_t side;  // byte of the judged value in 0052
                double target;
            } phases[] = {{0x10, 0x64, 0, 5.0}, {0x10, 0x00, 0, 0.0}, {0x01, 0x64, 2, 5.0}, {0x01, 0x00, 2, 0.0}};
            int item = 0;
            for (const Phase& p : phases) {
                ++item;
                const uint64_t start = r.clock.NowUs();
                double value = 0;
                for (int tick = 1; tick <= 6; ++tick) {
                    WaitUntil(start, 500 * tick);
                    value = TrailerRig::PressureAt(r.Read(0x0052), p.side);
                    r.Positive({0x2F, 0x00, 0x05, 0x03, p.channel, p.level, 0xFF});
                }
                r.Positive({0x2F, 0x00, 0x05, 0x00});
                WaitUntil(start, 3600);
                if (std::fabs(float(value) - float(p.target)) > 0.7)
                    return {Outcome::Fail, "item " + std::to_string(item) + ": " + std::to_string(value)};
            }
            return {Outcome::Pass, ""};
        }
        const uint64_t start = r.clock.NowUs();
        double applied[4] = {}, released[4] = {};
        auto readAll = [&](double* into) {
            for (uint16_t did : {uint16_t(0x0052), uint16_t(0x0053)}) {
                const Bytes d = r.Read(did);
                const size_t base = did == 0x0052 ? 0 : 2;
                into[base] = TrailerRig::PressureAt(d, 0);
                into[base + 1] = TrailerRig::PressureAt(d, 2);
            }
        };
        for (int tick = 1; tick <= 6; ++tick) {
            WaitUntil(start, 500 * tick);
            r.Positive({0x2F, 0x00, 0x05, 0x03, 0x90, 0x64, 0xFF});
            if (tick == 3)
                readAll(applied);
        }
        r.Positive({0x2F, 0x00, 0x05, 0x00});
        for (int tick = 1; tick <= 6; ++tick) {
            WaitUntil(start, 3500 + 500 * tick);
            r.Positive({0x2F, 0x00, 0x05, 0x03, 0x90, 0x00, 0xFF});
            if (tick == 3)
                readAll(released);
        }
        r.Positive({0x2F, 0x00, 0x05, 0x00});
        WaitUntil(start, 7000);
        for (int k = 0; k < 4; ++k) {
            if (std::fabs(float(applied[k]) - 5.0f) > 0.7)
                return {Outcome::Fail, "applied value " + std::to_string(k) + ": " + std::to_string(applied[k])};
            if (std::fabs(float(released[k])) > 0.7)
                return {Outcome::Fail, "released value " + std::to_string(k) + ": " + std::to_string(released[k])};
        }
        return {Outcome::Pass, ""};
    }

    // Backup pressure: hold (renewed every 2000 ms), 1000 ms, read, 800 ms,
    // everything released (<= 0.25 bar), the operator builds pressure,
    // 1500 ms, read, the page's rules, valves handed back.
    PageRun BackupPressure(TrailerForm form)
    {
        if (!r.ExtendedAndUnlocked())
            return {Outcome::Open, "session or unlock refused"};
        const Bytes hold{0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF};
        const uint64_t start = r.clock.NowUs();
        uint64_t nextRenewal = 2000;
        auto waitHolding = [&](uint64_t untilMs) {
            while (nextRenewal <= untilMs) {
                WaitUntil(start, nextRenewal);
                r.Positive(hold);
                nextRenewal += 2000;
            }
            WaitUntil(start, untilMs);
        };
        const bool held = r.Positive(hold);
        std::vector<double> ch;
        auto read = [&] {
            ch.clear();
            ch.push_back(TrailerRig::PressureAt(r.Read(0x0051), 0));
            const Bytes main = r.Read(0x0052);
            ch.push_back(TrailerRig::PressureAt(main, 0));
            ch.push_back(TrailerRig::PressureAt(main, 2));
            if (form == TrailerForm::k4S3M) {
                const Bytes ebsd = r.Read(0x0053);
                ch.push_back(TrailerRig::PressureAt(ebsd, 0));
                ch.push_back(TrailerRig::PressureAt(ebsd, 2));
            }
        };
        uint64_t at = 0;
        if (held) {
            waitHolding(at += 1000);
            read();
        }
        waitHolding(at += 800);
        for (double p : ch) {
            if (p > 0.25) {
                End();
                return {Outcome::Open, "not released before the test: " + std::to_string(p)};
            }
        }
        r.op->BuildControlPressure();
        waitHolding(at += 1500);
        read();
        std::string why;
        auto allBelow = [&](float limit) {
            for (double p : ch)
                if (!(float(p) < limit))
                    return false;
            return true;
        };
        if (allBelow(0.2f)) {
            why = "no pressure";
        } else if (allBelow(5.0f)) {
            why = "pressure too low";
        } else {
            const int pairs[][2] = {{0, 1}, {0, 2}, {1, 2}, {0, 3}, {0, 4}, {3, 4}};
            for (const auto& pr : pairs) {
                if (size_t(pr[1]) >= ch.size())
                    continue;
                if (std::fabs(float(ch[pr[0]]) - float(ch[pr[1]])) > 0.7f) {
                    why = "channels " + std::to_string(pr[0] + 1) + " and " + std::to_string(pr[1] + 1);
                    break;
                }
            }
        }
        End();
        return {why.empty() ? Outcome::Pass : Outcome::Fail, why};
    }

    // Wheel sensors and modulators, automatic procedure in the clockwise order.
    PageRun WheelSensors(TrailerForm form)
    {
        const bool four = form != TrailerForm::k2S2M;
        const std::vector<unsigned> rows = four ? std::vector<unsigned>{1, 2, 4, 3} : std::vector<unsigned>{1, 2};
        bool allSensorsClean = true;
        for (unsigned s : rows) {
            if (!r.Positive({0x10, 0x03}))
                return {Outcome::Open, "session refused"};
            r.WaitMs(10);
            if (!r.Unlock())
                return {Outcome::Open, "unlock refused"};
            const uint8_t channel = ChannelFor(form, s);
            r.op->TurnWheel(s);  // the step prompt: the operator spins the wheel
            r.WaitMs(500);
            Detection d = Detect(four ? 4 : 2, channel);
            if (!d.decided)
                return {Outcome::Fail, "no decision for sensor " + std::to_string(s)};
            bool othersTurned = false;
            for (unsigned k = 1; k <= d.sensors; ++k)
                othersTurned |= k != s && d.flag[k - 1] == 1;
            allSensorsClean &= !othersTurned;
            if (d.flag[s - 1] != 1 || d.slot[s - 1] != 1)
                return {Outcome::Fail, "row of sensor " + std::to_string(s) + (d.flag[s - 1] != 1 ? ": not turning"
                                                                                              : ": not braked")};
        }
        return {allSensorsClean ? Outcome::Pass : Outcome::Fail, allSensorsClean ? "" : "another wheel turned"};
    }

    // Height sensors: for every present axle 10 03, unlock, routine start,
    // 1000 ms, results (status 1), calibration read, 11 01, 1000 ms, the same
    // value again; the second axle after the 10 s countdown.
    PageRun HeightSensor(const sim::TrailerEquipment& eq)
    {
        const bool present[2] = {eq.heightSensorCd, eq.heightSensorEf};
        if (!present[0] && !present[1])
            return {Outcome::Skipped, ""};
        bool first = true;
        for (uint8_t axle = 1; axle <= 2; ++axle) {
            if (!present[axle - 1])
                continue;
            if (!first)
                r.WaitMs(10 * 1000);  // the countdown after the first restart
            first = false;
            const uint16_t current = axle == 1 ? 0x0018 : 0x0019;
            const uint16_t calibration = axle == 1 ? 0x00B3 : 0x00B4;
            if (r.Read(current).size() < 2 || r.Read(calibration).size() < 2)
                return {Outcome::Open, "live reading failed"};
            if (!r.ExtendedAndUnlocked())
                return {Outcome::Open, "session or unlock refused"};
            if (!r.Positive({0x31, 0x01, 0xC0, 0x07, axle, 0x01, 0x00}))
                return {Outcome::Fail, "routine start refused"};
            r.WaitMs(1000);
            const Bytes result = r.Request({0x31, 0x03, 0xC0, 0x07});
            if (result.size() < 4 || result[0] != 0x71)
                return {Outcome::Fail, "routine result refused"};
            if (result.size() < 5 || result[4] != 0x01)
                return {Outcome::Fail, "routine status not 1"};
            const unsigned before = TrailerRig::U16Msb(r.Read(calibration));
            r.Request({0x11, 0x01});
            r.WaitMs(1000);
            const unsigned after = TrailerRig::U16Msb(r.Read(calibration));
            if (before != after)
                return {Outcome::Fail, "changed across the restart: " + std::to_string(before) + " -> " +
                                           std::to_string(after)};
        }
        return {Outcome::Pass, ""};
    }

    // Lifting axle: commanded end positions, 0070 polled once a second for up
    // to 16 s, the operator confirms each movement. In the lifting-sensor
    // variant the page only asks, and the operator moves the axle by hand.
    PageRun LiftingAxle(const sim::TrailerEquipment& eq)
    {
        const unsigned type = eq.liftingAxles;
        if (type != 1 && type != 2)
            return {Outcome::Skipped, ""};
        struct Step {
            uint8_t output, state;
        };
        std::vector<Step> steps;
        if (!eq.liftingSensorVariant) {
            steps = type == 2 ? std::vector<Step>{{3, 0x00}, {1, 0xFF}, {2, 0xFF}, {2, 0x00}, {1, 0x00}}
                              : std::vector<Step>{{1, 0x00}, {1, 0xFF}, {1, 0x00}};
        } else {
            steps = type == 2 ? std::vector<Step>{{1, 0xFF}, {2, 0xFF}, {2, 0x00}, {1, 0x00}}
                              : std::vector<Step>{{1, 0xFF}, {1, 0x00}};
        }
        bool allYes = true;
        for (const Step& st : steps) {
            const uint8_t want = st.state == 0x00 ? 1 : 2;
            const Q question = want == 1 ? Q::LiftingAxleDown : Q::LiftingAxleUp;
            auto confirmed = [&] {
                bool yes = true;
                for (unsigned a = 1; a <= 2; ++a)
                    if (st.output & (1u << (a - 1)))
                        yes &= r.op->Answer(question, a);
                return yes;
            };
            if (eq.liftingSensorVariant) {
                for (unsigned a = 1; a <= 2; ++a)
                    if (st.output & (1u << (a - 1)))
                        r.op->MoveLiftingAxle(a, want);
                r.WaitMs(sim::trailerdata::kLiftTravelMs);
                allYes &= confirmed();
                continue;
            }
            if (!r.ExtendedAndUnlocked())
                return {Outcome::Open, "session or unlock refused"};
            if (!r.Positive({0x2F, 0x00, 0x07, 0x03, st.output, st.state}))
                return {Outcome::Open, "command refused"};
            bool reached = false;
            for (int tick = 1; tick <= 16 && !reached; ++tick) {
                r.WaitMs(1000);
                const Bytes d = r.Read(0x0070);
                if (d.empty())
                    return {Outcome::Open, "status read failed"};
                const unsigned a1 = d[0] & 0x03, a2 = (d[0] >> 2) & 0x03;
                reached = (!(st.output & 1) || a1 == want) && (!(st.output & 2) || a2 == want);
            }
            allYes &= reached && confirmed();
            if (!reached)
                return {Outcome::Fail, "axle did not reach its position"};
        }
        return {allYes ? Outcome::Pass : Outcome::Fail, allYes ? "" : "operator answered NO"};
    }

    // Lifting sensor (lifting-sensor variant only): the operator moves the
    // axles, answers YES, and 0070 must show the expected byte within 60 s.
    PageRun LiftingSensor(const sim::TrailerEquipment& eq)
    {
        if (!eq.liftingSensorVariant || (eq.liftingAxles != 1 && eq.liftingAxles != 2))
            return {Outcome::Skipped, ""};
        struct Step {
            unsigned axle;  // 0: both
            uint8_t state;
            uint8_t expected;
        };
        std::vector<Step> steps;
        if (eq.liftingAxles == 2) {
            steps = {{0, 1, 0x05}, {1, 2, 0x06}, {2, 2, 0x0A}, {2, 1, 0x06}, {1, 1, 0x05}};
        } else {
            const uint8_t second = eq.unusedSecondAxleField == 3 ? 0x0C : 0x00;
            steps = {{1, 1, uint8_t(0x01 | second)}, {1, 2, uint8_t(0x02 | second)}, {1, 1, uint8_t(0x01 | second)}};
        }
        for (const Step& st : steps) {
            for (unsigned a = 1; a <= eq.liftingAxles; ++a)
                if (st.axle == 0 || st.axle == a)
                    r.op->MoveLiftingAxle(a, st.state);
            bool matched = false;
            for (int tick = 1; tick <= 60 && !matched; ++tick) {
                r.WaitMs(1000);
                const Bytes d = r.Read(0x0070);
                if (d.empty())
                    return {Outcome::Open, "status read failed"};
                matched = d[0] == st.expected;
            }
            if (!matched)
                return {Outcome::Fail, "status never showed " + std::to_string(st.expected)};
        }
        return {Outcome::Pass, ""};
    }

    // Fault check: clear, five readings a second apart, the selection on the
    // last one; the final gate (when every other result passed) writes the
    // marker 1, restarts the ECU and runs another series.
    PageRun FaultCheck(bool requiredResultsPassed)
    {
        for (int series = 0; series < 3; ++series) {
            r.Positive({0x14, 0xFF, 0xFF, 0xFF});
            bool seenFD0E = false, seenDB08 = false;
            unsigned count = 255;
            for (int reading = 0; reading < 5; ++reading) {
                r.WaitMs(1000);
                const Bytes c = r.Request({0x19, 0x01, 0x09});
                count = c.size() >= 6 && c[0] == 0x59 ? unsigned((c[4] << 8) | c[5]) : 255;
                if (count == 255)
                    continue;
                const Bytes list = r.Request({0x19, 0x02, 0x09});
                for (size_t i = 3; i + 3 < list.size(); i += 4) {
                    const uint32_t code = (uint32_t(list[i]) << 16) | (list[i + 1] << 8) | list[i + 2];
                    seenFD0E |= code == 0xFD0E;
                    seenDB08 |= code == 0xDB08;
                }
            }
            bool gate = false;
            if (count > 2)
                return {Outcome::Fail, std::to_string(count) + " codes"};
            if (count == 2) {
                if (!(seenFD0E && seenDB08))
                    return {Outcome::Fail, "2 codes, not the tolerated pair"};
                gate = true;
            } else if (count == 1) {
                if (seenDB08 && !seenFD0E)
                    return {Outcome::Pass, "DB08 alone"};
                if (seenFD0E && !seenDB08)
                    gate = true;
                else
                    return {Outcome::Fail, "1 code, not tolerated"};
            } else {
                return {Outcome::Pass, series == 0 ? "no fault" : "no fault after the gate"};
            }
            if (!gate)
                break;
            if (!requiredResultsPassed)
                return {Outcome::Open, "gate refused"};
            r.ExtendedAndUnlocked();
            r.Request({0x2E, 0x00, 0x94, 0x01});
            if (!r.Positive({0x11, 0x01}))
                return {Outcome::Open, "restart refused"};
            ++gatesPassed;
            r.WaitMs(1500);
        }
        return {Outcome::Open, "gate after gate"};
    }

private:
    struct Detection {
        bool decided = false;
        unsigned sensors = 0;
        int flag[4] = {-1, -1, -1, -1};
        int slot[4] = {0, 0, 0, 0};
    };

    static uint8_t ChannelFor(TrailerForm form, unsigned sensor)
    {
        static const uint8_t three[4] = {0x10, 0x01, 0x02, 0x20};
        static const uint8_t two[4] = {0x10, 0x01, 0x10, 0x01};
        return form == TrailerForm::k4S3M ? three[sensor - 1] : two[sensor - 1];
    }

    // Speeds of every sensor; false when a read failed.
    bool Sample(unsigned sensors, double* speed)
    {
        for (unsigned k = 0; k < sensors; ++k) {
            const Bytes d = r.Read(uint16_t(0x0010 + k));
            if (d.size() < 2)
                return false;
            speed[k] = TrailerRig::U16Msb(d) * 0.0106;
        }
        return true;
    }

    Detection Detect(unsigned sensors, uint8_t channel)
    {
        Detection d;
        d.sensors = sensors;
        int t[4] = {}, n[4] = {}, z[4] = {};
        double v[4] = {};
        bool found = false;
        for (int sample = 0; sample < 46 && !found; ++sample) {
            if (!Sample(sensors, v))
                return d;
            for (unsigned k = 0; k < sensors; ++k)
                d.flag[k] = v[k] > 0.0 && v[k] < 20.0 ? 1 : 0;
            for (unsigned k = 0; k < sensors; ++k)
                t[k] += d.flag[k] == 1;
            for (unsigned k = 0; k < sensors; ++k)
                found |= t[k] == 3;
            if (found) {
                for (unsigned k = 0; k < sensors; ++k)
                    ++t[k];
                r.WaitMs(700);
                break;
            }
            for (unsigned k = 0; k < sensors; ++k) {
                if (d.flag[k] == 0 && ++n[k] >= 42) {
                    d.flag[k] = 0;
                    d.decided = true;
                }
            }
            r.WaitMs(500);
        }
        if (!found)
            return EndCheck(d);
        if (r.Positive({0x2F, 0x00, 0x01, 0x03, channel, 0xFF, 0x00}))
            r.Request({0x3E, 0x00});
        for (int sample = 0; sample < 4; ++sample) {
            if (!Sample(sensors, v))
                return EndCheck(d);
            for (unsigned k = 0; k < sensors; ++k) {
                t[k] += v[k] > 0.0 && v[k] < 20.0;
                z[k] += v[k] == 0.0;
            }
            r.WaitMs(500);
        }
        bool stopped = false;
        for (unsigned k = 0; k < sensors; ++k)
            stopped |= t[k] >= 3 && t[k] <= 5 && z[k] >= 2;
        if (stopped) {
            for (unsigned k = 0; k < sensors; ++k) {
                if (t[k] >= 3) {
                    d.flag[k] = 1;
                    d.slot[k] = 1;
                }
            }
            d.decided = true;
            return EndCheck(d);
        }
        for (unsigned k = 0; k < sensors; ++k) {
            if (t[k] > 5) {
                d.slot[k] = 0;
                d.decided = true;
                return d;
            }
        }
        return EndCheck(d);
    }

    static Detection EndCheck(Detection d)
    {
        bool allZero = true;
        for (unsigned k = 0; k < d.sensors; ++k) {
            allZero &= d.flag[k] == 0;
            if (d.flag[k] == -1)
                d.decided = false;
        }
        if (allZero)
            d.decided = false;
        return d;
    }

    void WaitUntil(uint64_t startUs, uint64_t offsetMs)
    {
        const uint64_t target = startUs + offsetMs * 1000;
        if (target > r.clock.NowUs())
            r.clock.Advance(target - r.clock.NowUs());
    }

    void End()
    {
        r.Positive({0x2F, 0x00, 0x06, 0x00});
        r.op->ReleaseControlPressure();
    }

    TrailerRig& r;
};

} // namespace simtest
