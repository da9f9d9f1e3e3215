#include "WheelTurnDetection.h"

#include <algorithm>

namespace {

bool Is4S3M(const std::string& form) { return form == "4S3M"; }

} // namespace

std::string SensorTestOrderText(const std::string& systemForm)
{
    if (systemForm == "4S2M" || systemForm == "4S3M")
        return "cdef";
    if (systemForm == "2S2M")
        return "cd";
    return "a";
}

int SensorOfItem(uint8_t item)
{
    return item >= 'c' && item <= 'f' ? item - 'c' + 1 : 0;
}

uint8_t ItemOfSensor(int sensor)
{
    return sensor >= 1 && sensor <= 4 ? static_cast<uint8_t>('c' + sensor - 1) : 0;
}

int ModulatorOfSensor(const std::string& systemForm, int32_t variant, int sensor)
{
    if (sensor < 1 || sensor > 4)
        return 0;
    const size_t i = static_cast<size_t>(sensor - 1);
    if (Is4S3M(systemForm)) {
        static const int variant0[4] = {3, 3, 1, 2};
        static const int otherVariant[4] = {1, 2, 3, 3};
        return variant == 0 ? variant0[i] : otherVariant[i];
    }
    if (systemForm == "2S2M" && sensor > 2)
        return 0;
    static const int sides[4] = {1, 2, 1, 2};
    return sides[i];
}

int ModulatorOfItem(const std::string& systemForm, int32_t variant, uint8_t item)
{
    return ModulatorOfSensor(systemForm, variant, SensorOfItem(item));
}

uint8_t ModulatorChannelForItem(const std::string& systemForm, uint8_t item)
{
    const int sensor = SensorOfItem(item);
    if (sensor == 0)
        return 0;
    static const uint8_t perWheel[4] = {0x10, 0x01, 0x02, 0x20};
    static const uint8_t perSide[4] = {0x10, 0x01, 0x10, 0x01};
    return Is4S3M(systemForm) ? perWheel[sensor - 1] : perSide[sensor - 1];
}

int MatchSlotOfSensor(int sensors, const std::string& systemForm, int32_t variant, int sensor)
{
    if (sensor < 1 || sensor > sensors || sensor > 4)
        return -1;
    const size_t i = static_cast<size_t>(sensor - 1);
    if (sensors == 2)
        return sensor - 1; // A, B
    if (Is4S3M(systemForm)) {
        static const int variant0[4] = {4, 5, 2, 3};     // E F C D
        static const int otherVariant[4] = {0, 1, 4, 5}; // A B E F
        return variant == 0 ? variant0[i] : otherVariant[i];
    }
    return sensor - 1; // A B C D
}

int FormResultCount(const std::string& systemForm)
{
    if (systemForm == "2S2M")
        return 4;
    return Is4S3M(systemForm) ? 7 : 6;
}

bool FormResultsAllPassed(const std::string& systemForm, const WheelResults& results)
{
    const bool two = systemForm == "2S2M";
    for (int s = 0; s < (two ? 2 : 4); ++s)
        if (results.sensor[static_cast<size_t>(s)] != 1)
            return false;
    for (int m = 0; m < (Is4S3M(systemForm) ? 3 : 2); ++m)
        if (results.modulator[static_cast<size_t>(m)] != 1)
            return false;
    return true;
}

std::vector<SensorChainRow> SensorChainRows(const std::string& systemForm, int32_t variant, bool clockwise)
{
    if (systemForm == "2S2M")
        return clockwise ? std::vector<SensorChainRow>{{1, 1}, {2, 2}} : std::vector<SensorChainRow>{{2, 2}, {1, 1}};
    // Clockwise seen from above: front left, front right, rear right, rear left.
    static const int clockwiseSensors[4] = {1, 2, 4, 3};
    static const int anticlockwiseSensors[4] = {1, 3, 4, 2};
    std::vector<SensorChainRow> rows;
    for (int sensor : clockwise ? clockwiseSensors : anticlockwiseSensors)
        rows.push_back({sensor, ModulatorOfSensor(systemForm, variant, sensor)});
    return rows;
}

bool WheelSpeedFromRecord(const uint8_t* data, size_t size, double& speed)
{
    speed = 0.0;
    if (!data || size < 2)
        return false;
    const unsigned raw = (static_cast<unsigned>(data[0]) << 8) | data[1];
    speed = raw * kWheelSpeedPerBit;
    return true;
}

// ---- Detection ----

