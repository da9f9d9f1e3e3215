// The stand-ins share one call log and one fault injector: the linked ones
// and the XL driver loaded by name write to the same instances, and each
// library's view sees only its own calls and failures.
#include "AdapterFixture.h"

namespace {

using adaptertest::AdapterTest;

TEST_F(AdapterTest, EveryStandinWritesToTheOneLog)
{
    standin::SharedCallLog().Clear();
    ASSERT_EQ(VCI_OpenDevice(3, 0, 0), 1u);
    canInitializeLibrary();
    ASSERT_EQ(tarvel::InitVectorDriver(), XL_SUCCESS); // loads the XL driver library by name

    const auto all = standin::SharedCallLog().Calls();
    std::vector<std::string> libraries;
    for (const auto& c : all)
        if (std::find(libraries.begin(), libraries.end(), c.library) == libraries.end())
            libraries.push_back(c.library);
    EXPECT_EQ(libraries, (std::vector<std::string>{"ControlCAN", "CANlib", "XL"})) << "in call order";
    EXPECT_EQ(standin::ControlCanLog().Names(), std::vector<std::string>{"VCI_OpenDevice"});
    EXPECT_EQ(standin::CanLibLog().Names(), std::vector<std::string>{"canInitializeLibrary"});
    EXPECT_EQ(XlStandinLog().Names().front(), "xlOpenDriver");
    EXPECT_EQ(all.size(), 2 + XlStandinLog().Calls().size());

    // Clearing one library's view leaves the others' calls.
    standin::CanLibLog().Clear();
    EXPECT_TRUE(standin::CanLibLog().Names().empty());
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_OpenDevice"), 1u);
}

TEST_F(AdapterTest, FailuresAreArmedPerLibraryInTheOneInjector)
{
    standin::ControlCanLog().FailCall("VCI_OpenDevice", 0, 2);
    int64_t result = -1;
    EXPECT_FALSE(standin::SharedFaults().Take("CANlib", "VCI_OpenDevice", result)) << "another library's entry";
    EXPECT_EQ(VCI_OpenDevice(3, 0, 0), 0u);
    EXPECT_EQ(VCI_OpenDevice(3, 0, 0), 0u);
    EXPECT_EQ(VCI_OpenDevice(3, 0, 0), 1u) << "armed twice only";

    // An always-failing call stays armed until its library's failures are cleared.
    standin::CanLibLog().FailCall("canOpenChannel", canERR_HARDWARE, 0);
    standin::ControlCanLog().FailCall("VCI_StartCAN", 0);
    canInitializeLibrary();
    EXPECT_EQ(canOpenChannel(0, 0), canERR_HARDWARE);
    EXPECT_EQ(canOpenChannel(0, 0), canERR_HARDWARE);
    standin::CanLibLog().ClearFailures();
    EXPECT_EQ(canOpenChannel(0, 0), 0);
    EXPECT_TRUE(standin::SharedFaults().Take("ControlCAN", "VCI_StartCAN", result)) << "not cleared with CANlib's";
    EXPECT_EQ(result, 0);
}

} // namespace
