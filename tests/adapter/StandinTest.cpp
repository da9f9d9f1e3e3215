// Our vendor-library stand-ins: acceptance filtering, bit rates, time stamps
// and injected failures, and how the switch reports those failures.
#include "AdapterFixture.h"

using namespace adaptertest;

TEST(ControlCanStandin, Sja1000SingleFilter)
{
    const uint8_t d[8] = {0x22, 0xF1, 0x8A};
    const struct {
        uint32_t code, mask, id;
        bool ext, rtr, accept;
    } cases[] = {
        {0xC6D7C858, 0x7, 0x18DAF90B, true, false, true},
        {0xC6D7C858, 0x7, 0x18DAF90B, true, true, true},   // RTR bit lies under the mask
        {0xC6D7C858, 0x7, 0x18DAF90A, true, false, false},
        {0xC6D7C858, 0x7, 0x18DA0BF9, true, false, false},
        {0xC6D7C858, 0x7, 0x0B, false, false, false},       // standard frame, same low bits
        {0x00000000, 0xFFFFFFFF, 0x7E8, false, false, true}, // all don't-care
        {0x00000000, 0x00FFFFFF, 0x1FFFFFFF, true, false, false},
        {0x00000000, 0x00FFFFFF, 0x001FFFFF, true, false, true},
        {0xFD000000, 0x001FFFFF, 0x7E8, false, false, true}, // 0x7E8 << 21
        {0xFD000000, 0x001FFFFF, 0x7E9, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(standin::ControlCanAccepts(c.code, c.mask, c.id, c.ext, c.rtr, d, 3), c.accept);
    }
}

TEST(ControlCanStandin, BitRates)
{
    EXPECT_EQ(standin::ControlCanBitrateOfTiming(0x00, 0x1C), 500000u);
    EXPECT_EQ(standin::ControlCanBitrateOfTiming(0x03, 0x1C), 125000u);
    EXPECT_EQ(standin::ControlCanBitrateOfTiming(0x01, 0x1C), 250000u);
    EXPECT_EQ(standin::ControlCanBitrateOfReference(0x00060007), 500000u);
    EXPECT_EQ(standin::ControlCanBitrateOfReference(0x001C0011), 125000u);
    EXPECT_EQ(standin::ControlCanBitrateOfReference(0x12345678), 0u);
    EXPECT_EQ(standin::CanLibBitrateOf(canBITRATE_500K), 500000u);
    EXPECT_EQ(standin::CanLibBitrateOf(canBITRATE_125K), 125000u);
}

// The response filter of the open record lets only the ECU's answers in.
TEST_F(AdapterTest, ControlCanFiltersOtherIdentifiers)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    peer->Send(sim::CanFrame::Extended(0x18DAF90A, {1}));
    peer->Send(sim::CanFrame::Extended(0x18DAF90B, {2}));
    peer->Send(sim::CanFrame::Extended(0x18FEF100, {3}));
    EXPECT_EQ(VCI_GetReceiveNum(3, 0, 1), 1u);
}

// Frames beyond the adapter's queue are lost, and the error record says so
// once.
TEST_F(AdapterTest, ControlCanReportsQueueOverflowInTheErrorRecord)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    CanErrorInfo err{};
    ASSERT_EQ(VCI_ReadErrInfo(3, 0, 1, &err), 1u);
    EXPECT_EQ(err.ErrCode, 0u);
    for (int i = 0; i < 2049; ++i)
        peer->Send(sim::CanFrame::Extended(0x18DAF90B, {static_cast<uint8_t>(i)}));
    EXPECT_EQ(VCI_GetReceiveNum(3, 0, 1), 2048u);
    ASSERT_EQ(VCI_ReadErrInfo(3, 0, 1, &err), 1u);
    EXPECT_EQ(err.ErrCode, 0x0800u);
    EXPECT_EQ(tarvel::CanErrorTexts(err.ErrCode), ";缓冲区溢出");
    ASSERT_EQ(VCI_ReadErrInfo(3, 0, 1, &err), 1u);
    EXPECT_EQ(err.ErrCode, 0u);
}

