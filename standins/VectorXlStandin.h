// Our stand-in for the Vector XL driver library (the shared library
// "vxlapi"): its virtual hardware has CAN channels (two by default); each
// activated channel is a node on the host's simulated world, bus = hardware
// channel (or the world's bus of the channel's rate when its own runs at
// another), at the bit rate set for it. Events are 48 bytes; time stamps are
// in ns. These are the stand-in's own controls, found by name.
#pragma once

#include "VectorXlApi.h"

namespace sim { class SimWorld; }
namespace tarvel { class Clock; }
namespace standin { class LibraryLog; }

// What the stand-in needs of the program that loads it: the simulated world
// its channels are wired to and the clock. The loader hands these over right
// after loading, so the library and the program share one world and clock.
struct XlStandinHost {
    sim::SimWorld& (*world)();
    tarvel::Clock& (*clock)();
};

// Stand-in controls (not part of the driver's interface; tests and the loader
// find them by name).
extern "C" XLAPI_EXPORT void XLAPI_CALL xlStandinAttachHost(const XlStandinHost* host);
XLAPI_EXPORT standin::LibraryLog& XlStandinLog();
// Forgets ports, application assignments and armed failures; the virtual
// hardware gets `channelCount` CAN channels (those whose bit is set in
// `nonCanChannels` lack CAN capability).
XLAPI_EXPORT void XlStandinReset(unsigned int channelCount = 2, uint32_t nonCanChannels = 0);
// Pre-assigns an application channel of "xlCANcontrol" to a hardware channel.
XLAPI_EXPORT void XlStandinAssign(unsigned int appChannel, unsigned int hwChannel);
