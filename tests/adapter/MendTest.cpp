// Faults of the switch that would lose frames, read past buffers, report a
// failure as success or leave an adapter half open.
#include "AdapterFixture.h"

#include <fstream>

using namespace adaptertest;

namespace {

// A recording Dravix for the routing tests: every export logs its name.
struct FakeDravix {
    std::vector<std::string> calls;
    std::vector<CanFrameRecord> sent;
    std::vector<CanFrameRecord> rx;
    uint32_t transmitResult = 1;
    uint32_t errWord = 0;
};
FakeDravix* g_fake = nullptr;

tarvel::DravixApi FakeApi()
{
    tarvel::DravixApi a;
    a.OpenDevice = [](uint32_t, uint32_t, uint32_t) -> uint32_t { g_fake->calls.push_back("OpenDevice"); return 1; };
    a.CloseDevice = [](uint32_t, uint32_t) -> uint32_t { g_fake->calls.push_back("CloseDevice"); return 1; };
    a.InitCAN = [](uint32_t, uint32_t, uint32_t, CanInitConfig* c) -> uint32_t {
        g_fake->calls.push_back("InitCAN");
        return c && c->AccCode == 0 && c->AccMask == 0x00FFFFFF ? 1u : 0u;
    };
    a.StartCAN = [](uint32_t, uint32_t, uint32_t) -> uint32_t { g_fake->calls.push_back("StartCAN"); return 1; };
    a.ResetCAN = [](uint32_t, uint32_t, uint32_t) -> uint32_t { g_fake->calls.push_back("ResetCAN"); return 1; };
    a.Transmit = [](uint32_t, uint32_t, uint32_t, const CanFrameRecord* f, uint32_t n) -> uint32_t {
        g_fake->calls.push_back("Transmit");
        for (uint32_t i = 0; i < n; ++i)
            g_fake->sent.push_back(f[i]);
        return g_fake->transmitResult;
    };
    a.Receive = [](uint32_t, uint32_t, uint32_t, CanFrameRecord* f, uint32_t n, uint32_t) -> uint32_t {
        g_fake->calls.push_back("Receive");
        uint32_t k = 0;
        while (k < n && !g_fake->rx.empty()) {
            f[k++] = g_fake->rx.front();
            g_fake->rx.erase(g_fake->rx.begin());
        }
        return k;
    };
    a.GetReceiveNum = [](uint32_t, uint32_t, uint32_t) -> uint32_t {
        g_fake->calls.push_back("GetReceiveNum");
        return static_cast<uint32_t>(g_fake->rx.size());
    };
    a.ClearBuffer = [](uint32_t, uint32_t, uint32_t) -> uint32_t { g_fake->calls.push_back("ClearBuffer"); return 1; };
    a.ReadBoardInfo = [](uint32_t, uint32_t, CanBoardInfo*) -> uint32_t {
        g_fake->calls.push_back("ReadBoardInfo");
        return 1;
    };
    a.ReadErrInfo = [](uint32_t, uint32_t, uint32_t, CanErrorInfo* e) -> uint32_t {
        g_fake->calls.push_back("ReadErrInfo");
        e->ErrCode = g_fake->errWord;
        return 1;
    };
    a.SetReference = [](uint32_t, uint32_t, uint32_t, uint32_t, void*) -> uint32_t {
        g_fake->calls.push_back("SetReference");
        return 1;
    };
    return a;
}

class DravixRouting : public AdapterTest {
protected:
    void SetUp() override
    {
        AdapterTest::SetUp();
        g_fake = &fake;
        api = FakeApi();
        tarvel::SetDravixApiForTest(&api);
    }
    void TearDown() override
    {
        AdapterTest::TearDown();
        g_fake = nullptr;
    }
    FakeDravix fake;
    tarvel::DravixApi api;
};

} // namespace

