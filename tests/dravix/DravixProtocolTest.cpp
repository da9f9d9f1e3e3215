// The packet formats and pure rules, byte by byte.
#include "DravixProtocol.h"
#include "DravixRing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dravix;

namespace {

std::vector<uint8_t> Headers(unsigned channel, size_t count)
{
    std::vector<WireFrame> frames(count);
    std::vector<uint8_t> headers;
    for (const auto& p : EncodeFrameBatch(channel, frames.data(), count))
        headers.push_back(p[0]);
    return headers;
}

} // namespace

TEST(DravixPackets, CommandPacketLayoutAndRoundTrip)
{
    const std::array<uint8_t, 8> params{1, 2, 3, 4, 5, 6, 7, 8};
    const auto p = EncodeCommandOn(1, 0x4000000C, params);
    const std::array<uint8_t, 14> expected{0x91, 0x0C, 0x00, 0x00, 0x40, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(p, expected);
    Command c;
    ASSERT_TRUE(DecodeCommand(p.data(), p.size(), c));
    EXPECT_EQ(c.word, 0x4000000Cu);
    EXPECT_EQ(c.Channel(), 1u);
    EXPECT_EQ(c.params, params);
    EXPECT_FALSE(DecodeCommand(p.data(), 13, c));
    EXPECT_EQ(EncodeCommandOn(0, kCmdIdentify, {})[0], 0x81);
}

TEST(DravixPackets, BatchesSplitIntoPacketsOfFourWithLastMark)
{
    struct Case {
        unsigned channel;
        size_t count;
        std::vector<uint8_t> headers;
    };
    const Case cases[] = {
        {0, 1, {0x21}},
        {0, 4, {0x24}},
        {1, 4, {0x34}},
        {0, 5, {0x04, 0x21}},
        {1, 15, {0x14, 0x14, 0x14, 0x33}},
        {0, 0, {}},
        {0, 16, {}},
        {2, 1, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Headers(c.channel, c.count), c.headers) << "channel " << c.channel << " count " << c.count;
}

TEST(DravixPackets, FrameRecordCarriesFlagsAndClipsMalformedFields)
{
    CanFrameRecord f{};
    f.ID = 0xFFFFFFFF; // stray high bits must not reach the flag bits
    f.ExternFlag = 1;
    f.RemoteFlag = 1;
    f.DataLen = 12;
    for (int i = 0; i < 8; ++i)
        f.Data[i] = uint8_t(0xA0 + i);
    const WireFrame w = ToWireFrame(f);
    EXPECT_EQ(w.word, 0x3FFFFFFFu);
    EXPECT_EQ(w.info, 0x18);

    CanFrameRecord s{};
    s.ID = 0x123;
    s.DataLen = 3;
    const WireFrame ws = ToWireFrame(s);
    EXPECT_EQ(ws.word, 0x123u);
    EXPECT_EQ(ws.info, 3);

    const auto packets = EncodeFrameBatch(0, &w, 1);
    ASSERT_EQ(packets.size(), 1u);
    const std::vector<uint8_t> expected{0x21, 0xFF, 0xFF, 0xFF, 0x3F, 0x18, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    EXPECT_EQ(packets[0], expected);
    FramePacket back;
    ASSERT_TRUE(DecodeFramePacket(packets[0].data(), packets[0].size(), back));
    EXPECT_TRUE(back.last);
    ASSERT_EQ(back.frames.size(), 1u);
    EXPECT_EQ(back.frames[0].word, w.word);
    EXPECT_FALSE(DecodeFramePacket(packets[0].data(), packets[0].size() - 1, back));
}

TEST(DravixPackets, AcknowledgementNeedsChannelMarkAndZeroStatus)
{
    const auto ok = EncodeAck(2, 0);
    EXPECT_TRUE(AckMatches(ok.data(), ok.size(), 2));
    EXPECT_FALSE(AckMatches(ok.data(), ok.size(), 1));
    const auto bad = EncodeAck(1, 3);
    EXPECT_FALSE(AckMatches(bad.data(), bad.size(), 1));
    EXPECT_FALSE(AckMatches(ok.data(), 2, 2));
}

TEST(DravixPackets, AdapterRecordMarksNameTheChannel)
{
    struct Case {
        uint8_t a, b, c, info;
        int channel;
        bool skipped;
    };
    const Case cases[] = {
        {0, 1, 1, 0x08, 0, false}, {1, 0, 1, 0x08, 1, false}, {0, 0, 1, 0x08, -1, true},
        {1, 1, 1, 0x08, -1, true}, {0, 0, 0, 0x08, -1, true},  {0, 1, 0, 0x08, -1, true},
        {0, 1, 1, 0x88, 0, true},  // skip bit in the info byte
    };
    for (const auto& c : cases) {
        uint8_t r[16] = {0x0B, 0xF9, 0xDA, 0x38, c.info, 1, 2, 3, 4, 5, 6, 7, 8};
        r[13] = uint8_t(c.a << 7 | 0x7F);
        r[14] = uint8_t(c.b << 7 | 0x00);
        r[15] = uint8_t(c.c << 7 | 0x01);
        const AdapterRecord rec = DecodeAdapterRecord(r);
        EXPECT_EQ(rec.channel, c.channel) << int(c.a) << int(c.b) << int(c.c);
        EXPECT_EQ(rec.skipped, c.skipped) << int(c.a) << int(c.b) << int(c.c) << " info " << int(c.info);
        EXPECT_EQ(rec.time, 0x7Fu | 1u << 14);
        EXPECT_EQ(rec.word, 0x38DAF90Bu);
    }
    const auto enc = EncodeAdapterRecord(1, 0x40001009, 0, {9, 8, 7, 6, 5, 4, 3, 2}, 0x1ABCDE);
    const AdapterRecord back = DecodeAdapterRecord(enc.data());
    EXPECT_EQ(back.channel, 1);
    EXPECT_FALSE(back.skipped);
    EXPECT_TRUE(back.IsReply());
    EXPECT_EQ(back.time, 0x1ABCDEu);
    EXPECT_EQ(back.DataWord(0), 0x06070809u);
    EXPECT_EQ(back.DataWord(1), 0x02030405u);
}

TEST(DravixBitRate, TablesMapTarvelRowsAndKeepRawValuesRaw)
{
    EXPECT_EQ(BitRateFromTimingPair(0x001C), (BitRate{false, 3}));
    EXPECT_EQ(BitRateFromTimingPair(0x031C), (BitRate{false, 7}));
    EXPECT_EQ(BitRateFromReference(0x00060007), (BitRate{false, 3}));
    EXPECT_EQ(BitRateFromReference(0x001C0011), (BitRate{false, 7}));
    EXPECT_EQ(BitRateFromTimingPair(0xBFFF), (BitRate{false, 14}));
    EXPECT_EQ(BitRateFromTimingPair(0x0123), (BitRate{true, 0x0123}));
    // A raw pair below 15 stays raw in the channel, but the bit-rate command
    // carries any stored value below 15 as a baud index.
    const BitRate small = BitRateFromTimingPair(0x0005);
    EXPECT_TRUE(small.raw);
    const std::array<uint8_t, 8> smallParams{0x05, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(BitRateParams(small), smallParams);
    EXPECT_EQ(BitRateFromParams(smallParams), (BitRate{false, 5}));
    EXPECT_EQ(BitRateParams(BitRateFromReference(0x0000000E)), (std::array<uint8_t, 8>{14, 0, 0, 0, 0, 0, 0, 0}));
    // From 15 on a raw value goes out as timing bytes.
    const std::array<uint8_t, 8> rawParams{0x0F, 0xC0, 0x00, 0x40, 0, 0, 0, 0};
    EXPECT_EQ(BitRateParams(BitRateFromTimingPair(0x000F)), rawParams);
    EXPECT_EQ(BitRateFromParams(rawParams), (BitRate{true, 0x000F}));
    const std::array<uint8_t, 8> pairParams{0x23, 0xC0, 0x01, 0x40, 0, 0, 0, 0};
    EXPECT_EQ(BitRateParams(BitRateFromTimingPair(0x0123)), pairParams);
    const std::array<uint8_t, 8> indexParams{7, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(BitRateParams({false, 7}), indexParams);
    EXPECT_EQ(BitRateFromParams(indexParams), (BitRate{false, 7}));
}

TEST(DravixBitRate, EveryTimingPairMeansTheBitRateOfItsIndex)
{
    const uint16_t pairs[kBaudIndexCount] = {0x0014, 0x0016, 0x80B6, 0x001C, 0x80FA, 0x011C, 0x81FA, 0x031C,
                                             0x041C, 0x83FF, 0x091C, 0x87FF, 0x181C, 0x311C, 0xBFFF};
    for (uint32_t i = 0; i < kBaudIndexCount; ++i) {
        const double fromTiming = BitsPerSecondOfTiming(uint8_t(pairs[i] >> 8), uint8_t(pairs[i]));
        EXPECT_NEAR(fromTiming, BitsPerSecondOfIndex(i), BitsPerSecondOfIndex(i) * 0.01) << "index " << i;
    }
    EXPECT_EQ(BitsPerSecondOfIndex(3), 500000u);
    EXPECT_EQ(BitsPerSecondOfIndex(7), 125000u);
    EXPECT_EQ(BitsPerSecondOfIndex(15), 0u);
}

TEST(DravixMode, ModeBytesFromInitModeAndSendType)
{
    struct Case {
        bool sendType;
        uint8_t value, byte0, byte4;
    };
    const Case cases[] = {
        {false, 0, 0x00, 0x21}, {false, 1, 0x02, 0x21}, {false, 2, 0x04, 0x30}, {false, 9, 0x00, 0x21},
        {true, 0, 0x00, 0x21},  {true, 1, 0x00, 0x23},  {true, 2, 0x04, 0x30},  {true, 3, 0x04, 0x32},
    };
    for (const auto& c : cases) {
        const auto p = c.sendType ? ModeParamsForSendType(c.value) : ModeParamsForInitMode(c.value);
        EXPECT_EQ(p[0], c.byte0) << c.sendType << " " << int(c.value);
        EXPECT_EQ(p[4], c.byte4) << c.sendType << " " << int(c.value);
    }
}

TEST(DravixAcceptance, FilterTable)
{
    struct Case {
        const char* what;
        uint32_t code, mask;
        uint8_t filter;
        uint32_t word;
        uint8_t info;
        bool pass;
    };
    const uint32_t ext = kExtendedBit;
    const Case cases[] = {
        {"single std exact", 0x123u << 21, 0x001FFFFF, 1, 0x123, 8, true},
        {"single std neighbour", 0x123u << 21, 0x001FFFFF, 1, 0x124, 8, false},
        {"single std remote is don't-care", 0x123u << 21, 0x001FFFFF, 1, 0x123, 0x10, true},
        {"single std remote required", 0x123u << 21 | 1u << 20, 0x000FFFFF, 1, 0x123, 8, false},
        {"single ext response id", 0xC6D7C858, 0x00000007, 1, ext | 0x18DAF90B, 8, true},
        {"single ext other id", 0xC6D7C858, 0x00000007, 1, ext | 0x18DAF90C, 8, false},
        {"single ext std frame rejected", 0xC6D7C858, 0x00000007, 1, 0x18B, 8, false},
        {"pass-all dual ext", 0, 0x00FFFFFF, 0, ext | 0x18DAF90B, 8, true},
        {"pass-all dual ext max", 0, 0x00FFFFFF, 0, ext | 0x1FFFFFFF, 0x18, true},
        {"pass-all dual std", 0, 0x00FFFFFF, 0, 0x7FF, 0, true},
        {"mask all ones single", 0x12345678, 0xFFFFFFFF, 1, ext | 0x0ABCDEF1, 8, true},
        {"mask all ones dual std", 0x12345678, 0xFFFFFFFF, 0, 0x001, 8, true},
        {"dual first filter std", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x091, 8, true},
        {"dual second filter std", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x22B, 8, true},
        {"dual neither std", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x22C, 8, false},
        // Every must-one bit present, plus one bit that must be zero.
        {"single std extra bit", 0x123u << 21, 0x001FFFFF, 1, 0x127, 8, false},
        {"dual first filter extra bit", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x0B1, 8, false},
        {"dual second filter extra bit", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x26B, 8, false},
        {"dual remote where the code wants none", 0x1220u << 16 | 0x4560, 0x000F000F, 0, 0x091, 0x18, false},
    };
    for (const auto& c : cases) {
        CanInitConfig cfg{};
        cfg.AccCode = c.code;
        cfg.AccMask = c.mask;
        cfg.Filter = c.filter;
        EXPECT_EQ(Accepts(AcceptanceFrom(cfg), c.word, c.info), c.pass) << c.what;
    }
}

TEST(DravixClock, ClockRecordAndMicrosecondPart)
{
    AdapterRecord clock;
    clock.channel = 0;
    clock.word = kClockRecord;
    clock.data = {2, 0, 0, 0, 5, 0, 0, 0};
    EXPECT_EQ(AdvanceClock(123, clock), 7200000005ull);
    EXPECT_EQ(LoadSample(clock), 150); // divisor is data word 1 = 5 -> 260, capped

    // The same word on the second channel is not a clock record.
    AdapterRecord second = clock;
    second.channel = 1;
    second.time = 40;
    EXPECT_EQ(AdvanceClock(7200000005ull, second), 7200000040ull);

    AdapterRecord frame;
    frame.channel = 0;
    frame.word = 0x123;
    const struct {
        uint32_t t;
        uint64_t clock;
        int sample;
    } cases[] = {{1, 7200000001ull, 150}, {0, 7200000000ull, -1}, {13, 7200000013ull, 100}, {1300, 7200001300ull, 1},
                 {999999, 7200999999ull, 0}};
    for (const auto& c : cases) {
        frame.time = c.t;
        EXPECT_EQ(AdvanceClock(7200000005ull, frame), c.clock) << c.t;
        EXPECT_EQ(LoadSample(frame), c.sample) << c.t;
    }
}

TEST(DravixRing, FullRingRefusesInsteadOfOverwritingAndWrapsInOrder)
{
    static FrameRing ring; // 2048 entries: keep it off the stack
    ring.Reset();
    RingEntry e;
    for (uint32_t i = 0; i < FrameRing::kSize - 1; ++i) {
        e.word = i;
        ASSERT_TRUE(ring.Push(e)) << i;
    }
    EXPECT_EQ(ring.Count(), FrameRing::kSize - 1);
    e.word = 0xDEAD;
    EXPECT_FALSE(ring.Push(e));
    RingEntry out;
    for (uint32_t i = 0; i < 1000; ++i) {
        ASSERT_TRUE(ring.Pop(out));
        ASSERT_EQ(out.word, i);
    }
    // Across the wrap point the order holds.
    for (uint32_t i = 0; i < 1000; ++i) {
        e.word = 5000 + i;
        ASSERT_TRUE(ring.Push(e));
    }
    for (uint32_t i = 1000; i < FrameRing::kSize - 1; ++i) {
        ASSERT_TRUE(ring.Pop(out));
        ASSERT_EQ(out.word, i);
    }
    for (uint32_t i = 0; i < 1000; ++i) {
        ASSERT_TRUE(ring.Pop(out));
        ASSERT_EQ(out.word, 5000 + i);
    }
    EXPECT_FALSE(ring.Pop(out));
    e.word = 1;
    ring.Push(e);
    ring.Discard();
    EXPECT_EQ(ring.Count(), 0u);
    EXPECT_FALSE(ring.Pop(out));
}
