// The wheel test's pure parts: maps, the speed decoding, the detection
// machine fed sample by sample, the verdict of one wheel and the preview.
#include "AxlePreview.h"
#include "WheelTurnDetection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST(WheelMaps, OrderTextItemsModulatorsChannelsAndSlots)
{
    EXPECT_EQ(SensorTestOrderText("4S2M"), "cdef");
    EXPECT_EQ(SensorTestOrderText("4S3M"), "cdef");
    EXPECT_EQ(SensorTestOrderText("2S2M"), "cd");
    EXPECT_EQ(SensorTestOrderText(""), "a");
    EXPECT_EQ(SensorTestOrderText("4s2m"), "a");

    struct Row {
        const char* form;
        int32_t variant;
        std::array<int, 4> modulators;
        std::array<uint8_t, 4> channels;
        std::array<int, 4> slots4; // four-sensor detection
    };
    const Row rows[] = {
        {"4S3M", 0, {3, 3, 1, 2}, {0x10, 0x01, 0x02, 0x20}, {4, 5, 2, 3}},
        {"4S3M", 1, {1, 2, 3, 3}, {0x10, 0x01, 0x02, 0x20}, {0, 1, 4, 5}},
        {"4S3M", -1, {1, 2, 3, 3}, {0x10, 0x01, 0x02, 0x20}, {0, 1, 4, 5}},
        {"4S2M", 0, {1, 2, 1, 2}, {0x10, 0x01, 0x10, 0x01}, {0, 1, 2, 3}},
        {"2S2M", 0, {1, 2, 0, 0}, {0x10, 0x01, 0x10, 0x01}, {0, 1, 2, 3}},
        {"", 0, {1, 2, 1, 2}, {0x10, 0x01, 0x10, 0x01}, {0, 1, 2, 3}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.form) + " variant " + std::to_string(r.variant));
        for (int s = 1; s <= 4; ++s) {
            const uint8_t item = static_cast<uint8_t>('c' + s - 1);
            EXPECT_EQ(SensorOfItem(item), s);
            EXPECT_EQ(ModulatorOfItem(r.form, r.variant, item), r.modulators[s - 1]) << s;
            EXPECT_EQ(ModulatorChannelForItem(r.form, item), r.channels[s - 1]) << s;
            EXPECT_EQ(MatchSlotOfSensor(4, r.form, r.variant, s), r.slots4[s - 1]) << s;
        }
        EXPECT_EQ(ModulatorChannelForItem(r.form, 'a'), 0);
        EXPECT_EQ(ModulatorChannelForItem(r.form, 'g'), 0);
    }
    // Two-sensor detection: A and B, whatever the form.
    EXPECT_EQ(MatchSlotOfSensor(2, "4S3M", 0, 1), 0);
    EXPECT_EQ(MatchSlotOfSensor(2, "4S3M", 0, 2), 1);
    EXPECT_EQ(MatchSlotOfSensor(2, "2S2M", 0, 3), -1);
}

TEST(WheelMaps, ChainRowsPerFormAndDirection)
{
    using R = SensorChainRow;
    EXPECT_EQ(SensorChainRows("4S3M", 0, true), (std::vector<R>{{1, 3}, {2, 3}, {4, 2}, {3, 1}}));
    EXPECT_EQ(SensorChainRows("4S3M", 0, false), (std::vector<R>{{1, 3}, {3, 1}, {4, 2}, {2, 3}}));
    EXPECT_EQ(SensorChainRows("4S3M", 1, true), (std::vector<R>{{1, 1}, {2, 2}, {4, 3}, {3, 3}}));
    EXPECT_EQ(SensorChainRows("4S3M", 1, false), (std::vector<R>{{1, 1}, {3, 3}, {4, 3}, {2, 2}}));
    EXPECT_EQ(SensorChainRows("4S2M", 0, true), (std::vector<R>{{1, 1}, {2, 2}, {4, 2}, {3, 1}}));
    EXPECT_EQ(SensorChainRows("4S2M", 0, false), (std::vector<R>{{1, 1}, {3, 1}, {4, 2}, {2, 2}}));
    EXPECT_EQ(SensorChainRows("2S2M", 0, true), (std::vector<R>{{1, 1}, {2, 2}}));
    EXPECT_EQ(SensorChainRows("2S2M", 0, false), (std::vector<R>{{2, 2}, {1, 1}}));
}

