/* Dravix: the library that drives the project's own two-channel USB-CAN
 * adapter. Its C interface has the shape of the ControlCAN adapter API:
 * unsigned 32-bit arguments, a device type that is ignored, a device index
 * 0..4, a channel index 0 (CAN1) or 1 (CAN2). Functions return 1 for success
 * and 0 for failure unless stated; failure details are OR-ed into the device's
 * error word, read with ReadErrInfo.
 *
 * The records that cross this boundary belong to the caller; Dravix only
 * fills them in or copies frames out of them. */
#ifndef DRAVIX_H
#define DRAVIX_H

#include "CanRecords.h"

#include <stdint.h>

#if defined(_WIN32)
#  define DRAVIX_CALL __stdcall
#  if defined(DRAVIX_BUILDING)
#    define DRAVIX_API __declspec(dllexport)
#  else
#    define DRAVIX_API __declspec(dllimport)
#  endif
#else
#  define DRAVIX_CALL
#  define DRAVIX_API __attribute__((visibility("default")))
#endif

/* Error word bits. */
#define DRAVIX_ERR_FIFO_OVERFLOW   0x0001u
#define DRAVIX_ERR_WARNING         0x0002u
#define DRAVIX_ERR_PASSIVE         0x0004u
#define DRAVIX_ERR_ARBITRATION     0x0008u
#define DRAVIX_ERR_BUS             0x0010u
#define DRAVIX_ERR_BUS_OFF         0x0020u
#define DRAVIX_ERR_STATUS_BIT1     0x0040u
#define DRAVIX_ERR_STATUS_ERR4     0x0080u
#define DRAVIX_ERR_OPEN_FAILED     0x0200u
#define DRAVIX_ERR_NOT_OPEN        0x0400u
#define DRAVIX_ERR_BUFFER_OVERFLOW 0x0800u
#define DRAVIX_ERR_BAD_INDEX       0x1000u
#define DRAVIX_ERR_COMMAND         0x4000u

#define DRAVIX_MAX_DEVICES 5u
#define DRAVIX_RING_SIZE 2048u
#define DRAVIX_USER_MEMORY_SIZE 256u
/* Result of Transmit and Receive on failure. */
#define DRAVIX_FAILED 0xFFFFFFFFu
/* Result of canIoctl when the command write fails. */
#define DRAVIX_IOCTL_FAILED 0xE0000004u
/* canIoctl code answered by the library itself: the USB layer of the device
 * (64-bit: 1 the adapter on the USB hardware, 2 the simulated adapter of the
 * CH375 stand-in, 0 not open). */
#define DRAVIX_IOCTL_USB_LAYER 9u

#ifdef __cplusplus
extern "C" {
#endif

DRAVIX_API uint32_t DRAVIX_CALL OpenDevice(uint32_t DevType, uint32_t DevIndex, uint32_t Reserved);
DRAVIX_API uint32_t DRAVIX_CALL CloseDevice(uint32_t DevType, uint32_t DevIndex);
DRAVIX_API uint32_t DRAVIX_CALL InitCAN(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                        const CanInitConfig* pInitConfig);
DRAVIX_API uint32_t DRAVIX_CALL StartCAN(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex);
DRAVIX_API uint32_t DRAVIX_CALL ResetCAN(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex);
/* Returns Len, 0 (Len 0) or DRAVIX_FAILED. */
DRAVIX_API uint32_t DRAVIX_CALL Transmit(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                         const CanFrameRecord* pSend, uint32_t Len);
/* Returns the count taken, 0, or DRAVIX_FAILED. WaitTime in ms. */
DRAVIX_API uint32_t DRAVIX_CALL Receive(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                        CanFrameRecord* pReceive, uint32_t Len, uint32_t WaitTime);
DRAVIX_API uint32_t DRAVIX_CALL GetReceiveNum(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex);
DRAVIX_API uint32_t DRAVIX_CALL ClearBuffer(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex);
DRAVIX_API uint32_t DRAVIX_CALL ReadBoardInfo(uint32_t DevType, uint32_t DevIndex, CanBoardInfo* pInfo);
DRAVIX_API uint32_t DRAVIX_CALL ReadErrInfo(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                            CanErrorInfo* pErrInfo);
DRAVIX_API uint32_t DRAVIX_CALL ReadCANStatus(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                              void* pCANStatus);
DRAVIX_API uint32_t DRAVIX_CALL GetReference(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                             uint32_t RefType, void* pData);
DRAVIX_API uint32_t DRAVIX_CALL SetReference(uint32_t DevType, uint32_t DevIndex, uint32_t CANIndex,
                                             uint32_t RefType, void* pData);
DRAVIX_API uint32_t DRAVIX_CALL WriteD(uint32_t DevType, uint32_t DevIndex, uint32_t Addr, uint32_t Len,
                                       const void* pData);
DRAVIX_API uint32_t DRAVIX_CALL ReadD(uint32_t DevType, uint32_t DevIndex, uint32_t Addr, uint32_t Len,
                                      void* pData);
/* Code 7: the 64-bit tick rate; code 8: the 64-bit adapter clock; code 9:
 * the USB layer (DRAVIX_IOCTL_USB_LAYER), all written at pData. Any other code goes to the adapter as a raw command with
 * the 8 bytes at pData. Returns 0, or DRAVIX_IOCTL_FAILED. */
DRAVIX_API uint32_t DRAVIX_CALL canIoctl(uint32_t DevIndex, uint32_t Channel, uint32_t Code, void* pData);

#ifdef __cplusplus
}
#endif

#endif /* DRAVIX_H */
