// With no vendor driver library installed every back-end says so and runs
// on its stand-in; the program's "--simulate" switch forces that even when
// one is installed.
#include "AdapterFixture.h"
#include "CanDriverLibraries.h"
#include "Environment.h"

namespace {

using adaptertest::AdapterTest;

class DriverChoiceTest : public AdapterTest {
protected:
    void TearDown() override
    {
        tarvel::SetCanDriverNoticeSink({});
        AdapterTest::TearDown();
    }
};

TEST_F(DriverChoiceTest, WithoutVendorLibrariesEachBackEndSaysItUsesTheSimulation)
{
    std::vector<std::string> notices;
    tarvel::SetCanDriverNoticeSink([&](const std::string& line) { notices.push_back(line); });
    tarvel::SetControlCanLibraryNames({"libcontrolcan_not_installed.so"});
    tarvel::SetCanlibLibraryNames({"libcanlib_not_installed.so.1"});
    tarvel::CCANFunctions::SetLibraryName("vxlapi_not_installed");
    tarvel::WireXlDriverToSimulation(); // the stand-in under its own name

    ASSERT_EQ(Connect(1, 0), 1);
    EXPECT_EQ(tarvel::ControlCanChoice().kind, tarvel::CanDriverKind::Standin);
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_OpenDevice"), 1u) << "the stand-in answers";
    ASSERT_EQ(Connect(2, 0), 1);
    EXPECT_EQ(standin::CanLibLog().Count("canOpenChannel"), 1u);
    ASSERT_EQ(Connect(3, 0), 1);
    EXPECT_TRUE(tarvel::GetVectorCanFunctions().StandinLoaded());
    tarvel::CloseCanDevice();

    const std::vector<std::string> expected{
        "ControlCAN: no driver found, using the built-in simulated ECU",
        "CANlib: no driver found, using the built-in simulated ECU",
        "Vector XL: no driver found, using the built-in simulated ECU",
    };
    EXPECT_EQ(notices, expected) << "one line per back-end at each connect";
    for (const auto& line : expected)
        EXPECT_TRUE(TraceHas(line)) << line;
    EXPECT_TRUE(prompter.Boxes().empty()) << "a missing XL driver with the stand-in present is no error";
}

// Nothing to fall back on: the line says so and the open fails.
TEST_F(DriverChoiceTest, WithNeitherLibraryNorStandinTheOpenFails)
{
    tarvel::SetControlCanLibraryNames({"libcontrolcan_not_installed.so"});
    tarvel::SetControlCanStandin(nullptr);
    EXPECT_EQ(Connect(0, 0), 0);
    EXPECT_EQ(tarvel::ControlCanChoice().kind, tarvel::CanDriverKind::None);
    EXPECT_TRUE(TraceHas("ControlCAN: no driver found"));
    EXPECT_EQ(tarvel::TransmitCanFrame(adaptertest::kRequestId, 1, {0x3E}, "TesterPresent", 1), 0);
    EXPECT_TRUE(standin::ControlCanLog().Names().empty());
    // Put the linked stand-in back for the tests that follow.
    static tarvel::ControlCanApi linked;
    TARVEL_FILL_FROM_LINKED(linked, TARVEL_CONTROLCAN_ENTRIES);
    tarvel::SetControlCanStandin(&linked);
}

TEST_F(DriverChoiceTest, NoAdapterOrBaudRowIsChosenAtStart)
{
    EXPECT_EQ(tarvel::SelectedCanAdapter.load(), -1);
    EXPECT_EQ(tarvel::SelectedCanBaud.load(), -1);
}

TEST_F(DriverChoiceTest, TheSimulateSwitchForcesTheStandinsAndTellsDravix)
{
    EXPECT_FALSE(tarvel::ApplyAdapterCommandLine({"--lang", "2"}));
    EXPECT_FALSE(tarvel::SimulatedAdaptersOnly());
    EXPECT_EQ(tarvel::GetEnvironmentValue(tarvel::kDravixSimulateVariable), "");

    EXPECT_TRUE(tarvel::ApplyAdapterCommandLine({"--simulate"}));
    EXPECT_TRUE(tarvel::SimulatedAdaptersOnly());
    EXPECT_EQ(tarvel::GetEnvironmentValue(tarvel::kDravixSimulateVariable), "1");
    ASSERT_EQ(Connect(0, 0), 1);
    EXPECT_EQ(tarvel::ControlCanChoice().kind, tarvel::CanDriverKind::Standin);
    EXPECT_TRUE(TraceHas("ControlCAN: simulation chosen at start-up, using the built-in simulated ECU"));

    // The XL driver named as Vector's is not even looked for.
    tarvel::CloseCanDevice();
    ASSERT_EQ(tarvel::InitVectorDriver(), XL_SUCCESS);
    EXPECT_TRUE(tarvel::GetVectorCanFunctions().StandinLoaded());

    EXPECT_FALSE(tarvel::ApplyAdapterCommandLine({}));
    EXPECT_EQ(tarvel::GetEnvironmentValue(tarvel::kDravixSimulateVariable), "");
}

} // namespace