// The range filter: a bad range fails the open and closes the device; a good
// one only lets its identifiers through.
TEST_F(AdapterTest, ControlCanRangeFilter)
{
    auto& log = standin::ControlCanLog();
    EXPECT_EQ(tarvel::OpenCanDevice(1, 0, 1, 0, 1, 0x200, 0x100), 0);
    EXPECT_EQ(log.Names().back(), "VCI_CloseDevice");
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    EXPECT_TRUE(TraceHas("Error: filter range start ID(0x200)It shouldn't be greater than the end ID(0x100)!"));

    log.Clear();
    log.FailCall("VCI_SetReference", 0);
    EXPECT_EQ(tarvel::OpenCanDevice(1, 0, 1, 0, 1, 0x100, 0x200), 0);
    EXPECT_EQ(log.Names().back(), "VCI_CloseDevice");
    EXPECT_TRUE(TraceHas("Error: failed to populate filter entry!"));

    ASSERT_EQ(tarvel::OpenCanDevice(1, 0, 1, 0, 1, 0x18DAF900, 0x18DAF90B), 1);
    tarvel::CanDeviceType = 3;
    tarvel::CanChannel = 1;
    ASSERT_EQ(tarvel::StartCanChannel(), 1);
    auto peer = world.Bus(1)->Attach(500000);
    peer->Send(sim::CanFrame::Extended(0x18DAF90B, {1}));
    EXPECT_EQ(VCI_GetReceiveNum(3, 0, 1), 1u);
}

// Injected library failures: what each open step does when its call fails.
TEST_F(AdapterTest, ControlCanOpenFailures)
{
    const struct {
        const char* fail;
        int row;
        bool closes;
    } cases[] = {
        {"VCI_OpenDevice", 1, false},
        {"VCI_SetReference", 0, true},
        {"VCI_InitCAN", 1, true},
        {"VCI_InitCAN", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fail) + " row " + std::to_string(c.row));
        auto& log = standin::ControlCanLog();
        log.Clear();
        log.FailCall(c.fail, 0);
        EXPECT_EQ(tarvel::OpenCanDevice(c.row, 0, 1, 0, 0, 0, 0), 0);
        EXPECT_EQ(tarvel::CanDeviceOpen, 0);
        EXPECT_EQ(log.Count("VCI_CloseDevice"), c.closes ? 1u : 0u);
        EXPECT_EQ(log.Count("VCI_ReadBoardInfo"), 0u);
        // The adapter is really closed: a fresh open works.
        EXPECT_EQ(tarvel::OpenCanDevice(c.row, 0, 1, 0, 0, 0, 0), 1);
        tarvel::CloseCanDevice();
    }
}

TEST_F(AdapterTest, StartFailureLeavesTheAdapterOpened)
{
    ASSERT_EQ(tarvel::OpenCanDevice(1, 0, 1, 0, 0, 0, 0), 1);
    tarvel::CanDeviceType = 3;
    standin::ControlCanLog().FailCall("VCI_StartCAN", 0);
    EXPECT_EQ(tarvel::StartCanChannel(), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen, 1);
    EXPECT_TRUE(TraceHas("Channel startup failed"));
    EXPECT_EQ(tarvel::StartCanChannel(), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen, 2);
    EXPECT_EQ(tarvel::StartCanChannel(), 0) << "start acts only in state 1";
}

// A failed transmit reads the error word and names every set bit.
TEST_F(AdapterTest, TransmitFailureReportsTheErrorWord)
{
    ASSERT_EQ(Connect(0, 0), 1);
    standin::ControlCanSetErrorWord(20, 0, 1, 0x0021);
    standin::ControlCanLog().FailCall("VCI_Transmit", 0);
    EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 1), 0);
    EXPECT_EQ(standin::ControlCanLog().Names().back(), "VCI_ReadErrInfo");
    EXPECT_TRUE(TraceHas("TesterPresent ID=0x18DA0BF9;0x3E 0x0 "));
    EXPECT_TRUE(TraceHas("，写入失败;Device Type:20;DeviceInd:0;Channel:1;ErrCode:0x0021;CAN控制器内部FIFO溢出;"
                         "CAN控制器总线关闭"));
    // Kvaser and Vector have no error word to read.
    EXPECT_EQ(tarvel::CanErrorTexts(0), "");
    EXPECT_EQ(tarvel::CanErrorTexts(0x8000), ";内存不足");
}

