// The adapter switch on each back-end: open, start, transmit, close on the
// virtual bus, the order of library calls, and the failure paths.
#include "AdapterFixture.h"

using namespace adaptertest;
using tarvel::CanAdapterRows;

namespace {

struct RowCase {
    int row;
    int baudRow;
};

std::string CaseName(const ::testing::TestParamInfo<RowCase>& info)
{
    static const char* names[] = {"Kestrin", "Holvar", "Kvaser", "Vector"};
    return std::string(names[info.param.row]) + (info.param.baudRow == 0 ? "_500k" : "_125k");
}

class EveryAdapter : public AdapterTest, public ::testing::WithParamInterface<RowCase> {};

} // namespace

// Every shipped adapter at both bit rates: a request frame reaches a peer on
// the bus as an extended 8-byte zero-padded frame, the peer's answer comes
// back through the port, and close leaves the adapter closed.
TEST_P(EveryAdapter, RoundTripOnTheVirtualBus)
{
    const RowCase c = GetParam();
    const uint32_t rate = c.baudRow == 0 ? 500000 : 125000;
    const bool vector = CanAdapterRows()[c.row].TypeCode == tarvel::kCanTypeVector;
    // Vector always sends on its application channel 0, wired to bus 0.
    const unsigned busIndex = vector ? 0u : (c.baudRow == 0 ? 1u : 0u);
    world.SetBus(busIndex, sim::CanBus::Create(rate));
    auto peer = world.Bus(busIndex)->Attach(rate);

    ASSERT_EQ(Connect(c.row, c.baudRow), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen, 2);
    EXPECT_EQ(tarvel::OpenCanBaudRow, c.baudRow);

    ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 3, {0x02, 0x10, 0x01}, "DiagnosticSessionControl", 0), 1);
    sim::CanFrame got;
    ASSERT_TRUE(peer->Receive(got));
    EXPECT_EQ(got.id, kRequestId);
    EXPECT_TRUE(got.extended);
    EXPECT_FALSE(got.remote);
    EXPECT_EQ(got.dlc, 8);
    EXPECT_EQ(got.data, (std::array<uint8_t, 8>{0x02, 0x10, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(peer->Receive(got)) << "exactly one frame";

    ASSERT_TRUE(peer->Send(sim::CanFrame::Extended(tarvel::kUdsResponseId, {0x06, 0x50, 0x01, 0x00, 0x32})));
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[50];
    size_t n = 0;
    for (int i = 0; i < 5 && n == 0; ++i)
        n = port.Receive(in, 50);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(in[0].ID, tarvel::kUdsResponseId);
    EXPECT_EQ(in[0].ExternFlag, 1);
    EXPECT_EQ(in[0].DataLen, 8);
    EXPECT_EQ(in[0].Data[1], 0x50);
    EXPECT_EQ(in[0].TimeFlag, 1);

    EXPECT_EQ(tarvel::CloseCanDevice(), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    // Closed means off the bus: nothing more reaches the peer.
    EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 1), 0);
    EXPECT_FALSE(peer->Receive(got));
}

INSTANTIATE_TEST_SUITE_P(FourRowsTwoRates, EveryAdapter,
                         ::testing::Values(RowCase{0, 0}, RowCase{0, 1}, RowCase{1, 0}, RowCase{1, 1},
                                           RowCase{2, 0}, RowCase{2, 1}, RowCase{3, 0}, RowCase{3, 1}),
                         CaseName);

// An adapter at the wrong bit rate for its bus reaches nobody.
TEST_F(AdapterTest, WrongBitRateMeansNothingArrives)
{
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        sim::SimWorld wrong;
        wrong.SetBus(0, sim::CanBus::Create(250000));
        wrong.SetBus(1, sim::CanBus::Create(250000));
        sim::ScopedWorld guard(wrong);
        auto peer0 = wrong.Bus(0)->Attach(250000);
        auto peer1 = wrong.Bus(1)->Attach(250000);
        ASSERT_EQ(Connect(row, 0), 1);
        tarvel::TransmitCanFrame(kRequestId, 2, {0x01, 0x02}, "probe", 1);
        sim::CanFrame f;
        EXPECT_FALSE(peer0->Receive(f));
        EXPECT_FALSE(peer1->Receive(f));
        EXPECT_EQ(wrong.Bus(0)->FramesCarried() + wrong.Bus(1)->FramesCarried(), 0u);
        tarvel::CloseCanDevice();
    }
}

