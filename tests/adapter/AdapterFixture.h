// A fresh simulated world, virtual clock and recording prompter per test,
// with every adapter stand-in and the switch's globals put back to load state.
#pragma once

#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "CanLibStandin.h"
#include "Clock.h"
#include "CanComposition.h"
#include "ControlCanStandin.h"
#include "DravixBinding.h"
#include "IsoTpLink.h"
#include "KvaserChannel.h"
#include "Log.h"
#include "Prompter.h"
#include "SimWorld.h"
#include "VectorXlStandin.h"
#include "VectorXlDriver.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace adaptertest {

constexpr uint32_t kRequestId = tarvel::kUdsRequestCanId;

inline std::vector<std::string> Without(std::vector<std::string> names, const std::string& drop)
{
    names.erase(std::remove(names.begin(), names.end(), drop), names.end());
    return names;
}

class AdapterTest : public ::testing::Test {
protected:
    AdapterTest() : clockGuard_(clock), worldGuard_(world), prompterGuard_(prompter) {}

    void SetUp() override
    {
        ResetEverything();
        tarvel::SetTraceSink([this](const std::string& line) {
            std::lock_guard<std::mutex> lock(traceMutex_);
            trace_.push_back(line);
        });
    }

    void TearDown() override
    {
        if (tarvel::CanDeviceOpen > 0)
            tarvel::CloseCanDevice();
        ResetEverything();
        tarvel::SetTraceSink({});
    }

    static void ResetEverything()
    {
        tarvel::ResetCanAdapterForTest();
        tarvel::SetCanAdapterTableForTest(nullptr, 0);
        tarvel::SetDravixApiForTest(nullptr);
        tarvel::SetDravixLibraryName("dravix");
        tarvel::GetVectorCanFunctions().CloseDriver();
        tarvel::CCANFunctions::SetLibraryName("vxlapi");
        standin::ControlCanReset();
        standin::CanLibReset();
        XlStandinReset();
        // The XL stand-in, once loaded, shares this test's world and clock.
        tarvel::WireXlDriverToSimulation();
    }

    // What the connection logic does: open, set the globals, start.
    // Channel 1 for the 500 kbit/s row, 0 otherwise.
    int Connect(int row, int baudRow)
    {
        const uint32_t channel = baudRow == 0 ? 1 : 0;
        if (tarvel::CanAdapterRows()[row].TypeCode == tarvel::kCanTypeVector && tarvel::VectorDriverReady == 0)
            tarvel::InitVectorDriver();
        if (tarvel::OpenCanDevice(row, 0, channel, baudRow, 0, 0, 0) != 1)
            return 0;
        tarvel::CanDeviceType = tarvel::CanAdapterRows()[row].TypeCode;
        tarvel::CanDeviceIndex = 0;
        tarvel::CanChannel = channel;
        return tarvel::StartCanChannel();
    }

    std::vector<std::string> Trace()
    {
        std::lock_guard<std::mutex> lock(traceMutex_);
        return trace_;
    }

    bool TraceHas(const std::string& part)
    {
        for (const auto& l : Trace())
            if (l.find(part) != std::string::npos)
                return true;
        return false;
    }

    tarvel::VirtualClock clock;
    sim::SimWorld world;
    tarvel::RecordingPrompter prompter;

private:
    tarvel::ScopedClock clockGuard_;
    sim::ScopedWorld worldGuard_;
    tarvel::ScopedPrompter prompterGuard_;
    std::mutex traceMutex_;
    std::vector<std::string> trace_;
};

} // namespace adaptertest