TEST_F(AdapterTest, KvaserOpenStepFailures)
{
    for (const char* step : {"canOpenChannel", "canIoCtl", "canSetBusParams"}) {
        SCOPED_TRACE(step);
        auto& log = standin::CanLibLog();
        log.Clear();
        log.FailCall(step, canERR_HARDWARE);
        EXPECT_EQ(tarvel::OpenCanDevice(2, 0, 1, 0, 0, 0, 0), 0);
        EXPECT_EQ(tarvel::CanDeviceOpen, 0);
        EXPECT_EQ(tarvel::KvaserChannel, nullptr);
        EXPECT_EQ(log.Count("canGetErrorText"), 1u);
        EXPECT_EQ(log.Names().back(), "canUnloadLibrary");
        EXPECT_TRUE(TraceHas("ErrCode:-15"));
    }
    // Bus-on refused: start fails, the channel stays opened.
    ASSERT_EQ(tarvel::OpenCanDevice(2, 0, 1, 0, 0, 0, 0), 1);
    tarvel::CanDeviceType = tarvel::kCanTypeKvaser;
    standin::CanLibLog().FailCall("canBusOn", canERR_HARDWARE);
    EXPECT_EQ(tarvel::StartCanChannel(), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen, 1);
}

// A second CANlib handle is a valid handle, not an error.
TEST_F(AdapterTest, KvaserAcceptsAnyValidHandle)
{
    canInitializeLibrary();
    const CanHandle other = canOpenChannel(3, 0);
    ASSERT_EQ(other, 0);
    ASSERT_EQ(tarvel::OpenCanDevice(2, 0, 1, 0, 0, 0, 0), 1);
    EXPECT_EQ(tarvel::KvaserChannel->Handle(), 1);
    tarvel::CanDeviceType = tarvel::kCanTypeKvaser;
    EXPECT_EQ(tarvel::StartCanChannel(), 1);
}

TEST_F(AdapterTest, CanlibReadsOneFrameAtATime)
{
    canInitializeLibrary();
    const CanHandle h = canOpenChannel(1, canOPEN_EXCLUSIVE);
    ASSERT_GE(h, 0);
    EXPECT_EQ(canOpenChannel(1, 0), canERR_NOCHANNELS) << "channel held exclusively";
    uint32_t scale = 100;
    ASSERT_EQ(canIoCtl(h, canIOCTL_SET_TIMER_SCALE, &scale, 4), canOK);
    ASSERT_EQ(canSetBusParams(h, canBITRATE_500K, 0, 0, 0, 0, 0), canOK);
    ASSERT_EQ(canBusOn(h), canOK);
    auto peer = world.Bus(1)->Attach(500000);
    clock.Advance(12345);
    peer->Send(sim::CanFrame::Extended(0x18DAF90B, {1, 2}));
    sim::CanFrame std;
    std.id = 0x7E8;
    std.dlc = 2;
    peer->Send(std);

    long id = 0;
    uint8_t data[8] = {};
    unsigned int dlc = 0, flags = 0;
    unsigned long time = 0;
    ASSERT_EQ(canRead(h, &id, data, &dlc, &flags, &time), canOK);
    EXPECT_EQ(id, 0x18DAF90B);
    EXPECT_EQ(flags, static_cast<unsigned>(canMSG_EXT));
    EXPECT_EQ(time, 123u); // 12345 us in 100 us units
    ASSERT_EQ(canRead(h, &id, data, &dlc, &flags, &time), canOK);
    EXPECT_EQ(id, 0x7E8);
    EXPECT_EQ(flags, static_cast<unsigned>(canMSG_STD));
    EXPECT_EQ(canRead(h, &id, data, &dlc, &flags, &time), canERR_NOMSG);
    EXPECT_EQ(canClose(h), canOK);
    EXPECT_EQ(canClose(h), canERR_INVHANDLE);
    canUnloadLibrary();
}