// The ControlCAN calls in the order the adapter switch makes them.
TEST_F(AdapterTest, ControlCanCallOrder)
{
    struct Case {
        int row;
        std::vector<std::string> open;
        std::vector<std::string> transmit;
    };
    const Case cases[] = {
        {0,
         {"VCI_OpenDevice", "VCI_SetReference", "VCI_InitCAN", "VCI_ReadBoardInfo", "VCI_ReadErrInfo"},
         {"VCI_SetReference", "VCI_Transmit"}},
        {1, {"VCI_OpenDevice", "VCI_InitCAN", "VCI_ReadBoardInfo", "VCI_ReadErrInfo"}, {"VCI_Transmit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        auto& log = standin::ControlCanLog();
        log.Clear();
        const uint32_t type = CanAdapterRows()[c.row].TypeCode;
        ASSERT_EQ(tarvel::OpenCanDevice(c.row, 0, 1, 0, 0, 0, 0), 1);
        EXPECT_EQ(log.Names(), c.open);
        const auto calls = log.Calls();
        EXPECT_EQ(calls[0].args, (std::vector<int64_t>{type, 0, 0}));
        if (c.row == 0) { // reference type 0 with the 500 kbit/s reference code
            EXPECT_EQ(calls[1].args, (std::vector<int64_t>{type, 0, 1, 0, 0x00060007}));
        }

        log.Clear();
        tarvel::CanDeviceType = type;
        tarvel::CanChannel = 1;
        ASSERT_EQ(tarvel::StartCanChannel(), 1);
        EXPECT_EQ(log.Names(), std::vector<std::string>{"VCI_StartCAN"});
        log.Clear();
        ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 1), 1);
        EXPECT_EQ(log.Names(), c.transmit);
        if (c.row == 0) {
            EXPECT_EQ(log.Calls()[0].args, (std::vector<int64_t>{type, 0, 1, 3, 10}));
        }
        log.Clear();
        tarvel::CloseCanDevice();
        EXPECT_EQ(log.Names(), (std::vector<std::string>{"VCI_ResetCAN", "VCI_ClearBuffer", "VCI_CloseDevice"}));
    }
}

TEST_F(AdapterTest, KvaserCallOrder)
{
    auto& log = standin::CanLibLog();
    ASSERT_EQ(tarvel::OpenCanDevice(2, 0, 0, 1, 0, 0, 0), 1);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"canInitializeLibrary", "canOpenChannel", "canIoCtl",
                                                      "canSetBusParams"}));
    const auto calls = log.Calls();
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{0, 8}));           // channel 0 for 125 kbit/s
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{0, 6, 100, 4}));   // timer scale 100
    EXPECT_EQ(calls[3].args, (std::vector<int64_t>{0, -4, 0, 0, 0, 0, 0}));
    ASSERT_NE(tarvel::KvaserChannel, nullptr);

    log.Clear();
    tarvel::CanDeviceType = tarvel::kCanTypeKvaser;
    ASSERT_EQ(tarvel::StartCanChannel(), 1);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"canIoCtl", "canIoCtl", "canBusOn"}));
    EXPECT_EQ(log.Calls()[0].args[1], 10);
    EXPECT_EQ(log.Calls()[1].args[1], 11);

    log.Clear();
    ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 0), 1);
    ASSERT_EQ(log.Names(), std::vector<std::string>{"canWrite"});
    EXPECT_EQ(log.Calls()[0].args, (std::vector<int64_t>{0, kRequestId, 8, 4})); // extended, 8 bytes

    log.Clear();
    tarvel::CloseCanDevice();
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"canResetBus", "canBusOff", "canClose", "canUnloadLibrary"}));
    EXPECT_EQ(tarvel::KvaserChannel, nullptr);
}

