// A simulated ECU on its own 500 kbit/s bus with a raw tester beside it, all
// on a virtual clock.
#pragma once

#include "RawTester.h"
#include "SecurityAccessKey.h"
#include "SimEcu.h"

#include <gtest/gtest.h>

#include <memory>

namespace simtest {

class SimEcuFixture : public ::testing::Test {
protected:
    void SetUp() override { Start(sim::SimEcuConfig{}); }

    void Start(const sim::SimEcuConfig& config)
    {
        tester.reset();
        ecu.reset();
        ecu = std::make_unique<sim::SimEcu>(clock, config);
        ecu->AttachTo(bus);
        tester = std::make_unique<RawTester>(bus, clock);
    }

    Bytes Request(const Bytes& request, uint64_t timeoutMs = 3500) { return tester->Request(request, timeoutMs); }

    // Full unlock of a level (0x01 or 0x09); returns the sendKey answer.
    Bytes Unlock(uint8_t level, bool rightKey = true)
    {
        Bytes seedAnswer = Request({0x27, level});
        if (seedAnswer.size() != 6 || seedAnswer[0] != 0x67)
            return seedAnswer;
        std::array<uint8_t, 4> seed{seedAnswer[2], seedAnswer[3], seedAnswer[4], seedAnswer[5]};
        auto pair = level == 0x01 ? tarvel::kSecurityLevel1Constants : tarvel::kSecurityLevel9Constants;
        auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey(seed, pair));
        if (!rightKey)
            key[3] ^= 0x5A;
        return Request({0x27, uint8_t(level + 1), key[0], key[1], key[2], key[3]});
    }

    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    std::shared_ptr<sim::CanBus> bus = sim::CanBus::Create(500000);
    std::unique_ptr<sim::SimEcu> ecu;
    std::unique_ptr<RawTester> tester;
};

} // namespace simtest
