#include "DravixProtocol.h"

#include <algorithm>
#include <cstring>

namespace dravix {

namespace {

void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct BaudRow {
    uint16_t timingPair;
    uint32_t reference;
    uint32_t bitsPerSecond;
};

// Index order is the adapter's: the index is what the bit-rate command carries.
constexpr BaudRow kBaudTable[kBaudIndexCount] = {
    {0x0014, 0x00060003, 1000000}, {0x0016, 0x00060004, 800000}, {0x80B6, 0x000080B6, 666666},
    {0x001C, 0x00060007, 500000},  {0x80FA, 0x000080FA, 400000}, {0x011C, 0x001C0008, 250000},
    {0x81FA, 0x000081FA, 200000},  {0x031C, 0x001C0011, 125000}, {0x041C, 0x00160023, 100000},
    {0x83FF, 0x000083FF, 80000},   {0x091C, 0x001C002C, 50000},  {0x87FF, 0x000087FF, 40000},
    {0x181C, 0x001600B3, 20000},   {0x311C, 0x001C00E0, 10000},  {0xBFFF, 0x001C01C1, 5000},
};

} // namespace

std::array<uint8_t, kCommandPacketSize> EncodeCommand(uint8_t header, uint32_t word, const std::array<uint8_t, 8>& params)
{
    std::array<uint8_t, kCommandPacketSize> p{};
    p[0] = header;
    PutU32(&p[1], word);
    p[5] = 8;
    std::copy(params.begin(), params.end(), p.begin() + 6);
    return p;
}

bool DecodeCommand(const uint8_t* bytes, size_t length, Command& out)
{
    if (!bytes || length != kCommandPacketSize)
        return false;
    if ((bytes[0] != kHeaderChannel1 && bytes[0] != kHeaderChannel2) || bytes[5] != 8)
        return false;
    out.header = bytes[0];
    out.word = GetU32(bytes + 1);
    std::copy(bytes + 6, bytes + 14, out.params.begin());
    return true;
}

WireFrame ToWireFrame(const CanFrameRecord& frame)
{
    WireFrame w;
    w.word = frame.ID & kIdMask;
    if (frame.ExternFlag)
        w.word |= kExtendedBit;
    w.info = uint8_t(std::min<uint8_t>(frame.DataLen, 8));
    if (frame.RemoteFlag)
        w.info |= kInfoRemote;
    std::copy(frame.Data, frame.Data + 8, w.data.begin());
    return w;
}

std::vector<std::vector<uint8_t>> EncodeFrameBatch(unsigned channel, const WireFrame* frames, size_t count)
{
    std::vector<std::vector<uint8_t>> packets;
    if (!frames || count == 0 || count > kFramesPerBatch || channel >= kChannels)
        return packets;
    for (size_t first = 0; first < count; first += kFramesPerPacket) {
        const size_t k = std::min(kFramesPerPacket, count - first);
        std::vector<uint8_t> p(1 + kFrameRecordSize * k);
        p[0] = uint8_t(k);
        if (channel == 1)
            p[0] |= kPacketSecondChannel;
        if (first + k == count)
            p[0] |= kPacketLastOfBatch;
        for (size_t i = 0; i < k; ++i) {
            uint8_t* r = &p[1 + kFrameRecordSize * i];
            const WireFrame& f = frames[first + i];
            PutU32(r, f.word);
            r[4] = f.info;
            std::copy(f.data.begin(), f.data.end(), r + 5);
        }
        packets.push_back(std::move(p));
    }
    return packets;
}

bool DecodeFramePacket(const uint8_t* bytes, size_t length, FramePacket& out)
{
    if (!bytes || length < 1)
        return false;
    const size_t k = bytes[0] & 0x0F;
    if (k < 1 || k > kFramesPerPacket || length != 1 + kFrameRecordSize * k)
        return false;
    out.channel = (bytes[0] & kPacketSecondChannel) ? 1u : 0u;
    out.last = (bytes[0] & kPacketLastOfBatch) != 0;
    out.frames.clear();
    for (size_t i = 0; i < k; ++i) {
        const uint8_t* r = bytes + 1 + kFrameRecordSize * i;
        WireFrame f;
        f.word = GetU32(r);
        f.info = r[4];
        std::copy(r + 5, r + 13, f.data.begin());
        out.frames.push_back(f);
    }
    return true;
}

std::array<uint8_t, kAckSize> EncodeAck(uint8_t channelMark, uint8_t status)
{
    std::array<uint8_t, kAckSize> a{};
    a[1] = channelMark;
    a[2] = status;
    return a;
}

bool AckMatches(const uint8_t* ack, size_t length, uint8_t channelMark)
{
    return ack && length >= 3 && ack[1] == channelMark && ack[2] == 0;
}

AdapterRecord DecodeAdapterRecord(const uint8_t* r)
{
    AdapterRecord rec;
    rec.word = GetU32(r);
    rec.info = r[4];
    std::copy(r + 5, r + 13, rec.data.begin());
    rec.time = uint32_t(r[13] & 0x7F) | uint32_t(r[14] & 0x7F) << 7 | uint32_t(r[15] & 0x7F) << 14;
    const bool a = (r[13] & 0x80) != 0;
    const bool b = (r[14] & 0x80) != 0;
    const bool c = (r[15] & 0x80) != 0;
    if (!a && b && c)
        rec.channel = 0;
    else if (a && !b && c)
        rec.channel = 1;
    rec.skipped = rec.channel < 0 || (rec.info & kInfoSkip) != 0;
    return rec;
}

std::array<uint8_t, kAdapterRecordSize> EncodeAdapterRecord(unsigned channel, uint32_t word, uint8_t info,
                                                            const std::array<uint8_t, 8>& data, uint32_t time21)
{
    std::array<uint8_t, kAdapterRecordSize> r{};
    PutU32(&r[0], word);
    r[4] = info;
    std::copy(data.begin(), data.end(), r.begin() + 5);
    r[13] = uint8_t(time21 & 0x7F);
    r[14] = uint8_t((time21 >> 7) & 0x7F);
    r[15] = uint8_t((time21 >> 14) & 0x7F);
    if (channel == 1)
        r[13] |= 0x80; // A
    else
        r[14] |= 0x80; // B
    r[15] |= 0x80;     // C
    return r;
}

BitRate BitRateFromTimingPair(uint16_t pair)
{
    for (uint32_t i = 0; i < kBaudIndexCount; ++i)
        if (kBaudTable[i].timingPair == pair)
            return {false, i};
    return {true, pair};
}

BitRate BitRateFromReference(uint32_t value)
{
    for (uint32_t i = 0; i < kBaudIndexCount; ++i)
        if (kBaudTable[i].reference == value)
            return {false, i};
    return {true, value};
}

std::array<uint8_t, 8> BitRateParams(const BitRate& rate)
{
    std::array<uint8_t, 8> p{};
    // A value below 15 is a baud index, however it was stored.
    if (!rate.raw || rate.value < kBaudIndexCount) {
        PutU32(p.data(), rate.value);
    } else {
        p[0] = uint8_t(rate.value & 0xFF);
        p[1] = 0xC0;
        p[2] = uint8_t((rate.value >> 8) & 0xFF);
        p[3] = 0x40;
    }
    return p;
}

BitRate BitRateFromParams(const std::array<uint8_t, 8>& p)
{
    if (p[1] == 0xC0 && p[3] == 0x40)
        return {true, uint32_t(p[2]) << 8 | p[0]};
    return {false, GetU32(p.data())};
}

uint32_t BitsPerSecondOfIndex(uint32_t index)
{
    return index < kBaudIndexCount ? kBaudTable[index].bitsPerSecond : 0;
}

uint32_t BitsPerSecondOfTiming(uint8_t timing0, uint8_t timing1)
{
    // SJA1000 at a 16 MHz oscillator: tq = 2 * (BRP + 1) / 16 MHz and a bit is
    // 1 + (TSEG1 + 1) + (TSEG2 + 1) quanta.
    const uint32_t brp = (timing0 & 0x3Fu) + 1;
    const uint32_t tseg1 = (timing1 & 0x0Fu) + 1;
    const uint32_t tseg2 = ((timing1 >> 4) & 0x07u) + 1;
    return 16000000u / (2 * brp * (1 + tseg1 + tseg2));
}

std::array<uint8_t, 8> ModeParamsForInitMode(uint8_t mode)
{
    std::array<uint8_t, 8> p{};
    p[0] = mode == 1 ? 0x02 : mode == 2 ? 0x04 : 0x00;
    p[4] = mode == 2 ? 0x30 : 0x21;
    return p;
}

std::array<uint8_t, 8> ModeParamsForSendType(uint8_t sendType)
{
    std::array<uint8_t, 8> p{};
    switch (sendType) {
    case 1: p[0] = 0x00; p[4] = 0x23; break;
    case 2: p[0] = 0x04; p[4] = 0x30; break;
    case 3: p[0] = 0x04; p[4] = 0x32; break;
    default: p[0] = 0x00; p[4] = 0x21; break;
    }
    return p;
}

Acceptance AcceptanceFrom(const CanInitConfig& c)
{
    Acceptance a;
    a.mustOne = c.AccCode & ~c.AccMask;
    a.mustZero = ~c.AccCode & ~c.AccMask;
    a.mode = c.Filter;
    return a;
}

namespace {
bool Matches(uint32_t x, uint32_t mustOne, uint32_t mustZero)
{
    return (x & mustOne) == mustOne && (x & mustZero) == 0;
}
} // namespace

bool Accepts(const Acceptance& a, uint32_t word, uint8_t info)
{
    const bool extended = (word & kExtendedBit) != 0;
    const uint32_t remote = (info & kInfoRemote) ? 1u : 0u;
    const uint32_t id = word & kIdMask;
    // Identifiers are cut to their width so a stray high bit cannot shift
    // into the compared field.
    const uint32_t x = extended ? (id << 3 | remote << 2) : ((id & 0x7FFu) << 21 | remote << 20);
    if (a.mode == 1) {
        const uint32_t compared = extended ? 0xFFFFFFFCu : 0xFFF00000u;
        return Matches(x, a.mustOne & compared, a.mustZero & compared);
    }
    const bool high = Matches(x, a.mustOne & 0xFFFF0000u, a.mustZero & 0xFFFF0000u);
    const bool low = Matches(x, a.mustOne << 16, a.mustZero << 16);
    return high || low;
}

uint64_t AdvanceClock(uint64_t clock, const AdapterRecord& r)
{
    if (r.channel == 0 && r.word == kClockRecord)
        return uint64_t(r.DataWord(0)) * 3600000000ull + r.DataWord(1);
    return clock / 1000000ull * 1000000ull + r.time;
}

int LoadSample(const AdapterRecord& r)
{
    const uint32_t divisor = (r.channel == 0 && r.word == kClockRecord) ? r.DataWord(1) : r.time;
    if (divisor == 0)
        return -1;
    return int(std::min<uint32_t>(1300u / divisor, 150u));
}

} // namespace dravix
