// The template page's logic on the page bench: exact requests, state, boxes,
// the periodic refresh on virtual time.
#include "TemplatePageLogic.h"

#include "ShellGlobals.h"

#include "SimEcuData.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

class TemplatePageLogicTest : public ::testing::Test {
protected:
    tarvel_test::PageBench bench;
    TemplatePageLogic logic{bench.Context()};
};

TEST_F(TemplatePageLogicTest, ShownWhileConnectedReadsAndThenRefreshesEverySecond)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnActivate(0);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8C")));
    EXPECT_EQ(logic.State().serialNumber, sim::ecudata::kSerialNumber);

    bench.ClearRequests();
    bench.Advance(TemplatePageLogic::kRefreshPeriodMs);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8C")));
    EXPECT_EQ(logic.State().reads, 2);
}

TEST_F(TemplatePageLogicTest, StoppedWorkAndDisconnectEndTheRefresh)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnActivate(0);
    logic.OnStopWork();
    bench.ClearRequests();
    bench.Advance(3 * TemplatePageLogic::kRefreshPeriodMs);
    EXPECT_THAT(bench.Requests(), IsEmpty());

    logic.OnActivate(0);
    logic.OnDisconnected();
    EXPECT_FALSE(logic.Refreshing());
    EXPECT_THAT(logic.State().serialNumber, IsEmpty());
}

TEST_F(TemplatePageLogicTest, ReadWithoutAnEcuShowsTheNotConnectedBox)
{
    logic.OnReadClicked();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
}

} // namespace
