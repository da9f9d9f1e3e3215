// The ControlCAN interface library (the VCI_ functions) that drives the
// maker-branded adapters: the entry points the adapter switch calls. The
// program links whichever library provides them (our stand-in by default).
#pragma once

#include "CanRecords.h"

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
#endif