TurningWheelDetection::TurningWheelDetection(int sensors, bool manual, const std::string& systemForm,
                                             int32_t variant)
    : sensors_(sensors == 2 ? 2 : 4), manual_(manual), form_(systemForm), variant_(variant)
{
}

DetectionStep TurningWheelDetection::Begin(WheelWork& work)
{
    // Every slot: a slot left from an earlier wheel must not judge this one.
    work.match.fill(0);
    pulsed_ = false;
    samples_ = pulseSamples_ = 0;
    result_ = 0;
    t_.fill(0);
    n_.fill(0);
    z_.fill(0);
    outcome_ = DetectionOutcome{};
    next_ = Next::Read;
    return DetectionStep::ReadSpeeds;
}

DetectionStep TurningWheelDetection::Wait(uint32_t ms, Next next)
{
    waitMs_ = ms;
    next_ = next;
    return DetectionStep::Wait;
}

DetectionStep TurningWheelDetection::Sampled(const std::vector<double>& speeds, bool failed, WheelWork& work)
{
    const size_t count = std::min(speeds.size(), static_cast<size_t>(sensors_));
    if (!pulsed_) {
        for (size_t s = 0; s < count; ++s)
            work.turn[s] = WheelSpeedTurning(speeds[s]) ? 1 : 0;
        if (failed || count < static_cast<size_t>(sensors_))
            return EndCheck(work, true);
        ++samples_;
        bool found = false;
        for (size_t s = 0; s < count; ++s) {
            if (work.turn[s] == 1 && ++t_[s] == kFoundAt)
                found = true;
        }
        if (found) {
            for (size_t s = 0; s < count; ++s)
                ++t_[s];
            return Wait(kFoundWaitMs, Next::PulseThenRead);
        }
        for (size_t s = 0; s < count; ++s) {
            if (work.turn[s] == 0 && ++n_[s] >= kNotTurningSamples) {
                work.turn[s] = 0;
                result_ = 1;
            }
        }
        return Wait(kSampleWaitMs, samples_ >= kSearchSamples ? Next::EndCheck : Next::Read);
    }
    if (failed || count < static_cast<size_t>(sensors_))
        return EndCheck(work, true);
    for (size_t s = 0; s < count; ++s) {
        if (WheelSpeedTurning(speeds[s]))
            ++t_[s];
        else if (WheelSpeedStopped(speeds[s]))
            ++z_[s];
    }
    ++pulseSamples_;
    return Wait(kSampleWaitMs, pulseSamples_ >= kPulseSamples ? Next::Decide : Next::Read);
}

DetectionStep TurningWheelDetection::Continue(WheelWork& work)
{
    switch (next_) {
    case Next::Read:
        return DetectionStep::ReadSpeeds;
    case Next::PulseThenRead:
        // The pulse is asked for once; after it the samples follow.
        pulsed_ = true;
        next_ = Next::Read;
        return DetectionStep::Pulse;
    case Next::Decide:
        return Decide(work);
    case Next::EndCheck:
        return EndCheck(work, false);
    case Next::Done:
        break;
    }
    return DetectionStep::Done;
}

DetectionStep TurningWheelDetection::Decide(WheelWork& work)
{
    auto stoppedByPulse = [&](size_t s) { return t_[s] >= 3 && t_[s] <= 5 && z_[s] >= 2; };
    bool anyStopped = false;
    for (size_t s = 0; s < static_cast<size_t>(sensors_); ++s)
        anyStopped = anyStopped || stoppedByPulse(s);
    if (anyStopped) {
        for (size_t s = 0; s < static_cast<size_t>(sensors_); ++s) {
            if (t_[s] < 3)
                continue;
            work.turn[s] = 1;
            // Only a wheel that stopped earns its slot: one that kept turning
            // beside it does not pass its modulator.
            const int slot = MatchSlotOfSensor(sensors_, form_, variant_, static_cast<int>(s) + 1);
            if (slot >= 0)
                work.match[static_cast<size_t>(slot)] = stoppedByPulse(s) ? 1 : 0;
        }
        result_ = 1;
        return EndCheck(work, false);
    }
    for (size_t s = 0; s < static_cast<size_t>(sensors_); ++s) {
        if (t_[s] > 5) {
            const int slot = MatchSlotOfSensor(sensors_, form_, variant_, static_cast<int>(s) + 1);
            if (slot >= 0)
                work.match[static_cast<size_t>(slot)] = 0;
            result_ = 1;
            outcome_.result = 1;
            next_ = Next::Done;
            return DetectionStep::Done;
        }
    }
    return EndCheck(work, false);
}

