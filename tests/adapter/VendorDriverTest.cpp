// With a vendor's driver library installed (here a fake under the vendor's
// own file name, on this test's loader path) the adapter switch talks to it,
// in the vendor API's call order, and not to the stand-in linked into the
// program. A library that lacks an entry point is named in the trace and
// the open fails.
#include "AdapterFixture.h"
#include "CanDriverLibraries.h"

#include <dlfcn.h>

namespace {

using adaptertest::AdapterTest;
using adaptertest::kRequestId;

const std::string kFakeDir = FAKE_DRIVER_DIR;

// The calls the loaded fake recorded (the instance the switch loaded).
std::vector<std::string> FakeCalls(const std::string& file)
{
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return {"<not loaded>"};
    auto calls = reinterpret_cast<const char* (*)()>(dlsym(handle, "fake_driver_calls"));
    std::vector<std::string> out;
    std::string all = calls ? calls() : "";
    size_t start = 0;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(all.substr(start, end - start));
    dlclose(handle);
    return out;
}

void ResetFake(const std::string& file)
{
    if (void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        if (auto reset = reinterpret_cast<void (*)()>(dlsym(handle, "fake_driver_reset")))
            reset();
        dlclose(handle);
    }
}

class VendorDriverTest : public AdapterTest {
protected:
    void TearDown() override
    {
        tarvel::SetCanDriverNoticeSink({});
        AdapterTest::TearDown();
    }
};

TEST_F(VendorDriverTest, ControlCanLibraryOnTheLoaderPathIsUsedInTheVendorsCallOrder)
{
    std::vector<std::string> notices;
    tarvel::SetCanDriverNoticeSink([&](const std::string& line) { notices.push_back(line); });
    ASSERT_EQ(Connect(0, 0), 1) << "type 20 at 500 kbit/s, channel 1";
    const std::string file = kFakeDir + "/libcontrolcan.so";
    ASSERT_EQ(tarvel::ControlCanChoice().kind, tarvel::CanDriverKind::Vendor)
        << "the fake driver folder must be on the loader path (ctest puts " << kFakeDir << " there)";
    EXPECT_EQ(tarvel::ControlCanChoice().path, file);
    const std::string line = "ControlCAN: driver library " + file;
    EXPECT_TRUE(TraceHas(line));
    EXPECT_EQ(notices, std::vector<std::string>{line}) << "the output pane shows the same line";

    ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 2, {0x3E, 0x00}, "TesterPresent", 1), 1);
    tarvel::CloseCanDevice();
    const std::string acc = std::to_string(0xC6D7C858u);
    const std::string req = std::to_string(kRequestId);
    EXPECT_EQ(FakeCalls(file), (std::vector<std::string>{
                                   "VCI_OpenDevice(20,0,0)",
                                   "VCI_SetReference(20,0,1,0,393223)", // reference code 0x00060007
                                   "VCI_InitCAN(20,0,1," + acc + ",0,28)",
                                   "VCI_ReadBoardInfo(20,0)",
                                   "VCI_ReadErrInfo(20,0,1)",
                                   "VCI_StartCAN(20,0,1)",
                                   "VCI_SetReference(20,0,1,3,10)",
                                   "VCI_Transmit(20,0,1," + req + ",62,1)",
                                   "VCI_ResetCAN(20,0,1)",
                                   "VCI_ClearBuffer(20,0,1)",
                                   "VCI_CloseDevice(20,0)",
                               }));
    EXPECT_TRUE(standin::ControlCanLog().Names().empty()) << "the stand-in was not touched";
    ResetFake(file);
}

TEST_F(VendorDriverTest, CanlibLibraryOnTheLoaderPathIsUsedInTheVendorsCallOrder)
{
    ASSERT_EQ(Connect(2, 1), 1) << "Kvaser at 125 kbit/s, CANlib channel 0";
    const std::string file = kFakeDir + "/libcanlib.so.1";
    EXPECT_TRUE(TraceHas("CANlib: driver library " + file));
    ASSERT_EQ(tarvel::TransmitCanFrame(kRequestId, 2, {0x3E, 0x00}, "TesterPresent", 1), 1);
    tarvel::CloseCanDevice();
    const std::string req = std::to_string(kRequestId);
    EXPECT_EQ(FakeCalls(file), (std::vector<std::string>{
                                   "canInitializeLibrary()",
                                   "canOpenChannel(0,8)",
                                   "canIoCtl(0,6,100)",
                                   "canSetBusParams(0,-4)",
                                   "canIoCtl(0,10,-1)",
                                   "canIoCtl(0,11,-1)",
                                   "canBusOn(0)",
                                   "canWrite(0," + req + ",62,8,4)",
                                   "canResetBus(0)",
                                   "canBusOff(0)",
                                   "canClose(0)",
                                   "canUnloadLibrary()",
                               }));
    EXPECT_TRUE(standin::CanLibLog().Names().empty());
    ResetFake(file);
}

TEST_F(VendorDriverTest, ALibraryLackingAnEntryPointIsNamedAndItsOpenFails)
{
    const std::string controlCan = kFakeDir + "/incomplete/libcontrolcan.so";
    tarvel::SetControlCanLibraryNames({controlCan});
    EXPECT_EQ(Connect(1, 0), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen, 0);
    EXPECT_TRUE(TraceHas("ControlCAN: driver library " + controlCan + " lacks VCI_InitCAN"));
    EXPECT_TRUE(standin::ControlCanLog().Names().empty()) << "no silent fall-back to the simulation";

    const std::string canlib = kFakeDir + "/incomplete/libcanlib.so.1";
    tarvel::SetCanlibLibraryNames({canlib});
    EXPECT_EQ(Connect(2, 0), 0);
    EXPECT_EQ(tarvel::KvaserChannel, nullptr);
    EXPECT_TRUE(TraceHas("CANlib: driver library " + canlib + " lacks canSetBusParams"));
    EXPECT_TRUE(standin::CanLibLog().Names().empty());
}

TEST_F(VendorDriverTest, TheSimulationSwitchLeavesTheInstalledLibrariesAlone)
{
    tarvel::SetSimulatedAdaptersOnly(true);
    ASSERT_EQ(Connect(0, 0), 1);
    ASSERT_EQ(Connect(2, 0), 1);
    EXPECT_TRUE(TraceHas("ControlCAN: simulation chosen at start-up, using the built-in simulated ECU"));
    EXPECT_TRUE(TraceHas("CANlib: simulation chosen at start-up, using the built-in simulated ECU"));
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_OpenDevice"), 1u);
    EXPECT_EQ(standin::CanLibLog().Count("canOpenChannel"), 1u);
    for (const auto& call : FakeCalls(kFakeDir + "/libcontrolcan.so"))
        EXPECT_EQ(call, "<not loaded>") << "the installed library was not called";
}

} // namespace
