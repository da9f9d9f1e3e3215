// The ECU information page's logic against the simulated ECU on the page bench.
#include "DeviceInfoLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include "SimEcuData.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::Bytes;

class DeviceInfoLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logic.SetChangedObserver([this] { ++renders; });
    }

    tarvel_test::PageBench bench;
    DeviceInfoLogic logic{bench.Context()};
    int renders = 0;
};

TEST_F(DeviceInfoLogicTest, ShownWhileConnectedReadsTheSupplierIdentifierQuietly)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);

    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8A")));
    EXPECT_EQ(logic.State().supplierId, sim::ecudata::kSupplierId);
    EXPECT_FALSE(logic.State().readFailed);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, SilentOrRefusingEcuLeavesTheFieldEmptyWithoutABox)
{
    ASSERT_TRUE(bench.Connect());
    // Connected, a time-out is quiet anyway; the read must also be quiet
    // before the link's quiet flag is set, and for a refusal.
    tarvel::UdsQuiet = 0;
    bench.ecu->SetNoAnswer(0x22, 1);
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    EXPECT_TRUE(logic.State().readFailed);
    EXPECT_THAT(logic.State().supplierId, IsEmpty());

    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    EXPECT_TRUE(logic.State().readFailed);
    EXPECT_THAT(logic.State().supplierId, IsEmpty());

    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8A"), Bytes("22 F1 8A")));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DeviceInfoLogicTest, NotConnectedSendsNothing)
{
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    EXPECT_THAT(logic.State().supplierId, IsEmpty());
}

TEST_F(DeviceInfoLogicTest, DisconnectForgetsWhatWasRead)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnActivate(WM_ACTIVATE_DEVICEINFO);
    ASSERT_EQ(logic.State().supplierId, sim::ecudata::kSupplierId);
    DeviceInfoAutoRead = 1;

    // The shell tells every page in its order; this page is one of them.
    logic.OnDisconnected();
    EXPECT_THAT(logic.State().supplierId, IsEmpty());
    EXPECT_EQ(DeviceInfoAutoRead, 0);
    EXPECT_EQ(renders, 2);
}

} // namespace
