// Dravix end to end behind the program's adapter switch: a table row with
// type code 4 opens the library by name, a frame sent through the switch
// reaches the bus through the simulated adapter, and a peer's answer comes
// back through the switch's receive port.
#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "Ch375Device.h"
#include "Log.h"
#include "SimDravixDevice.h"
#include "SimWorld.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

TEST(DravixThroughAdapterSwitch, RequestGoesOutAndAnswerComesBack)
{
    tarvel::VirtualClock clock; // the switch's 500 ms close wait costs nothing
    tarvel::ScopedClock scopedClock(clock);
    sim::SimWorld world;
    sim::ScopedWorld scopedWorld(world);
    auto device = sim::SimDravixDevice::Create(&world);
    ASSERT_TRUE(ch375::InstallDevice(0, device));

    std::vector<tarvel::CanAdapterRow> rows(tarvel::CanAdapterTable.begin(), tarvel::CanAdapterTable.end());
    rows.push_back({4, "Dravix@Tarvel"});
    tarvel::SetCanAdapterTableForTest(rows.data(), rows.size());

    // An ECU stand-in on the 500 kbit/s bus that answers the probe at once.
    auto ecu = world.Bus(1)->Attach(500000);
    std::vector<sim::CanFrame> seen;
    sim::CanNode* ecuNode = ecu.get();
    ecu->SetReceiveHandler([&seen, ecuNode](const sim::CanFrame& f) {
        seen.push_back(f);
        if (f.id == 0x18DA0BF9)
            ecuNode->Send(sim::CanFrame::Extended(0x18DAF90B, {0x06, 0x50, 0x01, 0x00, 0x32, 0x01, 0xF4, 0x00}));
    });

    // Baud row 0 is 500 kbit/s, which Connect puts on channel 1.
    std::vector<std::string> trace;
    tarvel::SetTraceSink([&](const std::string& line) { trace.push_back(line); });
    ASSERT_EQ(tarvel::OpenCanDevice(4, 0, 1, 0, 0, 0, 0), 1);
    tarvel::SetTraceSink({});
    // No adapter on this machine's USB: the library says it runs on the
    // simulated one.
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Dravix: no adapter found, using the built-in simulated ECU"),
              trace.end());
    tarvel::CanDeviceType = 4;
    tarvel::CanDeviceIndex = 0;
    tarvel::CanChannel = 1;
    ASSERT_EQ(tarvel::StartCanChannel(), 1);
    EXPECT_EQ(device->ChannelBitrate(1), 500000u);

    ASSERT_EQ(tarvel::TransmitCanFrame(0x18DA0BF9, 2, {0x02, 0x10, 0x01}, "DiagnosticSessionControl", 1), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].id, 0x18DA0BF9u);
    EXPECT_TRUE(seen[0].extended);
    EXPECT_EQ(seen[0].dlc, 8);
    EXPECT_EQ(seen[0].data[0], 0x02);
    EXPECT_EQ(seen[0].data[1], 0x10);
    EXPECT_EQ(seen[0].data[2], 0x00) << "length 2: the third byte is padding";

    tarvel::AdapterSwitchPort port;
    CanFrameRecord got[8] = {};
    size_t n = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (n == 0 && std::chrono::steady_clock::now() < end)
        n = port.Receive(got, 8);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(got[0].ID, 0x18DAF90Bu);
    EXPECT_EQ(got[0].ExternFlag, 1);
    EXPECT_EQ(got[0].DataLen, 8);
    EXPECT_EQ(got[0].Data[1], 0x50);
    EXPECT_EQ(got[0].Data[6], 0xF4);

    EXPECT_EQ(tarvel::CloseCanDevice(), 1);
    EXPECT_FALSE(device->Attached());
    tarvel::SetCanAdapterTableForTest(nullptr, 0);
    tarvel::ResetCanAdapterForTest();
    ch375::InstallDevice(0, nullptr);
}

} // namespace