TEST_F(AdapterTest, VectorCallOrderAndChannelAssignment)
{
    auto& log = XlStandinLog();
    ASSERT_EQ(tarvel::InitVectorDriver(), XL_SUCCESS);
    EXPECT_EQ(tarvel::VectorDriverReady, 1);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"xlOpenDriver", "xlGetDriverConfig", "xlGetApplConfig",
                                                      "xlSetApplConfig", "xlSetApplConfig", "xlOpenPort"}));
    auto& xl = tarvel::GetVectorCanFunctions();
    EXPECT_EQ(xl.ChannelMask(0), 0x1u);
    EXPECT_EQ(xl.ChannelMask(1), 0x2u);
    EXPECT_EQ(log.Calls()[5].args, (std::vector<int64_t>{0x3, 256, 3, 1}));

    log.Clear();
    // Opening type 99 touches no driver call.
    ASSERT_EQ(tarvel::OpenCanDevice(3, 0, 0, 1, 0, 0, 0), 1);
    EXPECT_TRUE(log.Names().empty());
    tarvel::CanDeviceType = tarvel::kCanTypeVector;
    ASSERT_EQ(tarvel::StartCanChannel(), 1);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"xlCanSetChannelBitrate", "xlActivateChannel"}));
    EXPECT_EQ(log.Calls()[0].args[2], 125000);
    EXPECT_EQ(log.Calls()[1].args, (std::vector<int64_t>{xl.Port(), 0x3, 1, 8}));

    log.Clear();
    ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 0), 1);
    ASSERT_EQ(log.Names(), std::vector<std::string>{"xlCanTransmit"});
    EXPECT_EQ(log.Calls()[0].args, (std::vector<int64_t>{xl.Port(), 0x1, 1, kRequestId | 0x80000000LL}));
    log.Clear();
    tarvel::CloseCanDevice();
    EXPECT_EQ(log.Names(), std::vector<std::string>{"xlDeactivateChannel"});
}

// Channels already assigned to the application are used as assigned; an
// assignment to a channel without CAN fails the initialisation.
TEST_F(AdapterTest, VectorUsesExistingAssignment)
{
    XlStandinReset(3, 0);
    XlStandinAssign(0, 2);
    XlStandinAssign(1, 0);
    ASSERT_EQ(tarvel::InitVectorDriver(), XL_SUCCESS);
    EXPECT_EQ(XlStandinLog().Count("xlSetApplConfig"), 0u);
    EXPECT_EQ(tarvel::GetVectorCanFunctions().ChannelMask(0), 0x4u);
    EXPECT_EQ(tarvel::GetVectorCanFunctions().ChannelMask(1), 0x1u);

    tarvel::GetVectorCanFunctions().CloseDriver();
    XlStandinReset(2, 0x2); // hardware channel 1 has no CAN
    XlStandinAssign(0, 0);
    XlStandinAssign(1, 1);
    EXPECT_EQ(tarvel::InitVectorDriver(), XL_ERROR);
    EXPECT_EQ(tarvel::VectorDriverReady, 0);
    EXPECT_EQ(XlStandinLog().Count("xlOpenPort"), 0u);

    // Unassigned, with only one CAN channel: the second mask stays empty.
    tarvel::GetVectorCanFunctions().CloseDriver();
    XlStandinReset(2, 0x2);
    EXPECT_EQ(tarvel::InitVectorDriver(), XL_ERROR);
    EXPECT_EQ(tarvel::OpenCanDevice(3, 0, 0, 0, 0, 0, 0), 0);
}

// Without the XL library the program runs on: one box says so, the driver
// open reports 201, and the Vector adapter cannot be opened.
TEST_F(AdapterTest, VectorLibraryMissing)
{
    tarvel::CCANFunctions::SetLibraryName("vxlapi_not_installed");
    EXPECT_EQ(tarvel::InitVectorDriver(), XL_ERR_CANNOT_OPEN_DRIVER);
    EXPECT_EQ(tarvel::VectorDriverReady, 0);
    const auto boxes = prompter.Boxes();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Dynamic XL Driver Library - not found (vxlapi.dll)");
    EXPECT_EQ(boxes[0].caption, "XL API");
    EXPECT_EQ(boxes[0].icon, tarvel::MsgIcon::Exclamation);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Error when opening driver!\nMaybe the DLL is too old.");
    EXPECT_TRUE(XlStandinLog().Names().empty());
    EXPECT_TRUE(TraceHas("xlCANcontrol: xlOpenDriver, stat: 201"));

    EXPECT_EQ(tarvel::OpenCanDevice(3, 0, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    tarvel::CanDeviceType = tarvel::kCanTypeVector;
    EXPECT_EQ(tarvel::StartCanChannel(), 0);
    EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 1), 0);
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[4];
    EXPECT_EQ(port.Receive(in, 4), 0u);
}

