// The page bench with the trailer behind the simulated ECU, the report
// texts loaded, and a pump that runs one action inside a pumped wait once
// its condition holds (a click or a disconnect while a test waits).
#pragma once

#include "EolGlobals.h"
#include "EolVoltageTestLogic.h"
#include "PageHostTable.h"
#include "ReportTextTable.h"

#include "Pump.h"

#include "SimTrailer.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace eoltest {

class ActionPump : public tarvel::MessagePump {
public:
    ActionPump() { tarvel::SetPump(this); }
    ~ActionPump() override { tarvel::SetPump(nullptr); }
    ActionPump(const ActionPump&) = delete;
    ActionPump& operator=(const ActionPump&) = delete;

    // Runs `action` once, at the first pump where `when` holds.
    void Once(std::function<bool()> when, std::function<void()> action)
    {
        when_ = std::move(when);
        action_ = std::move(action);
    }
    bool Fired() const { return fired_; }

    void PumpPending() override
    {
        if (!action_ || !when_())
            return;
        auto action = std::move(action_);
        action_ = nullptr;
        fired_ = true;
        action();
    }

private:
    std::function<bool()> when_;
    std::function<void()> action_;
    bool fired_ = false;
};

class EolBenchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        trailer.AttachTo(*bench.ecu);
        ASSERT_TRUE(LoadPdfLanguageConfig());
    }

    EolVoltageTestLogic& Voltage()
    {
        return *dynamic_cast<EolVoltageTestLogic*>(bench.pages.Logic(tarvel::TabEolVoltage));
    }
    // The raw byte 0029 reports.
    void SetRawVoltage(int raw) { trailer.SetSupplyVoltage(raw * 0.15); }
    std::string UiText(int row) const { return bench.Context().texts.Text(row); }
    static std::vector<uint8_t> Marker0() { return tarvel_test::Bytes("2E 00 94 00"); }

    tarvel_test::PageBench bench;
    sim::SimTrailer trailer{bench.clock};
    ActionPump pump;
};

} // namespace eoltest
