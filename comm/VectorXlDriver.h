// The Vector XL driver wrapper. The driver library is loaded at run time by
// name ("vxlapi"), so the program starts without it; its entry points are
// resolved by name. One instance lives for the program's life
// (GetVectorCanFunctions); the view initialises it once at construction.
#pragma once

#include "VectorXlApi.h"
#include "VectorXlDynamicLibrary.h"

#include <cstdint>
#include <string>

namespace tarvel {

class CCANFunctions {
public:
    CCANFunctions();
    virtual ~CCANFunctions();
    CCANFunctions(const CCANFunctions&) = delete;
    CCANFunctions& operator=(const CCANFunctions&) = delete;

    // Loads the library, opens the driver, assigns two application channels
    // and opens the port. 0 on success, else the failing status (255 when the
    // library or a channel is missing, 201 when the library could not be loaded
    // and the driver open could not be attempted).
    XLstatus InitDriver();
    // xlCanSetChannelBitrate then xlActivateChannel; returns the activate status.
    XLstatus ActivateWithBitrate(uint32_t bitsPerSecond);
    XLstatus Deactivate();
    // Sends `count` events on application channel 0.
    XLstatus Transmit(XLevent* events, unsigned int count);
    // xlReceive through the resolved entry point (XL_ERR_INVALID_PORT when the
    // driver is not ready).
    XLstatus Receive(unsigned int* eventCount, XLevent* events);
    XLstatus ResetAcceptance();
    XLstatus SetAcceptanceExtended(uint32_t code);
    XLstatus SetAcceptanceRange(uint32_t firstId, uint32_t lastId);
    // xlCloseDriver, then the library is unloaded.
    XLstatus CloseDriver();

    bool Initialised() const { return initialised_; }
    bool PortValid() const { return port_ != XL_INVALID_PORTHANDLE; }
    XLportHandle Port() const { return port_; }
    XLaccess ChannelMask(int appChannel) const { return appChannel == 0 ? mask0_ : appChannel == 1 ? mask1_ : 0; }
    XLaccess AccessMask() const { return access_; }

    // The library base name or path the loader uses ("vxlapi" unless changed;
    // tests point it elsewhere to exercise the missing-library path).
    // Setting a name forgets the stand-in name: a library named on purpose
    // is the only one tried.
    static void SetLibraryName(const std::string& name);
    static std::string LibraryName();
    // Our stand-in's library name, loaded when the vendor's driver is not
    // found (or the simulation was asked for); empty: none.
    static void SetStandinLibraryName(const std::string& name);
    static std::string StandinLibraryName();

    // Which library the last load found, as one line for the trace and the
    // output pane ("Vector XL: driver library <path>" ...).
    std::string DriverLine() const;
    bool StandinLoaded() const { return standinLoaded_; }

    // Runs right after every successful load of the library, with the loaded
    // library (null removes it). The program's composition uses it to hand a
    // driver what it needs of its surroundings; the wrapper itself adds none.
    using LoadHook = void (*)(const DynamicLibrary& library);
    static void SetLoadHook(LoadHook hook);

private:
    XLstatus LoadDriverLibrary();
    void UnloadDriverLibrary();
    XLstatus AssignChannels();
    XLstatus OpenPort();
    void Trace(const std::string& line) const;

    XLaccess mask0_ = 0;
    XLaccess mask1_ = 0;
    XLportHandle port_ = XL_INVALID_PORTHANDLE;
    XLaccess access_ = 0;
    void* events_[2] = {nullptr, nullptr}; // the driver's notification events; never created here
    bool initialised_ = false;
    bool standinLoaded_ = false;
    std::string driverLine_;

    DynamicLibrary library_;
    XLOPENDRIVER xlOpenDriver_ = nullptr;
    XLCLOSEDRIVER xlCloseDriver_ = nullptr;
    XLGETDRIVERCONFIG xlGetDriverConfig_ = nullptr;
    XLGETAPPLCONFIG xlGetApplConfig_ = nullptr;
    XLSETAPPLCONFIG xlSetApplConfig_ = nullptr;
    XLGETCHANNELMASK xlGetChannelMask_ = nullptr;
    XLOPENPORT xlOpenPort_ = nullptr;
    XLCLOSEPORT xlClosePort_ = nullptr;
    XLACTIVATECHANNEL xlActivateChannel_ = nullptr;
    XLDEACTIVATECHANNEL xlDeactivateChannel_ = nullptr;
    XLCANSETCHANNELBITRATE xlCanSetChannelBitrate_ = nullptr;
    XLCANTRANSMIT xlCanTransmit_ = nullptr;
    XLRECEIVE xlReceive_ = nullptr;
    XLCANSETCHANNELACCEPTANCE xlCanSetChannelAcceptance_ = nullptr;
    XLCANADDACCEPTANCERANGE xlCanAddAcceptanceRange_ = nullptr;
    XLCANRESETACCEPTANCE xlCanResetAcceptance_ = nullptr;
};

// The program's one instance.
CCANFunctions& GetVectorCanFunctions();

} // namespace tarvel