TEST(WheelSpeed, TwoBytesMostSignificantFirstAndTheBands)
{
    struct Case {
        std::vector<uint8_t> bytes;
        bool ok;
        double speed;
        bool turning;
        bool stopped;
    };
    const Case cases[] = {
        {{0x00, 0x00}, true, 0.0, false, true},
        {{0x00, 0x01}, true, 0.0106, true, false},
        {{0x07, 0x5E}, true, 1886 * 0.0106, true, false},  // 19.99
        {{0x07, 0x5F}, true, 1887 * 0.0106, false, false}, // 20.0022: too fast
        {{0x01, 0xA9, 0xEE}, true, 425 * 0.0106, true, false},
        {{0x01}, false, 0.0, false, true},
        {{}, false, 0.0, false, true},
    };
    for (const Case& c : cases) {
        double speed = -1;
        EXPECT_EQ(WheelSpeedFromRecord(c.bytes.data(), c.bytes.size(), speed), c.ok);
        EXPECT_DOUBLE_EQ(speed, c.speed);
        EXPECT_EQ(WheelSpeedTurning(speed), c.turning) << speed;
        EXPECT_EQ(WheelSpeedStopped(speed), c.stopped) << speed;
    }
}

// ---- Detection ----

constexpr double T = 4.5;   // turning
constexpr double Z = 0.0;   // stopped
constexpr double F = 20.5;  // too fast: neither

struct Drove {
    std::vector<DetectionStep> steps;
    std::vector<uint32_t> waits;
    int pulses = 0;
    int samples = 0;
};

// Feeds `samples` (one vector of speeds per sample; a shorter one with
// failAt marks a failed read) until the machine decides.
Drove Drive(TurningWheelDetection& d, WheelWork& work, const std::vector<std::vector<double>>& samples,
          int failAt = -1, int failAfterSensors = 0)
{
    Drove run;
    size_t next = 0;
    DetectionStep step = d.Begin(work);
    for (int guard = 0; step != DetectionStep::Done && guard < 500; ++guard) {
        run.steps.push_back(step);
        switch (step) {
        case DetectionStep::ReadSpeeds: {
            ++run.samples;
            if (static_cast<int>(next) == failAt) {
                std::vector<double> part(samples[next].begin(), samples[next].begin() + failAfterSensors);
                step = d.Sampled(part, true, work);
                break;
            }
            const std::vector<double> s = next < samples.size() ? samples[next] : std::vector<double>(4, Z);
            ++next;
            step = d.Sampled(s, false, work);
            break;
        }
        case DetectionStep::Wait:
            run.waits.push_back(d.WaitMs());
            step = d.Continue(work);
            break;
        case DetectionStep::Pulse:
            ++run.pulses;
            step = d.Continue(work);
            break;
        case DetectionStep::Done:
            break;
        }
    }
    return run;
}

