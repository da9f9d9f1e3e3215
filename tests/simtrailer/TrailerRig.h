// A simulated ECU with a trailer behind it, a simulated operator and a raw
// tester on one bus, all on a virtual clock. Values are decoded here by hand,
// byte by byte, as the end-of-line pages read them.
#pragma once

#include "RawTester.h"
#include "SecurityAccessKey.h"
#include "SimEcu.h"
#include "SimOperator.h"
#include "SimTrailer.h"

#include <memory>

namespace simtest {

using sim::trailerdata::TrailerForm;

class TrailerRig {
public:
    explicit TrailerRig(TrailerForm form = TrailerForm::k4S2M, sim::TrailerEquipment equipment = {})
    {
        ecu = std::make_unique<sim::SimEcu>(clock);
        ecu->AttachTo(bus);
        trailer = std::make_unique<sim::SimTrailer>(clock, form, equipment);
        trailer->AttachTo(*ecu);
        op = std::make_unique<sim::SimOperator>(*trailer);
        tester = std::make_unique<RawTester>(bus, clock);
    }

    Bytes Request(const Bytes& request, uint64_t timeoutMs = 3500) { return tester->Request(request, timeoutMs); }
    bool Positive(const Bytes& request)
    {
        const Bytes answer = Request(request);
        return !answer.empty() && answer[0] == uint8_t(request[0] + 0x40);
    }
    void WaitMs(uint64_t ms) { clock.Advance(ms * 1000); }

    // The data bytes after 62 <DID>; empty when the read failed.
    Bytes Read(uint16_t did)
    {
        const Bytes answer = Request({0x22, uint8_t(did >> 8), uint8_t(did)});
        if (answer.size() < 3 || answer[0] != 0x62)
            return {};
        return Bytes(answer.begin() + 3, answer.end());
    }

    bool Unlock()
    {
        Bytes seedAnswer = Request({0x27, 0x01});
        if (seedAnswer.size() != 6 || seedAnswer[0] != 0x67)
            return false;
        std::array<uint8_t, 4> seed{seedAnswer[2], seedAnswer[3], seedAnswer[4], seedAnswer[5]};
        auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey(seed, tarvel::kSecurityLevel1Constants));
        return Request({0x27, 0x02, key[0], key[1], key[2], key[3]}) == Bytes{0x67, 0x02};
    }
    // 10 03 then SecurityAccess, as every page does before commanding.
    bool ExtendedAndUnlocked() { return Positive({0x10, 0x03}) && Unlock(); }

    // Pressure sub-field: 16 bits, least significant byte first, x 0.001 bar.
    static double PressureAt(const Bytes& data, size_t byteIndex)
    {
        if (data.size() < byteIndex + 2)
            return -1.0;
        return (data[byteIndex] | (data[byteIndex + 1] << 8)) * 0.001;
    }
    // Wheel speed and height values: 16 bits, most significant byte first.
    static unsigned U16Msb(const Bytes& data)
    {
        return data.size() < 2 ? 0xFFFFFFFFu : unsigned((data[0] << 8) | data[1]);
    }

    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    std::shared_ptr<sim::CanBus> bus = sim::CanBus::Create(500000);
    std::unique_ptr<sim::SimEcu> ecu;
    std::unique_ptr<sim::SimTrailer> trailer;
    std::unique_ptr<sim::SimOperator> op;
    std::unique_ptr<RawTester> tester;
};

} // namespace simtest