// Every type code outside the shipped table goes to Dravix for every
// operation; the ControlCAN library is never touched.
TEST_F(DravixRouting, OutsideCodesUseDravixForEveryOperation)
{
    for (uint32_t type : {4u, 21u, 7u}) {
        SCOPED_TRACE(type);
        fake = FakeDravix{};
        standin::ControlCanLog().Clear();
        const tarvel::CanAdapterRow rows[5] = {
            tarvel::CanAdapterTable[0], tarvel::CanAdapterTable[1], tarvel::CanAdapterTable[2],
            tarvel::CanAdapterTable[3], {type, "Dravix@Tarvel"}};
        tarvel::SetCanAdapterTableForTest(rows, 5);

        ASSERT_EQ(Connect(4, 0), 1);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"OpenDevice", "InitCAN", "ReadBoardInfo", "ReadErrInfo",
                                                        "StartCAN"}));
        fake.calls.clear();
        ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 2, {0x01, 0x02}, "x", 1), 1);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"SetReference", "Transmit"}));
        ASSERT_EQ(fake.sent.size(), 1u);
        EXPECT_EQ(fake.sent[0].ID, kRequestId);
        EXPECT_EQ(fake.sent[0].ExternFlag, 1);
        EXPECT_EQ(fake.sent[0].DataLen, 8);

        // A failed transmit reads Dravix's error word.
        fake.calls.clear();
        fake.transmitResult = 0;
        fake.errWord = 0x4000;
        EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "x", 1), 0);
        EXPECT_EQ(fake.calls.back(), "ReadErrInfo");
        EXPECT_TRUE(TraceHas(";ErrCode:0x4000;执行命令失败错误码"));

        fake.calls.clear();
        CanFrameRecord answer{};
        answer.ID = tarvel::kUdsResponseId;
        answer.ExternFlag = 1;
        answer.DataLen = 8;
        fake.rx.push_back(answer);
        tarvel::AdapterSwitchPort port;
        CanFrameRecord in[8];
        EXPECT_EQ(port.Receive(in, 8), 1u);
        EXPECT_EQ(in[0].ID, tarvel::kUdsResponseId);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"GetReceiveNum", "Receive"}));

        fake.calls.clear();
        tarvel::CloseCanDevice();
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"ResetCAN", "ClearBuffer", "CloseDevice"}));
        EXPECT_TRUE(standin::ControlCanLog().Names().empty());
    }
}

// Until the Dravix library is present, its adapter fails to open cleanly.
TEST_F(AdapterTest, DravixMissingFailsCleanly)
{
    tarvel::SetDravixLibraryName("dravix_not_installed");
    const tarvel::CanAdapterRow rows[5] = {tarvel::CanAdapterTable[0], tarvel::CanAdapterTable[1],
                                           tarvel::CanAdapterTable[2], tarvel::CanAdapterTable[3],
                                           {4, "Dravix@Tarvel"}};
    tarvel::SetCanAdapterTableForTest(rows, 5);
    EXPECT_EQ(tarvel::OpenCanDevice(4, 0, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    tarvel::CanDeviceType = 4;
    EXPECT_EQ(tarvel::StartCanChannel(), 0);
    EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "x", 1), 0);
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[4];
    EXPECT_EQ(port.Receive(in, 4), 0u);
    EXPECT_EQ(tarvel::CloseCanDevice(), 1);
    tarvel::SetDravixLibraryName("dravix");
    tarvel::UnloadDravix();
}

// Both maker-branded types initialise with the same filled record: the
// response-id acceptance filter and the row's timing registers.
TEST_F(AdapterTest, ControlCanTypesGetTheFilledInitRecord)
{
    for (int row : {0, 1})
        for (int baud : {0, 1}) {
            SCOPED_TRACE(row * 10 + baud);
            standin::ControlCanLog().Clear();
            ASSERT_EQ(tarvel::OpenCanDevice(row, 0, 0, baud, 0, 0, 0), 1);
            const auto calls = standin::ControlCanLog().Calls();
            auto it = std::find_if(calls.begin(), calls.end(), [](const standin::Call& c) {
                return c.name == "VCI_InitCAN";
            });
            ASSERT_NE(it, calls.end());
            const auto& b = tarvel::CanBaudTable[static_cast<size_t>(baud)];
            EXPECT_EQ(it->args, (std::vector<int64_t>{tarvel::CanAdapterRows()[row].TypeCode, 0, 0, 0xC6D7C858, 7,
                                                      b.Timing0, b.Timing1}));
            tarvel::CloseCanDevice();
        }
}

TEST_F(AdapterTest, KvaserTransmitWithoutChannelFails)
{
    tarvel::CanDeviceType = tarvel::kCanTypeKvaser;
    EXPECT_EQ(tarvel::TransmitCanFrame(kRequestId, 1, {0x3E}, "TesterPresent", 1), 0);
    EXPECT_EQ(standin::CanLibLog().Count("canWrite"), 0u);
}

// Rows outside the tables are refused before any library is called, and an
// adapter that is open stays as it was.
TEST_F(AdapterTest, OutOfRangeRowsAreRefused)
{
    ASSERT_EQ(Connect(1, 1), 1);
    standin::ControlCanLog().Clear();
    const struct {
        int row, baud;
    } cases[] = {{-1, 0}, {4, 0}, {0, 2}, {0, -1}, {1000, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "/" + std::to_string(c.baud));
        EXPECT_EQ(tarvel::OpenCanDevice(c.row, 0, 0, c.baud, 0, 0, 0), 0);
        EXPECT_TRUE(standin::ControlCanLog().Names().empty());
        EXPECT_TRUE(standin::CanLibLog().Names().empty());
        EXPECT_TRUE(XlStandinLog().Names().empty());
        EXPECT_EQ(tarvel::CanDeviceOpen, 2);
        EXPECT_EQ(tarvel::OpenCanBaudRow, 1);
    }
    EXPECT_EQ(clock.NowMs(), 0u) << "no close wait either";
}