TEST_F(AdapterTest, VectorDriverOpenRefused)
{
    XlStandinLog().FailCall("xlOpenDriver", 42);
    EXPECT_EQ(tarvel::InitVectorDriver(), 42);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Error when opening driver!\nMaybe the DLL is too old.");
}

// A library that is found but lacks entry points fails the load and names the
// first it lacks; the driver open then reports 201.
TEST_F(AdapterTest, VectorLibraryWithMissingEntryPoints)
{
    tarvel::CCANFunctions::SetLibraryName("test_vxlapi_partial");
    EXPECT_EQ(tarvel::InitVectorDriver(), XL_ERR_CANNOT_OPEN_DRIVER);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Error when opening driver!\nMaybe the DLL is too old.");
    EXPECT_EQ(tarvel::VectorDriverReady, 0);
    // The first entry point it lacks is named, in the trace and in the line
    // the output pane shows.
    const std::string line = tarvel::GetVectorCanFunctions().DriverLine();
    EXPECT_NE(line.find("Vector XL: driver library "), std::string::npos) << line;
    EXPECT_NE(line.find("test_vxlapi_partial"), std::string::npos) << line;
    EXPECT_NE(line.find(" lacks xlCloseDriver"), std::string::npos) << line;
    EXPECT_TRUE(TraceHas(line));
}

// The wrapper's acceptance calls (no caller in the program yet) reach the
// driver with their documented arguments and filter what is received.
TEST_F(AdapterTest, VectorAcceptanceCalls)
{
    auto peer = world.Bus(0)->Attach(125000);
    ASSERT_EQ(Connect(3, 1), 1);
    auto& xl = tarvel::GetVectorCanFunctions();
    auto& log = XlStandinLog();
    log.Clear();
    ASSERT_EQ(xl.SetAcceptanceExtended(tarvel::kUdsResponseId), XL_SUCCESS);
    EXPECT_EQ(log.Calls()[0].args, (std::vector<int64_t>{xl.Port(), 0x3, tarvel::kUdsResponseId, 0x1FFFFFFF, 2}));
    peer->Send(sim::CanFrame::Extended(0x18DAF90C, {1}));
    peer->Send(sim::CanFrame::Extended(tarvel::kUdsResponseId, {2}));
    XLevent ev[4];
    unsigned int count = 4;
    ASSERT_EQ(xl.Receive(&count, ev), XL_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(ev[0].tagData.msg.id, tarvel::kUdsResponseId | XL_CAN_EXT_MSG_ID);

    log.Clear();
    ASSERT_EQ(xl.SetAcceptanceRange(0x700, 0x7FF), XL_SUCCESS);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"xlCanSetChannelAcceptance", "xlCanAddAcceptanceRange"}));
    EXPECT_EQ(log.Calls()[0].args, (std::vector<int64_t>{xl.Port(), 0x3, 0xFFF, 0xFFF, 1}));
    sim::CanFrame a, b;
    a.id = 0x7E8;
    a.dlc = 1;
    b.id = 0x123;
    b.dlc = 1;
    peer->Send(a);
    peer->Send(b);
    count = 4;
    ASSERT_EQ(xl.Receive(&count, ev), XL_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(ev[0].tagData.msg.id, 0x7E8u);

    ASSERT_EQ(xl.ResetAcceptance(), XL_SUCCESS);
    peer->Send(b);
    count = 4;
    ASSERT_EQ(xl.Receive(&count, ev), XL_SUCCESS);
    EXPECT_EQ(count, 1u);
    count = 4;
    EXPECT_EQ(xl.Receive(&count, ev), XL_ERR_QUEUE_IS_EMPTY);
    EXPECT_EQ(count, 0u);
}
