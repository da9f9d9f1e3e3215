// Our stand-in for Kvaser CANlib: an opened channel that goes bus-on is a
// node on sim::CurrentWorld().Bus(channel) at the bit rate given to
// canSetBusParams. Reads return one frame at a time, time-stamped in units of
// the timer scale (canIoCtl 6, default 1000 us). Calls it does not model
// answer canERR_NOT_IMPLEMENTED. These are the stand-in's own controls.
#pragma once

#include "CanLib.h"
#include "StandinCallLog.h"

namespace standin {
LibraryLog& CanLibLog();
// Closes every handle and forgets the log, the armed failures and whether
// the library was initialised.
void CanLibReset();
// Bit rate in bit/s of a canBITRATE_ constant (0 when unknown).
uint32_t CanLibBitrateOf(long constant);
} // namespace standin