// Opening over an open adapter closes it first, so the second open works and
// the first channel leaves the bus.
TEST_F(AdapterTest, ReopenClosesFirst)
{
    ASSERT_EQ(Connect(1, 0), 1);
    standin::ControlCanLog().Clear();
    ASSERT_EQ(tarvel::OpenCanDevice(1, 0, 1, 0, 0, 0, 0), 1);
    const auto names = standin::ControlCanLog().Names();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"VCI_ResetCAN", "VCI_ClearBuffer", "VCI_CloseDevice", "VCI_OpenDevice"}));
    EXPECT_EQ(tarvel::CanDeviceOpen, 1);

    // Kvaser: the old channel is closed before the new one opens.
    ASSERT_EQ(Connect(2, 0), 1);
    standin::CanLibLog().Clear();
    ASSERT_EQ(tarvel::OpenCanDevice(2, 0, 1, 0, 0, 0, 0), 1);
    const auto k = standin::CanLibLog().Names();
    ASSERT_GE(k.size(), 5u);
    EXPECT_EQ(k[2], "canClose");
    EXPECT_EQ(k[4], "canInitializeLibrary");
    EXPECT_EQ(tarvel::StartCanChannel(), 1);
}

// Whatever length the caller gives, only bytes it handed over are sent, and
// always as 8 bytes padded with zeros.
TEST_F(AdapterTest, TransmitTakesOnlyTheGivenBytes)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    const struct {
        int length;
        std::vector<uint8_t> data;
        std::array<uint8_t, 8> expect;
    } cases[] = {
        {8, {0x11, 0x22}, {0x11, 0x22, 0, 0, 0, 0, 0, 0}},
        {20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {3, {1, 2, 3, 4, 5}, {1, 2, 3, 0, 0, 0, 0, 0}},
        {-5, {1, 2}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {8, {}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, c.length, c.data, "x", 1), 1);
        sim::CanFrame f;
        ASSERT_TRUE(peer->Receive(f));
        EXPECT_EQ(f.dlc, 8);
        EXPECT_EQ(f.data, c.expect);
    }
}

// Close waits its 500 ms on the program's clock, so timers due meanwhile run
// and tests need no real time.
TEST_F(AdapterTest, CloseWaitsOnTheInjectableClock)
{
    ASSERT_EQ(Connect(0, 1), 1);
    bool ran = false;
    clock.ScheduleIn(499000, [&] { ran = true; });
    const uint64_t before = clock.NowUs();
    EXPECT_EQ(tarvel::CloseCanDevice(), 1);
    EXPECT_EQ(clock.NowUs() - before, 500000u);
    EXPECT_TRUE(ran);
    // Close in any state waits and ends closed.
    EXPECT_EQ(tarvel::CloseCanDevice(), 1);
    EXPECT_EQ(clock.NowUs() - before, 1000000u);
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
}

// The Dravix library built beside the tests binds by name, and an adapter
// that is not plugged in fails to open and leaves the switch closed.
TEST_F(AdapterTest, DravixLibraryBindsByName)
{
    const std::string path =
        tarvel::DynamicLibrary::ProgramFolder() + "/" + tarvel::DynamicLibrary::FileNameFor("dravix");
    if (!std::ifstream(path))
        GTEST_SKIP() << "Dravix is not built beside the tests";
    tarvel::UnloadDravix();
    tarvel::SetDravixLibraryName("dravix");
    const tarvel::DravixApi* api = tarvel::GetDravix();
    ASSERT_NE(api, nullptr);
    EXPECT_NE(api->Transmit, nullptr);
    EXPECT_NE(api->Receive, nullptr);
    EXPECT_NE(api->canIoctl, nullptr);

    const tarvel::CanAdapterRow rows[5] = {tarvel::CanAdapterTable[0], tarvel::CanAdapterTable[1],
                                           tarvel::CanAdapterTable[2], tarvel::CanAdapterTable[3],
                                           {4, "Dravix@Tarvel"}};
    tarvel::SetCanAdapterTableForTest(rows, 5);
    EXPECT_EQ(tarvel::OpenCanDevice(4, 3, 1, 0, 0, 0, 0), 0); // nothing at device index 3
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    EXPECT_TRUE(TraceHas("Error: open device\"Dravix@Tarvel\"4,3; failed!"));
    tarvel::UnloadDravix();
}
