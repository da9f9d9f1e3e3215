// The Kvaser channel wrapper's forwarding calls that the program itself does
// not use: each reaches CANlib with the channel's handle and its arguments,
// and hands CANlib's status back unchanged.
#include "AdapterFixture.h"

#include <functional>

namespace {

struct ForwardCase {
    const char* call;
    std::function<int(tarvel::CanlibChannel&)> invoke;
    std::vector<int64_t> argsAfterHandle;
};

class KvaserForwardingTest : public adaptertest::AdapterTest {
protected:
    std::vector<ForwardCase> HandleCalls()
    {
        static uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        return {
            {"canObjBufAllocate", [](auto& c) { return c.ObjBufAllocate(2); }, {2}},
            {"canObjBufDisable", [](auto& c) { return c.ObjBufDisable(3); }, {3}},
            {"canObjBufEnable", [](auto& c) { return c.ObjBufEnable(4); }, {4}},
            {"canObjBufFree", [](auto& c) { return c.ObjBufFree(5); }, {5}},
            {"canObjBufFreeAll", [](auto& c) { return c.ObjBufFreeAll(); }, {}},
            {"canObjBufSetFilter", [](auto& c) { return c.ObjBufSetFilter(1, 0x700, 0x7FF); }, {1, 0x700, 0x7FF}},
            {"canObjBufSetFlags", [](auto& c) { return c.ObjBufSetFlags(1, 0x4); }, {1, 0x4}},
            {"canObjBufWrite", [](auto& c) { return c.ObjBufWrite(1, 0x123, data, 8, canMSG_STD); },
             {1, 0x123, 8, canMSG_STD}},
            {"canReadEvent", [](auto& c) { CanEvent e{}; return c.ReadEvent(&e); }, {}},
            {"canSetNotify", [](auto& c) { return c.SetNotify(nullptr, 0x6); }, {0x6}},
            {"canSetBusParamsC200", [](auto& c) { return c.SetBusParamsC200(0x00, 0x1C); }, {0x00, 0x1C}},
            {"canProbeVersion", [](auto& c) { return c.ProbeVersion(nullptr, nullptr, nullptr, 1); }, {1}},
        };
    }
};

// Calls the stand-in does not model answer CANlib's "not implemented" on an
// open handle and "invalid handle" on a closed one; either way the call
// reached the library with the wrapper's handle first.
TEST_F(KvaserForwardingTest, HandleCallsReachCanlibWithTheirArguments)
{
    tarvel::CanlibChannel ch;
    ASSERT_EQ(ch.Open(1, canOPEN_EXCLUSIVE), 0);
    auto& log = standin::CanLibLog();
    for (const auto& c : HandleCalls()) {
        SCOPED_TRACE(c.call);
        log.Clear();
        EXPECT_EQ(c.invoke(ch), canERR_NOT_IMPLEMENTED);
        const auto calls = log.Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].name, c.call);
        std::vector<int64_t> expected{ch.Handle()};
        expected.insert(expected.end(), c.argsAfterHandle.begin(), c.argsAfterHandle.end());
        EXPECT_EQ(calls[0].args, expected);
    }
    // A wrapper with no open channel passes -1, which CANlib refuses.
    tarvel::CanlibChannel closed;
    for (const auto& c : HandleCalls()) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(c.invoke(closed), canERR_INVHANDLE);
    }
}

// A failure armed in the shared injector comes back through the wrapper as is.
TEST_F(KvaserForwardingTest, StatusComesBackUnchanged)
{
    tarvel::CanlibChannel ch;
    ASSERT_EQ(ch.Open(0, 0), 0);
    standin::CanLibLog().FailCall("canSetBusParams", canERR_TIMEOUT);
    EXPECT_EQ(ch.SetBusParams(canBITRATE_500K, 0, 0, 0, 0, 0), canERR_TIMEOUT);
    EXPECT_EQ(ch.SetBusParams(canBITRATE_500K, 0, 0, 0, 0, 0), canOK) << "armed once";
}

TEST_F(KvaserForwardingTest, LibraryCallsAndTheParameterDatabase)
{
    EXPECT_EQ(tarvel::CanlibChannel::GetVersionEx(canVERSION_CANLIB32_VERSION), 0x0500u);
    EXPECT_EQ(tarvel::CanlibChannel::GetVersionEx(99), 0u);
    EXPECT_EQ(tarvel::CanlibChannel::ParamGetCount(), canERR_NOT_IMPLEMENTED);
    EXPECT_EQ(tarvel::CanlibChannel::ParamCreateNewEntry(), canERR_NOT_IMPLEMENTED);
    EXPECT_EQ(tarvel::CanlibChannel::ParamSwapEntries(1, 2), canERR_NOT_IMPLEMENTED);
    char name[16] = "stale";
    EXPECT_EQ(tarvel::CanlibChannel::ParamGetName(0, name, sizeof name), canERR_NOT_IMPLEMENTED);
    EXPECT_STREQ(name, "") << "no stale text is left for the caller to show";
    long bitrate = 0;
    unsigned int t1, t2, sjw, ns;
    EXPECT_EQ(tarvel::CanlibChannel::ParamGetBusParams(0, &bitrate, &t1, &t2, &sjw, &ns), canERR_NOT_IMPLEMENTED);
    EXPECT_EQ(standin::CanLibLog().Calls().back().args, std::vector<int64_t>{0});
}

// The message forms carry the record's fields to CANlib and back.
TEST_F(KvaserForwardingTest, MessageFormsOfWriteAndReadSpecific)
{
    tarvel::CanlibChannel ch;
    ASSERT_EQ(ch.Open(1, canOPEN_EXCLUSIVE), 0);
    ASSERT_EQ(ch.SetBusParams(canBITRATE_500K, 0, 0, 0, 0, 0), canOK);
    ASSERT_EQ(ch.BusOn(), canOK);
    auto peer = world.Bus(1)->Attach(500000);
    std::vector<sim::CanFrame> seen;
    peer->SetReceiveHandler([&](const sim::CanFrame& f) { seen.push_back(f); });

    tarvel::CanlibMessage out;
    out.id = static_cast<int32_t>(tarvel::kUdsRequestCanId);
    out.data[0] = 0x02;
    out.data[1] = 0x3E;
    out.length = 8;
    out.flags = canMSG_EXT;
    ASSERT_EQ(ch.Write(out), canOK);
    ASSERT_EQ(ch.WriteWait(out, 10), canOK);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].id, tarvel::kUdsRequestCanId);
    EXPECT_TRUE(seen[0].extended);
    EXPECT_EQ(seen[0].data[1], 0x3E);

    peer->Send(sim::CanFrame::Extended(0x100, {1}));
    peer->Send(sim::CanFrame::Extended(tarvel::kUdsResponseCanId, {0x02, 0x7E}));
    tarvel::CanlibMessage in;
    in.id = static_cast<int32_t>(tarvel::kUdsResponseCanId);
    ASSERT_EQ(ch.ReadSpecific(in), canOK);
    EXPECT_EQ(static_cast<uint32_t>(in.id), tarvel::kUdsResponseCanId);
    EXPECT_EQ(in.length, 8u); // the bus pads frames to eight bytes
    EXPECT_EQ(in.flags & canMSG_EXT, static_cast<unsigned>(canMSG_EXT));
    EXPECT_EQ(in.data[1], 0x7E);
    EXPECT_EQ(ch.ReadSpecific(in), canERR_NOMSG) << "taken once";
}

} // namespace
