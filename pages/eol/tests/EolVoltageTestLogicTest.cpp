// The supply-voltage test against the simulated trailer: the value shown, the
// verdict, the remark, the box and the failure marker.
#include "EolBench.h"

#include "AppMessages.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

namespace {

using eoltest::EolBenchTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

using VoltageTest = EolBenchTest;

TEST_F(VoltageTest, TheBandIsInclusiveAndFailuresMarkTheEcu)
{
    struct Case {
        int raw;
        const char* text;
        int32_t flag;
        const char* remark;
        int boxRow;
        int captionRow;
        EolPicture picture;
    };
    const Case cases[] = {
        {0, "0.00V", EolFailed, "Supply voltage below 18 V", 182, 76, EolPicture::Failed},
        {119, "17.85V", EolFailed, "Supply voltage below 18 V", 182, 76, EolPicture::Failed},
        {120, "18.00V", EolPassed, "-", 184, 74, EolPicture::Passed},
        {160, "24.00V", EolPassed, "-", 184, 74, EolPicture::Passed},
        {213, "31.95V", EolPassed, "-", 184, 74, EolPicture::Passed},
        {214, "32.10V", EolFailed, "Supply voltage above 32 V", 183, 76, EolPicture::Failed},
    };
    ASSERT_TRUE(bench.Connect());
    EolVoltageTestLogic& page = Voltage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        SetRawVoltage(c.raw);
        EolVoltageRemark = "stale";
        EolVoltageResult = 2;
        bench.ClearRequests();
        bench.prompter.Clear();
        const uint64_t before = bench.clock.NowUs();

        page.Start();

        EXPECT_EQ(page.State().voltageText, c.text);
        EXPECT_EQ(EolVoltageResult, c.flag);
        EXPECT_EQ(EolVoltageRemark, c.remark);
        EXPECT_EQ(page.Common().pictures, std::vector<EolPicture>{c.picture});
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(c.boxRow), UiText(c.captionRow))));
        EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
        EXPECT_GE(bench.clock.NowUs() - before, 700000u) << "the reading settles 700 ms before it is judged";
        // The view's keep-alive goes on beside this page (it never sets
        // TestRunning); its TesterPresent requests are left out.
        std::vector<std::vector<uint8_t>> requests;
        for (const auto& request : bench.Requests())
            if (request.empty() || request[0] != 0x3E)
                requests.push_back(request);
        ASSERT_GE(requests.size(), 2u);
        EXPECT_EQ(requests[0], Bytes("22 F1 90"));
        EXPECT_EQ(requests[1], Bytes("22 00 29"));
        if (c.flag == EolFailed) {
            ASSERT_EQ(requests.size(), 6u);
            EXPECT_EQ(requests[2], Bytes("10 03"));
            EXPECT_EQ(requests[3], Bytes("27 01"));
            EXPECT_EQ(requests[4][0], 0x27);
            EXPECT_EQ(requests[5], Marker0());
            EXPECT_EQ(trailer.EolMarker(), 0);
        } else {
            EXPECT_EQ(requests.size(), 2u) << "a pass writes nothing";
        }
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_TRUE(page.Common().startEnabled);
        EXPECT_FALSE(page.Running());
    }
}

TEST_F(VoltageTest, AFailedReadShowsDashesAndLeavesTheResultNotTested)
{
    ASSERT_TRUE(bench.Connect());
    EolVoltageTestLogic& page = Voltage();
    struct Case {
        const char* name;
        std::function<void()> fault;
    };
    const Case cases[] = {
        {"negative answer", [&] { bench.ecu->SetNegativeResponse(0x22, 0x31); }},
        {"silence", [&] { bench.ecu->SetNoAnswer(0x22); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Every read fails: the quiet VIN read says nothing, 22 00 29 fails.
        bench.ecu->ClearFaults();
        c.fault();
        bench.prompter.Clear();
        bench.ClearRequests();
        page.Start();

        EXPECT_THAT(bench.Requests(), Contains(Bytes("22 00 29")));
        EXPECT_EQ(page.State().voltageText, "---");
        EXPECT_EQ(EolVoltageResult, EolNotTested);
        EXPECT_EQ(EolVoltageRemark, "-");
        EXPECT_EQ(page.Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
        ASSERT_FALSE(bench.prompter.Boxes().empty());
        EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs(UiText(181), UiText(76)));
        EXPECT_THAT(bench.Requests(), Not(Contains(Marker0())));
        EXPECT_THAT(bench.Requests(), Not(Contains(Bytes("10 03"))));
        EXPECT_EQ(EolTestIdle.load(), 1);
    }
}

} // namespace
