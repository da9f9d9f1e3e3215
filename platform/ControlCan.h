// Our stand-in for the ControlCAN interface library (the VCI_ functions) that
// drives the maker-branded adapters. Each started channel is a node on the
// virtual CAN bus wired to that channel (sim::CurrentWorld().Bus(channel)),
// at the bit rate given by the reference code (VCI_SetReference type 0) or,
// without one, by the SJA1000 timing registers of VCI_InitCAN. Received
// frames pass the SJA1000 single acceptance filter of the init record and
// carry time stamps in 0.1 ms units.
#pragma once

#include "CanRecords.h"
#include "ControlCanCallLog.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results: 1 success, 0 failure; VCI_Receive and VCI_GetReceiveNum return
 * 0xFFFFFFFF when the device cannot be read. */
#define VCI_RESULT_ERROR 0xFFFFFFFFu

/* VCI_SetReference reference types. */
#define VCI_REF_TIMING 0u        /* data: uint32_t reference (bit-timing) code */
#define VCI_REF_FILTER_ENTRY 1u  /* data: CanFilterRecord */
#define VCI_REF_FILTER_APPLY 2u  /* data: none; validates the filter table */
#define VCI_REF_SEND_TIMEOUT 3u  /* data: uint32_t */

uint32_t VCI_OpenDevice(uint32_t devType, uint32_t devIndex, uint32_t reserved);
uint32_t VCI_CloseDevice(uint32_t devType, uint32_t devIndex);
uint32_t VCI_SetReference(uint32_t devType, uint32_t devIndex, uint32_t canIndex, uint32_t refType, void* data);
uint32_t VCI_InitCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex, const CanInitConfig* config);
uint32_t VCI_ReadBoardInfo(uint32_t devType, uint32_t devIndex, CanBoardInfo* info);
uint32_t VCI_ReadErrInfo(uint32_t devType, uint32_t devIndex, uint32_t canIndex, CanErrorInfo* info);
uint32_t VCI_StartCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex);
uint32_t VCI_ResetCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex);
uint32_t VCI_ClearBuffer(uint32_t devType, uint32_t devIndex, uint32_t canIndex);
uint32_t VCI_GetReceiveNum(uint32_t devType, uint32_t devIndex, uint32_t canIndex);
uint32_t VCI_Receive(uint32_t devType, uint32_t devIndex, uint32_t canIndex, CanFrameRecord* frames, uint32_t len,
                     int32_t waitMs);
uint32_t VCI_Transmit(uint32_t devType, uint32_t devIndex, uint32_t canIndex, const CanFrameRecord* frames,
                      uint32_t len);

#ifdef __cplusplus
}

namespace standin {
// The ControlCAN stand-in's call log; FailCall("VCI_Transmit", 0) etc. make an
// entry point return the given result.
CallLog& ControlCanLog();
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
#endif