TEST_F(AdapterTest, ControlCanStampsReceivedFrames)
{
    auto peer = world.Bus(0)->Attach(125000);
    ASSERT_EQ(Connect(1, 1), 1);
    clock.Advance(2500);
    peer->Send(sim::CanFrame::Extended(0x18DAF90B, {1}));
    CanFrameRecord r[2];
    ASSERT_EQ(VCI_Receive(3, 0, 0, r, 2, 0), 1u);
    EXPECT_EQ(r[0].TimeFlag, 1);
    EXPECT_EQ(r[0].TimeStamp, 25u); // 0.1 ms units
}

// The wrapper's other CANlib calls: waiting reads on the program's clock,
// reads by identifier, and the acceptance filter.
TEST_F(AdapterTest, CanlibWaitingAndSelectiveReads)
{
    tarvel::CanlibChannel ch;
    ASSERT_EQ(ch.Open(1, canOPEN_EXCLUSIVE), 0);
    ASSERT_EQ(ch.SetBusParams(canBITRATE_500K, 0, 0, 0, 0, 0), canOK);
    ASSERT_EQ(ch.BusOn(), canOK);
    auto peer = world.Bus(1)->Attach(500000);

    // Nothing comes: the wait runs out on the virtual clock.
    tarvel::CanlibMessage msg;
    EXPECT_EQ(ch.ReadWait(msg, 50), canERR_NOMSG);
    EXPECT_EQ(clock.NowMs(), 50u);
    EXPECT_EQ(ch.ReadSync(10), canERR_TIMEOUT);

    // A frame that arrives during the wait is read.
    clock.ScheduleIn(20000, [&] { peer->Send(sim::CanFrame::Extended(0x100, {7})); });
    ASSERT_EQ(ch.ReadWait(msg, 100), canOK);
    EXPECT_EQ(msg.id, 0x100);
    EXPECT_EQ(msg.data[0], 7);

    for (uint32_t id : {0x1u, 0x2u, 0x3u})
        peer->Send(sim::CanFrame::Extended(id, {static_cast<uint8_t>(id)}));
    uint8_t data[8];
    unsigned int dlc = 0, flags = 0;
    unsigned long time = 0;
    EXPECT_EQ(ch.ReadSyncSpecific(0x2, 0), canOK);
    EXPECT_EQ(ch.ReadSpecific(0x2, data, &dlc, &flags, &time), canOK);
    EXPECT_EQ(data[0], 2);
    EXPECT_EQ(ch.ReadSpecificSkip(0x3, data, &dlc, &flags, &time), canOK); // drops 0x1 on the way
    EXPECT_EQ(ch.Read(msg), canERR_NOMSG);

    // Extended frames must match the code under the mask.
    ASSERT_EQ(ch.SetAcceptanceFilter(0x18DAF90B, 0x1FFFFFFF, 1), canOK);
    peer->Send(sim::CanFrame::Extended(0x18DAF90A, {1}));
    peer->Send(sim::CanFrame::Extended(0x18DAF90B, {2}));
    ASSERT_EQ(ch.Read(msg), canOK);
    EXPECT_EQ(msg.id, 0x18DAF90B);
    EXPECT_EQ(ch.Read(msg), canERR_NOMSG);

    long freq = canBITRATE_125K;
    unsigned int t1 = 0, t2 = 0, sjw = 0, ns = 0, sm = 0;
    EXPECT_EQ(tarvel::CanlibChannel::TranslateBaud(&freq, &t1, &t2, &sjw, &ns, &sm), canOK);
    EXPECT_EQ(freq, 125000);
}