DetectionStep TurningWheelDetection::EndCheck(WheelWork& work, bool failed)
{
    bool allNotTurning = true;
    for (size_t s = 0; s < static_cast<size_t>(sensors_); ++s)
        allNotTurning = allNotTurning && work.turn[s] == 0;
    if (!manual_) {
        if (allNotTurning) {
            outcome_.boxes.push_back(kNoWheelTurningRow);
            result_ = 0;
        }
    } else if (allNotTurning && !failed) {
        outcome_.askOperator = true;
    }
    for (size_t s = 0; s < static_cast<size_t>(sensors_); ++s) {
        if (work.turn[s] == -1) {
            outcome_.boxes.push_back(kNoSignalFirstRow + static_cast<int>(s));
            result_ = 0;
        }
    }
    // A failed read never leads to a verdict, whatever the samples before it said.
    if (failed)
        result_ = 0;
    outcome_.readFailed = failed;
    outcome_.result = result_;
    next_ = Next::Done;
    return DetectionStep::Done;
}

// ---- Verdict ----

int WheelRemarkRow(int sensor, int other)
{
    static const int rows[4][5] = {
        {252, 0, 253, 254, 255},
        {257, 258, 0, 259, 260},
        {261, 262, 263, 0, 264},
        {265, 266, 267, 268, 0},
    };
    if (sensor < 1 || sensor > 4 || other < 0 || other > 4)
        return 0;
    return rows[sensor - 1][other];
}

WheelEvaluation EvaluateWheelItem(const WheelItemInput& input, WheelWork& work, WheelResults& results)
{
    WheelEvaluation out;
    const int s = SensorOfItem(input.item);
    const int m = ModulatorOfItem(input.systemForm, input.variant, input.item);
    const int sensors = input.sensors == 2 ? 2 : 4;
    if (s == 0 || s > sensors)
        return out;
    const size_t si = static_cast<size_t>(s - 1);
    auto setSensor = [&](int32_t value) {
        results.sensor[si] = value;
        out.pictures[si] = value == 1 ? WheelPicture::Passed : WheelPicture::Failed;
        if (value == 0)
            out.writeMarker = true;
    };
    auto setModulator = [&](int32_t value) {
        if (m == 0)
            return;
        const size_t mi = static_cast<size_t>(m - 1);
        results.modulator[mi] = value;
        out.pictures[4 + mi] = value == 1 ? WheelPicture::Passed : WheelPicture::Failed;
        if (value == 0)
            out.writeMarker = true;
    };
    auto remark = [&](size_t which, int row) {
        if (!input.manual || row == 0)
            return;
        out.remarkRows[which] = row;
        out.remarkLineRow = row;
    };

    const int32_t flag = work.turn[si];
    if (flag == 1) {
        setSensor(1);
        const int slot = MatchSlotOfSensor(sensors, input.systemForm, input.variant, s);
        const bool matched = slot >= 0 && work.match[static_cast<size_t>(slot)] == 1;
        if (m != 0)
            work.modulator[static_cast<size_t>(m - 1)] = matched ? 1 : 0;
        setModulator(matched ? 1 : 0);
        if (!matched && sensors == 4 && m != 0)
            remark(4 + static_cast<size_t>(m - 1), kModulatorFailedRemarkRow);
        out.verdict = true;
    } else if (flag == 0) {
        setSensor(0);
        out.verdict = true;
        remark(si, WheelRemarkRow(s, 0));
    }
    for (int other = 1; other <= sensors; ++other) {
        if (other == s || work.turn[static_cast<size_t>(other - 1)] != 1)
            continue;
        setSensor(0);
        out.verdict = true;
        remark(si, WheelRemarkRow(s, other));
    }
    if (sensors == 2 && m != 0) {
        const int32_t state = work.modulator[static_cast<size_t>(m - 1)];
        if (state == 0) {
            setModulator(0);
            out.verdict = true;
            remark(4 + static_cast<size_t>(m - 1), kModulatorFailedRemarkRow);
        } else if (state == 1) {
            setModulator(1);
            out.verdict = true;
        }
    }
    if (input.manual) {
        bool allJudged = true;
        for (int k = 0; k < sensors; ++k)
            allJudged = allJudged && results.sensor[static_cast<size_t>(k)] != -1;
        if (allJudged)
            out.end = WheelTestEnd::Idle;
        if (FormResultsAllPassed(input.systemForm, results))
            out.end = WheelTestEnd::Passed;
    }
    return out;
}
