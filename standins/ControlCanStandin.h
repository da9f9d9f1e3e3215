// Our stand-in for the ControlCAN interface library. Each started channel is
// a node on the virtual CAN bus wired to that channel
// (sim::CurrentWorld().Bus(channel)), at the bit rate given by the reference
// code (VCI_SetReference type 0) or, without one, by the SJA1000 timing
// registers of VCI_InitCAN. Received frames pass the SJA1000 single
// acceptance filter of the init record and carry time stamps in 0.1 ms
// units. These are the stand-in's own controls, for tests.
#pragma once

#include "ControlCan.h"
#include "StandinCallLog.h"

namespace standin {
// The ControlCAN stand-in's call log; FailCall("VCI_Transmit", 0) etc. make an
// entry point return the given result.
LibraryLog& ControlCanLog();
// Error word the next failing call adds to the channel's error record
// (read back with VCI_ReadErrInfo).
void ControlCanSetErrorWord(uint32_t devType, uint32_t devIndex, uint32_t canIndex, uint32_t errCode);
// Forgets every device, the log and the armed failures.
void ControlCanReset();
// Bit rate in bit/s that a reference code or SJA1000 timing pair stands for
// (0 when unknown).
uint32_t ControlCanBitrateOfReference(uint32_t code);
uint32_t ControlCanBitrateOfTiming(uint8_t timing0, uint8_t timing1);
// The SJA1000 single-filter test on a received frame.
bool ControlCanAccepts(uint32_t accCode, uint32_t accMask, uint32_t id, bool extended, bool remote,
                       const uint8_t* data, uint8_t dlc);
} // namespace standin