std::vector<std::vector<double>> Repeat(std::vector<double> sample, int times)
{
    return std::vector<std::vector<double>>(static_cast<size_t>(times), sample);
}
std::vector<std::vector<double>> Then(std::vector<std::vector<double>> a, const std::vector<std::vector<double>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(WheelDetection, FoundAtTheThirdTurningSampleThenPulsedAndJudged)
{
    struct Case {
        const char* name;
        std::vector<std::vector<double>> samples;
        std::array<int32_t, 4> flags;
        std::array<uint8_t, 6> slots;
        uint8_t result;
        std::vector<int> boxes;
        int pulses;
    };
    const std::vector<double> w1{T, Z, Z, Z};
    const std::vector<double> none{Z, Z, Z, Z};
    const Case cases[] = {
        // Three turning samples find wheel 1; it stops in all four samples after the pulse.
        {"stops after the pulse", Then(Repeat(w1, 3), Repeat(none, 4)), {1, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, 1, {}, 1},
        // One turning sample after the pulse, still stopped in three: t = 5, z = 3.
        {"stops late", Then(Then(Repeat(w1, 3), Repeat(w1, 1)), Repeat(none, 3)), {1, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, 1, {}, 1},
        // Stopped in exactly two of the four samples after the pulse (t = 5, z = 2): two
        // stopped samples are enough.
        {"stops in two samples", Then(Repeat(w1, 3), {{T, Z, Z, Z}, {F, Z, Z, Z}, {Z, Z, Z, Z}, {Z, Z, Z, Z}}),
         {1, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, 1, {}, 1},
        // Stopped in one sample only (t = 5, z = 1): no decision, no slot.
        {"stops in one sample", Then(Repeat(w1, 3), {{T, Z, Z, Z}, {F, Z, Z, Z}, {F, Z, Z, Z}, {Z, Z, Z, Z}}),
         {1, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, {}, 1},
        // The wheel keeps turning through the pulse: its slot stays 0, a decision is reached.
        {"keeps turning", Repeat(w1, 7), {1, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 1, {}, 1},
        // Two wheels turned: both seen, both stopped.
        {"two wheels", Then(Repeat({T, Z, T, Z}, 3), Repeat(none, 4)), {1, 0, 1, 0}, {1, 0, 1, 0, 0, 0}, 1, {}, 1},
        // Two wheels, one keeps turning: it is seen but does not earn its slot.
        {"one of two keeps turning", Then(Repeat({T, Z, T, Z}, 3), Repeat({Z, Z, T, Z}, 4)), {1, 0, 1, 0},
         {1, 0, 0, 0, 0, 0}, 1, {}, 1},
        // Turning too fast after the pulse: neither turning nor stopped, no decision.
        {"too fast after the pulse", Then(Repeat(w1, 3), Repeat({F, Z, Z, Z}, 4)), {1, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, {}, 1},
        // Never turning within 46 samples.
        {"none in 46", Repeat(none, 46), {0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, {192}, 0},
        {"too fast all along", Repeat({F, Z, Z, Z}, 46), {0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, {192}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WheelWork work;
        work.match.fill(1); // stale slots of earlier wheels
        TurningWheelDetection d(4, false, "4S2M", 0);
        const Drove run = Drive(d, work, c.samples);
        EXPECT_EQ(work.turn, c.flags);
        EXPECT_EQ(work.match, c.slots);
        EXPECT_EQ(d.Outcome().result, c.result);
        EXPECT_EQ(d.Outcome().boxes, c.boxes);
        EXPECT_FALSE(d.Outcome().askOperator);
        EXPECT_EQ(run.pulses, c.pulses);
    }
}

TEST(WheelDetection, WaitsAreHalfSecondsAnd700MsBeforeThePulse)
{
    WheelWork work;
    TurningWheelDetection d(2, false, "2S2M", 0);
    const Drove run = Drive(d, work, Then(Repeat({T, Z}, 3), Repeat({Z, Z}, 4)));
    EXPECT_THAT(run.waits, ElementsAre(500u, 500u, 700u, 500u, 500u, 500u, 500u));
    EXPECT_EQ(run.samples, 7);
    EXPECT_EQ(d.TurningSamples(1), 4);
    EXPECT_EQ(d.StoppedSamples(1), 4);
    EXPECT_EQ(d.TurningSamples(2), 1) << "every sensor gets one more when the wheel is found";
    EXPECT_EQ(work.match[0], 1);
}

TEST(WheelDetection, FortyTwoNotTurningSamplesMarkADecision)
{
    WheelWork work;
    TurningWheelDetection d(4, true, "4S2M", 0);
    DetectionStep step = d.Begin(work);
    int samples = 0;
    while (step != DetectionStep::Done) {
        if (step == DetectionStep::ReadSpeeds) {
            step = d.Sampled({Z, Z, Z, Z}, false, work);
            ++samples;
            if (samples == 41) {
                EXPECT_EQ(d.Result(), 0) << "41 idle samples";
            }
            if (samples == 42) {
                EXPECT_EQ(d.Result(), 1) << "42 idle samples";
            }
        } else {
            step = d.Continue(work);
        }
    }
    EXPECT_EQ(samples, 46);
    // Manual form: no wheel turned -> the operator is asked; the decision stands.
    EXPECT_TRUE(d.Outcome().askOperator);
    EXPECT_EQ(d.Outcome().result, 1);
    EXPECT_THAT(d.Outcome().boxes, IsEmpty());
}

TEST(WheelDetection, AFailedReadGivesNoVerdictAndBoxesForUnseenSensors)
{
    struct Case {
        int failSample;
        int sensorsBefore; // sensors read in the failing sample
        bool manual;
        std::array<int32_t, 4> flags;
        std::vector<int> boxes;
    };
    const Case cases[] = {
        {0, 0, false, {-1, -1, -1, -1}, {193, 194, 195, 196}},
        {0, 2, false, {0, 0, -1, -1}, {195, 196}},
        {0, 2, true, {0, 0, -1, -1}, {195, 196}},
        // After 42 idle samples: every flag is set, no decision all the same.
        {43, 0, false, {0, 0, 0, 0}, {192}},
        {43, 0, true, {0, 0, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.failSample) + "/" + std::to_string(c.sensorsBefore) +
                     (c.manual ? " manual" : " automatic"));
        WheelWork work;
        TurningWheelDetection d(4, c.manual, "4S2M", 0);
        Drive(d, work, Repeat({Z, Z, Z, Z}, 46), c.failSample, c.sensorsBefore);
        EXPECT_EQ(work.turn, c.flags);
        EXPECT_EQ(d.Outcome().boxes, c.boxes);
        EXPECT_EQ(d.Outcome().result, 0);
        EXPECT_TRUE(d.Outcome().readFailed);
        EXPECT_FALSE(d.Outcome().askOperator) << "no question after a failed read";
    }
}

TEST(WheelDetection, AFailedReadAfterThePulseGivesNoVerdict)
{
    WheelWork work;
    TurningWheelDetection d(4, false, "4S2M", 0);
    const Drove run = Drive(d, work, Then(Repeat({T, Z, Z, Z}, 3), Repeat({Z, Z, Z, Z}, 4)), 4, 1);
    EXPECT_EQ(run.pulses, 1);
    EXPECT_EQ(d.Outcome().result, 0);
    EXPECT_EQ(work.match[0], 0);
}

TEST(WheelDetection, SlotOwnersFollowTheFormAndVariant)
{
    // Wheel 3 turns and stops: its slot is C on 4S2M, C on 4S3M variant 0, E otherwise.
    const std::vector<std::vector<double>> samples = Then(Repeat({Z, Z, T, Z}, 3), Repeat({Z, Z, Z, Z}, 4));
    const std::map<std::pair<std::string, int32_t>, size_t> slot = {
        {{"4S2M", 0}, 2}, {{"4S3M", 0}, 2}, {{"4S3M", 1}, 4}};
    for (const auto& [key, index] : slot) {
        WheelWork work;
        TurningWheelDetection d(4, false, key.first, key.second);
        Drive(d, work, samples);
        std::array<uint8_t, 6> expected{};
        expected[index] = 1;
        EXPECT_EQ(work.match, expected) << key.first << " " << key.second;
    }
}

// ---- Verdict ----

struct EvalCase {
    const char* name;
    int sensors;
    bool manual;
    const char* form;
    int32_t variant;
    uint8_t item;
    std::array<int32_t, 4> flags;
    std::array<uint8_t, 6> slots;
    std::array<int32_t, 3> modulatorStates; // before (answers)
    std::array<int32_t, 4> sensorResults;
    std::array<int32_t, 3> modulatorResults;
    std::array<int, 7> remarks;
    bool marker;
    WheelTestEnd end;
};

TEST(WheelVerdict, ResultsPicturesRemarksAndTheManualEnd)
{
    const int32_t U = -1;
    const EvalCase cases[] = {
        {"4S2M c passes", 4, false, "4S2M", 0, 'c', {1, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {U, U, U},
         {1, U, U, U}, {1, U, U}, {}, false, WheelTestEnd::None},
        {"4S2M c keeps turning", 4, false, "4S2M", 0, 'c', {1, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {U, U, U},
         {1, U, U, U}, {0, U, U}, {}, true, WheelTestEnd::None},
        {"manual 4S2M c keeps turning", 4, true, "4S2M", 0, 'c', {1, 0, 0, 0}, {}, {U, U, U},
         {1, U, U, U}, {0, U, U}, {0, 0, 0, 0, 256, 0, 0}, true, WheelTestEnd::None},
        {"manual 4S2M d not turned", 4, true, "4S2M", 0, 'd', {0, 0, 0, 0}, {}, {U, 1, U},
         {U, 0, U, U}, {U, U, U}, {0, 257, 0, 0, 0, 0, 0}, true, WheelTestEnd::None},
        {"manual 4S2M e, f turned instead", 4, true, "4S2M", 0, 'e', {0, 0, 0, 1}, {}, {U, U, U},
         {U, U, 0, U}, {U, U, U}, {0, 0, 264, 0, 0, 0, 0}, true, WheelTestEnd::None},
        {"4S2M c and d both turned", 4, false, "4S2M", 0, 'c', {1, 1, 0, 0}, {1, 1, 0, 0, 0, 0}, {U, U, U},
         {0, U, U, U}, {1, U, U}, {}, true, WheelTestEnd::None},
        {"4S3M v0 c owns slot E", 4, false, "4S3M", 0, 'c', {1, 0, 0, 0}, {0, 0, 0, 0, 1, 0}, {U, U, U},
         {1, U, U, U}, {U, U, 1}, {}, false, WheelTestEnd::None},
        {"4S3M v1 f owns slot F", 4, false, "4S3M", 1, 'f', {0, 0, 0, 1}, {0, 0, 0, 0, 0, 1}, {U, U, U},
         {U, U, U, 1}, {U, U, 1}, {}, false, WheelTestEnd::None},
        // Two-sensor: the answer carries the modulator when the wheel was not seen.
        {"manual 2S2M c not turned, can not turn", 2, true, "2S2M", 0, 'c', {0, 0, 1, 1}, {}, {0, U, U},
         {0, U, 1, 1}, {0, U, U}, {252, 0, 0, 0, 256, 0, 0}, true, WheelTestEnd::None},
        {"manual 2S2M d not turned, can turn", 2, true, "2S2M", 0, 'd', {0, 0, 1, 1}, {}, {U, 1, U},
         {U, 0, 1, 1}, {U, 1, U}, {0, 257, 0, 0, 0, 0, 0}, true, WheelTestEnd::None},
        {"manual 2S2M d, c turned", 2, true, "2S2M", 0, 'd', {1, 0, 1, 1}, {}, {U, U, U},
         {U, 0, 1, 1}, {U, U, U}, {0, 258, 0, 0, 0, 0, 0}, true, WheelTestEnd::None},
    };
    for (const EvalCase& c : cases) {
        SCOPED_TRACE(c.name);
        WheelWork work;
        work.turn = c.flags;
        work.match = c.slots;
        work.modulator = c.modulatorStates;
        WheelResults results;
        results.sensor = {U, U, U, U};
        if (std::string(c.form) == "2S2M")
            results.sensor[2] = results.sensor[3] = 1;
        const WheelEvaluation e =
            EvaluateWheelItem(WheelItemInput{c.sensors, c.manual, c.form, c.variant, c.item}, work, results);
        EXPECT_EQ(results.sensor, c.sensorResults);
        EXPECT_EQ(results.modulator, c.modulatorResults);
        EXPECT_EQ(e.remarkRows, c.remarks);
        EXPECT_EQ(e.writeMarker, c.marker);
        EXPECT_EQ(e.end, c.end);
        EXPECT_TRUE(e.verdict);
        const int s = c.item - 'c';
        EXPECT_EQ(e.pictures[static_cast<size_t>(s)],
                  c.sensorResults[static_cast<size_t>(s)] == 1 ? WheelPicture::Passed : WheelPicture::Failed);
    }
}

TEST(WheelVerdict, TheManualRunEndsWhenEverySensorHasAVerdict)
{
    // 2S2M: sensor 1 already passed with its modulator; sensor 2 passes now.
    WheelWork work;
    work.turn = {0, 1, 1, 1};
    work.match = {1, 1, 0, 0, 0, 0};
    WheelResults results;
    results.sensor = {1, -1, 1, 1};
    results.modulator = {1, -1, -1};
    WheelEvaluation e = EvaluateWheelItem(WheelItemInput{2, true, "2S2M", 0, 'd'}, work, results);
    EXPECT_EQ(e.end, WheelTestEnd::Passed);
    EXPECT_FALSE(e.writeMarker);

    // 4S2M: all sensors judged, one modulator failed -> idle without the pass box.
    work = WheelWork{};
    work.turn = {0, 0, 0, 1};
    work.match = {0, 0, 0, 0, 0, 0};
    results.sensor = {1, 1, 1, -1};
    results.modulator = {1, 1, -1};
    e = EvaluateWheelItem(WheelItemInput{4, true, "4S2M", 0, 'f'}, work, results);
    EXPECT_EQ(results.modulator[1], 0);
    EXPECT_EQ(e.end, WheelTestEnd::Idle);
    // Automatic evaluations never end the test themselves.
    results.sensor = {1, 1, 1, -1};
    e = EvaluateWheelItem(WheelItemInput{4, false, "4S2M", 0, 'f'}, work, results);
    EXPECT_EQ(e.end, WheelTestEnd::None);
}

TEST(WheelVerdict, RemarkTable)
{
    const int expected[4][5] = {{252, 0, 253, 254, 255}, {257, 258, 0, 259, 260}, {261, 262, 263, 0, 264},
                                {265, 266, 267, 268, 0}};
    for (int s = 1; s <= 4; ++s)
        for (int o = 0; o <= 4; ++o)
            EXPECT_EQ(WheelRemarkRow(s, o), expected[s - 1][o]) << s << "/" << o;
}

// ---- Preview ----

std::string Row(const WheelPreviewCells& cells, size_t first)
{
    std::string out;
    for (size_t i = first; i < first + 5; ++i)
        out += cells[i].shown ? "[" + cells[i].text + "]" : ".";
    return out;
}

TEST(AxlePreview, WheelCellsByChoiceAxleCountAndFlags)
{
    struct Case {
        int32_t choice;
        int32_t axles;
        std::array<int32_t, 10> flags;
        const char* lower;
        const char* upper;
    };
    const std::array<int32_t, 10> none{};
    const std::array<int32_t, 10> firsts{1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    const std::array<int32_t, 10> mixed{1, 0, 0, 0, 1, 1, 0, 1, 0, 0};
    const Case cases[] = {
        {1, 1, none, "..[c]..", "..[d].."},
        {2, 1, none, "..[d]..", "..[c].."},
        {1, 1, {0, 1}, "..[c]..", "..[d].."},
        {1, 2, none, ".[].[].", ".[].[]."},
        {1, 2, firsts, ".[c].[c].", ".[d].[d]."},
        {1, 3, none, ".[ ][ ][ ].", ".[ ][ ][ ]."},
        {1, 3, mixed, ".[c][ ][e].", ".[d][ ][f]."},
        {2, 3, mixed, ".[d][ ][f].", ".[c][ ][e]."},
        {1, 4, mixed, "[c][ ][e][e].", "[d][ ][f][f]."},
        {1, 5, firsts, "[c][c][c][c][c]", "[d][d][d][d][d]"},
        {1, 5, none, "[][][][][]", "[][][][][]"},
        {0, 3, firsts, ".....", "....."},
        {3, 3, firsts, ".....", "....."},
        {1, 0, firsts, ".....", "....."},
        {1, 6, firsts, ".....", "....."},
    };
    for (const Case& c : cases) {
        const WheelPreviewCells cells = SensorPreviewCells(c.choice, c.axles, c.flags);
        EXPECT_EQ(Row(cells, 0), c.lower) << c.choice << "/" << c.axles;
        EXPECT_EQ(Row(cells, 5), c.upper) << c.choice << "/" << c.axles;
    }
}

} // namespace
